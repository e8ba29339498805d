// vantrelle-cli: the repair without a window, for technicians and scripts.

#include <cctype>
#include <clocale>
#include <iostream>
#include <string>
#include <vector>

#include "app/cli/run_cli.h"

namespace {

// Whether the user's locale shows UTF-8; what it cannot show is printed escaped.
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
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    auto fs = vantrelle::files::OpenNativeFileSystem();
    return vantrelle::cli::RunCli(arguments, *fs, std::cin, std::cout, std::cerr,
                                  TerminalShowsUtf8());
}
