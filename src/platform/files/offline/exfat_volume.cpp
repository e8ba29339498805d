// exFAT from its own bytes. An entry is an entry set (a File entry, its Stream Extension,
// its File Name entries) read whole along the folder's clusters; only the File entry's
// FileAttributes and the set's SetChecksum are ever written.

#include "platform/files/offline/exfat_volume.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "common/wtf8.h"
#include "platform/files/files.h"
#include "platform/files/offline/slot_stream.h"

namespace vantrelle::files::offline {

namespace {

const std::string kFormat = "exFAT";
constexpr std::uint8_t kEndOfFolder = 0x00;
constexpr std::uint8_t kInUse = 0x80;
constexpr std::uint8_t kSecondary = 0x40;
constexpr std::uint8_t kBitmap = 0x81;
constexpr std::uint8_t kUpcase = 0x82;
constexpr std::uint8_t kLabel = 0x83;
constexpr std::uint8_t kFile = 0x85;
constexpr std::uint8_t kStream = 0xC0;
constexpr std::uint8_t kFileName = 0xC1;
constexpr std::uint8_t kBenignSecondaries = 0xE0;  // 0xE0..0xFF: vendor entries, skippable
constexpr std::uint8_t kNoFatChain = 0x02;
constexpr std::uint8_t kAllocationPossible = 0x01;
constexpr std::uint32_t kChangeable = kReadOnly | kHidden | kSystem | kArchive;
constexpr std::uint64_t kMaxFolderBytes = 256ull << 20;  // what the format allows
constexpr std::size_t kBootSectors = 11;                 // then the checksum sector

std::uint32_t BootChecksum(std::span<const std::uint8_t> bytes) {
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i == 106 || i == 107 || i == 112) {
            continue;  // VolumeFlags and PercentInUse change without a new checksum
        }
        sum = ((sum & 1) ? 0x80000000u : 0u) + (sum >> 1) + bytes[i];
    }
    return sum;
}

std::uint32_t TableChecksum(std::span<const std::uint8_t> bytes) {
    std::uint32_t sum = 0;
    for (std::uint8_t byte : bytes) {
        sum = ((sum & 1) ? 0x80000000u : 0u) + (sum >> 1) + byte;
    }
    return sum;
}

class ExfatTable final : public ClusterTable {
  public:
    ExfatTable(BlockDevice& device, const Geometry& geometry, std::uint64_t offset)
        : cache_(device, geometry.sector_size), geometry_(geometry), offset_(offset) {}

    Result<std::optional<std::uint32_t>> Next(std::uint32_t cluster) override {
        std::uint8_t bytes[4];
        if (auto read = cache_.Read(offset_ + std::uint64_t{cluster} * 4, bytes); !read) {
            return read.error();
        }
        const std::uint32_t next = Le32(bytes);
        if (next == 0xFFFFFFFF) {
            return std::optional<std::uint32_t>();
        }
        if (!geometry_.IsCluster(next)) {
            return Inconsistent(kFormat,
                                "a cluster chain leads to a free, bad or nonexistent "
                                "cluster");
        }
        return std::optional<std::uint32_t>(next);
    }

  private:
    SectorCache cache_;
    const Geometry& geometry_;
    std::uint64_t offset_;
};

// The volume's up-case table, which the names are compared through.
class Upcase {
  public:
    char16_t operator()(char16_t c) const { return c < map_.size() ? map_[c] : c; }

    // Expands the table as stored: 0xFFFF then a count stands for that many characters
    // that map to themselves.
    bool Load(std::span<const std::uint8_t> bytes) {
        map_.clear();
        for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
            const char16_t value = Le16(&bytes[i]);
            if (value == 0xFFFF && i + 3 < bytes.size()) {
                const std::size_t run = Le16(&bytes[i + 2]);
                i += 2;
                for (std::size_t k = 0; k < run && map_.size() < 0x10000; ++k) {
                    map_.push_back(static_cast<char16_t>(map_.size()));
                }
            } else if (map_.size() < 0x10000) {
                map_.push_back(value);
            }
        }
        return !map_.empty();
    }

    std::u16string Of(std::u16string_view text) const {
        std::u16string upper(text);
        for (char16_t& c : upper) {
            c = (*this)(c);
        }
        return upper;
    }

  private:
    std::vector<char16_t> map_;
};

