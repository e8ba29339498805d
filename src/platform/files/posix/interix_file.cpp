#include "platform/files/posix/interix_file.h"

namespace vantrelle::files::posix {

namespace {

constexpr std::uint32_t kHidden = 0x2;
constexpr std::uint32_t kSystem = 0x4;
constexpr std::uint32_t kReparsePoint = 0x400;
constexpr std::uint32_t kEncrypted = 0x4000;  // unreadable to ntfs-3g as to ntfs3

constexpr std::string_view kSymbolicLink("IntxLNK\1", 8);
constexpr std::string_view kCharacterDevice("IntxCHR\0", 8);
constexpr std::string_view kBlockDevice("IntxBLK\0", 8);
// A device holds its major and minor number after the magic, 64 bits each; a link, its
// target in UTF-16, at most PATH_MAX characters.
constexpr std::uint64_t kDeviceSize = 8 + 16;
constexpr std::uint64_t kLargestLink = 8 + 2 * 4096;

bool Marked(std::uint32_t attributes) {
    return (attributes & kSystem) != 0 && (attributes & (kReparsePoint | kEncrypted)) == 0;
}

}  // namespace

bool InterixFileNeedsHead(std::uint32_t attributes, std::uint64_t size) {
    return Marked(attributes) && size > kInterixHeadSize && size <= kLargestLink;
}

bool IsInterixFile(std::uint32_t attributes, std::uint64_t size, std::string_view head) {
    if (!Marked(attributes)) {
        return false;
    }
    // A FIFO is empty, a socket one byte long; ntfs-3g takes a hidden file for neither.
    if ((attributes & kHidden) == 0 && size <= 1) {
        return true;
    }
    if (!InterixFileNeedsHead(attributes, size) || head.size() < kInterixHeadSize) {
        return false;
    }
    const std::string_view magic = head.substr(0, kInterixHeadSize);
    return magic == kSymbolicLink ||
           ((magic == kCharacterDevice || magic == kBlockDevice) && size == kDeviceSize);
}

}  // namespace vantrelle::files::posix
