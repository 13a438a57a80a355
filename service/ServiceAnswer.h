#pragma once

#include "core/ExitServers.h"

#include <string>
#include <vector>

// The service's answer to the handshake: "NAME=VALUE" lines between the markers "B=1" and
// "E=1". The connection values and the exit hosts are enciphered; the countries are
// numbers.

// True when the text holds both markers, anywhere and in any order, in exactly this case.
// Anything else (an error page, a network's log-in page) is no answer.
bool isServiceAnswer(const std::string& text);

// The text's lines, broken at CR LF, a lone LF and a lone CR; a last line without a line
// break counts.
std::vector<std::string> answerLines(const std::string& text);

// The country shown for an entry's number: 1 "United States", 2 "United Kingdom", any
// other "Unknown".
std::string countryName(int number);

struct ServiceAnswer
{
    bool serviceNotAvailable = false;
    bool newVersion = false;
    // The number of entries "C". A value that is not a whole number counts as 0, and one
    // beyond the number of lines the answer has is cut to it: an answer cannot carry more
    // entries than lines, so a huge "C" cannot make a huge list. Of the entries numbered
    // 1..C, only those Warden would take (warden/ExitValues.h) are kept, and count is then
    // their number: 0 when none is left.
    int count = 0;
    // Read only when "C" is positive: the deciphered values, and the kept entries in the
    // order of their numbers.
    std::string exitPort;
    std::string exitUser;
    std::string exitKey;
    std::vector<TServer> servers;
};

// Reads an answer's lines; the values are deciphered with `cipherKey`.
ServiceAnswer readServiceAnswer(const std::vector<std::string>& lines, const std::string& cipherKey);
