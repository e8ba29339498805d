#pragma once

// What the attribute store's mechanisms share: the extended-attribute calls on the entry
// itself (never a link's target), the outcomes a reset comes to, and each mechanism's
// reset, one file each.

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "platform/files/files.h"
#include "platform/files/posix/attribute_store.h"

namespace vantrelle::files::posix {

// The value of an extended attribute of the entry itself; `absent` when it has none.
struct XattrValue {
    bool absent = false;
    std::string bytes;
};

// A value of at most `limit` bytes; a longer one is an error saying so.
Result<XattrValue> GetXattr(const std::string& path, const char* name, std::size_t limit);

// The whole value, however long.
Result<XattrValue> GetWholeXattr(const std::string& path, const char* name);

Status SetXattr(const std::string& path, const char* name, std::string_view bytes, int flags);

// Whether the entry has the attribute at all (a driver that offers it answers for each).
bool HasXattr(const std::string& path, const char* name);

// A 32-bit word in host byte order, as the NTFS and SMB attributes hold it; nullopt for
// a value of any other size.
inline std::optional<std::uint32_t> ReadWord32(std::string_view bytes) {
    if (bytes.size() != sizeof(std::uint32_t)) {
        return std::nullopt;
    }
    std::uint32_t word;
    std::memcpy(&word, bytes.data(), sizeof word);
    return word;
}

inline std::string WriteWord32(std::uint32_t word) {
    std::string bytes(sizeof word, '\0');
    std::memcpy(bytes.data(), &word, sizeof word);
    return bytes;
}

inline constexpr std::uint32_t kDosBits = kReadOnly | kHidden | kSystem | kArchive;

// Nothing to write: the entry had `before`.
inline Change Unchanged(std::uint32_t before) {
    return Change{before & kDosBits, false};
}

// A write done over `before`, or the error it failed with.
inline Result<Change> Written(std::uint32_t before, const Status& written) {
    if (!written) {
        return written.error();
    }
    return Change{before & kDosBits, true};
}

// Opens the entry itself for an ioctl: never a link's target, never blocking on a FIFO.
int OpenEntry(const std::string& path);

// A value in none of the forms this program knows.
Error Unreadable(const char* name, std::string_view bytes);

// Each mechanism's reset of the entry `path` (a name in the working folder), to the
// settable bits of `attributes`; with `write` false it only reads.
Result<Change> SetThroughFatIoctl(const std::string& path, const struct stat& entry,
                                  std::uint32_t attributes, bool write);
Result<Change> SetThroughNtfsAttributes(int folder, const std::string& path,
                                        std::uint32_t attributes, Mechanism mechanism,
                                        bool kernel_driver, bool write);
Result<Change> SetThroughCifsDosAttrib(const std::string& path, std::uint32_t attributes,
                                       bool write);
Result<Change> SetThroughUserDosAttrib(const std::string& path, std::uint32_t attributes,
                                       bool write);

// The NTFS attribute names, which the probe asks for too.
inline constexpr const char* kNtfsAttribBe = "system.ntfs_attrib_be";
inline constexpr const char* kNtfsAttribNative = "system.ntfs_attrib";
inline constexpr const char* kCifsDosAttrib = "user.cifs.dosattrib";
inline constexpr const char* kUserDosAttrib = "user.DOSATTRIB";

// The folder part of `path`, ending in '/'; "." for a name alone.
std::string ParentOf(const std::string& path);

}  // namespace vantrelle::files::posix
