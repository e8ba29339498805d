#include "platform/files/posix/attribute_store.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/sysmacros.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <climits>
#include <cstring>
#include <fstream>
#include <optional>
#include <sstream>

#include "platform/files/files.h"
#include "platform/files/posix/dos_attributes.h"
#include "platform/files/posix/folder_chain.h"
#include "platform/files/posix/interix_file.h"
#include "platform/files/posix/system_error.h"

#ifdef __linux__
#include <linux/msdos_fs.h>
#include <sys/vfs.h>

#include "platform/files/posix/last_component.h"
#include "platform/files/posix/volume_kind.h"
#endif

namespace vantrelle::files::posix {

namespace {

constexpr const char* kNtfsAttribBe = "system.ntfs_attrib_be";
constexpr const char* kNtfsAttribNative = "system.ntfs_attrib";
constexpr const char* kDosAttribByte = "system.dos_attrib";
constexpr const char* kCifsDosAttrib = "user.cifs.dosattrib";
constexpr const char* kUserDosAttrib = "user.DOSATTRIB";

// What SMB takes for "no attribute at all": a zero would mean "leave them as they are".
constexpr std::uint32_t kFileAttributeNormal = 0x80;

// Opens the entry itself for an ioctl: never a link's target, never blocking on a FIFO.
int OpenEntry(const std::string& path) {
    return ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
}

// The value of an extended attribute of the entry itself; `absent` when it has none.
struct XattrValue {
    bool absent = false;
    std::string bytes;
};

Result<XattrValue> GetXattr(const std::string& path, const char* name, std::size_t limit) {
    // Most values are a few bytes: a buffer on the stack spares a large allocation.
    char usual[256];
    std::string large;
    char* buffer = usual;
    if (limit > sizeof usual) {
        large.resize(limit);
        buffer = large.data();
    }
    const ssize_t size = ::lgetxattr(path.c_str(), name, buffer, limit);
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
    return XattrValue{false, std::string(buffer, static_cast<std::size_t>(size))};
}

Status SetXattr(const std::string& path, const char* name, const std::string& bytes, int flags) {
    if (::lsetxattr(path.c_str(), name, bytes.data(), bytes.size(), flags) != 0) {
        return SystemError(errno, std::string("setting ") + name);
    }
    return Done{};
}

// The whole value, however long: Samba's records can carry a name. Wine's values and
// most records fit the first read, which spares asking for the size.
Result<XattrValue> GetWholeXattr(const std::string& path, const char* name) {
    constexpr std::size_t kUsualLimit = 256;
    if (auto usual = GetXattr(path, name, kUsualLimit); usual || usual.error().number != ERANGE) {
        return usual;
    }
    for (;;) {
        const ssize_t size = ::lgetxattr(path.c_str(), name, nullptr, 0);
        if (size < 0) {
            if (errno == ENODATA || errno == ENOTSUP) {
                return XattrValue{true, {}};
            }
            return SystemError(errno, std::string("reading ") + name);
        }
        if (size == 0) {
            return XattrValue{false, {}};
        }
        auto read = GetXattr(path, name, static_cast<std::size_t>(size));
        // It grew between the two calls: ask for its size again.
        if (read || read.error().number != ERANGE) {
            return read;
        }
    }
}

bool HasXattr(const std::string& path, const char* name) {
    char byte[8];
    return ::lgetxattr(path.c_str(), name, byte, sizeof byte) >= 0 || errno == ERANGE;
}

constexpr std::uint32_t kDosBits = kReadOnly | kHidden | kSystem | kArchive;

// Nothing to write: the entry had `before`.
Change Unchanged(std::uint32_t before) {
    return Change{before & kDosBits, false};
}

// A write done over `before`, or the error it failed with.
Result<Change> Written(std::uint32_t before, const Status& written) {
    if (!written) {
        return written.error();
    }
    return Change{before & kDosBits, true};
}

Error Unreadable(const char* name, const std::string& bytes) {
    return Error{EINVAL, std::string(name) + " holds \"" + DescribeBytes(bytes) +
                             "\", which is not a form of DOS attributes this program knows"};
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

std::string ParentOf(const std::string& path) {
    const std::size_t end = path.find_last_not_of('/');
    const std::size_t slash = end == std::string::npos ? std::string::npos : path.rfind('/', end);
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
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
    std::uint32_t now = 0;
    if (read.value().bytes.size() == 4) {
        std::memcpy(&now, read.value().bytes.data(), sizeof now);
    }
    if (read.value().bytes.size() != 4 || (now & kSettableBits) != (wanted & kSettableBits)) {
        return Error{EIO, "The NTFS driver did not change the DOS attributes: " +
                              std::string(kNtfsAttribNative) + " reads \"" +
                              DescribeBytes(read.value().bytes) + "\" after the write"};
    }
    return Change{before & kDosBits, true};
}

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
    } else if (bytes.size() == 4) {
        std::uint32_t native;
        std::memcpy(&native, bytes.data(), sizeof native);
        current = native;
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
    Status written = Done{};
    if (big_endian) {
        written = SetXattr(path, attribute, EncodeBigEndian32(wanted), 0);
    } else {
        std::string native(4, '\0');
        std::memcpy(native.data(), &wanted, sizeof wanted);
        written = SetXattr(path, attribute, native, 0);
    }
    if (!written || !kernel_driver) {
        return Written(*current, written);
    }
    return ReadBack(path, *current, wanted);
}

// The SMB client sends the word to the server and keeps what it sent; read back, it shows
// whether the server took it.
Result<Change> SetThroughCifsDosAttrib(const std::string& path, std::uint32_t attributes,
                                      bool write) {
    auto read = GetXattr(path, kCifsDosAttrib, 4);
    if (!read) {
        return read.error();
    }
    if (read.value().absent || read.value().bytes.size() != 4) {
        return Unreadable(kCifsDosAttrib, read.value().bytes);
    }
    std::uint32_t current;
    std::memcpy(&current, read.value().bytes.data(), sizeof current);
    std::uint32_t wanted = WithSettableBits(current, attributes);
    if (wanted == current || !write) {
        return Unchanged(current);
    }
    const std::uint32_t sent = wanted == 0 ? kFileAttributeNormal : wanted;
    std::string bytes(4, '\0');
    std::memcpy(bytes.data(), &sent, sizeof sent);
    if (auto set = SetXattr(path, kCifsDosAttrib, bytes, 0); !set) {
        return set.error();
    }
    auto check = GetXattr(path, kCifsDosAttrib, 4);
    std::uint32_t now = current;
    if (check && check.value().bytes.size() == 4) {
        std::memcpy(&now, check.value().bytes.data(), sizeof now);
    }
    if ((now & kSettableBits) != (wanted & kSettableBits)) {
        return Error{EIO, "The SMB server did not change the DOS attributes"};
    }
    return Change{current & kDosBits, true};
}

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
    return Written(parsed->attributes, SetXattr(path, kUserDosAttrib,
                            EncodeDosAttrib(read.value().bytes, *parsed, wanted), XATTR_REPLACE));
}

#ifdef __linux__
// The type /proc/self/mountinfo gives the mount of `device`; "" when it is not listed.
std::string MountTypeOfDevice(dev_t device) {
    std::ifstream file("/proc/self/mountinfo");
    std::stringstream text;
    text << file.rdbuf();
    return MountTypeOf(text.str(), major(device), minor(device)).value_or(std::string());
}
#endif

}  // namespace

