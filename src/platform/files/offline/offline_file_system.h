#pragma once

// The file contract over one unmounted FAT or exFAT volume. The device is named by the
// text the caller gave (`/dev/sdb1`, `stick.img`); a path is that text for the volume's
// root, or that text, ':' and a folder inside it (`/dev/sdb1:/Docs/Old`), compared as the
// volume compares names. Sub-folders are named the same way in the paths the walk shows.

#include <memory>
#include <string>

#include "platform/files/files.h"
#include "platform/files/offline/block_device.h"
#include "platform/files/offline/volume.h"

namespace vantrelle::files::offline {

// The volume on `device`, or why it is refused (not FAT or exFAT, dirty, inconsistent).
Result<std::unique_ptr<FileSystem>> OpenOfflineFileSystem(std::string device_text,
                                                          std::unique_ptr<BlockDevice> device);

}  // namespace vantrelle::files::offline
