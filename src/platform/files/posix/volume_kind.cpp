#include "platform/files/posix/volume_kind.h"

#include <sstream>

namespace vantrelle::files::posix {

namespace {

constexpr long kMsdosMagic = 0x4d44;
constexpr long kExfatMagic = 0x2011BAB0;
constexpr long kOldNtfsMagic = 0x5346544e;  // the read-only ntfs driver
constexpr long kNtfs3Magic = 0x7366746e;
constexpr long kIso9660Magic = 0x9660;
constexpr long kUdfMagic = 0x15013346;
constexpr long kSquashfsMagic = 0x73717368;
constexpr long kFuseMagic = 0x65735546;
constexpr long kSmbMagic = 0x517B;
constexpr long kCifsMagic = 0xFF534D42;
constexpr long kSmb2Magic = 0xFE534D42;

bool StartsWith(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}

}  // namespace

std::optional<std::string> MountTypeOf(const std::string& mountinfo, unsigned major,
                                       unsigned minor) {
    const std::string device = std::to_string(major) + ":" + std::to_string(minor);
    std::istringstream lines(mountinfo);
    std::string line;
    while (std::getline(lines, line)) {
        // ID PARENT MAJOR:MINOR ROOT MOUNT-POINT OPTIONS [OPTIONAL...] - TYPE SOURCE ...
        std::istringstream fields(line);
        std::string id, parent, numbers;
        if (!(fields >> id >> parent >> numbers) || numbers != device) {
            continue;
        }
        const std::size_t separator = line.find(" - ");
        if (separator == std::string::npos) {
            continue;
        }
        std::istringstream rest(line.substr(separator + 3));
        std::string type;
        if (rest >> type) {
            return type;
        }
    }
    return std::nullopt;
}

bool IsSmbVolume(long magic, const std::string& type) {
    return magic == kSmbMagic || magic == kCifsMagic || magic == kSmb2Magic || type == "cifs" ||
           type == "smb3";
}

bool IsNtfs3Volume(long magic, const std::string& type) {
    return magic == kNtfs3Magic || type == "ntfs3";
}

bool IsFuseVolume(long magic, const std::string& type) {
    return magic == kFuseMagic || type == "fuse" || StartsWith(type, "fuse.") ||
           type == "fuseblk" || StartsWith(type, "fuseblk.");
}

std::optional<std::string> WhyAttributesAreOutOfReach(long magic, const std::string& type) {
    if (magic == kMsdosMagic || magic == kExfatMagic || type == "exfat" || type == "vfat" ||
        type == "msdos") {
        return "The kernel's driver for this FAT or exFAT volume cannot change DOS attributes";
    }
    if (magic == kOldNtfsMagic || type == "ntfs") {
        return "The kernel's read-only ntfs driver cannot change DOS attributes; mount the volume "
               "with ntfs-3g or ntfs3";
    }
    // ISO 9660 and UDF keep a hidden flag in every entry, which no Linux call changes.
    if (magic == kIso9660Magic || type == "iso9660") {
        return "ISO 9660 volumes (CDs, DVDs and their images) are read-only: the hidden flags "
               "of their entries cannot be changed";
    }
    if (magic == kUdfMagic || type == "udf") {
        return "The kernel's udf driver offers no way to change the hidden flags of UDF entries";
    }
    if (magic == kSquashfsMagic || type == "squashfs") {
        return "squashfs volumes are read-only: the attributes of their entries cannot be "
               "changed";
    }
    if (IsNtfs3Volume(magic, type)) {
        return "The kernel's ntfs3 driver offers no way to change DOS attributes here "
               "(system.ntfs_attrib)";
    }
    if (IsSmbVolume(magic, type)) {
        return "This SMB mount offers no way to change DOS attributes (user.cifs.dosattrib)";
    }
    // FUSE on a block device is how FAT, exFAT and NTFS are mounted through FUSE;
    // ntfs-3g, which offers the attributes, was recognised by them before.
    if (IsFuseVolume(magic, type) &&
        (type == "fuseblk" || StartsWith(type, "fuseblk.") || type == "fuse.fusefat" ||
         type == "fuse.exfat" || type == "fuse.exfat-fuse" || type == "fuse.ntfs" ||
         type == "fuse.ntfs-3g" || type == "fuse.lowntfs-3g")) {
        return "This FUSE driver of a FAT, exFAT or NTFS volume (" + type +
               ") cannot change DOS attributes; mount the volume with the kernel's own driver";
    }
    return std::nullopt;
}

}  // namespace vantrelle::files::posix
