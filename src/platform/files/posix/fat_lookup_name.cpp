#include "platform/files/posix/fat_lookup_name.h"

#include <fcntl.h>
#include <linux/msdos_fs.h>
#include <strings.h>
#include <sys/ioctl.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/files/posix/system_error.h"

namespace vantrelle::files::posix {

namespace {

constexpr long kMsdosMagic = 0x4d44;  // vfat and msdos
constexpr long kExfatMagic = 0x2011BAB0;

struct NamePair {
    std::string short_name;
    std::string long_name;  // empty when the entry has none
    const std::string& Listed() const { return long_name.empty() ? short_name : long_name; }
};

// Every entry of the folder with both its names, read through a descriptor of its own
// so that the caller's position in the folder stays where it was.
Result<std::vector<NamePair>> ReadBothNames(int folder) {
    const int fd = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return SystemError(errno, "opening the folder for its short names");
    }
    std::vector<NamePair> pairs;
    for (;;) {
        struct __fat_dirent both[2];
        std::memset(both, 0, sizeof both);
        const int read = ::ioctl(fd, VFAT_IOCTL_READDIR_BOTH, both);
        if (read < 0) {
            const int number = errno;
            ::close(fd);
            return SystemError(number, "reading the folder's short names");
        }
        if (read == 0) {
            break;
        }
        pairs.push_back({std::string(both[0].d_name, both[0].d_reclen),
                         std::string(both[1].d_name, both[1].d_reclen)});
    }
    ::close(fd);
    return pairs;
}

Error NotReachable(const std::string& why) {
    return Error{EINVAL, "The kernel cannot reach this entry by its name: " + why};
}

}  // namespace

bool FatLookupMayMiss(const std::string& name) {
    return (!name.empty() && name.back() == '.' && name != "." && name != "..") ||
           name.find('?') != std::string::npos;
}

Result<std::string> LookupName(int folder, const std::string& name) {
    if (!FatLookupMayMiss(name)) {
        return name;
    }
    struct statfs volume;
    if (::fstatfs(folder, &volume) != 0) {
        return SystemError(errno, "asking the folder's volume what it is");
    }
    if (volume.f_type == kExfatMagic) {
        return NotReachable(
            "exFAT keeps no short names, and the name ends in a dot, which the kernel drops, or "
            "holds letters this mount's character set cannot show");
    }
    if (volume.f_type != kMsdosMagic) {
        return name;
    }
    auto pairs = ReadBothNames(folder);
    if (!pairs) {
        return pairs.error();
    }
    const NamePair* match = nullptr;
    for (const NamePair& pair : pairs.value()) {
        if (pair.Listed() == name) {
            if (match != nullptr) {
                return NotReachable(
                    "several entries of the folder show as this name on this mount, whose "
                    "character set lacks some of their letters; mount the volume with the utf8 "
                    "option to reach each of them");
            }
            match = &pair;
        }
    }
    if (match == nullptr) {
        return Error{ENOENT, "No entry of the folder is listed by this name any longer"};
    }
    // A lookup matches long and short names alike, ignoring case: the short name must
    // be no other entry's name too.
    for (const NamePair& pair : pairs.value()) {
        if (&pair != match &&
            (::strcasecmp(pair.short_name.c_str(), match->short_name.c_str()) == 0 ||
             ::strcasecmp(pair.long_name.c_str(), match->short_name.c_str()) == 0)) {
            return NotReachable("its short name " + match->short_name +
                                " is another entry's name as well");
        }
    }
    return match->short_name;
}

}  // namespace vantrelle::files::posix
