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
    FatIoctl,       // vfat, exFAT: FAT_IOCTL_GET/SET_ATTRIBUTES
    NtfsAttribBe,   // ntfs-3g: system.ntfs_attrib_be
    DosAttribByte,  // ntfs3: system.dos_attrib
    UserDosAttrib,  // any other: user.DOSATTRIB, as Wine and Samba keep it
};

class AttributeStore {
  public:
    // Sets the settable attribute bits of the entry at `path` to those of `attributes`,
    // never following a symbolic link.
    Status Set(const std::string& path, std::uint32_t attributes);

    // The mechanism the volume of `path` offers; probed on first use of the volume.
    Result<Mechanism> MechanismOf(const std::string& path, const struct stat& entry);

  private:
    Result<Mechanism> Probe(const std::string& path, const struct stat& entry);

    std::unordered_map<dev_t, Mechanism> by_volume_;
};

}  // namespace vantrelle::files::posix
