#pragma once

#include <string>

#include "platform/files/result.h"
#include "platform/ui/message_box.h"

namespace vantrelle::engine {

enum class PromptForm {
    Question,  // Yes/No with the question line: the user chooses to go on or stop
    Notice,    // OK only: the routine stops whatever the user does
};

// Shows the error of one repair step. Line 3 names `path`, the separator and `entry`
// (empty when no entry is concerned). Returns true when the user chose to go on,
// which only the question form can give.
bool RepairErrorPrompt(ui::MessageBox& box, PromptForm form, const files::Error& error,
                       const std::string& path, char separator, const std::string& entry);

}  // namespace vantrelle::engine
