#include "support/scripted_message_box.h"

#include <gtest/gtest.h>

#include <ostream>

#include "windows/repair_error_prompt.h"

namespace vantrelle::testing {

namespace {

// Shows CR and LF visibly, so a wrong line break shows up in a failure message.
std::string Visible(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace

ScriptedMessageBox::~ScriptedMessageBox() {
    if (!answers_.empty()) {
        ADD_FAILURE() << answers_.size() << " scripted answer(s) left unused after "
                      << shown_.size() << " box(es)";
    }
}

ScriptedMessageBox& ScriptedMessageBox::Then(int answer) {
    answers_.push_back(answer);
    return *this;
}

int ScriptedMessageBox::MsgBox(const std::string& text, int style, const std::string& title) {
    shown_.push_back({text, style, title});
    if (answers_.empty()) {
        ADD_FAILURE() << "Unexpected message box #" << shown_.size() << ": title \""
                      << Visible(title) << "\", style " << style << ", text \"" << Visible(text)
                      << "\"";
        return ui::vbNo;
    }
    const int answer = answers_.front();
    answers_.pop_front();
    return answer;
}

engine::PromptAnswer ScriptedMessageBox::Failed(const engine::RepairFailure& failure) {
    return windows::RepairErrorPrompt(*this, failure);
}

void PrintTo(const ShownBox& box, std::ostream* os) {
    *os << "{title \"" << Visible(box.title) << "\", style " << box.style << ", text \""
        << Visible(box.text) << "\"}";
}

}  // namespace vantrelle::testing
