#include "platform/files/offline/slot_stream.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace vantrelle::files::offline {

Error Inconsistent(const std::string& format, const std::string& what) {
    const std::string checker = format == "exFAT" ? "fsck.exfat" : "fsck.vfat";
    return Error{EBADMSG, "The " + format + " volume is inconsistent: " + what +
                              "; nothing was written here (check the volume with " + checker + ")"};
}

Status SectorCache::Read(std::uint64_t offset, std::span<std::uint8_t> into) {
    const std::uint64_t size = sector_.size();
    std::size_t done = 0;
    while (done < into.size()) {
        const std::uint64_t at = offset + done;
        const std::uint64_t sector = at - at % size;
        if (held_ != sector) {
            held_.reset();
            if (auto read = device_.Read(sector, sector_); !read) {
                return read;
            }
            held_ = sector;
        }
        const std::size_t in = static_cast<std::size_t>(at - sector);
        const std::size_t n = std::min(into.size() - done, sector_.size() - in);
        std::memcpy(into.data() + done, sector_.data() + in, n);
        done += n;
    }
    return Done{};
}

SlotStream::SlotStream(BlockDevice& device, const Geometry& geometry, ClusterTable& table,
                       const FolderPlace& folder, std::string format)
    : device_(device),
      geometry_(geometry),
      table_(table),
      folder_(folder),
      format_(std::move(format)),
      sector_(geometry.sector_size) {}

Status SlotStream::Start() {
    started_ = true;
    const std::uint64_t heap_bytes =
        std::uint64_t{geometry_.cluster_count} * geometry_.cluster_size;
    switch (folder_.kind) {
        case FolderPlace::Kind::FixedRoot:
            sector_offset_ = geometry_.fixed_root_offset;
            folder_.length = geometry_.fixed_root_length;
            return Done{};
        case FolderPlace::Kind::Contiguous: {
            if (folder_.length == 0) {
                return Done{};
            }
            const std::uint64_t clusters =
                (folder_.length + geometry_.cluster_size - 1) / geometry_.cluster_size;
            if (folder_.length > geometry_.max_folder_bytes || folder_.length > heap_bytes ||
                !geometry_.IsCluster(folder_.first_cluster) ||
                !geometry_.IsCluster(folder_.first_cluster + clusters - 1)) {
                return Inconsistent(format_, "a folder's clusters lie outside the volume");
            }
            sector_offset_ = geometry_.OffsetOf(folder_.first_cluster);
            return Done{};
        }
        case FolderPlace::Kind::Chain:
            if (folder_.first_cluster == 0) {
                folder_.length = 0;
                folder_.kind = FolderPlace::Kind::Contiguous;
                return Done{};
            }
            if (!geometry_.IsCluster(folder_.first_cluster)) {
                return Inconsistent(format_, "a folder starts at a cluster outside the volume");
            }
            if (folder_.length > geometry_.max_folder_bytes || folder_.length > heap_bytes) {
                return Inconsistent(format_, "a folder is larger than a folder may be");
            }
            cluster_ = folder_.first_cluster;
            entered_.insert(cluster_);
            sector_offset_ = geometry_.OffsetOf(cluster_);
            return Done{};
    }
    return Done{};
}

Result<bool> SlotStream::Advance() {
    if (folder_.kind != FolderPlace::Kind::Chain || folder_.length != 0) {
        if (read_ >= folder_.length) {
            return false;
        }
    }
    if (loaded_) {
        sector_offset_ += geometry_.sector_size;
        if (folder_.kind == FolderPlace::Kind::Chain) {
            in_cluster_ += geometry_.sector_size;
            if (in_cluster_ == geometry_.cluster_size) {
                auto next = table_.Next(cluster_);
                if (!next) {
                    return next.error();
                }
                if (!next.value()) {
                    return false;
                }
                if (!entered_.insert(*next.value()).second ||
                    entered_.size() * geometry_.cluster_size > geometry_.max_folder_bytes) {
                    return Inconsistent(format_,
                                        "a folder's cluster chain loops or is longer than a "
                                        "folder may be");
                }
                cluster_ = *next.value();
                in_cluster_ = 0;
                sector_offset_ = geometry_.OffsetOf(cluster_);
            }
        }
    }
    if (auto read = device_.Read(sector_offset_, sector_); !read) {
        return read.error();
    }
    loaded_ = true;
    in_sector_ = 0;
    return true;
}

Result<bool> SlotStream::Next(Slot& slot, std::uint64_t& offset) {
    if (!started_) {
        if (auto started = Start(); !started) {
            return started.error();
        }
    }
    if (!loaded_ || in_sector_ == sector_.size()) {
        auto more = Advance();
        if (!more || !more.value()) {
            return more;
        }
    }
    std::memcpy(slot.data(), sector_.data() + in_sector_, kSlotSize);
    offset = sector_offset_ + in_sector_;
    in_sector_ += kSlotSize;
    read_ += kSlotSize;
    return true;
}

Status ReadSlots(BlockDevice& device, std::uint32_t sector_size,
                 const std::vector<std::uint64_t>& offsets, std::vector<Slot>& slots) {
    SectorCache cache(device, sector_size);
    slots.resize(offsets.size());
    for (std::size_t i = 0; i < offsets.size(); ++i) {
        if (auto read = cache.Read(offsets[i], slots[i]); !read) {
            return read;
        }
    }
    return Done{};
}

Status WriteSlot(BlockDevice& device, std::uint32_t sector_size, std::uint64_t offset,
                 const Slot& before, const Slot& slot) {
    std::vector<std::uint8_t> sector(sector_size);
    const std::uint64_t start = offset - offset % sector_size;
    if (auto read = device.Read(start, sector); !read) {
        return read;
    }
    const std::size_t in = static_cast<std::size_t>(offset - start);
    if (std::memcmp(sector.data() + in, before.data(), kSlotSize) != 0) {
        return Error{ESTALE,
                     "the entry changed on the device while it was being reset; it is left "
                     "alone"};
    }
    std::memcpy(sector.data() + in, slot.data(), kSlotSize);
    return device.Write(start, sector);
}

}  // namespace vantrelle::files::offline
