#pragma once

#include <string>

#include "engine/repair_prompt.h"
#include "engine/repair_result.h"
#include "platform/files/files.h"

namespace vantrelle::engine {

// Sets every entry directly inside `path` to Normal attributes, skipping
// ReservedNames; sub-folders are reset but not entered, and the folder itself is left
// alone. Each failure is handed to `prompt`. Never throws.
RepairResult FixFolder(const std::string& path, files::FileSystem& fs, RepairPrompt& prompt);

}  // namespace vantrelle::engine
