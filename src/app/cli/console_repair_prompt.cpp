#include "app/cli/console_repair_prompt.h"

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

}  // namespace

PromptAnswer ConsoleRepairPrompt::Failed(const engine::RepairFailure& failure) {
    const bool question = failure.form == engine::PromptForm::Question;
    console_ << "Error " << failure.error.number << "\nAn error happened :\n"
             << ForTerminal(failure.error.description, utf8_) << "\nin File: "
             << OneLineForTerminal(failure.folder + failure.separator + failure.entry, utf8_)
             << '\n';
    if (question) {
        console_ << "Do you want to continue fixing other files?\n";
    }
    PromptAnswer answer = PromptAnswer::Stop;
    if (question) {
        const std::string key = std::to_string(failure.error.number) + '\n' +
                                failure.error.description + '\n' + failure.folder + '\0' +
                                failure.entry;
        same_in_a_row_ = key == last_failure_ ? same_in_a_row_ + 1 : 1;
        last_failure_ = key;
        switch (policy_) {
            case OnError::Ask:
                answer = AskYesNo();
                break;
            case OnError::Continue:
                answer = PromptAnswer::GoOn;
                if (same_in_a_row_ >= kSameFailureLimit) {
                    console_ << "(the same error at the same entry " << same_in_a_row_
                             << " times in a row: answering no)";
                    answer = PromptAnswer::Stop;
                }
                break;
            case OnError::Stop:
                break;
        }
    }
    console_ << '\n';
    console_.flush();
    return answer;
}

PromptAnswer ConsoleRepairPrompt::AskYesNo() {
    for (;;) {
        console_ << "[y/n] ";
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
        if (answer == "n" || answer == "no") {
            return PromptAnswer::Stop;
        }
        console_ << "Please answer y or n.\n";
    }
}

}  // namespace vantrelle::cli
