// Corrupted FAT and exFAT images in memory, walked and reset as the engine would: the
// backend must never crash, and every write must be a whole sector that differs from
// what the device held only in the attribute byte of a FAT short entry, or in the
// attributes and checksum of an exFAT File entry, with the attribute bits cleared and the
// directory bit kept. Every entry reset must list again as a sound entry, now Normal.
//
// Input: a little-endian u32 image size, then runs of (u32 offset, u16 length, bytes)
// written over zeros; seeds/ holds real images in that form (image_to_seed.py).

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/files/offline/offline_file_system.h"

namespace {

using namespace vantrelle::files;

constexpr std::uint64_t kMaxDeclaredSize = 1ull << 30;
constexpr std::size_t kMaxBacking = 4u << 20;
constexpr int kMaxDepth = 6;
constexpr int kMaxEntries = 3000;

[[noreturn]] void Fail(const char* what, std::uint64_t offset) {
    std::fprintf(stderr, "offline volume fuzzer: %s at offset %llu\n", what,
                 static_cast<unsigned long long>(offset));
    std::abort();
}

std::uint32_t Le(const std::uint8_t* p, int bytes) {
    std::uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) {
        value = (value << 8) | p[i];
    }
    return value;
}

// An image that holds bytes up to its last written one and zeros after, up to its size.
struct Image {
    std::uint64_t size = 0;
    std::vector<std::uint8_t> bytes;

    std::uint8_t At(std::uint64_t offset) const {
        return offset < bytes.size() ? bytes[offset] : 0;
    }
};

class RecordingDevice final : public offline::BlockDevice {
  public:
    RecordingDevice(Image& image, bool exfat, int& writes)
        : image_(image), exfat_(exfat), writes_(writes) {}

    std::uint64_t Size() const override { return image_.size; }
    Status Read(std::uint64_t offset, std::span<std::uint8_t> into) override {
        if (offset > image_.size || into.size() > image_.size - offset) {
            return Error{5, "past the end"};
        }
        for (std::size_t i = 0; i < into.size(); ++i) {
            into[i] = image_.At(offset + i);
        }
        return Done{};
    }
    Status Write(std::uint64_t offset, std::span<const std::uint8_t> bytes) override {
        Check(offset, bytes);
        if (offset + bytes.size() > image_.bytes.size()) {
            image_.bytes.resize(offset + bytes.size());
        }
        std::memcpy(image_.bytes.data() + offset, bytes.data(), bytes.size());
        ++writes_;
        return Done{};
    }
    Status Flush() override { return Done{}; }

  private:
    void Check(std::uint64_t offset, std::span<const std::uint8_t> bytes) const {
        const std::size_t size = bytes.size();
        if (size < 512 || size > 4096 || (size & (size - 1)) != 0 || offset % size != 0 ||
            offset + size > image_.size) {
            Fail("a write that is not one whole sector", offset);
        }
        std::int64_t slot = -1;
        for (std::size_t i = 0; i < size; ++i) {
            if (bytes[i] == image_.At(offset + i)) {
                continue;
            }
            const std::int64_t here = static_cast<std::int64_t>(i / 32);
            if (slot >= 0 && slot != here) {
                Fail("a write that changes two slots", offset + i);
            }
            slot = here;
            const std::size_t in_slot = i % 32;
            const bool allowed = exfat_ ? (in_slot >= 2 && in_slot <= 5) : in_slot == 11;
            if (!allowed) {
                Fail("a write outside the attribute and checksum bytes", offset + i);
            }
        }
        if (slot < 0) {
            Fail("a write that changes nothing", offset);
        }
        const std::uint64_t at = offset + static_cast<std::uint64_t>(slot) * 32;
        const std::uint8_t* now = bytes.data() + slot * 32;
        if (exfat_) {
            const std::uint32_t before = image_.At(at + 4) | (image_.At(at + 5) << 8);
            if (now[0] != 0x85 || Le(now + 4, 2) != (before & ~0x27u)) {
                Fail("an exFAT write that is not a File entry's attributes cleared", at);
            }
        } else {
            const std::uint8_t before = image_.At(at + 11);
            if (now[0] == 0 || now[0] == 0xE5 || now[0] == '.' || (before & 0x3F) == 0x0F ||
                (before & 0x08) != 0 || now[11] != (before & ~0x27)) {
                Fail("a FAT write that is not a short entry's attributes cleared", at);
            }
        }
    }

