// SMB mounts: user.cifs.dosattrib, the 32-bit word the client sends to the server.

#include <cerrno>

#include "platform/files/posix/attribute_mechanisms.h"
#include "platform/files/posix/dos_attributes.h"

namespace vantrelle::files::posix {

namespace {

// What SMB takes for "no attribute at all": a zero would mean "leave them as they are".
constexpr std::uint32_t kFileAttributeNormal = 0x80;

}  // namespace

// The SMB client sends the word to the server and keeps what it sent; read back, it shows
// whether the server took it.
Result<Change> SetThroughCifsDosAttrib(const std::string& path, std::uint32_t attributes,
                                       bool write) {
    auto read = GetXattr(path, kCifsDosAttrib, 4);
    if (!read) {
        return read.error();
    }
    const auto word = ReadWord32(read.value().bytes);
    if (read.value().absent || !word) {
        return Unreadable(kCifsDosAttrib, read.value().bytes);
    }
    const std::uint32_t current = *word;
    std::uint32_t wanted = WithSettableBits(current, attributes);
    if (wanted == current || !write) {
        return Unchanged(current);
    }
    const std::uint32_t sent = wanted == 0 ? kFileAttributeNormal : wanted;
    if (auto set = SetXattr(path, kCifsDosAttrib, WriteWord32(sent), 0); !set) {
        return set.error();
    }
    auto check = GetXattr(path, kCifsDosAttrib, 4);
    const std::uint32_t now = check ? ReadWord32(check.value().bytes).value_or(current) : current;
    if ((now & kSettableBits) != (wanted & kSettableBits)) {
        return Error{EIO, "The SMB server did not change the DOS attributes"};
    }
    return Change{current & kDosBits, true};
}

}  // namespace vantrelle::files::posix
