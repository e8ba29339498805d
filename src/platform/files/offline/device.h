#pragma once

// Block devices and image files on Linux, opened only when no one has them mounted.

#include <memory>
#include <string>

#include "platform/files/offline/block_device.h"

namespace vantrelle::files::offline {

// Opens `path` for reading and writing. A block device is claimed exclusively (O_EXCL),
// which fails while anything has it mounted; an image file is refused while a mount or a
// loop device uses it. A flush is an fdatasync.
Result<std::unique_ptr<BlockDevice>> OpenUnmountedDevice(const std::string& path);

}  // namespace vantrelle::files::offline
