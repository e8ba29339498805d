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
    NtfsAttribBe,      // ntfs-3g, ntfs3: system.ntfs_attrib_be
    NtfsAttribNative,  // ntfs3 without the former: system.ntfs_attrib, in host byte order
    CifsDosAttrib,     // SMB: user.cifs.dosattrib, which the client sends to the server
    UserDosAttrib,     // any other: user.DOSATTRIB, as Wine and Samba keep it
    Unavailable,       // a volume that keeps DOS attributes its driver cannot change
};

// What a volume offers, and for one that offers nothing why.
struct VolumeMechanism {
    Mechanism mechanism = Mechanism::UserDosAttrib;
    std::string why_unavailable;
};

// What a listing already told about an entry that is not a directory: its type (the
// S_IFMT bits) and the volume of the folder that lists it. A non-directory lies on its
// folder's volume, so it needs no lookup of its own; a directory may be a mount point.
struct ListedEntry {
    mode_t type = 0;
    dev_t volume = 0;
};

class AttributeStore {
  public:
    // Sets the settable attribute bits of the entry `name` of the folder open as `folder`
    // to those of `attributes`, never following a symbolic link. `listed` spares the
    // entry's lstat once the volume has been probed.
    Status Set(int folder, const std::string& name, std::uint32_t attributes,
               const ListedEntry* listed = nullptr);

    // The mechanism the volume of `path` offers; probed on first use of the volume.
    Result<VolumeMechanism> MechanismOf(const std::string& path, const struct stat& entry);

  private:
    Result<VolumeMechanism> Probe(const std::string& path, const struct stat& entry);

    std::unordered_map<dev_t, VolumeMechanism> by_volume_;
};

}  // namespace vantrelle::files::posix
