#include "app/cli/run_cli.h"

#include "app/cli/check_update.h"
#include "app/cli/command_line.h"
#include "app/cli/console_message_box.h"
#include "app/cli/offline_target.h"
#include "engine/fix_folder.h"
#include "engine/fix_folder_tree.h"

namespace vantrelle::cli {

namespace {

// The main window's English outcome texts.
constexpr const char* kSuccessText = "All files fixed successfully.";
constexpr const char* kErrorsText =
    "File procceing is complete. but it seems there have been some errors , some files may "
    "have remain hidden.";

}  // namespace

int RunCli(const std::vector<std::string>& arguments, files::FileSystem& fs, std::istream& answers,
           std::ostream& out, std::ostream& console, bool utf8_terminal) {
    const CommandLine line = ParseCommandLine(arguments);
    if (line.action == CommandLine::Action::Help) {
        out << UsageText();
        return kExitSuccess;
    }
    if (line.action == CommandLine::Action::UsageError) {
        console << "vantrelle-cli: " << ForTerminal(line.problem, utf8_terminal) << "\n"
                << UsageLines() << "Try 'vantrelle-cli --help' for more information.\n";
        return kExitUsage;
    }

    if (line.action == CommandLine::Action::CheckUpdate) {
        return CheckUpdate(line, out, console);
    }

    // An unmounted device is repaired through its own volume, or refused before anything
    // is read of it as a folder.
    auto offline = OpenOfflineTarget(line.path);
    if (offline && !offline->ok()) {
        console << "vantrelle-cli: " << ForTerminal(line.path, utf8_terminal) << ": "
                << ForTerminal(offline->error().description, utf8_terminal) << "\n";
        out << kErrorsText << "\n";
        return kExitErrors;
    }
    files::FileSystem& target = offline ? *offline->value() : fs;

    ConsoleMessageBox box(line.on_error, answers, console, utf8_terminal);
    const engine::RepairResult result = line.recursive
                                            ? engine::FixFolderTree(line.path, target, box)
                                            : engine::FixFolder(line.path, target, box);
    if (result == engine::kNoError) {
        out << kSuccessText << "\n";
        return kExitSuccess;
    }
    out << kErrorsText << "\n";
    return kExitErrors;
}

}  // namespace vantrelle::cli
