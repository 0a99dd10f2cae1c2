// Turning UTF-8 text into the program's 8-bit code page, which differs between the platforms.
#pragma once

#include <string>

// The UTF-8 bytes as text of the ANSI code page; a character the code page lacks, and a byte
// that is no valid UTF-8, each become "?". ASCII, line ends included, stays as it is.
std::string Utf8ToAnsi(const std::string& utf8);
