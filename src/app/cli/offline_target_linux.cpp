#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "app/cli/offline_target.h"
#include "platform/files/offline/device.h"
#include "platform/files/offline/offline_file_system.h"

namespace vantrelle::cli {

namespace {

bool IsFolder(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// A block device, or a file that begins as a FAT or exFAT boot sector does: any other
// file given as PATH is no folder, and is said to be one.
bool NamesVolume(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return false;
    }
    if (S_ISBLK(st.st_mode)) {
        return true;
    }
    if (!S_ISREG(st.st_mode)) {
        return false;
    }
    unsigned char boot[512] = {};
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const ssize_t read = ::read(fd, boot, sizeof boot);
    ::close(fd);
    if (read != static_cast<ssize_t>(sizeof boot)) {
        return false;
    }
    const bool jumps = boot[0] == 0xEB || boot[0] == 0xE9;
    const bool exfat = std::memcmp(boot + 3, "EXFAT   ", 8) == 0;
    const bool signed_as_boot = boot[510] == 0x55 && boot[511] == 0xAA;
    return jumps && (exfat || signed_as_boot);
}

// The DEVICE part of PATH, or nothing when PATH is a folder or names no device.
std::optional<std::string> DeviceOf(const std::string& path) {
    if (IsFolder(path)) {
        return std::nullopt;
    }
    if (NamesVolume(path)) {
        return path;
    }
    for (std::size_t colon = path.find(':'); colon != std::string::npos;
         colon = path.find(':', colon + 1)) {
        const std::string device = path.substr(0, colon);
        if (!device.empty() && NamesVolume(device)) {
            return device;
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<files::Result<std::unique_ptr<files::FileSystem>>> OpenOfflineTarget(
    const std::string& path) {
    const auto device_text = DeviceOf(path);
    if (!device_text) {
        return std::nullopt;
    }
    auto device = files::offline::OpenUnmountedDevice(*device_text);
    if (!device) {
        return files::Result<std::unique_ptr<files::FileSystem>>(device.error());
    }
    return files::offline::OpenOfflineFileSystem(*device_text, std::move(device.value()));
}

}  // namespace vantrelle::cli
