#include "app/cli/console_repair_prompt.h"

#include <string>

#include "app/cli/failure_kind.h"
#include "app/cli/terminal_text.h"

namespace vantrelle::cli {

namespace {

using engine::PromptAnswer;

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

// The attributes as attrib shows them: Archive, then System, Hidden and Read-only.
std::string AttribLetters(std::uint32_t attributes) {
    struct Column {
        std::uint32_t bit;
        std::size_t at;
        char letter;
    };
    constexpr Column kColumns[] = {{0x20, 0, 'A'}, {0x04, 3, 'S'}, {0x02, 4, 'H'}, {0x01, 6, 'R'}};
    std::string letters = "       ";
    for (const Column& column : kColumns) {
        if ((attributes & column.bit) != 0) {
            letters[column.at] = column.letter;
        }
    }
    return letters;
}

bool EndsInSeparator(const std::string& folder, char separator) {
    if (folder.empty()) {
        return false;
    }
    // Windows takes a slash for a backslash.
    return folder.back() == separator || (separator == '\\' && folder.back() == '/');
}

// An entry's path as the user would type it: a folder that ends in its separator (a drive
// root, a PATH given with a trailing slash) gets none added.
std::string Joined(const std::string& folder, char separator, const std::string& entry) {
    if (entry.empty()) {
        return folder;
    }
    if (EndsInSeparator(folder, separator)) {
        return folder + entry;
    }
    return folder + separator + entry;
}

}  // namespace

void ConsoleRepairPrompt::Begin(const std::string& top_folder) {
    top_ = top_folder;
    no_folder_ = false;
    volume_failed_ = false;
    last_entry_.clear();
    in_a_row_ = 0;
    counts_ = {};
    progress_at_ = {};
    progress_calls_ = 0;
}

void ConsoleRepairPrompt::Reset(const engine::RepairEntry& entry, std::uint32_t before) {
    ++(before == 0 ? counts_.normal : counts_.reset);
    if ((listing_ || verbosity_ == Verbosity::Verbose) && before != 0) {
        ClearProgress();
        out_ << (listing_ ? "" : "reset ") << AttribLetters(before) << "  "
             << OneLineForTerminal(Joined(entry.folder, entry.separator, entry.entry), utf8_)
             << '\n';
    }
    ShowProgress(entry);
}

void ConsoleRepairPrompt::LeftAlone(const engine::RepairEntry& entry) {
    ++counts_.reserved;
    ShowProgress(entry);
}

// One line, redrawn at most ten times a second, and only on a terminal: a log keeps
// none of it.
void ConsoleRepairPrompt::ShowProgress(const engine::RepairEntry& at) {
    // The clock is read for one entry in 16: reading it for each would cost more than
    // drawing the line.
    if (progress_width_ <= 0 || (progress_calls_++ & 15) != 0) {
        return;
    }
    const auto now = std::chrono::steady_clock::now();
    if (now - progress_at_ < std::chrono::milliseconds(100)) {
        return;
    }
    progress_at_ = now;
    std::string line = std::to_string(counts_.reset + counts_.normal + counts_.failed) + " seen, " +
                       std::to_string(counts_.reset) + " reset, " + std::to_string(counts_.failed) +
                       " failed: " + OneLineForTerminal(at.folder, utf8_);
    // Cut to the terminal's width, counting a character per UTF-8 lead byte.
    const auto room = static_cast<std::size_t>(progress_width_ - 1);
    std::size_t shown = 0;
    std::size_t cut = line.size();
    for (std::size_t i = 0; i < line.size(); ++i) {
        if ((static_cast<unsigned char>(line[i]) & 0xC0) != 0x80 && ++shown > room) {
            cut = i;
            shown = room;
            break;
        }
    }
    line.resize(cut);
    // Spaces, not an escape sequence, wipe the rest of the last line: every console
    // understands them.
    line.append(room - shown, ' ');
    console_ << '\r' << line;
    console_.flush();
    progress_shown_ = true;
}

void ConsoleRepairPrompt::ClearProgress() {
    if (progress_shown_) {
        console_ << '\r' << std::string(static_cast<std::size_t>(progress_width_ - 1), ' ') << '\r';
        console_.flush();
        progress_shown_ = false;
    }
}

void ConsoleRepairPrompt::Summarize() {
    ClearProgress();
    if (verbosity_ == Verbosity::Quiet || no_folder_) {
        return;
    }
    // A listing resets nothing: its count is of what a repair would reset.
    console_ << "vantrelle-cli: " << OneLineForTerminal(top_, utf8_) << ": " << counts_.reset
             << (listing_ ? " would be reset, " : " reset, ") << counts_.normal
             << " already normal, " << counts_.failed << " failed, " << counts_.reserved
             << " reserved folder" << (counts_.reserved == 1 ? "" : "s") << " left alone\n";
    console_.flush();
}

PromptAnswer ConsoleRepairPrompt::Failed(const engine::RepairFailure& failure) {
    ++counts_.failed;
    ClearProgress();
    // Every later failure of a volume that failed as a whole would say the same again.
    if (volume_failed_ || no_folder_) {
        return PromptAnswer::Stop;
    }
    const FailureKind kind = KindOf(failure, failure.folder == top_);
    if (kind == FailureKind::NoSuchFolder || kind == FailureKind::NotAFolder) {
        no_folder_ = true;
        console_ << "vantrelle-cli: " << OneLineForTerminal(PathOf(failure), utf8_)
                 << (kind == FailureKind::NoSuchFolder ? ": no such folder\n" : ": not a folder\n");
        console_.flush();
        return PromptAnswer::Stop;
    }
    if (IsTheVolumes(kind)) {
        volume_failed_ = true;
        SayInOneLine(failure);
        console_ << "vantrelle-cli: " << WhatToDo(kind) << '\n';
        console_.flush();
        return PromptAnswer::Stop;
    }

    const bool question = failure.form == engine::PromptForm::Question;
    const bool someone_is_asked = policy_ == OnError::Ask && !yes_to_all_;
    if (someone_is_asked) {
        SayAsTheBox(failure);
    } else {
        SayInOneLine(failure);
    }
    if (!question) {
        return PromptAnswer::Stop;
    }
    if (someone_is_asked) {
        const PromptAnswer answer = AskYesNo();
        console_ << '\n';
        console_.flush();
        return answer;
    }
    if (policy_ == OnError::Stop) {
        return PromptAnswer::Stop;
    }

    std::string entry = failure.folder;
    entry += '\0';
    entry += failure.entry;
    in_a_row_ = entry == last_entry_ ? in_a_row_ + 1 : 1;
    last_entry_ = std::move(entry);
    if (in_a_row_ >= kFailureLimit) {
        console_ << "vantrelle-cli: " << OneLineForTerminal(PathOf(failure), utf8_) << ": failed "
                 << in_a_row_ << " times in a row: giving up\n";
        console_.flush();
        return PromptAnswer::Stop;
    }
    return PromptAnswer::GoOn;
}

void ConsoleRepairPrompt::SayInOneLine(const engine::RepairFailure& failure) {
    console_ << "vantrelle-cli: " << OneLineForTerminal(PathOf(failure), utf8_) << ": Error "
             << failure.error.number << ": " << OneLineForTerminal(failure.error.description, utf8_)
             << '\n';
    console_.flush();
}

void ConsoleRepairPrompt::SayAsTheBox(const engine::RepairFailure& failure) {
    console_ << "Error " << failure.error.number << "\nAn error happened :\n"
             << ForTerminal(failure.error.description, utf8_)
             << "\nin File: " << OneLineForTerminal(PathOf(failure), utf8_) << '\n';
    if (failure.form == engine::PromptForm::Question) {
        console_ << "Do you want to continue fixing other files?\n";
    } else {
        console_ << '\n';
    }
    console_.flush();
}

std::string ConsoleRepairPrompt::PathOf(const engine::RepairFailure& failure) const {
    return Joined(failure.folder, failure.separator, failure.entry);
}

PromptAnswer ConsoleRepairPrompt::AskYesNo() {
    for (;;) {
        console_ << "[y/n/a] ";
        console_.flush();
        std::string line;
        if (!std::getline(answers_, line)) {
            console_ << "\n(end of input: no)";
            return PromptAnswer::Stop;
        }
        const std::string answer = Lowered(Trimmed(line));
        if (answer == "y" || answer == "yes") {
            return PromptAnswer::GoOn;
        }
        if (answer == "a" || answer == "all") {
            yes_to_all_ = true;
            return PromptAnswer::GoOn;
        }
        if (answer == "n" || answer == "no") {
            return PromptAnswer::Stop;
        }
        console_ << "Please answer y (yes), n (no) or a (yes to all).\n";
    }
}

}  // namespace vantrelle::cli
