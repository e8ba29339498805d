#include "app/cli/run_cli.h"

#include "app/cli/check_update.h"
#include "app/cli/command_line.h"
#include "app/cli/console_repair_prompt.h"
#include "app/cli/terminal_text.h"
#include "engine/fix_folder.h"
#include "engine/fix_folder_tree.h"
#include "windows/outcome_texts.h"

namespace vantrelle::cli {

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

    ConsoleRepairPrompt prompt(line.on_error, answers, console, utf8_terminal);
    prompt.Begin(line.path);
    const engine::RepairResult result = line.recursive
                                            ? engine::FixFolderTree(line.path, fs, prompt)
                                            : engine::FixFolder(line.path, fs, prompt);
    const int status = result == engine::kNoError ? kExitSuccess : kExitErrors;
    // That the folder is missing has been said; no repair took place.
    if (!prompt.NoFolder()) {
        out << (result == engine::kNoError ? windows::SuccessText(Language::English)
                                           : windows::ErrorText(Language::English))
            << "\n";
    }
    return status;
}

}  // namespace vantrelle::cli