    Image& image_;
    bool exfat_;
    int& writes_;
};

struct Walk {
    FileSystem& fs;
    FileSystemObject& model;
    std::vector<std::pair<std::string, bool>> reset;  // path, and whether it was reset
    int entries = 0;

    void Folder(vantrelle::files::Folder& folder, int depth) {
        auto path = folder.Path();
        auto files = folder.Files();
        if (files) {
            auto pass = files.value()->Enumerate();
            while (pass && entries < kMaxEntries) {
                auto file = pass.value()->Next();
                if (!file || !file.value()) {
                    break;
                }
                ++entries;
                auto name = file.value()->Name();
                reset.emplace_back(path.value() + "/" + name.value(),
                                   fs.SetAttr(*file.value(), kNormal).ok());
            }
        }
        auto sub_folders = folder.SubFolders();
        if (!sub_folders) {
            return;
        }
        auto pass = sub_folders.value()->Enumerate();
        while (pass && entries < kMaxEntries) {
            auto sub = pass.value()->Next();
            if (!sub || !sub.value()) {
                break;
            }
            ++entries;
            auto sub_path = sub.value()->Path();
            reset.emplace_back(sub_path.value(), fs.SetAttr(*sub.value(), kNormal).ok());
            if (depth < kMaxDepth) {
                if (auto opened = model.GetFolder(*sub.value())) {
                    Folder(*opened.value(), depth + 1);
                }
            }
        }
    }
};

std::vector<std::pair<std::string, bool>> WalkAll(FileSystem& fs) {
    auto model = fs.CreateFileSystemObject();
    auto root = model.value()->GetFolder("img");
    if (!root) {
        return {};
    }
    Walk walk{fs, *model.value(), {}, 0};
    walk.Folder(*root.value(), 0);
    return std::move(walk.reset);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) {
        return 0;
    }
    Image image;
    image.size = Le(data, 4);
    if (image.size < 512 || image.size > kMaxDeclaredSize) {
        return 0;
    }
    for (std::size_t at = 4; at + 6 <= size;) {
        const std::uint32_t offset = Le(data + at, 4);
        std::size_t length = Le(data + at + 4, 2);
        at += 6;
        length = std::min(length, size - at);
        if (length > 0 && std::uint64_t{offset} + length <= image.size &&
            offset + length <= kMaxBacking) {
            if (offset + length > image.bytes.size()) {
                image.bytes.resize(offset + length);
            }
            std::memcpy(image.bytes.data() + offset, data + at, length);
        }
        at += length;
    }
    const bool exfat = image.bytes.size() >= 11 && std::memcmp(&image.bytes[3], "EXFAT   ", 8) == 0;

    int writes = 0;
    std::vector<std::pair<std::string, bool>> first;
    {
        auto fs = offline::OpenOfflineFileSystem(
            "img", std::make_unique<RecordingDevice>(image, exfat, writes));
        if (!fs) {
            if (writes != 0) {
                Fail("a refused volume was written", 0);
            }
            return 0;
        }
        // Normal mode on the root, then the recursive walk.
        auto listed =
            fs.value()->Dir("img/", kReadOnly | kHidden | kSystem | kDirectory | kArchive);
        for (int n = 0; listed && !listed.value().name.empty() && n < kMaxEntries; ++n) {
            (void)fs.value()->SetAttr(*listed.value().entry, kNormal);
            listed = fs.value()->Dir();
        }
        first = WalkAll(*fs.value());
    }

    // The same walk again: every entry reset before is sound and Normal, nothing written.
    auto again = offline::OpenOfflineFileSystem(
        "img", std::make_unique<RecordingDevice>(image, exfat, writes));
    if (!again) {
        Fail("a volume that opened before its resets no longer opens", 0);
    }
    const int before = writes;
    const auto second = WalkAll(*again.value());
    if (second.size() != first.size()) {
        Fail("the second walk met another number of entries", second.size());
    }
    for (std::size_t i = 0; i < first.size(); ++i) {
        if (first[i].second && (first[i].first != second[i].first || !second[i].second)) {
            Fail("an entry reset before lists now as another or as unsound", i);
        }
    }
    if (writes != before) {
        Fail("an entry reset before was not Normal", 0);
    }
    return 0;
}
