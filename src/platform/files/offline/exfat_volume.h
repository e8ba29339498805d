#pragma once

#include <memory>
#include <optional>
#include <span>

#include "platform/files/offline/volume.h"

namespace vantrelle::files::offline {

// The exFAT volume whose boot sector is `boot`; nothing when `boot` names no exFAT.
std::optional<Result<std::unique_ptr<Volume>>> OpenExfatVolume(BlockDevice& device,
                                                               std::span<const std::uint8_t> boot);

// exFAT's 16-bit entry-set checksum over `bytes`, the File entry's own checksum bytes
// (2 and 3) skipped.
std::uint16_t EntrySetChecksum(std::span<const std::uint8_t> bytes);

}  // namespace vantrelle::files::offline
