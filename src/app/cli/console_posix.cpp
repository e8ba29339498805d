#include <sys/ioctl.h>
#include <unistd.h>

#include <cctype>
#include <clocale>

#include "app/cli/console.h"

namespace vantrelle::cli {

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + 1, argv + argc);
}

// Whether the user's locale shows UTF-8; names that are not are escaped either way.
bool PrepareConsole() {
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

int ErrorTerminalWidth() {
    if (!::isatty(STDERR_FILENO)) {
        return 0;
    }
    winsize size{};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) != 0 || size.ws_col == 0) {
        return 80;
    }
    return size.ws_col;
}

}  // namespace vantrelle::cli
