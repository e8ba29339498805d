#pragma once

#include <string>

#include "engine/repair_prompt.h"
#include "engine/repair_result.h"
#include "platform/files/files.h"

namespace vantrelle::engine {

// Sets every file and sub-folder below `path`, at any depth, to Normal attributes,
// depth first: a folder's files, then each sub-folder's reset followed by its walk.
// A folder named like one of ReservedNames is reset by its parent but its contents
// are left alone; `path` itself keeps its attributes. Each failure is handed to
// `prompt` in the question form. Never throws.
//
// The depth is bounded by neither the call stack nor open handles: the walk keeps its
// levels on the heap, and what a level holds open is the backend's choice.
RepairResult FixFolderTree(const std::string& path, files::FileSystem& fs, RepairPrompt& prompt);

}  // namespace vantrelle::engine
