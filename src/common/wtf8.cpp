#include "common/wtf8.h"

namespace vantrelle {

namespace {

bool IsLeadSurrogate(char32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsTrailSurrogate(char32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

void AppendCodePoint(std::string& out, char32_t code_point) {
    if (code_point < 0x80) {
        out += static_cast<char>(code_point);
    } else if (code_point < 0x800) {
        out += static_cast<char>(0xC0 | (code_point >> 6));
        out += static_cast<char>(0x80 | (code_point & 0x3F));
    } else if (code_point < 0x10000) {
        out += static_cast<char>(0xE0 | (code_point >> 12));
        out += static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code_point & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code_point >> 18));
        out += static_cast<char>(0x80 | ((code_point >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code_point & 0x3F));
    }
}

}  // namespace

std::string Wtf8FromUtf16(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t unit = text[i];
        if (IsLeadSurrogate(unit) && i + 1 < text.size() && IsTrailSurrogate(text[i + 1])) {
            unit = 0x10000 + ((unit - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        AppendCodePoint(out, unit);
    }
    return out;
}

namespace {

// The code point of the sequence at the start of `text` and its length in bytes; a
// length of 0 when the bytes there are not WTF-8, and nothing when they could still be
// the start of a sequence that `text` cuts off.
struct Decoded {
    char32_t code_point = 0;
    std::size_t length = 0;
};

std::optional<Decoded> DecodeOne(std::string_view text) {
    const auto lead = static_cast<unsigned char>(text[0]);
    std::size_t length;
    char32_t code_point;
    char32_t smallest;
    if (lead < 0x80) {
        return Decoded{lead, 1};
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2, code_point = lead & 0x1F, smallest = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, code_point = lead & 0x0F, smallest = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, code_point = lead & 0x07, smallest = 0x10000;
    } else {
        return Decoded{};
    }
    for (std::size_t k = 1; k < length; ++k) {
        if (k == text.size()) {
            return std::nullopt;
        }
        const auto continuation = static_cast<unsigned char>(text[k]);
        if ((continuation & 0xC0) != 0x80) {
            return Decoded{};
        }
        code_point = (code_point << 6) | (continuation & 0x3F);
    }
    if (code_point < smallest || code_point > 0x10FFFF) {
        return Decoded{};
    }
    return Decoded{code_point, length};
}

void AppendUtf16(std::u16string& out, char32_t code_point) {
    if (code_point >= 0x10000) {
        code_point -= 0x10000;
        out += static_cast<char16_t>(0xD800 + (code_point >> 10));
        out += static_cast<char16_t>(0xDC00 + (code_point & 0x3FF));
    } else {
        out += static_cast<char16_t>(code_point);
    }
}

constexpr char16_t kReplacement = 0xFFFD;

}  // namespace

std::optional<std::u16string> Utf16FromWtf8(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    while (!text.empty()) {
        const std::optional<Decoded> decoded = DecodeOne(text);
        if (!decoded || decoded->length == 0) {
            return std::nullopt;
        }
        AppendUtf16(out, decoded->code_point);
        text.remove_prefix(decoded->length);
    }
    return out;
}

std::u16string Utf16StreamDecoder::Decode(std::string_view piece) {
    pending_.append(piece);
    std::u16string out;
    std::string_view text = pending_;
    while (!text.empty()) {
        const std::optional<Decoded> decoded = DecodeOne(text);
        if (!decoded) {
            break;  // the rest comes with the next piece
        }
        if (decoded->length == 0) {
            out += kReplacement;
            text.remove_prefix(1);
        } else {
            AppendUtf16(out, decoded->code_point);
            text.remove_prefix(decoded->length);
        }
    }
    pending_ = std::string(text);
    return out;
}

std::u16string Utf16StreamDecoder::Finish() {
    std::u16string out(pending_.size(), kReplacement);
    pending_.clear();
    return out;
}

std::wstring Widen(std::string_view text) {
    Utf16StreamDecoder decoder;
    std::u16string wide = decoder.Decode(text);
    wide += decoder.Finish();
    return std::wstring(wide.begin(), wide.end());
}

std::string Narrow(std::wstring_view text) {
    return Wtf8FromUtf16(std::u16string(text.begin(), text.end()));
}

}  // namespace vantrelle
