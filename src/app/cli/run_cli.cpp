#include "app/cli/run_cli.h"

#include <algorithm>

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
    switch (line.action) {
        case CommandLine::Action::Help:
            out << UsageText();
            return kExitSuccess;
        case CommandLine::Action::Version:
            out << VersionText();
            return kExitSuccess;
        case CommandLine::Action::UsageError:
            console << "vantrelle-cli: " << ForTerminal(line.problem, utf8_terminal) << "\n"
                    << UsageLines() << "Try 'vantrelle-cli --help' for more information.\n";
            return kExitUsage;
        case CommandLine::Action::CheckUpdate:
            return CheckUpdate(line, out, console);
        case CommandLine::Action::Repair:
            break;
    }

    const Language language = line.farsi ? Language::Farsi : Language::English;
    ConsoleRepairPrompt prompt(line.on_error, answers, console, utf8_terminal);
    int status = kExitSuccess;
    for (const std::string& path : line.paths) {
        prompt.Begin(path);
        const engine::RepairResult result = line.recursive ? engine::FixFolderTree(path, fs, prompt)
                                                           : engine::FixFolder(path, fs, prompt);
        const bool clean = result == engine::kNoError;
        status = std::max(status, clean ? kExitSuccess : kExitErrors);
        if (prompt.NoFolder()) {
            continue;
        }
        // With several PATHs each outcome says which it is of.
        if (line.paths.size() > 1) {
            out << OneLineForTerminal(path, utf8_terminal) << ": ";
        }
        // The texts are the program's own UTF-8, whatever the terminal's locale.
        out << (clean ? windows::SuccessText(language) : windows::ErrorText(language)) << "\n";
        out.flush();
    }
    return status;
}

}  // namespace vantrelle::cli
