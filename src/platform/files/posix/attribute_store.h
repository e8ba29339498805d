#pragma once

// Reads and writes the DOS attributes of entries on whatever Linux file system holds
// them, choosing once per volume the mechanism that volume offers.

#include <sys/stat.h>
#include <sys/types.h>

#include <cstdint>
#include <string>
#include <unordered_map>

#include "platform/files/result.h"

namespace vantrelle::files::posix {

enum class Mechanism {
    FatIoctl,          // vfat, msdos, exFAT where offered: FAT_IOCTL_GET/SET_ATTRIBUTES
    NtfsAttribBe,      // ntfs-3g: system.ntfs_attrib_be
    NtfsAttribNative,  // ntfs3: system.ntfs_attrib, in host byte order
    CifsDosAttrib,     // SMB: user.cifs.dosattrib, which the client sends to the server
    UserDosAttrib,     // any other: user.DOSATTRIB, as Wine and Samba keep it
    Unavailable,       // a volume that keeps DOS attributes its driver cannot change
};

// What a volume offers, and for one that offers nothing why.
struct VolumeMechanism {
    Mechanism mechanism = Mechanism::UserDosAttrib;
    std::string why_unavailable;
    // The NTFS attributes through a kernel driver, which may have stored a write under a
    // name it does not know as an extended attribute: each write is read back. It shows
    // ntfs-3g's Interix links and FIFOs as plain files: their contents tell them.
    bool kernel_driver = false;
};

// What a reset came to: the entry's Read-only, Hidden, System and Archive bits before
// it, and whether it needed a write (an entry already as wished needs none).
struct Change {
    std::uint32_t before = 0;
    bool written = false;
};

class AttributeStore {
  public:
    // Sets the settable attribute bits of the entry `name` of the folder open as `folder`,
    // which is the working folder, to those of `attributes`, never following a link.
    // `entry` is what lstat gave of the entry, `folder_volume` the folder's device. Each
    // volume's mechanism is learned once: from the folder itself for the entries on its
    // volume, so that an entry that cannot be opened fails alone; from the entry for a
    // volume mounted on it.
    // With `write` false, only reads: what the entry has, as `before`.
    Result<Change> Set(int folder, dev_t folder_volume, const std::string& name,
                       const struct stat& entry, std::uint32_t attributes, bool write = true);

  private:
    Result<VolumeMechanism> Probe(const std::string& path, const struct stat& entry);
    Result<const VolumeMechanism*> MechanismOf(const std::string& path, const struct stat& entry);

    std::unordered_map<dev_t, VolumeMechanism> by_volume_;
    dev_t last_device_ = 0;
    const VolumeMechanism* last_ = nullptr;
};

}  // namespace vantrelle::files::posix
