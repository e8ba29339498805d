#pragma once

// What the front end needs of the console it runs in, one implementation per platform.

#include <string>
#include <vector>

namespace vantrelle::cli {

// The command line's arguments after the program name, as the engine takes paths:
// the bytes given on POSIX; on Windows the UTF-16 command line in WTF-8, so that every
// name the system can hold arrives intact.
std::vector<std::string> ProgramArguments(int argc, char** argv);

// Readies standard output and standard error for UTF-8 text, and tells whether they
// can show it; when not, names are shown escaped.
bool PrepareConsole();

// The width of the terminal standard error is, in characters; 0 when it is none.
int ErrorTerminalWidth();

}  // namespace vantrelle::cli
