#pragma once

#include <string>

#include "engine/repair_result.h"
#include "platform/files/files.h"
#include "platform/ui/message_box.h"

namespace vantrelle::engine {

// Sets every entry directly inside `path` to Normal attributes, skipping
// ReservedNames; sub-folders are reset but not entered, and the folder itself is left
// alone. Each failure is shown with RepairErrorPrompt. Never throws.
RepairResult FixFolder(const std::string& path, files::FileSystem& fs, ui::MessageBox& box);

}  // namespace vantrelle::engine
