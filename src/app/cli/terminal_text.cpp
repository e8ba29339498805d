#include "app/cli/terminal_text.h"

#include <cstdio>
#include <string_view>

namespace vantrelle::cli {

namespace {

void Escape(std::string& out, unsigned char byte) {
    char escaped[8];
    std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
    out += escaped;
}

// Length of the well-formed UTF-8 sequence starting at `at`, or 0; its code point in
// `decoded`.
std::size_t Utf8SequenceLength(std::string_view text, std::size_t at, std::uint32_t& decoded) {
    const auto lead = static_cast<unsigned char>(text[at]);
    std::size_t length;
    std::uint32_t code_point;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code_point = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code_point = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code_point = lead & 0x07;
    } else {
        return 0;
    }
    if (at + length > text.size()) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(text[at + i]);
        if ((byte & 0xC0) != 0x80) {
            return 0;
        }
        code_point = (code_point << 6) | (byte & 0x3F);
    }
    const bool overlong =
        (length == 3 && code_point < 0x800) || (length == 4 && code_point < 0x10000);
    const bool surrogate = code_point >= 0xD800 && code_point <= 0xDFFF;
    const bool c1_control = code_point >= 0x80 && code_point < 0xA0;
    if (overlong || surrogate || c1_control || code_point > 0x10FFFF) {
        return 0;
    }
    decoded = code_point;
    return length;
}

// Marks that reorder the text around them on screen.
bool IsBidiControl(std::uint32_t c) {
    return c == 0x061C || c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E) ||
           (c >= 0x2066 && c <= 0x2069);
}

std::string Escaped(std::string_view text, bool utf8, bool line_breaks) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        std::uint32_t code_point = 0;
        if (byte == '\r' && line_breaks) {
            out.push_back('\n');
            i += (i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
        } else if ((byte == '\n' || byte == '\t') && line_breaks) {
            out.push_back(static_cast<char>(byte));
            ++i;
        } else if (byte == '\\' && i + 1 < text.size() && text[i + 1] == 'x') {
            Escape(out, byte);
            ++i;
        } else if (byte >= 0x20 && byte < 0x7F) {
            out.push_back(static_cast<char>(byte));
            ++i;
        } else if (byte >= 0x80 && utf8) {
            const std::size_t length = Utf8SequenceLength(text, i, code_point);
            if (length > 0 && !IsBidiControl(code_point)) {
                out.append(text, i, length);
                i += length;
            } else {
                for (std::size_t end = i + (length > 0 ? length : 1); i < end; ++i) {
                    Escape(out, static_cast<unsigned char>(text[i]));
                }
            }
        } else {
            Escape(out, byte);
            ++i;
        }
    }
    return out;
}

}  // namespace

std::string ForTerminal(const std::string& text, bool utf8) {
    return Escaped(text, utf8, true);
}

std::string OneLineForTerminal(const std::string& text, bool utf8) {
    return Escaped(text, utf8, false);
}

}  // namespace vantrelle::cli
