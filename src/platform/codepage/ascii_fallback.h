#pragma once

#include <string>
#include <string_view>

namespace vantrelle::codepage {

inline constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";  // U+FFFD

// What is left when the system cannot convert at all: ASCII, which every code page
// agrees on, and U+FFFD for each other byte, so the text keeps one character per byte.
inline void AppendAsciiOrReplacement(std::string_view bytes, std::string& text) {
    for (char byte : bytes) {
        if (static_cast<unsigned char>(byte) < 0x80) {
            text += byte;
        } else {
            text += kReplacementCharacter;
        }
    }
}

}  // namespace vantrelle::codepage
