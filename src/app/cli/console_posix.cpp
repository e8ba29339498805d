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

}  // namespace vantrelle::cli
