#include "windows/repair_error_prompt.h"

namespace vantrelle::windows {

engine::PromptAnswer RepairErrorPrompt(ui::MessageBox& box, const engine::RepairFailure& failure) {
    std::string text = "An error happened :\r\n";
    text += failure.error.description;
    text += "\r\nin File: ";
    text += failure.folder;
    text += failure.separator;
    text += failure.entry;

    const bool question = failure.form == engine::PromptForm::Question;
    int style = ui::vbCritical | ui::vbOKOnly;
    if (question) {
        text += "\r\nDo you want to continue fixing other files?";
        style = ui::vbCritical | ui::vbYesNo;
    }

    const int answer = box.MsgBox(text, style, "Error " + std::to_string(failure.error.number));
    return question && answer == ui::vbYes ? engine::PromptAnswer::GoOn
                                           : engine::PromptAnswer::Stop;
}

}  // namespace vantrelle::windows
