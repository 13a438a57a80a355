#pragma once

#include <map>
#include <string>

// Desktop entry files (the XDG autostart entries are such files): writing a program into
// an Exec key, reading it back, and reading the keys of the main group.
namespace platform {

// The Exec value, as it stands in the file, that starts `program` with no arguments: the
// path in double quotes with ", `, $ and \ escaped, % doubled, then the string escapes
// of the file format (\ as \\, line breaks and tabs as \n, \r, \t).
std::string execValueForProgram(const std::string& program);

// The program an Exec value (as it stands in the file) starts: its first argument with
// the file's escapes, the quoting and the doubled % undone. Empty when there is none.
std::string programOfExecValue(const std::string& execValue);

// The keys of the [Desktop Entry] group with their values as they stand in the file.
std::map<std::string, std::string> desktopEntryKeys(const std::string& text);

// A complete autostart entry for `name` starting `program`.
std::string autostartEntryText(const std::string& name, const std::string& program);

// True when the entry starts something at log-on: it has a non-empty Exec and is not
// switched off by Hidden=true or X-GNOME-Autostart-enabled=false.
bool autostartEntryActive(const std::string& text);

} // namespace platform
