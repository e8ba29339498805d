#include "platform/ui/common/caption_lines.h"

namespace vantrelle::ui::common {

std::vector<std::string> CaptionParagraphs(const std::string& caption) {
    std::vector<std::string> paragraphs(1);
    for (std::size_t i = 0; i < caption.size(); ++i) {
        const char c = caption[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < caption.size() && caption[i + 1] == '\n') {
                ++i;
            }
            paragraphs.emplace_back();
        } else {
            paragraphs.back() += c;
        }
    }
    return paragraphs;
}

std::vector<std::string> CaptionLines(const std::string& caption, int width,
                                      const std::function<int(const std::string&)>& measure) {
    std::vector<std::string> lines;
    for (const std::string& paragraph : CaptionParagraphs(caption)) {
        std::string line;
        bool line_started = false;
        std::size_t start = 0;
        while (true) {
            const std::size_t space = paragraph.find(' ', start);
            const std::string word = paragraph.substr(
                start, space == std::string::npos ? std::string::npos : space - start);
            if (!line_started) {
                line = word;
                line_started = true;
            } else if (std::string longer = line + ' ' + word; measure(longer) <= width) {
                line = std::move(longer);
            } else {
                lines.push_back(std::move(line));
                line = word;
            }
            if (space == std::string::npos) {
                break;
            }
            start = space + 1;
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

}  // namespace vantrelle::ui::common
