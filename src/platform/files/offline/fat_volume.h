#pragma once

#include <memory>
#include <optional>
#include <span>

#include "platform/files/offline/volume.h"

namespace vantrelle::files::offline {

// The FAT12/16/32 volume whose boot sector is `boot`; nothing when `boot` is no FAT boot
// sector at all.
std::optional<Result<std::unique_ptr<Volume>>> OpenFatVolume(BlockDevice& device,
                                                             std::span<const std::uint8_t> boot);

}  // namespace vantrelle::files::offline
