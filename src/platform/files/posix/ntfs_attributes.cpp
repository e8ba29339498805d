// NTFS through ntfs-3g (system.ntfs_attrib_be) or the kernel's ntfs3 (system.ntfs_attrib):
// the 32-bit attributes, with NTFS's own metadata files and Interix-style special files
// left as they are.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

#include "platform/files/posix/attribute_mechanisms.h"
#include "platform/files/posix/dos_attributes.h"
#include "platform/files/posix/folder_chain.h"
#include "platform/files/posix/interix_file.h"
#include "platform/files/posix/last_component.h"
#include "platform/files/posix/system_error.h"

namespace vantrelle::files::posix {

namespace {

// Links, FIFOs, sockets and devices that NTFS drivers store Interix-style, with no
// reparse point, are told from plain files by their System bit alone: clearing it
// would turn a link into a file holding the link's text. What the listing said of the
// entry's type is not enough to judge by: only the entry itself tells. ntfs-3g shows
// them as what they are; ntfs3 as plain files, which `by_content` judges as ntfs-3g would.
Result<bool> IsInterixSpecialFile(const std::string& path, std::uint32_t attributes,
                                  bool by_content) {
    constexpr std::uint32_t kReparsePoint = 0x400;
    if ((attributes & files::kSystem) == 0 || (attributes & kReparsePoint) != 0) {
        return false;
    }
    struct stat entry;
    if (::lstat(path.c_str(), &entry) != 0) {
        return SystemError(errno, "looking up the entry");
    }
    if (!S_ISREG(entry.st_mode)) {
        return !S_ISDIR(entry.st_mode);
    }
    if (!by_content) {
        return false;
    }
    const auto size = static_cast<std::uint64_t>(entry.st_size);
    if (!InterixFileNeedsHead(attributes, size)) {
        return IsInterixFile(attributes, size, {});
    }
    // Read without changing its access time where the owner allows it.
    constexpr int kFlags = O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    Descriptor fd(::open(path.c_str(), kFlags | O_NOATIME));
    if (fd.get() < 0 && errno == EPERM) {
        fd = Descriptor(::open(path.c_str(), kFlags));
    }
    if (fd.get() < 0) {
        return SystemError(errno, "opening the entry to tell whether it is a link");
    }
    char head[kInterixHeadSize];
    const ssize_t read = ::pread(fd.get(), head, sizeof head, 0);
    if (read < 0) {
        return SystemError(errno, "reading the entry to tell whether it is a link");
    }
    return IsInterixFile(attributes, size, std::string_view(head, static_cast<std::size_t>(read)));
}

// NTFS keeps its own metadata in files named with a '$' in the MFT records below 24 ($MFT,
// $Boot, $Extend ...) and below $Extend ($Quota, $ObjId ...). ntfs-3g lists them when mounted
// with show_sys_files; Windows never does, and they are no user's files to reset.
Result<bool> IsNtfsMetadata(int folder, const std::string& name) {
    constexpr ino_t kRootRecord = 5;
    constexpr ino_t kFirstUserRecord = 24;
    if (name.empty() || name[0] != '$') {
        return false;
    }
    // The folder's own path, to judge the folders it lies in by their names too.
    const std::string link = "/proc/self/fd/" + std::to_string(folder);
    std::string at(PATH_MAX, '\0');
    const ssize_t size = ::readlink(link.c_str(), at.data(), at.size());
    at = size > 0 && at[0] == '/' ? at.substr(0, static_cast<std::size_t>(size)) : link;
    at += "/" + name;
    dev_t volume = 0;
    for (bool first = true;; first = false) {
        const std::string component = LastComponent(at);
        if (component.empty() || component[0] != '$') {
            return false;
        }
        struct stat entry;
        if (::lstat(at.c_str(), &entry) != 0) {
            return SystemError(errno, "looking up the entry");
        }
        if ((!first && entry.st_dev != volume) || entry.st_ino == kRootRecord) {
            return false;
        }
        if (entry.st_ino < kFirstUserRecord) {
            return true;
        }
        volume = entry.st_dev;
        at = ParentOf(at);
    }
}

// What a kernel driver made of a write, through the one name that ntfs3 never takes for
// an extended attribute: a write it stored elsewhere leaves the entry as hidden as it was.
Result<Change> ReadBack(const std::string& path, std::uint32_t before, std::uint32_t wanted) {
    auto read = GetXattr(path, kNtfsAttribNative, 4);
    if (!read) {
        return read.error();
    }
    const auto now = ReadWord32(read.value().bytes);
    if (!now || (*now & kSettableBits) != (wanted & kSettableBits)) {
        return Error{EIO, "The NTFS driver did not change the DOS attributes: " +
                              std::string(kNtfsAttribNative) + " reads \"" +
                              DescribeBytes(read.value().bytes) + "\" after the write"};
    }
    return Change{before & kDosBits, true};
}

}  // namespace

// ntfs-3g gives the 32 bits big-endian (and in host byte order), ntfs3 in host byte order.
Result<Change> SetThroughNtfsAttributes(int folder, const std::string& path,
                                        std::uint32_t attributes, Mechanism mechanism,
                                        bool kernel_driver, bool write) {
    auto metadata = IsNtfsMetadata(folder, path);
    if (!metadata) {
        return metadata.error();
    }
    if (metadata.value()) {
        return Unchanged(0);
    }
    const bool big_endian = mechanism == Mechanism::NtfsAttribBe;
    const char* attribute = big_endian ? kNtfsAttribBe : kNtfsAttribNative;
    auto read = GetXattr(path, attribute, 4);
    if (!read) {
        return read.error();
    }
    if (read.value().absent) {
        return Error{ENOTSUP, std::string(attribute) + " is not available for the entry"};
    }
    const std::string& bytes = read.value().bytes;
    std::optional<std::uint32_t> current;
    if (big_endian) {
        current = DecodeBigEndian32(bytes);
    } else {
        current = ReadWord32(bytes);
    }
    if (!current) {
        return Unreadable(attribute, bytes);
    }
    std::uint32_t wanted = WithSettableBits(*current, attributes);
    auto special = IsInterixSpecialFile(path, *current, kernel_driver);
    if (!special) {
        return special.error();
    }
    if (special.value()) {
        wanted |= *current & files::kSystem;
    }
    if (wanted == *current || !write) {
        return Unchanged(*current);
    }
    const Status written =
        SetXattr(path, attribute, big_endian ? EncodeBigEndian32(wanted) : WriteWord32(wanted), 0);
    if (!written || !kernel_driver) {
        return Written(*current, written);
    }
    return ReadBack(path, *current, wanted);
}

}  // namespace vantrelle::files::posix
