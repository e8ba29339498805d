#include "platform/files/posix/attribute_store.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/xattr.h>
#include <unistd.h>

#include "platform/files/files.h"
#include "platform/files/posix/dos_attributes.h"
#include "platform/files/posix/system_error.h"

#ifdef __linux__
#include <linux/msdos_fs.h>
#include <sys/vfs.h>
#endif

namespace vantrelle::files::posix {

namespace {

constexpr const char* kNtfsAttribBe = "system.ntfs_attrib_be";
constexpr const char* kDosAttribByte = "system.dos_attrib";
constexpr const char* kUserDosAttrib = "user.DOSATTRIB";

// Longer than any value Wine or Samba write: a Samba version 3 record is 64 bytes.
constexpr std::size_t kDosAttribLimit = 256;

// Opens the entry itself for an ioctl: never a link's target, never blocking on a FIFO.
int OpenEntry(const std::string& path) {
    return ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
}

class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

  private:
    int fd_;
};

// The value of an extended attribute of the entry itself; `absent` when it has none.
struct XattrValue {
    bool absent = false;
    std::string bytes;
};

Result<XattrValue> GetXattr(const std::string& path, const char* name, std::size_t limit) {
    std::string bytes(limit, '\0');
    const ssize_t size = ::lgetxattr(path.c_str(), name, bytes.data(), bytes.size());
    if (size < 0) {
        const int number = errno;
        if (number == ENODATA || number == ENOTSUP) {
            return XattrValue{true, {}};
        }
        if (number == ERANGE) {
            return Error{number, std::string(name) + " holds a value longer than " +
                                     std::to_string(limit) + " bytes, not DOS attributes"};
        }
        return SystemError(number, std::string("reading ") + name);
    }
    bytes.resize(static_cast<std::size_t>(size));
    return XattrValue{false, std::move(bytes)};
}

Status SetXattr(const std::string& path, const char* name, const std::string& bytes, int flags) {
    if (::lsetxattr(path.c_str(), name, bytes.data(), bytes.size(), flags) != 0) {
        return SystemError(errno, std::string("setting ") + name);
    }
    return Done{};
}

bool HasXattr(const std::string& path, const char* name) {
    char byte[8];
    return ::lgetxattr(path.c_str(), name, byte, sizeof byte) >= 0 || errno == ERANGE;
}

Error Unreadable(const char* name, const std::string& bytes) {
    return Error{EINVAL, std::string(name) + " holds \"" + DescribeBytes(bytes) +
                             "\", which is not a form of DOS attributes this program knows"};
}

Status SetThroughFatIoctl(const std::string& path, const struct stat& entry,
                          std::uint32_t attributes) {
#ifdef FAT_IOCTL_SET_ATTRIBUTES
    if (S_ISLNK(entry.st_mode)) {
        return Done{};  // FAT keeps no links; nothing of the kind to reset
    }
    Descriptor fd(OpenEntry(path));
    if (fd.get() < 0) {
        return SystemError(errno, "opening the entry");
    }
    std::uint32_t current = 0;
    if (::ioctl(fd.get(), FAT_IOCTL_GET_ATTRIBUTES, &current) != 0) {
        return SystemError(errno, "reading the FAT attributes");
    }
    std::uint32_t wanted = WithFatSettableBits(current, attributes);
    if (S_ISDIR(entry.st_mode)) {
        wanted |= 0x10;
    }
    if (wanted != current && ::ioctl(fd.get(), FAT_IOCTL_SET_ATTRIBUTES, &wanted) != 0) {
        return SystemError(errno, "setting the FAT attributes");
    }
    return Done{};
#else
    (void)path;
    (void)entry;
    (void)attributes;
    return Error{ENOTSUP, "FAT attributes are not supported on this system"};
#endif
}

// Links, FIFOs, sockets and devices that NTFS drivers store Interix-style, with no
// reparse point, are told from plain files by their System bit alone: clearing it
// would turn a link into a file holding the link's text.
bool IsInterixSpecialFile(const struct stat& entry, std::uint32_t attributes) {
    constexpr std::uint32_t kReparsePoint = 0x400;
    return !S_ISREG(entry.st_mode) && !S_ISDIR(entry.st_mode) && (attributes & kReparsePoint) == 0;
}

// ntfs-3g and ntfs3 both give the full 32 bits big-endian; ntfs3 is written through
// its one-byte attribute when that loses nothing.
Status SetThroughNtfsAttributes(const std::string& path, const struct stat& entry,
                                std::uint32_t attributes, bool byte_when_possible) {
    auto read = GetXattr(path, kNtfsAttribBe, 4);
    if (!read) {
        return read.error();
    }
    if (read.value().absent) {
        return Error{ENOTSUP, std::string(kNtfsAttribBe) + " is not available for the entry"};
    }
    const auto current = DecodeBigEndian32(read.value().bytes);
    if (!current) {
        return Unreadable(kNtfsAttribBe, read.value().bytes);
    }
    std::uint32_t wanted = WithSettableBits(*current, attributes);
    if (IsInterixSpecialFile(entry, *current)) {
        wanted |= *current & files::kSystem;
    }
    if (wanted == *current) {
        return Done{};
    }
    if (byte_when_possible && FitsDosAttribByte(wanted)) {
        return SetXattr(path, kDosAttribByte, std::string(1, static_cast<char>(wanted)), 0);
    }
    return SetXattr(path, kNtfsAttribBe, EncodeBigEndian32(wanted), 0);
}

Status SetThroughUserDosAttrib(const std::string& path, std::uint32_t attributes) {
    auto read = GetXattr(path, kUserDosAttrib, kDosAttribLimit);
    if (!read) {
        return read.error();
    }
    if (read.value().absent) {
        // No value means Normal to Wine and Samba alike; only a wish for more than
        // Normal needs one, and this program never has that wish on such a volume.
        if ((attributes & kSettableBits) == 0) {
            return Done{};
        }
        return SetXattr(path, kUserDosAttrib, EncodeDosAttrib({}, {}, attributes), 0);
    }
    const auto parsed = ParseDosAttrib(read.value().bytes);
    if (!parsed) {
        return Unreadable(kUserDosAttrib, read.value().bytes);
    }
    const std::uint32_t wanted = WithSettableBits(parsed->attributes, attributes);
    if (wanted == parsed->attributes) {
        return Done{};
    }
    return SetXattr(path, kUserDosAttrib, EncodeDosAttrib(read.value().bytes, *parsed, wanted),
                    XATTR_REPLACE);
}

}  // namespace

