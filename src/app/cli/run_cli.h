#pragma once

// The whole of `vantrelle-cli` but the process around it: a platform's main() turns
// its arguments into UTF-8 (WTF-8 on Windows) and hands over its console streams.

#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include "platform/files/files.h"

namespace vantrelle::cli {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitErrors = 1;
inline constexpr int kExitUsage = 2;

// Runs the repair the command line asks for on `fs`; prompts go to `console` and are
// answered from `answers`, the outcome goes to `out`. `progress_width` is the width of
// the terminal `console` is, 0 when it is none. Returns the exit status.
int RunCli(const std::vector<std::string>& arguments, files::FileSystem& fs, std::istream& answers,
           std::ostream& out, std::ostream& console, bool utf8_terminal, int progress_width = 0);

}  // namespace vantrelle::cli
