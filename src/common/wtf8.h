#pragma once

// WTF-8: UTF-8 extended so that every sequence of UTF-16 code units round-trips,
// unpaired surrogates included, which Windows allows in file names. Text is kept in this
// form everywhere and becomes UTF-16 only at the Win32 boundary or in a FAT or exFAT
// directory entry.

#include <optional>
#include <string>
#include <string_view>

namespace vantrelle {

// Paired surrogates become one four-byte sequence; an unpaired one is encoded on its
// own in three bytes.
std::string Wtf8FromUtf16(std::u16string_view text);

// Inverse of Wtf8FromUtf16. Nothing for bytes that are not WTF-8 (stray or missing
// continuation bytes, overlong forms, values above U+10FFFF).
std::optional<std::u16string> Utf16FromWtf8(std::string_view text);

// The UTF-16 a Win32 call takes (wchar_t holds UTF-16 code units there). Each byte that
// is not WTF-8 (a name read off a damaged stick) becomes U+FFFD, so a text is always
// shown, never dropped; `Utf16FromWtf8` tells whether a text converts exactly.
std::wstring Widen(std::string_view text);

// Inverse of Widen: what a Win32 call returned, back to WTF-8.
std::string Narrow(std::wstring_view text);

// Converts text that arrives in pieces cut anywhere, such as the bytes written to a
// console: a sequence split between two pieces is completed by the next one, and each
// byte that is not WTF-8 becomes U+FFFD.
class Utf16StreamDecoder {
  public:
    std::u16string Decode(std::string_view piece);

    // What is still held back of an unfinished sequence, each byte as U+FFFD.
    std::u16string Finish();

  private:
    std::string pending_;
};

}  // namespace vantrelle
