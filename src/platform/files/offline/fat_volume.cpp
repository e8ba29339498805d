// FAT12, FAT16 and FAT32 from their own bytes. Only the attribute byte of a short entry
// is ever written; long names are read to name the entry, and their checksum covers the
// short name alone, so it stays valid.

#include "platform/files/offline/fat_volume.h"

#include <cerrno>
#include <cstring>

#include "common/wtf8.h"
#include "platform/files/files.h"
#include "platform/files/offline/slot_stream.h"

namespace vantrelle::files::offline {

namespace {

constexpr std::uint8_t kLongNameAttributes = 0x0F;
constexpr std::uint8_t kLongNameMask = 0x3F;
constexpr std::uint8_t kLastLongName = 0x40;
constexpr std::uint8_t kDeleted = 0xE5;
constexpr std::uint32_t kChangeable = kReadOnly | kHidden | kSystem | kArchive;
constexpr std::size_t kMaxLongNameSlots = 20;  // 255 characters, 13 to a slot

// Code page 437 above 0x7F, which DOS and the Linux driver use by default for short names.
constexpr char16_t kCp437High[128] = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF,
    0x00EE, 0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,
    0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA,
    0x00F1, 0x00D1, 0x00AA, 0x00BA, 0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557,
    0x255D, 0x255C, 0x255B, 0x2510, 0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559,
    0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,
    0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4, 0x03A6, 0x0398, 0x03A9, 0x03B4,
    0x221E, 0x03C6, 0x03B5, 0x2229, 0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248,
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0,
};

std::uint8_t ShortNameChecksum(const std::uint8_t* name) {
    std::uint8_t sum = 0;
    for (int i = 0; i < 11; ++i) {
        sum = static_cast<std::uint8_t>(((sum & 1) << 7) + (sum >> 1) + name[i]);
    }
    return sum;
}

// "NAME.EXT" as Windows shows an entry without a long name; the case bits of byte 12
// lower the base or the extension, as Windows NT writes such names.
std::string ShortName(const Slot& slot) {
    auto part = [&](int from, int size, bool lower) {
        std::u16string text;
        for (int i = from; i < from + size; ++i) {
            std::uint8_t c = slot[i];
            if (i == 0 && c == 0x05) {
                c = kDeleted;  // a first byte E5 is stored as 05
            }
            if (lower && c >= 'A' && c <= 'Z') {
                c = static_cast<std::uint8_t>(c - 'A' + 'a');
            }
            text.push_back(c < 0x80 ? char16_t{c} : kCp437High[c - 0x80]);
        }
        while (!text.empty() && text.back() == u' ') {
            text.pop_back();
        }
        return text;
    };
    std::u16string name = part(0, 8, (slot[12] & 0x08) != 0);
    const std::u16string extension = part(8, 3, (slot[12] & 0x10) != 0);
    if (!extension.empty()) {
        name += u'.' + extension;
    }
    return Wtf8FromUtf16(name);
}

bool IsDotEntry(const Slot& slot) {
    return std::memcmp(slot.data(), ".          ", 11) == 0 ||
           std::memcmp(slot.data(), "..         ", 11) == 0;
}

// Turns a folder's slots into entries: long-name slots gather until the short entry
// they belong to, whose checksum they must carry, in order; otherwise the short name is
// the name, as Windows does.
class FatSetDecoder {
  public:
    FatSetDecoder(std::string format, bool fat32) : format_(std::move(format)), fat32_(fat32) {}

    // The entry that `slot` completes, if any. `end` is set at the folder's end marker.
    std::optional<VolumeEntry> Feed(const Slot& slot, std::uint64_t offset, bool& end) {
        end = false;
        if (slot[0] == 0x00) {
            end = true;
            return std::nullopt;
        }
        if (slot[0] == kDeleted) {
            Forget();
            return std::nullopt;
        }
        if ((slot[11] & kLongNameMask) == kLongNameAttributes) {
            TakeLongName(slot, offset);
            return std::nullopt;
        }
        if ((slot[11] & kVolume) != 0) {
            Forget();  // the volume label, never listed
            return std::nullopt;
        }
        VolumeEntry entry;
        entry.attributes = slot[11];
        entry.directory = (slot[11] & kDirectory) != 0;
        entry.dot = IsDotEntry(slot);
        const bool long_name_fits = expected_ == 1 && ShortNameChecksum(slot.data()) == checksum_;
        if (long_name_fits && !entry.dot) {
            std::u16string name;
            for (char16_t c : long_name_) {
                if (c == 0) {
                    break;
                }
                name.push_back(c);
            }
            entry.name = Wtf8FromUtf16(name);
            entry.slots = std::move(long_slots_);
        }
        if (entry.name.empty()) {
            entry.name = entry.dot ? (slot[1] == '.' ? ".." : ".") : ShortName(slot);
            entry.slots.clear();
        }
        Forget();
        entry.slots.push_back(offset);
        const std::uint32_t cluster =
            (fat32_ ? std::uint32_t{Le16(&slot[20])} << 16 : 0) | Le16(&slot[26]);
        entry.contents = FolderPlace{FolderPlace::Kind::Chain, cluster, 0};
        if (slot[0] == '.' && !entry.dot) {
            // Only "." and ".." begin with a dot; anything else is damage, left alone.
            entry.broken = Inconsistent(format_, "a short name begins with a dot");
        } else if (entry.directory && !entry.dot && cluster == 0) {
            entry.broken = Inconsistent(format_, "the folder '" + entry.name + "' has no cluster");
        }
        return entry;
    }