Result<VolumeMechanism> AttributeStore::Probe(const std::string& path, const struct stat& entry) {
#ifdef FAT_IOCTL_GET_ATTRIBUTES
    if (S_ISREG(entry.st_mode) || S_ISDIR(entry.st_mode)) {
        Descriptor fd(OpenEntry(path));
        if (fd.get() < 0) {
            // Not knowing the volume, nothing may be assumed of it; a later entry probes.
            return SystemError(errno, "opening the entry");
        }
        std::uint32_t current = 0;
        if (::ioctl(fd.get(), FAT_IOCTL_GET_ATTRIBUTES, &current) == 0) {
            return VolumeMechanism{Mechanism::FatIoctl, {}};
        }
    }
#endif
#ifdef __linux__
    // A link's own volume is its folder's; statfs would follow it.
    struct statfs volume {};
    const std::string on_volume = S_ISDIR(entry.st_mode) ? path : ParentOf(path);
    if (::statfs(on_volume.c_str(), &volume) != 0) {
        return SystemError(errno, "asking the entry's volume what it is");
    }
    const long magic = static_cast<long>(volume.f_type);
    const std::string type = MountTypeOfDevice(entry.st_dev);
    // On ntfs3 6.1 a system.ntfs_attrib_be is an ordinary extended attribute that some
    // tool wrote there, not the attributes: only system.ntfs_attrib is asked.
    if (IsNtfs3Volume(magic, type)) {
        if (HasXattr(path, kNtfsAttribNative)) {
            return VolumeMechanism{Mechanism::NtfsAttribNative, {}, true};
        }
    } else {
        // The 32 bits where they are offered: the byte would erase those above it.
        const bool kernel_driver = !IsFuseVolume(magic, type);
        if (HasXattr(path, kNtfsAttribBe)) {
            return VolumeMechanism{Mechanism::NtfsAttribBe, {}, kernel_driver};
        }
        if (HasXattr(path, kNtfsAttribNative)) {
            return VolumeMechanism{Mechanism::NtfsAttribNative, {}, kernel_driver};
        }
    }
    if (HasXattr(path, kDosAttribByte)) {
        return VolumeMechanism{Mechanism::Unavailable,
                               "This ntfs3 driver offers only system.dos_attrib, whose one byte "
                               "would erase the attributes above it (compressed, sparse ...)"};
    }
    if (IsSmbVolume(magic, type) && HasXattr(path, kCifsDosAttrib)) {
        return VolumeMechanism{Mechanism::CifsDosAttrib, {}};
    }
    // A volume that keeps DOS attributes of its own holds no user.DOSATTRIB: resetting
    // that would look like success while every entry stayed hidden.
    if (auto why = WhyAttributesAreOutOfReach(magic, type)) {
        return VolumeMechanism{Mechanism::Unavailable, *why};
    }
#else
    if (HasXattr(path, kNtfsAttribBe)) {
        return VolumeMechanism{Mechanism::NtfsAttribBe, {}};
    }
    if (HasXattr(path, kNtfsAttribNative)) {
        return VolumeMechanism{Mechanism::NtfsAttribNative, {}};
    }
#endif
    return VolumeMechanism{Mechanism::UserDosAttrib, {}};
}

