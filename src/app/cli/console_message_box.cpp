#include "app/cli/console_message_box.h"

#include <cstdio>
#include <string_view>

namespace vantrelle::cli {

namespace {

void Escape(std::string& out, unsigned char byte) {
    char escaped[8];
    std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
    out += escaped;
}

// Length of the well-formed UTF-8 sequence starting at `at`, or 0; its code point in
// `decoded`.
std::size_t Utf8SequenceLength(std::string_view text, std::size_t at, std::uint32_t& decoded) {
    const auto lead = static_cast<unsigned char>(text[at]);
    std::size_t length;
    std::uint32_t code_point;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code_point = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code_point = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code_point = lead & 0x07;
    } else {
        return 0;
    }
    if (at + length > text.size()) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(text[at + i]);
        if ((byte & 0xC0) != 0x80) {
            return 0;
        }
        code_point = (code_point << 6) | (byte & 0x3F);
    }
    const bool overlong =
        (length == 3 && code_point < 0x800) || (length == 4 && code_point < 0x10000);
    const bool surrogate = code_point >= 0xD800 && code_point <= 0xDFFF;
    const bool c1_control = code_point >= 0x80 && code_point < 0xA0;
    if (overlong || surrogate || c1_control || code_point > 0x10FFFF) {
        return 0;
    }
    decoded = code_point;
    return length;
}

// Marks that reorder the text around them on screen.
bool IsBidiControl(std::uint32_t c) {
    return c == 0x061C || c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E) ||
           (c >= 0x2066 && c <= 0x2069);
}

std::string Escaped(std::string_view text, bool utf8, bool line_breaks) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        std::uint32_t code_point = 0;
        if (byte == '\r' && line_breaks) {
            out.push_back('\n');
            i += (i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
        } else if ((byte == '\n' || byte == '\t') && line_breaks) {
            out.push_back(static_cast<char>(byte));
            ++i;
        } else if (byte == '\\' && i + 1 < text.size() && text[i + 1] == 'x') {
            Escape(out, byte);
            ++i;
        } else if (byte >= 0x20 && byte < 0x7F) {
            out.push_back(static_cast<char>(byte));
            ++i;
        } else if (byte >= 0x80 && utf8) {
            const std::size_t length = Utf8SequenceLength(text, i, code_point);
            if (length > 0 && !IsBidiControl(code_point)) {
                out.append(text, i, length);
                i += length;
            } else {
                for (std::size_t end = i + (length > 0 ? length : 1); i < end; ++i) {
                    Escape(out, static_cast<unsigned char>(text[i]));
                }
            }
        } else {
            Escape(out, byte);
            ++i;
        }
    }
    return out;
}

std::string Lowered(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) {
        return std::string();
    }
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

}  // namespace

std::string ForTerminal(const std::string& text, bool utf8) {
    return Escaped(text, utf8, true);
}

std::string PromptForTerminal(const std::string& text, bool utf8) {
    constexpr std::string_view kFileLine = "\r\nin File: ";
    constexpr std::string_view kQuestion = "\r\nDo you want to continue fixing other files?";
    const std::size_t file = text.find(kFileLine);
    if (file == std::string::npos) {
        return ForTerminal(text, utf8);
    }
    std::string_view name = std::string_view(text).substr(file + kFileLine.size());
    std::string_view question;
    if (name.ends_with(kQuestion)) {
        question = kQuestion;
        name.remove_suffix(kQuestion.size());
    }
    return Escaped(std::string_view(text).substr(0, file + kFileLine.size()), utf8, true) +
           Escaped(name, utf8, false) + Escaped(question, utf8, true);
}

int ConsoleMessageBox::MsgBox(const std::string& text, int style, const std::string& title) {
    console_ << Escaped(title, utf8_, false) << '\n' << PromptForTerminal(text, utf8_) << '\n';
    int answer = ui::vbOK;
    if ((style & 0x7) == ui::vbYesNo) {
        const std::string question = title + '\n' + text;
        same_in_a_row_ = question == last_question_ ? same_in_a_row_ + 1 : 1;
        last_question_ = question;
        switch (policy_) {
            case OnError::Ask:
                answer = AskYesNo();
                break;
            case OnError::Continue:
                answer = ui::vbYes;
                if (same_in_a_row_ >= kSameFailureLimit) {
                    console_ << "(the same error at the same entry " << same_in_a_row_
                             << " times in a row: answering no)";
                    answer = ui::vbNo;
                }
                break;
            case OnError::Stop:
                answer = ui::vbNo;
                break;
        }
    }
    console_ << '\n';
    console_.flush();
    return answer;
}

int ConsoleMessageBox::AskYesNo() {
    for (;;) {
        console_ << "[y/n] ";
        console_.flush();
        std::string line;
        if (!std::getline(answers_, line)) {
            console_ << "\n(end of input: no)";
            return ui::vbNo;
        }
        const std::string answer = Lowered(Trimmed(line));
        if (answer == "y" || answer == "yes") {
            return ui::vbYes;
        }
        if (answer == "n" || answer == "no") {
            return ui::vbNo;
        }
        console_ << "Please answer y or n.\n";
    }
}

}  // namespace vantrelle::cli
