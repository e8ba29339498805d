#pragma once

// What `vantrelle-cli` was asked to do.

#include <string>
#include <vector>

namespace vantrelle::cli {

enum class OnError {
    Ask,       // read each answer from standard input
    Continue,  // answer Yes to every question
    Stop,      // answer No to every question
};

// How much the repair tells beside its failures and its outcome.
enum class Verbosity {
    Quiet,    // nothing more
    Normal,   // a summary line of counts, and a progress line on a terminal
    Verbose,  // also each entry reset, with the attributes it had
};

struct CommandLine {
    enum class Action {
        Repair,
        CheckUpdate,
        Help,
        Version,
        UsageError
    } action = Action::UsageError;
    bool recursive = false;
    OnError on_error = OnError::Ask;
    Verbosity verbosity = Verbosity::Normal;
    bool list = false;               // show what a repair would change, and change nothing
    std::vector<std::string> paths;  // for Repair: each repaired in turn
    // The language of the outcome texts and of the update verdict.
    bool farsi = false;
    // For CheckUpdate: where from (empty: the built-in address).
    std::string update_url;
    std::string problem;  // for UsageError: what is wrong, in one line
};

// `arguments` without the program name.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// The synopsis lines of the usage, as a wrong command line shows them.
std::string UsageLines();

// The text of --help.
std::string UsageText();

// The text of --version.
std::string VersionText();

}  // namespace vantrelle::cli
