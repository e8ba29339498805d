#pragma once

// A PATH that names an unmounted device or image file instead of a folder: `DEVICE`
// for its root, `DEVICE:/FOLDER` for a folder inside it. A PATH that is a folder keeps its
// meaning; otherwise the first ':' after which PATH's start names a block device or a
// regular file divides DEVICE from FOLDER.

#include <memory>
#include <optional>
#include <string>

#include "platform/files/files.h"

namespace vantrelle::cli {

// The file system over the volume PATH names, or why it is refused (mounted, dirty, not
// FAT or exFAT); nothing when PATH names no device or image, or in a build without the
// offline repair.
std::optional<files::Result<std::unique_ptr<files::FileSystem>>> OpenOfflineTarget(
    const std::string& path);

}  // namespace vantrelle::cli
