#pragma once

#include <string>
#include <string_view>

namespace vantrelle::codepage {

// Turns text written in the system's legacy (ANSI) code page into UTF-8: on Windows the
// code page the system is set to, elsewhere Windows-1256, the Arabic code page that
// carries the Persian letters. Never fails: a byte the code page cannot map becomes
// U+FFFD. With a single-byte code page every byte yields exactly one character, NUL
// included, and ASCII bytes stay themselves.
std::string AnsiToUtf8(std::string_view bytes);

}  // namespace vantrelle::codepage
