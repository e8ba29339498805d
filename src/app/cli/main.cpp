// vantrelle-cli: the repair without a window, for technicians and scripts.

#include <iostream>
#include <string>
#include <vector>

#include "app/cli/console.h"
#include "app/cli/run_cli.h"

int main(int argc, char** argv) {
    const std::vector<std::string> arguments = vantrelle::cli::ProgramArguments(argc, argv);
    const bool utf8_console = vantrelle::cli::PrepareConsole();
    auto fs = vantrelle::files::OpenNativeFileSystem();
    return vantrelle::cli::RunCli(arguments, *fs, std::cin, std::cout, std::cerr, utf8_console,
                                  vantrelle::cli::ErrorTerminalWidth());
}
