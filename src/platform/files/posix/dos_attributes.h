#pragma once

// The encodings in which Linux file systems keep DOS attributes, and the arithmetic of
// resetting them. Pure functions over bytes, so every encoding is tested without the
// file system that uses it.

#include <cstdint>
#include <optional>
#include <string>

namespace vantrelle::files::posix {

// The bits `SetAttr` may change, as Windows' SetFileAttributes does: Read-only, Hidden,
// System, Archive, Temporary, Offline and Not-content-indexed. Every other bit
// (directory, compressed, sparse, reparse point ...) belongs to the file system.
inline constexpr std::uint32_t kSettableBits = 0x1 | 0x2 | 0x4 | 0x20 | 0x100 | 0x1000 | 0x2000;

// `current` with its settable bits replaced by those of `wanted`.
constexpr std::uint32_t WithSettableBits(std::uint32_t current, std::uint32_t wanted) {
    return (current & ~kSettableBits) | (wanted & kSettableBits);
}

// FAT and exFAT keep one byte; only Read-only, Hidden, System and Archive are settable
// there, and the kernel insists on the directory and volume bits staying as they are.
inline constexpr std::uint32_t kFatSettableBits = 0x1 | 0x2 | 0x4 | 0x20;
constexpr std::uint32_t WithFatSettableBits(std::uint32_t current, std::uint32_t wanted) {
    return (current & ~kFatSettableBits) | (wanted & kFatSettableBits);
}

// ntfs-3g's `system.ntfs_attrib_be`: the 32-bit attributes, big-endian.
std::optional<std::uint32_t> DecodeBigEndian32(const std::string& bytes);
std::string EncodeBigEndian32(std::uint32_t value);

// `user.DOSATTRIB`, as Wine and Samba keep it. Two forms exist:
//  - text: "0x" and hexadecimal digits, optionally NUL-terminated (Wine writes "0x22",
//    Samba 3 wrote the same with a NUL);
//  - Samba's binary form: an ASCII string (the same text, or empty), NUL-terminated and
//    padded to an even length, a 16-bit version, the same version again as a 16-bit
//    union level, padding to a multiple of 4, then the version's record, all
//    little-endian. The attributes are the record's first word (version 1) or its
//    second (versions 2 to 5, after a flags word).
struct DosAttrib {
    std::uint32_t attributes = 0;
    bool binary = false;
    std::size_t attributes_offset = 0;  // binary form: where the attribute word lies
};

// The attributes the value holds, or nullopt when it is in neither form.
std::optional<DosAttrib> ParseDosAttrib(const std::string& value);

// The value to store for `attributes` in place of `old`: Wine's text form for a text
// value; for a binary value, the same record with its attribute word (and a non-empty
// text, which mirrors it) replaced, so that what else Samba keeps there survives.
std::string EncodeDosAttrib(const std::string& old, const DosAttrib& parsed,
                            std::uint32_t attributes);

// A value shown in an error description: printable ASCII as it is, other bytes as \xNN.
std::string DescribeBytes(const std::string& bytes, std::size_t limit = 32);

}  // namespace vantrelle::files::posix
