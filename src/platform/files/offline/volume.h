#pragma once

// A FAT12/16/32 or exFAT volume read from its own bytes, and the one change made to it:
// an entry's Read-only, Hidden, System and Archive bits. An entry is its position (its
// folder's clusters and its slots there); before it is changed its slots are read again
// and must still hold the entry listed. Whatever the volume holds that is not fully
// understood fails with EBADMSG and nothing is written.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/files/offline/block_device.h"
#include "platform/files/result.h"

namespace vantrelle::files::offline {

// Where a folder's slots lie.
struct FolderPlace {
    enum class Kind { FixedRoot, Chain, Contiguous } kind = Kind::Chain;
    std::uint32_t first_cluster = 0;  // 0 with Chain: an empty folder
    std::uint64_t length = 0;         // bytes; with Chain, 0 means up to the chain's end
};

// An entry as its folder lists it.
struct VolumeEntry {
    std::string name;  // UTF-8; WTF-8 for unpaired surrogates
    std::uint32_t attributes = 0;
    bool directory = false;
    bool dot = false;      // "." or ".." of a FAT folder: listed, never changed
    FolderPlace contents;  // a folder's own slots
    // Device offsets of the entry's slots, in the volume's own order: exFAT's File entry
    // first, FAT's short entry last.
    std::vector<std::uint64_t> slots;
    // Why the entry cannot be changed or entered (a bad checksum ...), when it cannot.
    std::optional<Error> broken;
};

// One pass over a folder's entries.
class FolderCursor {
  public:
    virtual ~FolderCursor() = default;
    // The next entry, or nothing after the last one. After a failure the cursor is done.
    virtual Result<std::optional<VolumeEntry>> Next() = 0;
};

class Volume {
  public:
    virtual ~Volume() = default;

    // "FAT12", "FAT16", "FAT32" or "exFAT".
    virtual const char* Format() const = 0;
    virtual FolderPlace Root() const = 0;
    virtual std::unique_ptr<FolderCursor> List(const FolderPlace& folder) = 0;
    // Whether two names name the same entry on this volume (its case rules).
    virtual bool SameName(const std::string& a, const std::string& b) const = 0;
    // Reads the entry's slots again, checks they still hold `listed`, and sets its bits
    // kReadOnly|kHidden|kSystem|kArchive to those of `attributes`; the file system
    // flushes the device before the outcome. Every other bit, and every other byte, stays.
    // Gives the entry's Read-only, Hidden, System and Archive bits as they were before.
    virtual Result<std::uint32_t> SetAttributes(const VolumeEntry& listed,
                                                std::uint32_t attributes) = 0;
    // Whether the entry's slots still hold `listed`.
    virtual Status Verify(const VolumeEntry& listed) = 0;
    // The entry's Read-only, Hidden, System and Archive bits, its slots read again and
    // checked as a reset checks them; nothing is written.
    virtual Result<std::uint32_t> Attributes(const VolumeEntry& listed) = 0;
};

// The volume on `device`: a FAT or exFAT boot sector whose geometry lies within the
// device, not marked dirty. The device outlives the volume.
Result<std::unique_ptr<Volume>> OpenVolume(BlockDevice& device);

}  // namespace vantrelle::files::offline
