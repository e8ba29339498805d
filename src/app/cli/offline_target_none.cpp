#include "app/cli/offline_target.h"

namespace vantrelle::cli {

std::optional<files::Result<std::unique_ptr<files::FileSystem>>> OpenOfflineTarget(
    const std::string&) {
    return std::nullopt;
}

}  // namespace vantrelle::cli
