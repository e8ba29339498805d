#pragma once

// The bytes of an unmounted volume: a block device, an image file, or memory in the
// tests and the fuzzer. Offsets and sizes are in bytes; reading past the end fails.

#include <cstdint>
#include <span>

#include "platform/files/result.h"

namespace vantrelle::files::offline {

class BlockDevice {
  public:
    virtual ~BlockDevice() = default;

    virtual std::uint64_t Size() const = 0;
    virtual Status Read(std::uint64_t offset, std::span<std::uint8_t> into) = 0;
    virtual Status Write(std::uint64_t offset, std::span<const std::uint8_t> bytes) = 0;
    // Returns once what was written is on the device.
    virtual Status Flush() = 0;
};

}  // namespace vantrelle::files::offline
