#pragma once

#include "platform/Http.h"

#include <string>

// The user-agent text of the service requests, exactly as the service expects it.
inline constexpr const char* kServiceAgent = "Mozilla/4.0(compatible; MSIE 7.0;  Windows NT 6.0)";

// The most of a body taken: an answer is a few hundred bytes, and a server that sends
// without end must not fill the memory.
inline constexpr std::size_t kMaxTextBody = 1024 * 1024;

// GETs `url` and appends its body to `text`, each block of 1024 bytes up to its first zero
// byte. True once the URL could be opened, whatever the HTTP status (the caller judges the
// text); false when no connection could be made.
bool HttpGetText(platform::Http& http, const std::string& url, std::string& text);
