#pragma once

#include <string>
#include <vector>

// The plain text Ctrl+C puts on the clipboard for a message box: the title, the message
// and the button captions (in the order given, three blanks apart) between lines of 27
// hyphens; CR LF between lines, none after the last. Line breaks inside the title and the
// message become CR LF as well.
std::string msgDlgCopyText(const std::string& title, const std::string& text,
                           const std::vector<std::string>& captions);
