#include "app/cli/command_line.h"

#include <optional>

#include "app/cli/check_update.h"
#include "vantrelle_version.h"

namespace vantrelle::cli {

namespace {

CommandLine Problem(std::string problem) {
    CommandLine line;
    line.action = CommandLine::Action::UsageError;
    line.problem = std::move(problem);
    return line;
}

bool IsHelp(const std::string& argument) {
#ifdef _WIN32
    // Windows programs answer /? (and -?) with their help; on POSIX "/?" is a path.
    if (argument == "/?" || argument == "-?") {
        return true;
    }
#endif
    return argument == "--help" || argument == "-h";
}

bool IsRecursive(const std::string& argument) {
#ifdef _WIN32
    // attrib's switches: /S walks the sub-folders, /D takes folders as well as files;
    // both together are what --recursive does.
    if (argument == "/S" || argument == "/s" || argument == "/D" || argument == "/d") {
        return true;
    }
#endif
    return argument == "--recursive" || argument == "-r";
}

// An option that takes a value, as --name=VALUE or as --name VALUE.
class ValueOption {
  public:
    explicit ValueOption(std::string name) : name_(std::move(name)) {}

    // Whether `arguments[at]` is this option; its value then lands in `value`, and `at`
    // stands on the last argument it used. A missing value is an empty `value`.
    bool Matches(const std::vector<std::string>& arguments, std::size_t& at,
                 std::optional<std::string>& value) const {
        const std::string& argument = arguments[at];
        if (argument == name_) {
            value = at + 1 < arguments.size() ? arguments[++at] : std::string();
            return true;
        }
        if (argument.size() > name_.size() && argument.starts_with(name_) &&
            argument[name_.size()] == '=') {
            value = argument.substr(name_.size() + 1);
            return true;
        }
        return false;
    }