Result<Mechanism> AttributeStore::Probe(const std::string& path, const struct stat& entry) {
#ifdef FAT_IOCTL_GET_ATTRIBUTES
    if (S_ISREG(entry.st_mode) || S_ISDIR(entry.st_mode)) {
        Descriptor fd(OpenEntry(path));
        if (fd.get() < 0) {
            // Not knowing the volume, nothing may be assumed of it; a later entry probes.
            return SystemError(errno, "opening the entry");
        }
        std::uint32_t current = 0;
        if (::ioctl(fd.get(), FAT_IOCTL_GET_ATTRIBUTES, &current) == 0) {
            return Mechanism::FatIoctl;
        }
    }
#endif
    // ntfs3 offers both attributes, ntfs-3g only the 32-bit one.
    if (HasXattr(path, kDosAttribByte)) {
        return Mechanism::DosAttribByte;
    }
    if (HasXattr(path, kNtfsAttribBe)) {
        return Mechanism::NtfsAttribBe;
    }
#ifdef __linux__
    // A FAT volume without the ioctls (exFAT before the kernel offered them) holds no
    // user.DOSATTRIB either: resetting there would look like success while every
    // entry stayed hidden.
    constexpr long kMsdosMagic = 0x4d44;
    constexpr long kExfatMagic = 0x2011BAB0;
    struct statfs volume;
    if (::statfs(path.c_str(), &volume) == 0 &&
        (volume.f_type == kMsdosMagic || volume.f_type == kExfatMagic)) {
        return Mechanism::Unavailable;
    }
#endif
    return Mechanism::UserDosAttrib;
}

Result<Mechanism> AttributeStore::MechanismOf(const std::string& path, const struct stat& entry) {
    if (auto known = by_volume_.find(entry.st_dev); known != by_volume_.end()) {
        return known->second;
    }
    auto probed = Probe(path, entry);
    if (probed) {
        by_volume_.emplace(entry.st_dev, probed.value());
    }
    return probed;
}

Status AttributeStore::Set(int folder, const std::string& name, std::uint32_t attributes,
                           const ListedEntry* listed) {
    // The folder's descriptor, seen through /proc, stands for the path that led to it:
    // only the entry's own name is looked up, and it is never followed.
    const std::string path = "/proc/self/fd/" + std::to_string(folder) + "/" + name;
    struct stat entry {};
    if (listed != nullptr && by_volume_.count(listed->volume) != 0) {
        entry.st_mode = listed->type;
        entry.st_dev = listed->volume;
    } else if (::lstat(path.c_str(), &entry) != 0) {
        const int number = errno;
        if (::access("/proc/self/fd", F_OK) != 0) {
            return Error{number, "/proc is not mounted, and entries are reached through it"};
        }
        return SystemError(number, "looking up the entry");
    }
    auto mechanism = MechanismOf(path, entry);
    if (!mechanism) {
        return mechanism.error();
    }
    switch (mechanism.value()) {
        case Mechanism::FatIoctl:
            return SetThroughFatIoctl(path, entry, attributes);
        case Mechanism::NtfsAttribBe:
            return SetThroughNtfsAttributes(path, entry, attributes, false);
        case Mechanism::DosAttribByte:
            return SetThroughNtfsAttributes(path, entry, attributes, true);
        case Mechanism::UserDosAttrib:
            return SetThroughUserDosAttrib(path, attributes);
        case Mechanism::Unavailable:
            return Error{ENOTSUP,
                         "This kernel's driver for the FAT volume cannot change DOS attributes"};
    }
    return Error{EINVAL, "unknown attribute mechanism"};
}

}  // namespace vantrelle::files::posix
