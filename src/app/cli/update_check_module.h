#pragma once

// `vantrelle-cli --check-update` lives in a module of its own, loaded by the run that
// asks for it: Qt's event loop and libcurl with its TLS stack take longer to load than a
// repair of ten thousand entries takes to run, and every other run needs none of them.
// The module is built beside vantrelle-cli and installed in the library folder's
// vantrelle/ (VANTRELLE_CLI_MODULE_DIR, relative to the program's own folder).

#include <ostream>

#include "app/cli/command_line.h"

// The module's one entry point, exported unmangled so that dlsym finds it; it does what
// CheckUpdate (check_update.h) promises.
extern "C" int vantrelle_cli_check_update(const vantrelle::cli::CommandLine& line,
                                          std::ostream& out, std::ostream& console);

namespace vantrelle::cli {

inline constexpr const char* kUpdateCheckModule = "vantrelle-cli-update.so";
inline constexpr const char* kUpdateCheckEntry = "vantrelle_cli_check_update";

}  // namespace vantrelle::cli