std::uint16_t NameHash(const std::u16string& upper) {
    std::uint16_t hash = 0;
    for (char16_t c : upper) {
        for (std::uint8_t byte :
             {static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(c >> 8)}) {
            hash = static_cast<std::uint16_t>(((hash & 1) ? 0x8000 : 0) + (hash >> 1) + byte);
        }
    }
    return hash;
}

// The entry that a File entry's set describes; `broken` says what does not hold.
VolumeEntry DecodeSet(const std::vector<Slot>& set, const Upcase& upcase) {
    VolumeEntry entry;
    const Slot& file = set[0];
    entry.attributes = Le16(&file[4]);
    entry.directory = (entry.attributes & kDirectory) != 0;
    auto broken = [&](const std::string& what) {
        entry.broken = Inconsistent(kFormat, what);
        if (entry.name.empty()) {
            entry.name.push_back('?');  // a name is never empty: that ends a listing
        }
        return entry;
    };
    if (set.size() < 3 || set.size() != std::size_t{file[1]} + 1u) {
        return broken("an entry set is cut short");
    }
    const Slot& stream = set[1];
    if (stream[0] != kStream) {
        return broken("an entry set has no stream extension");
    }
    const std::size_t length = stream[3];
    const std::size_t name_slots = (length + 14) / 15;
    if (length == 0 || name_slots + 2 > set.size()) {
        return broken("an entry set's name does not fit it");
    }
    std::u16string name;
    for (std::size_t i = 0; i < name_slots; ++i) {
        const Slot& part = set[2 + i];
        if (part[0] != kFileName) {
            return broken("an entry set's name is cut short");
        }
        for (std::size_t k = 0; k < 15 && name.size() < length; ++k) {
            name.push_back(Le16(&part[2 + 2 * k]));
        }
    }
    entry.name = Wtf8FromUtf16(name);
    for (std::size_t i = 2 + name_slots; i < set.size(); ++i) {
        if (set[i][0] < kBenignSecondaries) {
            return broken("the entry set of '" + entry.name +
                          "' holds a critical entry this program does not know");
        }
    }
    std::vector<std::uint8_t> bytes(set.size() * kSlotSize);
    for (std::size_t i = 0; i < set.size(); ++i) {
        std::memcpy(&bytes[i * kSlotSize], set[i].data(), kSlotSize);
    }
    if (EntrySetChecksum(bytes) != Le16(&file[2])) {
        return broken("the entry set of '" + entry.name + "' has a wrong checksum");
    }
    if (NameHash(upcase.Of(name)) != Le16(&stream[4])) {
        return broken("the name hash of '" + entry.name + "' does not match its name");
    }
    const bool allocated = (stream[1] & kAllocationPossible) != 0;
    entry.contents.kind =
        (stream[1] & kNoFatChain) ? FolderPlace::Kind::Contiguous : FolderPlace::Kind::Chain;
    entry.contents.first_cluster = allocated ? Le32(&stream[20]) : 0;
    entry.contents.length = allocated ? Le64(&stream[24]) : 0;
    if (entry.directory && allocated && entry.contents.length == 0) {
        entry.contents.first_cluster = 0;
    }
    if (entry.directory && entry.contents.length == 0 && entry.contents.first_cluster == 0) {
        entry.contents.kind = FolderPlace::Kind::Contiguous;
    }
    return entry;
}

class ExfatCursor final : public FolderCursor {
  public:
    // Each listing reads the table afresh.
    ExfatCursor(BlockDevice& device, const Geometry& geometry, std::uint64_t fat_offset,
                const FolderPlace& folder, const Upcase& upcase)
        : table_(device, geometry, fat_offset),
          slots_(device, geometry, table_, folder, kFormat),
          upcase_(upcase) {}

