// vantrelle-cli: the repair without a window, for technicians and scripts.

#include <cctype>
#include <clocale>
#include <iostream>
#include <string>
#include <vector>

#include "app/cli/command_line.h"
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

// Whether the user's locale shows UTF-8; names that are not are escaped either way.
bool TerminalShowsUtf8() {
    const char* locale = std::setlocale(LC_CTYPE, "");
    if (locale == nullptr) {
        return false;
    }
    std::string name(locale);
    for (char& c : name) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return name.find("utf-8") != std::string::npos || name.find("utf8") != std::string::npos;
}

}  // namespace

int main(int argc, char** argv) {
    using vantrelle::cli::CommandLine;

    const std::vector<std::string> arguments(argv + 1, argv + argc);
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

    vantrelle::cli::ConsoleMessageBox box(line.on_error, std::cin, std::cerr, TerminalShowsUtf8());
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