  private:
    void TakeLongName(const Slot& slot, std::uint64_t offset) {
        const std::uint8_t order = slot[0] & 0x1F;
        const bool valid_slot =
            slot[12] == 0 && Le16(&slot[26]) == 0 && order != 0 && order <= kMaxLongNameSlots;
        if (valid_slot && (slot[0] & kLastLongName) != 0) {
            Forget();
            expected_ = order;
            checksum_ = slot[13];
            long_name_.assign(std::size_t{order} * 13, 0);
        } else if (!valid_slot || expected_ < 2 || order != expected_ - 1 ||
                   slot[13] != checksum_ || (slot[0] & kLastLongName) != 0) {
            Forget();
            return;
        } else {
            expected_ = order;
        }
        static constexpr int kPlaces[13] = {1, 3, 5, 7, 9, 14, 16, 18, 20, 22, 24, 28, 30};
        for (int i = 0; i < 13; ++i) {
            long_name_[std::size_t{order - 1u} * 13 + i] = Le16(&slot[kPlaces[i]]);
        }
        long_slots_.push_back(offset);
    }
    void Forget() {
        expected_ = 0;
        long_name_.clear();
        long_slots_.clear();
    }

    std::string format_;
    bool fat32_;
    std::uint8_t expected_ = 0;  // the order of the long-name slot read last; 0: none
    std::uint8_t checksum_ = 0;
    std::u16string long_name_;
    std::vector<std::uint64_t> long_slots_;
};

class FatTable final : public ClusterTable {
  public:
    FatTable(BlockDevice& device, const Geometry& geometry, std::uint64_t offset, int bits,
             std::string format)
        : cache_(device, geometry.sector_size),
          geometry_(geometry),
          offset_(offset),
          bits_(bits),
          format_(std::move(format)) {}

    Result<std::optional<std::uint32_t>> Next(std::uint32_t cluster) override {
        auto value = Entry(cluster);
        if (!value) {
            return value.error();
        }
        const std::uint32_t next = value.value();
        const std::uint32_t end = bits_ == 12 ? 0xFF8 : bits_ == 16 ? 0xFFF8 : 0x0FFFFFF8;
        if (next >= end) {
            return std::optional<std::uint32_t>();
        }
        if (!geometry_.IsCluster(next)) {
            return Inconsistent(format_,
                                "a folder's cluster chain leads to a free, bad or "
                                "nonexistent cluster");
        }
        return std::optional<std::uint32_t>(next);
    }

    Result<std::uint32_t> Entry(std::uint32_t cluster) {
        std::uint8_t bytes[4] = {};
        if (bits_ == 12) {
            if (auto read = cache_.Read(offset_ + cluster + cluster / 2, {bytes, 2}); !read) {
                return read.error();
            }
            const std::uint32_t pair = Le16(bytes);
            return (cluster & 1) ? pair >> 4 : pair & 0xFFF;
        }
        const std::size_t size = bits_ / 8;
        if (auto read = cache_.Read(offset_ + std::uint64_t{cluster} * size, {bytes, size});
            !read) {
            return read.error();
        }
        return bits_ == 16 ? std::uint32_t{Le16(bytes)} : Le32(bytes) & 0x0FFFFFFF;
    }

  private:
    SectorCache cache_;
    const Geometry& geometry_;
    std::uint64_t offset_;
    int bits_;
    std::string format_;
};

class FatCursor final : public FolderCursor {
  public:
    // Each listing reads the table afresh.
    FatCursor(BlockDevice& device, const Geometry& geometry, std::uint64_t fat_offset, int bits,
              const FolderPlace& folder, const std::string& format)
        : table_(device, geometry, fat_offset, bits, format),
          slots_(device, geometry, table_, folder, format),
          decoder_(format, bits == 32) {}

    Result<std::optional<VolumeEntry>> Next() override {
        while (!done_) {
            Slot slot;
            std::uint64_t offset = 0;
            auto more = slots_.Next(slot, offset);
            if (!more) {
                done_ = true;
                return more.error();
            }
            if (!more.value()) {
                break;
            }
            bool end = false;
            auto entry = decoder_.Feed(slot, offset, end);
            if (end) {
                break;
            }
            if (entry) {
                return entry;
            }
        }
        done_ = true;
        return std::optional<VolumeEntry>();
    }

