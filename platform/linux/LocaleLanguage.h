#pragma once

#include <string>

namespace platform {

// The Windows language id (LANGID) of a POSIX locale name such as "de_AT.UTF-8" or
// "sr_RS@latin": the id of its language and territory, else of its language alone (the
// language's main country), else 1033 (US English), which also stands for "C" and
// "POSIX".
int languageIdOfLocale(const std::string& locale);

} // namespace platform
