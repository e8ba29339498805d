#include "app/cli/console_message_box.h"

#include <cstdio>

namespace vantrelle::cli {

namespace {

void Escape(std::string& out, unsigned char byte) {
    char escaped[8];
    std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
    out += escaped;
}

// Length of the well-formed UTF-8 sequence starting at `at`, or 0.
std::size_t Utf8SequenceLength(const std::string& text, std::size_t at) {
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
    return length;
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
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte == '\r') {
            out.push_back('\n');
            i += (i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
        } else if (byte == '\n' || byte == '\t' || (byte >= 0x20 && byte < 0x7F)) {
            out.push_back(static_cast<char>(byte));
            ++i;
        } else if (byte >= 0x80 && utf8) {
            if (const std::size_t length = Utf8SequenceLength(text, i)) {
                out.append(text, i, length);
                i += length;
            } else {
                Escape(out, byte);
                ++i;
            }
        } else {
            Escape(out, byte);
            ++i;
        }
    }
    return out;
}

int ConsoleMessageBox::MsgBox(const std::string& text, int style, const std::string& title) {
    console_ << ForTerminal(title, utf8_) << '\n' << ForTerminal(text, utf8_) << '\n';
    int answer = ui::vbOK;
    if ((style & 0x7) == ui::vbYesNo) {
        switch (policy_) {
            case OnError::Ask:
                answer = AskYesNo();
                break;
            case OnError::Continue:
                answer = ui::vbYes;
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