  private:
    FatTable table_;
    SlotStream slots_;
    FatSetDecoder decoder_;
    bool done_ = false;
};

class FatVolume final : public Volume {
  public:
    FatVolume(BlockDevice& device, Geometry geometry, int bits, std::uint64_t fat_offset,
              std::uint32_t root_cluster)
        : device_(device),
          geometry_(geometry),
          bits_(bits),
          format_(bits == 12   ? "FAT12"
                  : bits == 16 ? "FAT16"
                               : "FAT32"),
          fat_offset_(fat_offset),
          root_cluster_(root_cluster) {}

    const char* Format() const override { return format_.c_str(); }
    // FAT[1], which holds the clean-shutdown bit.
    Result<std::uint32_t> SecondFatEntry() {
        return FatTable(device_, geometry_, fat_offset_, bits_, format_).Entry(1);
    }

    FolderPlace Root() const override {
        if (bits_ == 32) {
            return FolderPlace{FolderPlace::Kind::Chain, root_cluster_, 0};
        }
        return FolderPlace{FolderPlace::Kind::FixedRoot, 0, geometry_.fixed_root_length};
    }

    std::unique_ptr<FolderCursor> List(const FolderPlace& folder) override {
        return std::make_unique<FatCursor>(device_, geometry_, fat_offset_, bits_, folder, format_);
    }

    // Windows compares FAT names without regard to case; ASCII letters are what the
    // short names and almost every long name differ in.
    bool SameName(const std::string& a, const std::string& b) const override {
        if (a.size() != b.size()) {
            return false;
        }
        for (std::size_t i = 0; i < a.size(); ++i) {
            auto fold = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; };
            if (fold(a[i]) != fold(b[i])) {
                return false;
            }
        }
        return true;
    }

    Status Verify(const VolumeEntry& listed) override {
        std::vector<Slot> slots;
        return ReadAgain(listed, slots);
    }

    Result<std::uint32_t> Attributes(const VolumeEntry& listed) override {
        if (listed.broken) {
            return *listed.broken;
        }
        std::vector<Slot> slots;
        if (auto same = ReadAgain(listed, slots); !same) {
            return same.error();
        }
        return std::uint32_t{slots.back()[11] & kChangeable};
    }

    Result<std::uint32_t> SetAttributes(const VolumeEntry& listed,
                                        std::uint32_t attributes) override {
        if (listed.dot) {
            return Error{EINVAL, "'.' and '..' are never changed"};
        }
        if (listed.broken) {
            return *listed.broken;
        }
        std::vector<Slot> slots;
        if (auto same = ReadAgain(listed, slots); !same) {
            return same.error();
        }
        const Slot& before = slots.back();
        const std::uint8_t now = before[11];
        const auto wanted =
            static_cast<std::uint8_t>((now & ~kChangeable) | (attributes & kChangeable));
        if (wanted == now) {
            return std::uint32_t{now & kChangeable};
        }
        Slot after = before;
        after[11] = wanted;
        if (auto written =
                WriteSlot(device_, geometry_.sector_size, listed.slots.back(), before, after);
            !written) {
            return written.error();
        }
        return std::uint32_t{now & kChangeable};
    }

  private:
    // The entry's slots as they are now, decoded again: they must give the entry listed.
    Status ReadAgain(const VolumeEntry& listed, std::vector<Slot>& slots) {
        if (listed.slots.empty()) {
            return Error{EINVAL, "The entry was not listed by this volume"};
        }
        if (auto read = ReadSlots(device_, geometry_.sector_size, listed.slots, slots); !read) {
            return read;
        }
        FatSetDecoder decoder(format_, bits_ == 32);
        std::optional<VolumeEntry> now;
        for (std::size_t i = 0; i < slots.size(); ++i) {
            bool end = false;
            now = decoder.Feed(slots[i], listed.slots[i], end);
            if (end || (now && i + 1 != slots.size())) {
                break;
            }
        }
        if (!now || now->name != listed.name || now->directory != listed.directory ||
            now->contents.first_cluster != listed.contents.first_cluster ||
            now->slots != listed.slots) {
            return Error{ESTALE,
                         "the entry's place on the volume no longer holds the entry listed "
                         "(changed since); it is left alone"};
        }
        return Done{};
    }

    BlockDevice& device_;
    Geometry geometry_;
    int bits_;
    std::string format_;
    std::uint64_t fat_offset_;
    std::uint32_t root_cluster_;
};

bool PowerOfTwo(std::uint32_t value) {
    return value != 0 && (value & (value - 1)) == 0;
}

}  // namespace

