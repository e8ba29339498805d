#include "engine/reserved_names.h"

#include <algorithm>

namespace vantrelle::engine {

namespace {

char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// The reserved names are ASCII, so folding ASCII letters is the whole comparison: no
// byte of a multi-byte UTF-8 sequence can match an ASCII letter.
bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

}  // namespace

bool IsReservedName(std::string_view name) {
    return std::ranges::any_of(ReservedNames, [name](std::string_view reserved) {
        return EqualIgnoringCase(name, reserved);
    });
}

}  // namespace vantrelle::engine
