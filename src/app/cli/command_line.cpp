#include "app/cli/command_line.h"

#include "app/cli/check_update.h"

namespace vantrelle::cli {

namespace {

CommandLine Problem(std::string problem) {
    CommandLine line;
    line.action = CommandLine::Action::UsageError;
    line.problem = std::move(problem);
    return line;
}

// Windows programs answer /? with their help; on POSIX "/?" is a path like any other.
bool IsWindowsHelp(const std::string& argument) {
#ifdef _WIN32
    return argument == "/?";
#else
    (void)argument;
    return false;
#endif
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
    CommandLine line;
    bool have_path = false;
    bool options_end = false;
    bool check_update = false;
    bool check_options = false;
    for (const std::string& argument : arguments) {
        if (!options_end && argument == "--") {
            options_end = true;
        } else if (!options_end &&
                   (argument == "--help" || argument == "-h" || IsWindowsHelp(argument))) {
            line.action = CommandLine::Action::Help;
            return line;
        } else if (!options_end && argument == "--recursive") {
            line.recursive = true;
        } else if (!options_end && argument == "--check-update") {
            check_update = true;
        } else if (!options_end && argument.rfind("--update-url=", 0) == 0) {
            line.update_url = argument.substr(13);
            if (line.update_url.empty()) {
                return Problem("--update-url needs an address");
            }
            check_options = true;
        } else if (!options_end && argument.rfind("--language=", 0) == 0) {
            const std::string value = argument.substr(11);
            if (value != "en" && value != "fa") {
                return Problem("--language takes en or fa, not '" + value + "'");
            }
            line.farsi = value == "fa";
            check_options = true;
        } else if (!options_end && argument.rfind("--on-error=", 0) == 0) {
            const std::string value = argument.substr(11);
            if (value == "ask") {
                line.on_error = OnError::Ask;
            } else if (value == "continue") {
                line.on_error = OnError::Continue;
            } else if (value == "stop") {
                line.on_error = OnError::Stop;
            } else {
                return Problem("--on-error takes ask, continue or stop, not '" + value + "'");
            }
        } else if (!options_end && argument.size() > 1 && argument[0] == '-') {
            return Problem("unknown option '" + argument + "'");
        } else if (have_path) {
            return Problem("only one PATH may be given");
        } else if (argument.empty()) {
            return Problem("PATH is empty");
        } else {
            line.path = argument;
            have_path = true;
        }
    }
    if (check_update) {
        if (have_path || line.recursive) {
            return Problem("--check-update takes no PATH and no repair options");
        }
        line.action = CommandLine::Action::CheckUpdate;
        return line;
    }
    if (check_options) {
        return Problem("--update-url and --language go with --check-update only");
    }
    if (!have_path) {
        return Problem("PATH is missing");
    }
    line.action = CommandLine::Action::Repair;
    return line;
}

std::string UsageLines() {
    std::string lines = "Usage: vantrelle-cli [--recursive] [--on-error=ask|continue|stop] PATH\n";
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
        "the entries directly inside the folder PATH to Normal, so that files hidden\n"
        "by malware become visible again. The folder's own attributes are kept, and\n"
        "'System Volume Information', '$RECYCLE.BIN' and 'RECYCLER' are left alone.\n"
        "\n"
        "  --recursive         walk every sub-folder too, at any depth, staying on\n"
        "                      the volume of PATH and never following a link\n"
        "  --on-error=ask      ask on standard input whether to go on after an error\n"
        "                      (y/yes or n/no; the end of input means no); the default\n"
        "  --on-error=continue go on after every error; the same error at the same\n"
        "                      entry 5 times in a row is answered no\n"
        "  --on-error=stop     stop at the first error\n"
#ifdef _WIN32
        "  --help, /?          show this text\n"
#else
        "  --help              show this text\n"
#endif
        "\n"
#ifndef _WIN32
        "PATH may also be an unmounted FAT12/16/32 or exFAT block device or image file\n"
        "(/dev/sdb1, stick.img), repaired through the volume's own bytes; DEVICE:/FOLDER\n"
        "names a folder inside it (/dev/sdb1:/Docs). A device that is mounted or marked\n"
        "dirty is refused, and nothing is written.\n"
        "\n"
#endif
        "Each error is shown on standard error. At the end the outcome is printed on\n"
        "standard output. Exit status: 0 when every entry was reset, 1 when there was\n"
        "an error, 2 when the command line is wrong.\n";
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

}  // namespace vantrelle::cli
