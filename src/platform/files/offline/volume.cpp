#include "platform/files/offline/volume.h"

#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/files/offline/exfat_volume.h"
#include "platform/files/offline/fat_volume.h"

namespace vantrelle::files::offline {

Result<std::unique_ptr<Volume>> OpenVolume(BlockDevice& device) {
    std::vector<std::uint8_t> boot(512);
    if (device.Size() < boot.size()) {
        return Error{EINVAL, "The device is too small to hold a FAT or exFAT volume"};
    }
    if (auto read = device.Read(0, boot); !read) {
        return read.error();
    }
    if (auto exfat = OpenExfatVolume(device, boot)) {
        return std::move(*exfat);
    }
    if (auto fat = OpenFatVolume(device, boot)) {
        return std::move(*fat);
    }
    if (std::memcmp(boot.data() + 3, "NTFS    ", 8) == 0) {
        return Error{EINVAL,
                     "The device holds an NTFS volume, which is repaired mounted: mount it "
                     "(ntfs-3g) and repair the folder"};
    }
    return Error{EINVAL,
                 "The device holds neither a FAT nor an exFAT volume (a partitioned disk? name "
                 "the partition, such as /dev/sdb1)"};
}

}  // namespace vantrelle::files::offline
