#pragma once

// Expected texts spelled by code point, so that the tests never compare the program's
// literals with copies of themselves.

#include <algorithm>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>

namespace vantrelle::update {

inline std::string Utf8(std::u32string_view code_points) {
    std::string text;
    for (char32_t c : code_points) {
        if (c < 0x80) {
            text += static_cast<char>(c);
        } else if (c < 0x800) {
            text += static_cast<char>(0xC0 | (c >> 6));
            text += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            text += static_cast<char>(0xE0 | (c >> 12));
            text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            text += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            text += static_cast<char>(0xF0 | (c >> 18));
            text += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            text += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return text;
}

// Farsi written in a Latin transliteration, one letter for one code point (after
// Buckwalter, with k for KEHEH, P for PEH, G for GAF and the comma for ARABIC COMMA).
// Spaces, digits, brackets, dots and colons stand for themselves; any other character
// is a mistake in the test.
inline std::string Farsi(std::string_view latin) {
    struct Letter {
        char latin;
        char32_t code_point;
    };
    static constexpr Letter kLetters[] = {
        {'|', 0x0622},  // ALEF WITH MADDA ABOVE
        {'A', 0x0627},  // ALEF
        {'b', 0x0628},  // BEH
        {'t', 0x062A},  // TEH
        {'j', 0x062C},  // JEEM
        {'H', 0x062D},  // HAH
        {'x', 0x062E},  // KHAH
        {'d', 0x062F},  // DAL
        {'r', 0x0631},  // REH
        {'z', 0x0632},  // ZAIN
        {'s', 0x0633},  // SEEN
        {'$', 0x0634},  // SHEEN
        {'S', 0x0635},  // SAD
        {'T', 0x0637},  // TAH
        {'E', 0x0639},  // AIN
        {'f', 0x0641},  // FEH
        {'q', 0x0642},  // QAF
        {'l', 0x0644},  // LAM
        {'m', 0x0645},  // MEEM
        {'n', 0x0646},  // NOON
        {'h', 0x0647},  // HEH
        {'w', 0x0648},  // WAW
        {'y', 0x064A},  // YEH, not FARSI YEH U+06CC
        {'P', 0x067E},  // PEH
        {'k', 0x06A9},  // KEHEH, not KAF U+0643
        {'G', 0x06AF},  // GAF
        {',', 0x060C},  // ARABIC COMMA
    };
    constexpr std::string_view kThemselves = " ().:0123456789";
    std::u32string code_points;
    for (char c : latin) {
        if (kThemselves.find(c) != std::string_view::npos) {
            code_points += static_cast<char32_t>(c);
            continue;
        }
        const auto letter = std::find_if(std::begin(kLetters), std::end(kLetters),
                                         [c](const Letter& l) { return l.latin == c; });
        if (letter == std::end(kLetters)) {
            throw std::invalid_argument(std::string("no Farsi letter for '") + c + "'");
        }
        code_points += letter->code_point;
    }
    return Utf8(code_points);
}

}  // namespace vantrelle::update
