#pragma once

#include <string>
#include <vector>

// A memo holds its lines each followed by a line break; a last line left empty by that
// final break (or by an empty memo) is not a line. These two functions convert between
// the memo's text and its lines so that loading n lines and saving gives n lines back.
std::vector<std::string> memoLines(const std::string& text);
std::string memoText(const std::vector<std::string>& lines);
