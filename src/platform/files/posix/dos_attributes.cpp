#include "platform/files/posix/dos_attributes.h"

#include <cstdio>

namespace vantrelle::files::posix {

namespace {

std::uint32_t LittleEndianAt(const std::string& bytes, std::size_t offset, std::size_t size) {
    std::uint32_t value = 0;
    for (std::size_t i = size; i-- > 0;) {
        value = (value << 8) | static_cast<unsigned char>(bytes[offset + i]);
    }
    return value;
}

void PutLittleEndian32(std::string& bytes, std::size_t offset, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i) {
        bytes[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}

// "0x%x" by hand: it is written once per entry, and snprintf costs more than the rest.
std::string HexText(std::uint32_t attributes) {
    std::string text = "0x";
    int shift = 28;
    while (shift > 0 && (attributes >> shift) == 0) {
        shift -= 4;
    }
    for (; shift >= 0; shift -= 4) {
        text.push_back("0123456789abcdef"[(attributes >> shift) & 0xF]);
    }
    return text;
}

// "0x" and 1 to 8 hexadecimal digits, nothing else.
std::optional<std::uint32_t> ParseHexText(const std::string& text) {
    if (text.size() < 3 || text.size() > 10 || text[0] != '0' || text[1] != 'x') {
        return std::nullopt;
    }
    std::uint32_t value = 0;
    for (std::size_t i = 2; i < text.size(); ++i) {
        const char c = text[i];
        std::uint32_t digit;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else if (c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        } else {
            return std::nullopt;
        }
        value = (value << 4) | digit;
    }
    return value;
}

constexpr std::size_t AlignUp(std::size_t offset, std::size_t alignment) {
    return (offset + alignment - 1) / alignment * alignment;
}

// Offset of the attribute word within the record of each binary version; the size of
// the record up to and including that word.
std::optional<std::size_t> AttributeWordOffset(std::uint16_t version) {
    switch (version) {
        case 1:
            return 0;  // attrib, ea_size, size ...
        case 2:
        case 3:
        case 4:
        case 5:
            return 4;  // flags, attrib ...
        default:
            return std::nullopt;
    }
}

}  // namespace

std::optional<std::uint32_t> DecodeBigEndian32(const std::string& bytes) {
    if (bytes.size() != 4) {
        return std::nullopt;
    }
    std::uint32_t value = 0;
    for (char byte : bytes) {
        value = (value << 8) | static_cast<unsigned char>(byte);
    }
    return value;
}

std::string EncodeBigEndian32(std::uint32_t value) {
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i) {
        bytes[i] = static_cast<char>((value >> (24 - 8 * i)) & 0xFF);
    }
    return bytes;
}

std::optional<DosAttrib> ParseDosAttrib(const std::string& value) {
    const std::size_t nul = value.find('\0');
    const std::string text = value.substr(0, nul);
    const std::size_t after_text = nul == std::string::npos ? value.size() : nul + 1;

    if (after_text >= value.size()) {
        auto attributes = ParseHexText(text);
        if (!attributes) {
            return std::nullopt;
        }
        return DosAttrib{*attributes, false, 0};
    }

    const std::size_t version_at = AlignUp(after_text, 2);
    if (version_at + 4 > value.size()) {
        return std::nullopt;
    }
    const auto version = static_cast<std::uint16_t>(LittleEndianAt(value, version_at, 2));
    const auto level = static_cast<std::uint16_t>(LittleEndianAt(value, version_at + 2, 2));
    const auto word = AttributeWordOffset(version);
    if (!word || level != version) {
        return std::nullopt;
    }
    const std::size_t record_at = AlignUp(version_at + 4, 4);
    const std::size_t attributes_at = record_at + *word;
    if (attributes_at + 4 > value.size()) {
        return std::nullopt;
    }
    const std::uint32_t attributes = LittleEndianAt(value, attributes_at, 4);
    // A non-empty text mirrors the word; one that disagrees makes the value ambiguous.
    if (!text.empty() && ParseHexText(text) != attributes) {
        return std::nullopt;
    }
    return DosAttrib{attributes, true, attributes_at};
}

std::string EncodeDosAttrib(const std::string& old, const DosAttrib& parsed,
                            std::uint32_t attributes) {
    if (!parsed.binary) {
        return HexText(attributes);
    }
    const std::size_t nul = old.find('\0');
    const std::size_t version_at = AlignUp(nul + 1, 2);
    const std::size_t record_at = AlignUp(version_at + 4, 4);

    // The text changes length with the value, so the header is laid out afresh and the
    // record after it is carried over unchanged but for the attribute word.
    const std::string text = nul == 0 ? std::string() : HexText(attributes);
    std::string encoded = text;
    encoded.push_back('\0');
    encoded.resize(AlignUp(encoded.size(), 2), '\0');
    encoded.append(old, version_at, 4);
    encoded.resize(AlignUp(encoded.size(), 4), '\0');
    const std::size_t new_record_at = encoded.size();
    encoded.append(old, record_at, std::string::npos);
    PutLittleEndian32(encoded, new_record_at + (parsed.attributes_offset - record_at), attributes);
    return encoded;
}

std::string DescribeBytes(const std::string& bytes, std::size_t limit) {
    std::string shown;
    for (std::size_t i = 0; i < bytes.size() && i < limit; ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte >= 0x20 && byte < 0x7F && byte != '\\') {
            shown.push_back(static_cast<char>(byte));
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
            shown += escaped;
        }
    }
    if (bytes.size() > limit) {
        shown += "...";
    }
    return shown;
}

}  // namespace vantrelle::files::posix
