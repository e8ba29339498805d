// The probe that learns each volume's mechanism, and the reset through it; each
// mechanism lives in a file of its own (attribute_mechanisms.h).

#include "platform/files/posix/attribute_store.h"

#include <sys/ioctl.h>
#include <sys/sysmacros.h>

#include <cerrno>
#include <fstream>
#include <sstream>

#include "platform/files/posix/attribute_mechanisms.h"
#include "platform/files/posix/folder_chain.h"
#include "platform/files/posix/system_error.h"

#ifdef __linux__
#include <linux/msdos_fs.h>
#include <sys/vfs.h>

#include "platform/files/posix/volume_kind.h"
#endif

namespace vantrelle::files::posix {

namespace {

constexpr const char* kDosAttribByte = "system.dos_attrib";

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

Result<const VolumeMechanism*> AttributeStore::MechanismOf(const std::string& path,
                                                           const struct stat& entry) {
    // A walk meets one volume for thousands of entries: the last one answers first.
    if (last_ != nullptr && last_device_ == entry.st_dev) {
        return last_;
    }
    auto known = by_volume_.find(entry.st_dev);
    if (known == by_volume_.end()) {
        auto probed = Probe(path, entry);
        if (!probed) {
            return probed.error();
        }
        known = by_volume_.emplace(entry.st_dev, std::move(probed.value())).first;
    }
    last_device_ = entry.st_dev;
    last_ = &known->second;  // nodes of an unordered_map stay where they are
    return last_;
}

Result<Change> AttributeStore::Set(int folder, dev_t folder_volume, const std::string& name,
                                   const struct stat& entry, std::uint32_t attributes, bool write) {
    Result<const VolumeMechanism*> mechanism = Error{};
    struct stat here {};
    if (entry.st_dev == folder_volume && (last_ == nullptr || last_device_ != entry.st_dev) &&
        by_volume_.count(entry.st_dev) == 0 && ::fstat(folder, &here) == 0) {
        mechanism = MechanismOf(".", here);
    }
    if (!mechanism) {
        mechanism = MechanismOf(name, entry);
    }
    if (!mechanism) {
        return mechanism.error();
    }
    const VolumeMechanism& volume = *mechanism.value();
    switch (volume.mechanism) {
        case Mechanism::FatIoctl:
            return SetThroughFatIoctl(name, entry, attributes, write);
        case Mechanism::NtfsAttribBe:
        case Mechanism::NtfsAttribNative:
            return SetThroughNtfsAttributes(folder, name, attributes, volume.mechanism,
                                            volume.kernel_driver, write);
        case Mechanism::CifsDosAttrib:
            return SetThroughCifsDosAttrib(name, attributes, write);
        case Mechanism::UserDosAttrib:
            return SetThroughUserDosAttrib(name, attributes, write);
        case Mechanism::Unavailable:
            return Error{ENOTSUP, volume.why_unavailable};
    }
    return Error{EINVAL, "unknown attribute mechanism"};
}

}  // namespace vantrelle::files::posix
