#pragma once

// `vantrelle-cli --check-update`: the update window's check without a display.

#include <ostream>

#include "app/cli/command_line.h"

namespace vantrelle::cli {

// Whether this build can check for updates (the download hands over through Qt's event loop).
bool HasUpdateCheck();

// Downloads the update file, prints the verdict's text on `out` (UTF-8, one line per line
// of the message) and gives the exit status: 0 up to date or newer version announced,
// 1 otherwise; 2 with a note on `console` when the build has no update check.
int CheckUpdate(const CommandLine& line, std::ostream& out, std::ostream& console);

// The message text with its CR LF and lone CR line breaks as "\n", ending in one, and any
// other control character as \xNN, so that the server's bytes cannot drive the terminal.
std::string TerminalLines(const std::string& text);

}  // namespace vantrelle::cli