    Result<std::optional<VolumeEntry>> Next() override {
        while (!done_) {
            auto slot = Take();
            if (!slot) {
                done_ = true;
                return slot.error();
            }
            if (!slot.value() || slot.value()->first[0] == kEndOfFolder) {
                break;
            }
            const std::uint8_t type = slot.value()->first[0];
            if ((type & kInUse) == 0 || (type & kSecondary) != 0 || type == kBitmap ||
                type == kUpcase || type == kLabel || (type & 0x20) != 0) {
                continue;  // unused, an orphan secondary, the volume's own or a benign entry
            }
            if (type != kFile) {
                done_ = true;
                return Inconsistent(kFormat,
                                    "a folder holds an entry of a type this program "
                                    "does not know");
            }
            return ReadSet(*slot.value());
        }
        done_ = true;
        return std::optional<VolumeEntry>();
    }

  private:
    using Placed = std::pair<Slot, std::uint64_t>;

    // The File entry's secondaries, read along the chain; one that is not a secondary
    // ends the set early and is read again as what follows it.
    Result<std::optional<VolumeEntry>> ReadSet(const Placed& file) {
        std::vector<Slot> set{file.first};
        std::vector<std::uint64_t> offsets{file.second};
        for (std::size_t i = 0; i < file.first[1]; ++i) {
            auto slot = Take();
            if (!slot) {
                done_ = true;
                return slot.error();
            }
            if (!slot.value()) {
                break;
            }
            const std::uint8_t type = slot.value()->first[0];
            if ((type & (kInUse | kSecondary)) != (kInUse | kSecondary)) {
                held_ = slot.value();
                break;
            }
            set.push_back(slot.value()->first);
            offsets.push_back(slot.value()->second);
        }
        VolumeEntry entry = DecodeSet(set, upcase_);
        entry.slots = std::move(offsets);
        return std::optional<VolumeEntry>(std::move(entry));
    }

    Result<std::optional<Placed>> Take() {
        if (held_) {
            auto slot = std::move(held_);
            held_.reset();
            return slot;
        }
        Placed placed;
        auto more = slots_.Next(placed.first, placed.second);
        if (!more) {
            return more.error();
        }
        return more.value() ? std::optional<Placed>(placed) : std::nullopt;
    }

    ExfatTable table_;
    SlotStream slots_;
    const Upcase& upcase_;
    std::optional<Placed> held_;
    bool done_ = false;
};

class ExfatVolume final : public Volume {
  public:
    ExfatVolume(BlockDevice& device, Geometry geometry, std::uint64_t fat_offset,
                std::uint32_t root_cluster)
        : device_(device),
          geometry_(geometry),
          fat_offset_(fat_offset),
          root_cluster_(root_cluster) {}

    const char* Format() const override { return "exFAT"; }
    FolderPlace Root() const override {
        return FolderPlace{FolderPlace::Kind::Chain, root_cluster_, 0};
    }
    std::unique_ptr<FolderCursor> List(const FolderPlace& folder) override {
        return std::make_unique<ExfatCursor>(device_, geometry_, fat_offset_, folder, upcase_);
    }
    bool SameName(const std::string& a, const std::string& b) const override {
        auto wide_a = Utf16FromWtf8(a);
        auto wide_b = Utf16FromWtf8(b);
        return wide_a && wide_b && upcase_.Of(*wide_a) == upcase_.Of(*wide_b);
    }

    // The up-case table named in the root folder, checked against its checksum.
    Status LoadUpcase() {
        ExfatTable fat(device_, geometry_, fat_offset_);
        SlotStream root(device_, geometry_, fat, Root(), kFormat);
        Slot slot;
        std::uint64_t offset = 0;
        for (;;) {
            auto more = root.Next(slot, offset);
            if (!more) {
                return more.error();
            }
            if (!more.value() || slot[0] == kEndOfFolder) {
                return Inconsistent(kFormat, "the root folder names no up-case table");
            }
            if (slot[0] == kUpcase) {
                break;
            }
        }
        const std::uint64_t length = Le64(&slot[24]);
        if (length == 0 || length > 2 * 0x10000 + 4) {
            return Inconsistent(kFormat, "the up-case table has an impossible size");
        }
        std::vector<std::uint8_t> bytes;
        FolderPlace place{FolderPlace::Kind::Chain, Le32(&slot[20]), length};
        Geometry as_table = geometry_;
        as_table.max_folder_bytes =
            (length + geometry_.cluster_size - 1) / geometry_.cluster_size * geometry_.cluster_size;
        SlotStream table(device_, as_table, fat, place, kFormat);
        Slot part;
        while (bytes.size() < length) {
            auto more = table.Next(part, offset);
            if (!more) {
                return more.error();
            }
            if (!more.value()) {
                return Inconsistent(kFormat, "the up-case table is cut short");
            }
            bytes.insert(bytes.end(), part.begin(), part.end());
        }
        bytes.resize(length);
        if (TableChecksum(bytes) != Le32(&slot[4]) || !upcase_.Load(bytes)) {
            return Inconsistent(kFormat, "the up-case table's checksum is wrong");
        }
        return Done{};
    }

