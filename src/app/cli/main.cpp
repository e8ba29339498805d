// vantrelle-cli: the repair without a window, for technicians and scripts.

#include <iostream>
#include <string>
#include <vector>

#include "app/cli/command_line.h"
#include "app/cli/console.h"
#include "app/cli/console_message_box.h"
#include "engine/fix_folder.h"
#include "engine/fix_folder_tree.h"

namespace {

// The main window's English outcome texts.
constexpr const char* kSuccessText = "All files fixed successfully.";
constexpr const char* kErrorsText =
    "File procceing is complete. but it seems there have been some errors , some files may "
    "have remain hidden.";

constexpr int kExitErrors = 1;
constexpr int kExitUsage = 2;

}  // namespace

int main(int argc, char** argv) {
    using vantrelle::cli::CommandLine;

    const std::vector<std::string> arguments = vantrelle::cli::ProgramArguments(argc, argv);
    const bool utf8_console = vantrelle::cli::PrepareConsole();
    const CommandLine line = vantrelle::cli::ParseCommandLine(arguments);
    if (line.action == CommandLine::Action::Help) {
        std::cout << vantrelle::cli::UsageText();
        return 0;
    }
    if (line.action == CommandLine::Action::UsageError) {
        std::cerr << "vantrelle-cli: " << line.problem << "\n"
                  << "Usage: vantrelle-cli [--recursive] [--on-error=ask|continue|stop] PATH\n"
                  << "Try 'vantrelle-cli --help' for more information.\n";
        return kExitUsage;
    }

    vantrelle::cli::ConsoleMessageBox box(line.on_error, std::cin, std::cerr, utf8_console);
    auto fs = vantrelle::files::OpenNativeFileSystem();
    const vantrelle::engine::RepairResult result =
        line.recursive ? vantrelle::engine::FixFolderTree(line.path, *fs, box)
                       : vantrelle::engine::FixFolder(line.path, *fs, box);

    if (result == vantrelle::engine::kNoError) {
        std::cout << kSuccessText << "\n";
        return 0;
    }
    std::cout << kErrorsText << "\n";
    return kExitErrors;
}
