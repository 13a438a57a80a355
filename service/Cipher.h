#pragma once

#include <string>

// Deciphers one value of the service's answer (connection values and exit hosts) with the
// key the program shares with the service. The cipher XORs each byte with its key
// character masked to the byte's class (below 32, 32..63, 64..127, 128..255), so a byte
// never leaves its class: control characters stay as they are and no line break appears
// that would split the answer's NAME=VALUE line. The key is used cyclically. The same
// call enciphers, since applying it twice restores the text. An empty key or value gives
// the empty text.
std::string DecodeValue(const std::string& value, const std::string& key);
