#pragma once

// Telling a volume that keeps DOS attributes of its own, but offers no way to set them,
// from one that keeps none: by what the mount is (its statfs magic and its type in
// /proc/self/mountinfo). Pure functions, so that each kind is tested without its driver.

#include <optional>
#include <string>

namespace vantrelle::files::posix {

// The file-system type of the mount of the device `major:minor` in the text of a
// mountinfo file ("fuseblk", "fuse.fusefat", "vfat" ...), nullopt when none is listed.
std::optional<std::string> MountTypeOf(const std::string& mountinfo, unsigned major,
                                       unsigned minor);

// Whether the volume is an SMB share, which keeps DOS attributes on its server.
bool IsSmbVolume(long magic, const std::string& type);

// Whether the volume is mounted by the kernel's ntfs3, which takes any system.* name it
// does not know for an NTFS extended attribute of that name (6.1 has no
// system.ntfs_attrib_be): only system.ntfs_attrib reaches the attributes there.
bool IsNtfs3Volume(long magic, const std::string& type);

// Whether a FUSE daemon answers the volume's extended attributes (ntfs-3g's
// system.ntfs_attrib_be is its own, never an extended attribute of the volume).
bool IsFuseVolume(long magic, const std::string& type);

// Why the volume's DOS attributes cannot be changed here, for a volume whose driver offered
// none of the ways this program knows; nullopt for a volume that keeps no DOS attributes
// of its own (ext4, tmpfs, sshfs ...), where user.DOSATTRIB stands in for them.
std::optional<std::string> WhyAttributesAreOutOfReach(long magic, const std::string& type);

}  // namespace vantrelle::files::posix
