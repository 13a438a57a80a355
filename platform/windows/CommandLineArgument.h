#pragma once

#include <string>

namespace platform {

// `argument` as one argument of a Windows command line, as the C runtime splits it again:
// unchanged when it is not empty and holds no blank or double quote, else quoted, with its
// quotes escaped and the backslashes before a quote (an escaped one or the closing one)
// doubled.
std::string commandLineArgument(const std::string& argument);

} // namespace platform
