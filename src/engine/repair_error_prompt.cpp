#include "engine/repair_error_prompt.h"

namespace vantrelle::engine {

bool RepairErrorPrompt(ui::MessageBox& box, PromptForm form, const files::Error& error,
                       const std::string& path, char separator, const std::string& entry) {
    std::string text = "An error happened :\r\n";
    text += error.description;
    text += "\r\nin File: ";
    text += path;
    text += separator;
    text += entry;

    int style = ui::vbCritical | ui::vbOKOnly;
    if (form == PromptForm::Question) {
        text += "\r\nDo you want to continue fixing other files?";
        style = ui::vbCritical | ui::vbYesNo;
    }

    const int answer = box.MsgBox(text, style, "Error " + std::to_string(error.number));
    return form == PromptForm::Question && answer == ui::vbYes;
}

}  // namespace vantrelle::engine
