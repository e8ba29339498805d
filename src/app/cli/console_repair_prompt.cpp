#include "app/cli/console_repair_prompt.h"

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

bool EndsInSeparator(const std::string& folder, char separator) {
    if (folder.empty()) {
        return false;
    }
    // Windows takes a slash for a backslash.
    return folder.back() == separator || (separator == '\\' && folder.back() == '/');
}

}  // namespace

void ConsoleRepairPrompt::Begin(const std::string& top_folder) {
    top_ = top_folder;
    no_folder_ = false;
    volume_failed_ = false;
    last_entry_.clear();
    in_a_row_ = 0;
}

PromptAnswer ConsoleRepairPrompt::Failed(const engine::RepairFailure& failure) {
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

// The entry's path as the user would type it: a folder that ends in its separator (a
// drive root, a PATH given with a trailing slash) gets none added.
std::string ConsoleRepairPrompt::PathOf(const engine::RepairFailure& failure) const {
    if (failure.entry.empty()) {
        return failure.folder;
    }
    if (EndsInSeparator(failure.folder, failure.separator)) {
        return failure.folder + failure.entry;
    }
    return failure.folder + failure.separator + failure.entry;
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