    Status Verify(const VolumeEntry& listed) override {
        std::vector<Slot> set;
        return ReadAgain(listed, set);
    }

    Result<std::uint32_t> Attributes(const VolumeEntry& listed) override {
        if (listed.broken) {
            return *listed.broken;
        }
        std::vector<Slot> set;
        if (auto same = ReadAgain(listed, set); !same) {
            return same.error();
        }
        return std::uint32_t{Le16(&set[0][4]) & kChangeable};
    }

    Result<std::uint32_t> SetAttributes(const VolumeEntry& listed,
                                        std::uint32_t attributes) override {
        if (listed.broken) {
            return *listed.broken;
        }
        std::vector<Slot> set;
        if (auto same = ReadAgain(listed, set); !same) {
            return same.error();
        }
        const Slot before = set[0];
        const std::uint16_t now = Le16(&before[4]);
        const auto wanted =
            static_cast<std::uint16_t>((now & ~kChangeable) | (attributes & kChangeable));
        if (wanted == now) {
            return std::uint32_t{now & kChangeable};
        }
        set[0][4] = static_cast<std::uint8_t>(wanted);
        set[0][5] = static_cast<std::uint8_t>(wanted >> 8);
        std::vector<std::uint8_t> bytes(set.size() * kSlotSize);
        for (std::size_t i = 0; i < set.size(); ++i) {
            std::memcpy(&bytes[i * kSlotSize], set[i].data(), kSlotSize);
        }
        const std::uint16_t checksum = EntrySetChecksum(bytes);
        set[0][2] = static_cast<std::uint8_t>(checksum);
        set[0][3] = static_cast<std::uint8_t>(checksum >> 8);
        if (auto written =
                WriteSlot(device_, geometry_.sector_size, listed.slots[0], before, set[0]);
            !written) {
            return written.error();
        }
        return std::uint32_t{now & kChangeable};
    }

  private:
    Status ReadAgain(const VolumeEntry& listed, std::vector<Slot>& set) {
        if (listed.slots.empty()) {
            return Error{EINVAL, "The entry was not listed by this volume"};
        }
        if (auto read = ReadSlots(device_, geometry_.sector_size, listed.slots, set); !read) {
            return read;
        }
        if (set[0][0] != kFile || std::size_t{set[0][1]} + 1 != set.size()) {
            return Stale();
        }
        const VolumeEntry now = DecodeSet(set, upcase_);
        if (now.broken) {
            return *now.broken;
        }
        if (now.name != listed.name || now.directory != listed.directory ||
            now.contents.first_cluster != listed.contents.first_cluster) {
            return Stale();
        }
        return Done{};
    }
    static Error Stale() {
        return Error{ESTALE,
                     "the entry's place on the volume no longer holds the entry listed "
                     "(changed since); it is left alone"};
    }

    BlockDevice& device_;
    Geometry geometry_;
    std::uint64_t fat_offset_;
    std::uint32_t root_cluster_;
    Upcase upcase_;
};

}  // namespace

std::uint16_t EntrySetChecksum(std::span<const std::uint8_t> bytes) {
    std::uint16_t sum = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i == 2 || i == 3) {
            continue;
        }
        sum = static_cast<std::uint16_t>(((sum & 1) ? 0x8000 : 0) + (sum >> 1) + bytes[i]);
    }
    return sum;
}

