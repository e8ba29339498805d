#include "app/cli/check_update.h"
#include "app/cli/terminal_text.h"

namespace vantrelle::cli {

// The texts are UTF-8 whatever the locale; what the server put in them (a version, a
// location) may hold control characters, which must not reach the terminal as they are.
std::string TerminalLines(const std::string& text) {
    return ForTerminal(text, true) + '\n';
}

}  // namespace vantrelle::cli
