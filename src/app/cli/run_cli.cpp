#include "app/cli/run_cli.h"

#include <algorithm>

#include "app/cli/check_update.h"
#include "app/cli/command_line.h"
#include "app/cli/console_repair_prompt.h"
#include "app/cli/listing_only.h"
#include "app/cli/offline_target.h"
#include "app/cli/terminal_text.h"
#include "engine/fix_folder.h"
#include "engine/fix_folder_tree.h"
#include "windows/outcome_texts.h"

namespace vantrelle::cli {

int RunCli(const std::vector<std::string>& arguments, files::FileSystem& fs, std::istream& answers,
           std::ostream& out, std::ostream& console, bool utf8_terminal, int progress_width) {
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
    ConsoleRepairPrompt prompt(line.on_error, answers, console, utf8_terminal, out, line.verbosity,
                               progress_width);
    if (line.list) {
        prompt.ListInstead();
    }
    int status = kExitSuccess;
    for (const std::string& path : line.paths) {
        // With several PATHs each outcome says which it is of.
        auto tell = [&](const std::string& text) {
            if (line.paths.size() > 1) {
                out << OneLineForTerminal(path, utf8_terminal) << ": ";
            }
            out << text << "\n";
            out.flush();
        };
        // The texts are the program's own UTF-8, whatever the terminal's locale.
        auto tell_outcome = [&](bool clean) {
            tell(clean ? windows::SuccessText(language) : windows::ErrorText(language));
        };
        auto tell_failure = [&](const std::string& why) {
            console << "vantrelle-cli: " << OneLineForTerminal(path, utf8_terminal) << ": "
                    << OneLineForTerminal(why, utf8_terminal) << "\n";
        };

        // An unmounted device is repaired through its own volume, or refused before
        // anything is read of it as a folder.
        auto offline = OpenOfflineTarget(path);
        if (offline && !offline->ok()) {
            tell_failure(offline->error().description);
            status = std::max(status, kExitErrors);
            tell_outcome(false);
            continue;
        }
        files::FileSystem& real = offline ? *offline->value() : fs;
        ListingOnly listing_only(real);
        files::FileSystem& target =
            line.list ? static_cast<files::FileSystem&>(listing_only) : real;

        prompt.Begin(path);
        const engine::RepairResult result = line.recursive
                                                ? engine::FixFolderTree(path, target, prompt)
                                                : engine::FixFolder(path, target, prompt);
        bool clean = result == engine::kNoError;
        if (auto flushed = target.Flush(); !flushed) {
            tell_failure("Error " + std::to_string(flushed.error().number) + ": " +
                         flushed.error().description);
            clean = false;
        }
        status = std::max(status, clean ? kExitSuccess : kExitErrors);
        prompt.ClearProgress();
        if (prompt.NoFolder()) {
            continue;
        }
        if (line.list) {
            // Nothing was fixed: the count of what would be takes the outcome's place.
            const long count = prompt.WouldReset();
            tell(std::to_string(count) + (count == 1 ? " entry" : " entries") + " would be reset");
        } else {
            tell_outcome(clean);
        }
        prompt.Summarize();
    }
    return status;
}

}  // namespace vantrelle::cli