std::optional<Result<std::unique_ptr<Volume>>> OpenExfatVolume(BlockDevice& device,
                                                               std::span<const std::uint8_t> boot) {
    if (boot.size() < 512 || std::memcmp(boot.data() + 3, "EXFAT   ", 8) != 0) {
        return std::nullopt;
    }
    using Opened = Result<std::unique_ptr<Volume>>;
    const std::uint8_t* b = boot.data();
    const unsigned sector_shift = b[108];
    const unsigned cluster_shift = b[109];
    const bool zeros = std::all_of(b + 11, b + 64, [](std::uint8_t c) { return c == 0; });
    if (b[510] != 0x55 || b[511] != 0xAA || !zeros || sector_shift < 9 || sector_shift > 12 ||
        sector_shift + cluster_shift > 25 || b[110] < 1 || b[110] > 2 || b[105] != 1) {
        return Opened(Inconsistent(kFormat, "the boot sector is not one this program knows"));
    }
    const std::uint32_t sector_size = 1u << sector_shift;
    std::vector<std::uint8_t> region((kBootSectors + 1) * sector_size);
    if (region.size() > device.Size()) {
        return Opened(Inconsistent(kFormat, "the device is smaller than the boot region"));
    }
    if (auto read = device.Read(0, region); !read) {
        return Opened(read.error());
    }
    const std::uint32_t checksum =
        BootChecksum({region.data(), kBootSectors * std::size_t{sector_size}});
    for (std::size_t i = kBootSectors * sector_size; i < region.size(); i += 4) {
        if (Le32(&region[i]) != checksum) {
            return Opened(Inconsistent(kFormat, "the boot region's checksum is wrong"));
        }
    }

    const std::uint64_t volume_sectors = Le64(b + 72);
    const std::uint64_t fat_offset = Le32(b + 80);
    const std::uint64_t fat_length = Le32(b + 84);
    const std::uint64_t heap = Le32(b + 88);
    const std::uint64_t clusters = Le32(b + 92);
    const std::uint32_t root = Le32(b + 96);
    const std::uint16_t flags = Le16(b + 106);
    const unsigned fats = b[110];
    if (volume_sectors > (device.Size() >> sector_shift) || fat_offset < 24 ||
        fat_offset + fat_length * fats > heap ||
        heap + (clusters << cluster_shift) > volume_sectors ||
        fat_length * sector_size < (clusters + 2) * 4 || clusters == 0 || clusters > 0xFFFFFFF5) {
        return Opened(Inconsistent(kFormat, "the boot sector's geometry does not fit the device"));
    }
    if ((flags & 0x02) != 0) {
        return Opened(Error{EBUSY,
                            "The exFAT volume is marked dirty (VolumeDirty): it is mounted, or "
                            "was not unmounted cleanly. Nothing was written. Check it with "
                            "fsck.exfat (fsck.exfat -y), then repair it again"});
    }
    if ((flags & 0x04) != 0) {
        return Opened(Error{EIO,
                            "The exFAT volume records a media failure (MediaFailure). Nothing "
                            "was written. Check it with fsck.exfat first"});
    }
    Geometry geometry;
    geometry.sector_size = sector_size;
    geometry.cluster_size = std::uint64_t{sector_size} << cluster_shift;
    geometry.heap_offset = heap * sector_size;
    geometry.cluster_count = static_cast<std::uint32_t>(clusters);
    geometry.max_folder_bytes = kMaxFolderBytes;
    if (!geometry.IsCluster(root)) {
        return Opened(Inconsistent(kFormat, "the root folder lies outside the volume"));
    }
    const std::uint64_t active = (fats == 2 && (flags & 0x01) != 0) ? 1 : 0;
    auto volume = std::make_unique<ExfatVolume>(
        device, geometry, (fat_offset + active * fat_length) * sector_size, root);
    if (auto loaded = volume->LoadUpcase(); !loaded) {
        return Opened(loaded.error());
    }
    return Opened(std::unique_ptr<Volume>(std::move(volume)));
}

}  // namespace vantrelle::files::offline
