#pragma once

// What FAT and exFAT folders share: 32-byte slots in clusters of a heap, the clusters
// chained by a table, read one sector at a time.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "platform/files/offline/block_device.h"
#include "platform/files/offline/volume.h"

namespace vantrelle::files::offline {

inline constexpr std::size_t kSlotSize = 32;
using Slot = std::array<std::uint8_t, kSlotSize>;

struct Geometry {
    std::uint32_t sector_size = 512;
    std::uint64_t cluster_size = 512;
    std::uint64_t heap_offset = 0;        // device offset of cluster 2
    std::uint32_t cluster_count = 0;      // clusters 2 .. cluster_count + 1
    std::uint64_t fixed_root_offset = 0;  // FAT12/16's root region
    std::uint64_t fixed_root_length = 0;
    std::uint64_t max_folder_bytes = 0;  // what the format allows a folder

    bool IsCluster(std::uint64_t cluster) const {
        return cluster >= 2 && cluster - 2 < cluster_count;
    }
    std::uint64_t OffsetOf(std::uint32_t cluster) const {
        return heap_offset + std::uint64_t{cluster - 2} * cluster_size;
    }
};

// The volume's verdict on its own bytes, with the checker that repairs it.
Error Inconsistent(const std::string& format, const std::string& what);

class ClusterTable {
  public:
    virtual ~ClusterTable() = default;
    // The cluster after `cluster`, nothing at the chain's end; an error for a free, bad
    // or out-of-range link.
    virtual Result<std::optional<std::uint32_t>> Next(std::uint32_t cluster) = 0;
};

// Reads through one sector kept in memory: tables are read a few bytes at a time.
class SectorCache {
  public:
    SectorCache(BlockDevice& device, std::uint32_t sector_size)
        : device_(device), sector_(sector_size) {}
    // `size` bytes at `offset`, which may straddle two sectors.
    Status Read(std::uint64_t offset, std::span<std::uint8_t> into);

  private:
    BlockDevice& device_;
    std::vector<std::uint8_t> sector_;
    std::optional<std::uint64_t> held_;
};

class SlotStream {
  public:
    SlotStream(BlockDevice& device, const Geometry& geometry, ClusterTable& table,
               const FolderPlace& folder, std::string format);

    // The next slot of the folder and its device offset; false after the last one.
    Result<bool> Next(Slot& slot, std::uint64_t& offset);

  private:
    Status Start();
    Result<bool> Advance();  // to the next sector; false at the folder's end

    BlockDevice& device_;
    const Geometry& geometry_;
    ClusterTable& table_;
    FolderPlace folder_;
    std::string format_;
    std::vector<std::uint8_t> sector_;
    std::uint64_t sector_offset_ = 0;
    std::size_t in_sector_ = 0;
    std::uint32_t cluster_ = 0;
    std::uint64_t in_cluster_ = 0;               // bytes of the current cluster read
    std::uint64_t read_ = 0;                     // bytes of the folder read
    std::unordered_set<std::uint32_t> entered_;  // a chain that comes back loops
    bool started_ = false;
    bool loaded_ = false;
};

// Reads the slots at `offsets` (a set listed earlier), one sector read per sector.
Status ReadSlots(BlockDevice& device, std::uint32_t sector_size,
                 const std::vector<std::uint64_t>& offsets, std::vector<Slot>& slots);

// Rewrites the sector holding the slot at `offset` with `slot` in it, after checking
// that the sector still holds `before` there. The file system flushes the device once,
// before the outcome: one flush per entry would cost a stick milliseconds per entry.
Status WriteSlot(BlockDevice& device, std::uint32_t sector_size, std::uint64_t offset,
                 const Slot& before, const Slot& slot);

inline std::uint16_t Le16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t Le32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) |
           (std::uint32_t{p[3]} << 24);
}
inline std::uint64_t Le64(const std::uint8_t* p) {
    return std::uint64_t{Le32(p)} | (std::uint64_t{Le32(p + 4)} << 32);
}

}  // namespace vantrelle::files::offline
