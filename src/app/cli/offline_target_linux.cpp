#include <sys/stat.h>

#include "app/cli/offline_target.h"
#include "platform/files/offline/device.h"
#include "platform/files/offline/offline_file_system.h"

namespace vantrelle::cli {

namespace {

bool IsFolder(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The DEVICE part of PATH, or nothing when PATH is a folder or names no device.
std::optional<std::string> DeviceOf(const std::string& path) {
    if (IsFolder(path)) {
        return std::nullopt;
    }
    if (files::offline::NamesDeviceOrImage(path)) {
        return path;
    }
    for (std::size_t colon = path.find(':'); colon != std::string::npos;
         colon = path.find(':', colon + 1)) {
        const std::string device = path.substr(0, colon);
        if (!device.empty() && files::offline::NamesDeviceOrImage(device)) {
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
