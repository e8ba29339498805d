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

struct CommandLine {
    enum class Action { Repair, CheckUpdate, Help, UsageError } action = Action::UsageError;
    bool recursive = false;
    OnError on_error = OnError::Ask;
    std::string path;
    // For CheckUpdate: where from (empty: the built-in address) and the message language.
    std::string update_url;
    bool farsi = false;
    std::string problem;  // for UsageError: what is wrong, in one line
};

// `arguments` without the program name.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// The synopsis lines of the usage, as a wrong command line shows them.
std::string UsageLines();

// The text of --help.
std::string UsageText();

}  // namespace vantrelle::cli
