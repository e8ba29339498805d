// vfat, msdos and exFAT where the driver offers it: the FAT ioctls, on the entry opened.

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/files/posix/attribute_mechanisms.h"
#include "platform/files/posix/dos_attributes.h"
#include "platform/files/posix/folder_chain.h"
#include "platform/files/posix/system_error.h"

#ifdef __linux__
#include <linux/msdos_fs.h>
#endif

namespace vantrelle::files::posix {

int OpenEntry(const std::string& path) {
    return ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
}

Result<Change> SetThroughFatIoctl(const std::string& path, const struct stat& entry,
                                  std::uint32_t attributes, bool write) {
#ifdef FAT_IOCTL_SET_ATTRIBUTES
    if (S_ISLNK(entry.st_mode)) {
        return Unchanged(0);  // FAT keeps no links; nothing of the kind to reset
    }
    Descriptor fd(OpenEntry(path));
    if (fd.get() < 0) {
        return SystemError(errno, "opening the entry");
    }
    std::uint32_t current = 0;
    if (::ioctl(fd.get(), FAT_IOCTL_GET_ATTRIBUTES, &current) != 0) {
        return SystemError(errno, "reading the FAT attributes");
    }
    // The kernel refuses a change of the directory bit: it stays as read.
    const std::uint32_t wanted = WithFatSettableBits(current, attributes) | (current & kDirectory);
    if (wanted == current || !write) {
        return Unchanged(current);
    }
    if (::ioctl(fd.get(), FAT_IOCTL_SET_ATTRIBUTES, &wanted) != 0) {
        return SystemError(errno, "setting the FAT attributes");
    }
    return Change{current & kDosBits, true};
#else
    (void)path;
    (void)entry;
    (void)attributes;
    return Error{ENOTSUP, "FAT attributes are not supported on this system"};
#endif
}

}  // namespace vantrelle::files::posix