std::optional<Result<std::unique_ptr<Volume>>> OpenFatVolume(BlockDevice& device,
                                                             std::span<const std::uint8_t> boot) {
    const std::uint8_t* b = boot.data();
    const std::uint32_t sector_size = Le16(b + 11);
    const std::uint32_t sectors_per_cluster = b[13];
    const std::uint32_t reserved = Le16(b + 14);
    const std::uint32_t fats = b[16];
    const std::uint32_t root_entries = Le16(b + 17);
    const bool looks_like_fat = boot.size() >= 512 && b[510] == 0x55 && b[511] == 0xAA &&
                                (b[0] == 0xEB || b[0] == 0xE9) && PowerOfTwo(sector_size) &&
                                sector_size >= 512 && sector_size <= 4096 &&
                                PowerOfTwo(sectors_per_cluster) && reserved != 0 && fats != 0;
    if (!looks_like_fat) {
        return std::nullopt;
    }
    using Opened = Result<std::unique_ptr<Volume>>;
    const std::uint64_t total = Le16(b + 19) != 0 ? Le16(b + 19) : Le32(b + 32);
    const std::uint64_t fat_sectors = Le16(b + 22) != 0 ? Le16(b + 22) : Le32(b + 36);
    const std::uint64_t root_sectors =
        (std::uint64_t{root_entries} * 32 + sector_size - 1) / sector_size;
    const std::uint64_t data_start = reserved + fats * fat_sectors + root_sectors;
    if (fat_sectors == 0 || data_start >= total) {
        return Opened(Inconsistent("FAT", "the boot sector's sizes do not add up"));
    }
    if (total * sector_size > device.Size()) {
        return Opened(Inconsistent("FAT", "the volume is larger than the device holding it"));
    }
    const std::uint64_t clusters = (total - data_start) / sectors_per_cluster;
    const int bits = clusters < 4085 ? 12 : clusters < 65525 ? 16 : 32;
    const std::string format = bits == 12 ? "FAT12" : bits == 16 ? "FAT16" : "FAT32";
    if ((bits == 32) != (root_entries == 0) || (bits == 32 && Le16(b + 22) != 0) ||
        clusters > 0x0FFFFFF5 || fat_sectors * sector_size * 8 < (clusters + 2) * bits) {
        return Opened(Inconsistent(format, "the boot sector's sizes do not fit its type"));
    }

    Geometry geometry;
    geometry.sector_size = sector_size;
    geometry.cluster_size = std::uint64_t{sectors_per_cluster} * sector_size;
    geometry.heap_offset = data_start * sector_size;
    geometry.cluster_count = static_cast<std::uint32_t>(clusters);
    geometry.fixed_root_offset = (reserved + fats * fat_sectors) * sector_size;
    geometry.fixed_root_length = std::uint64_t{root_entries} * 32;
    geometry.max_folder_bytes = 65536 * kSlotSize;  // FAT numbers a folder's slots in 16 bits

    // FAT32 may keep one FAT active and the others stale.
    std::uint64_t active = 0;
    std::uint32_t root_cluster = 0;
    if (bits == 32) {
        const std::uint16_t flags = Le16(b + 40);
        if ((flags & 0x80) != 0) {
            active = flags & 0x0F;
            if (active >= fats) {
                return Opened(Inconsistent(format, "the active FAT does not exist"));
            }
        }
        root_cluster = Le32(b + 44);
        if (!geometry.IsCluster(root_cluster)) {
            return Opened(Inconsistent(format, "the root folder lies outside the volume"));
        }
    }
    const std::uint64_t fat_offset = (reserved + active * fat_sectors) * sector_size;
    auto volume = std::make_unique<FatVolume>(device, geometry, bits, fat_offset, root_cluster);

    // The two marks a driver leaves while the volume is mounted, or after it was pulled
    // out: the boot sector's dirty bit, and the clean-shutdown bit of FAT[1].
    const std::uint8_t state = bits == 32 ? b[0x41] : b[0x25];
    const std::uint8_t signature = bits == 32 ? b[0x42] : b[0x26];
    bool dirty = (signature == 0x28 || signature == 0x29) && (state & 0x01) != 0;
    if (bits != 12) {
        auto second = volume->SecondFatEntry();
        if (!second) {
            return Opened(second.error());
        }
        const std::uint32_t clean_bit = bits == 16 ? 0x8000 : 0x08000000;
        dirty = dirty || (second.value() & clean_bit) == 0;
    }
    if (dirty) {
        return Opened(Error{EBUSY, "The " + format +
                                       " volume is marked dirty: it is mounted, or was not "
                                       "unmounted cleanly. Nothing was written. Check it with "
                                       "fsck.vfat (fsck.vfat -a), then repair it again"});
    }
    return Opened(std::unique_ptr<Volume>(std::move(volume)));
}

}  // namespace vantrelle::files::offline
