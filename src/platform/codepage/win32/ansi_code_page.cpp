#include <windows.h>

#include <algorithm>

#include "platform/codepage/ascii_fallback.h"
#include "platform/codepage/codepage.h"

namespace vantrelle::codepage {

namespace {

// The conversion functions count in int. Update files are tiny; a larger input is
// converted in pieces, which with a double-byte system code page could split one
// character at a piece boundary.
constexpr std::size_t kPiece = std::size_t{1} << 24;

void AppendPiece(std::string_view piece, std::string& text) {
    const int size = static_cast<int>(piece.size());
    const int wide_size = MultiByteToWideChar(CP_ACP, 0, piece.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(wide_size), L'\0');
    if (wide_size == 0 ||
        MultiByteToWideChar(CP_ACP, 0, piece.data(), size, wide.data(), wide_size) == 0) {
        AppendAsciiOrReplacement(piece, text);
        return;
    }
    const int utf8_size =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), wide_size, nullptr, 0, nullptr, nullptr);
    const std::size_t start = text.size();
    text.resize(start + static_cast<std::size_t>(utf8_size));
    if (utf8_size == 0 ||
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), wide_size, text.data() + start, utf8_size,
                            nullptr, nullptr) == 0) {
        text.resize(start);
        AppendAsciiOrReplacement(piece, text);
    }
}

}  // namespace

std::string AnsiToUtf8(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size());
    while (!bytes.empty()) {
        const std::string_view piece = bytes.substr(0, std::min(bytes.size(), kPiece));
        AppendPiece(piece, text);
        bytes.remove_prefix(piece.size());
    }
    return text;
}

}  // namespace vantrelle::codepage
