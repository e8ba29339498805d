#include "app/cli/check_update.h"

namespace vantrelle::cli {

std::string TerminalLines(const std::string& text) {
    std::string lines;
    lines.reserve(text.size() + 1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            lines += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
        } else {
            lines += text[i];
        }
    }
    lines += '\n';
    return lines;
}

}  // namespace vantrelle::cli