  private:
    std::string name_;
};

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
    const ValueOption on_error("--on-error"), language("--language"), update_url("--update-url");
    CommandLine line;
    bool options_end = false;
    bool check_update = false;
    for (std::size_t at = 0; at < arguments.size(); ++at) {
        const std::string& argument = arguments[at];
        std::optional<std::string> value;
        if (options_end) {
            if (argument.empty()) {
                return Problem("PATH is empty");
            }
            line.paths.push_back(argument);
        } else if (argument == "--") {
            options_end = true;
        } else if (IsHelp(argument)) {
            line.action = CommandLine::Action::Help;
            return line;
        } else if (argument == "--version" || argument == "-V") {
            line.action = CommandLine::Action::Version;
            return line;
        } else if (IsRecursive(argument)) {
            line.recursive = true;
        } else if (argument == "--list" || argument == "--dry-run" || argument == "-n") {
            line.list = true;
        } else if (argument == "--quiet" || argument == "-q") {
            line.verbosity = Verbosity::Quiet;
        } else if (argument == "--verbose" || argument == "-v") {
            line.verbosity = Verbosity::Verbose;
        } else if (argument == "--check-update") {
            check_update = true;
        } else if (update_url.Matches(arguments, at, value)) {
            if (value->empty()) {
                return Problem("--update-url needs an address");
            }
            line.update_url = *value;
        } else if (language.Matches(arguments, at, value)) {
            if (*value != "en" && *value != "fa") {
                return Problem("--language takes en or fa, not '" + *value + "'");
            }
            line.farsi = *value == "fa";
        } else if (on_error.Matches(arguments, at, value)) {
            if (*value == "ask") {
                line.on_error = OnError::Ask;
            } else if (*value == "continue") {
                line.on_error = OnError::Continue;
            } else if (*value == "stop") {
                line.on_error = OnError::Stop;
            } else {
                return Problem("--on-error takes ask, continue or stop, not '" + *value + "'");
            }
        } else if (argument.size() > 1 && argument[0] == '-') {
            return Problem("unknown option '" + argument + "'");
        } else if (argument.empty()) {
            return Problem("PATH is empty");
        } else {
            line.paths.push_back(argument);
        }
    }
    if (check_update) {
        if (!line.paths.empty() || line.recursive) {
            return Problem("--check-update takes no PATH and no repair options");
        }
        line.action = CommandLine::Action::CheckUpdate;
        return line;
    }
    if (!line.update_url.empty()) {
        return Problem("--update-url goes with --check-update only");
    }
    if (line.paths.empty()) {
        return Problem("PATH is missing");
    }
    line.action = CommandLine::Action::Repair;
    return line;
}

std::string UsageLines() {
    std::string lines =
        "Usage: vantrelle-cli [-r|--recursive] [--on-error=ask|continue|stop] [--language=en|fa]"
        " [-n|--list] [-q|-v] PATH...\n";
    if (HasUpdateCheck()) {
        lines += "       vantrelle-cli --check-update [--update-url=URL] [--language=en|fa]\n";
    }
    return lines;
}

std::string UsageText() {
    std::string text =
        UsageLines() +
        "\n"
        "Resets the DOS/Windows attributes (Hidden, System, Read-only, Archive) of\n"
        "the entries directly inside each folder PATH to Normal, so that files hidden\n"
        "by malware become visible again. The folder's own attributes are kept, and\n"
        "'System Volume Information', '$RECYCLE.BIN' and 'RECYCLER' are left alone.\n"
        "Several PATHs are repaired one after the other, each with its own outcome.\n"
        "\n"
#ifdef _WIN32
        "  -r, --recursive, /S, /D\n"
        "                      walk every sub-folder too, at any depth, never\n"
        "                      entering a link, a junction or a mounted folder\n"
#else
        "  -r, --recursive     walk every sub-folder too, at any depth, staying on\n"
        "                      the volume of PATH and never following a link\n"
#endif
        "  --on-error=ask      show each error and ask on standard input whether to go\n"
        "                      on (y/yes, n/no, or a/all: yes to this and every later\n"
        "                      error; the end of input means no); the default\n"
        "  --on-error=continue go on after every error, one line per error; an entry\n"
        "                      that fails 5 times in a row is given up\n"
        "  --on-error=stop     stop at the first error\n"
        "  -n, --list, --dry-run\n"
        "                      change nothing: walk as the repair would and print each\n"
        "                      entry it would reset, with its attributes now, then\n"
        "                      how many\n"
        "  -q, --quiet         no summary line, and no progress line on a terminal\n"
        "  -v, --verbose       also each entry reset, with the attributes it had\n"
        "                      (as attrib shows them: A  SH R)\n"
        "  --language=en|fa    the outcome texts in English (the default) or Farsi\n"
        "                      (UTF-8)\n"
#ifdef _WIN32
        "  -h, --help, /?      show this text\n"
#else
        "  -h, --help          show this text\n"
#endif
        "  -V, --version       show the version\n"
        "\n"
#ifndef _WIN32
        "PATH may also be an unmounted FAT12/16/32 or exFAT block device or image file\n"
        "(/dev/sdb1, stick.img), repaired through the volume's own bytes; DEVICE:/FOLDER\n"
        "names a folder inside it (/dev/sdb1:/Docs). A device that is mounted or marked\n"
        "dirty is refused, and nothing is written.\n"
        "\n"
#endif
        "An option's value may also follow it as the next argument (--on-error stop).\n"
        "Errors are shown on standard error: when no one is asked, one line each,\n"
        "'vantrelle-cli: PATH: Error N: reason'. An error of the whole volume (read-only,\n"
        "a driver that cannot change DOS attributes, permission denied in PATH itself)\n"
        "is said once with what to do, and the repair of that PATH stops. A PATH that\n"
        "does not exist or is not a folder is said in one line.\n"
        "\n"
        "A summary follows each outcome on standard error: entries reset, already\n"
        "normal, failed, and reserved folders left alone. On a terminal a progress line\n"
        "shows the counts and the folder being walked while the repair runs.\n"
        "\n"
        "The outcome of each PATH is printed on standard output. Exit status: 0 when\n"
        "every entry was reset, 1 when there was an error, 2 when the command line is\n"
        "wrong; with several PATHs, the worst of them.\n";
    if (HasUpdateCheck()) {
        text +=
            "\n"
            "--check-update downloads the update file from the vendor's site (or from\n"
            "--update-url) and prints the verdict in English or, with --language=fa, in\n"
            "Farsi (UTF-8). Exit status: 0 when the program is up to date or a newer\n"
            "version is announced, 1 when the check failed or the file was not understood,\n"
            "2 when the command line is wrong.\n";
    }
    return text;
}

std::string VersionText() {
    return "vantrelle-cli (Vantrelle) " VANTRELLE_VERSION
           "\n"
           "Copyright (c) 2026 The Vantrelle developers\n"
           "MIT License: free to use, change and share; no warranty.\n";
}

}  // namespace vantrelle::cli
