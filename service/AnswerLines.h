#pragma once

#include <string>
#include <vector>

// The "name=value" lines the service answers with, and the version texts in them.

// The longest leading part of `text` made of digits and dots: "1.33 beta" gives "1.33".
std::string LeadingVersion(const std::string& text);

// The value of the first line "name=value" whose name matches (ASCII case ignored), read
// as a whole number: decimal with an optional sign, or hexadecimal as "$1F" or "0x1F";
// leading blanks are skipped. 0 when there is no such line or its value is empty. Throws
// std::invalid_argument when the value is not a whole number that fits 32 bits.
int GetIntValue(const std::vector<std::string>& lines, const std::string& name);

// True exactly when the first line of that name has the value "1".
bool GetFlagValue(const std::vector<std::string>& lines, const std::string& name);

// The text after the first "=" of the first line of that name (further "=" and blanks
// included); empty when there is no such line.
std::string GetTextValue(const std::vector<std::string>& lines, const std::string& name);

// A value text read as GetIntValue reads it; throws std::invalid_argument the same way.
int WholeNumber(const std::string& value);