Result<VolumeMechanism> AttributeStore::MechanismOf(const std::string& path,
                                                    const struct stat& entry) {
    if (auto known = by_volume_.find(entry.st_dev); known != by_volume_.end()) {
        return known->second;
    }
    auto probed = Probe(path, entry);
    if (probed) {
        by_volume_.emplace(entry.st_dev, probed.value());
    }
    return probed;
}

Result<Change> AttributeStore::Set(int folder, dev_t folder_volume, const std::string& name,
                                   const struct stat& entry, std::uint32_t attributes,
                                   bool write) {
    Result<VolumeMechanism> mechanism = Error{};
    struct stat here {};
    if (entry.st_dev == folder_volume && by_volume_.count(entry.st_dev) == 0 &&
        ::fstat(folder, &here) == 0) {
        mechanism = MechanismOf(".", here);
    }
    if (!mechanism) {
        mechanism = MechanismOf(name, entry);
    }
    if (!mechanism) {
        return mechanism.error();
    }
    switch (mechanism.value().mechanism) {
        case Mechanism::FatIoctl:
            return SetThroughFatIoctl(name, entry, attributes, write);
        case Mechanism::NtfsAttribBe:
        case Mechanism::NtfsAttribNative:
            return SetThroughNtfsAttributes(folder, name, attributes, mechanism.value().mechanism,
                                            mechanism.value().kernel_driver, write);
        case Mechanism::CifsDosAttrib:
            return SetThroughCifsDosAttrib(name, attributes, write);
        case Mechanism::UserDosAttrib:
            return SetThroughUserDosAttrib(name, attributes, write);
        case Mechanism::Unavailable:
            return Error{ENOTSUP, mechanism.value().why_unavailable};
    }
    return Error{EINVAL, "unknown attribute mechanism"};
}

}  // namespace vantrelle::files::posix
