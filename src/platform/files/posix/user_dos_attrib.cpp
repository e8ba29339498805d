// Any other volume: user.DOSATTRIB, as Wine and Samba keep it.

#include <sys/xattr.h>

#include "platform/files/posix/attribute_mechanisms.h"
#include "platform/files/posix/dos_attributes.h"

namespace vantrelle::files::posix {

Result<Change> SetThroughUserDosAttrib(const std::string& path, std::uint32_t attributes,
                                       bool write) {
    auto read = GetWholeXattr(path, kUserDosAttrib);
    if (!read) {
        return read.error();
    }
    if (read.value().absent) {
        // No value means Normal to Wine and Samba alike; only a wish for more than
        // Normal needs one, and this program never has that wish on such a volume.
        if ((attributes & kSettableBits) == 0 || !write) {
            return Unchanged(0);
        }
        return Written(0, SetXattr(path, kUserDosAttrib, EncodeDosAttrib({}, {}, attributes), 0));
    }
    const auto parsed = ParseDosAttrib(read.value().bytes);
    if (!parsed) {
        return Unreadable(kUserDosAttrib, read.value().bytes);
    }
    const std::uint32_t wanted = WithSettableBits(parsed->attributes, attributes);
    if (wanted == parsed->attributes || !write) {
        return Unchanged(parsed->attributes);
    }
    return Written(parsed->attributes,
                   SetXattr(path, kUserDosAttrib,
                            EncodeDosAttrib(read.value().bytes, *parsed, wanted), XATTR_REPLACE));
}

}  // namespace vantrelle::files::posix
