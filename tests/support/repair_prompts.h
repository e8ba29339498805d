#pragma once

// The text of the repair engine's question prompt, for tests that check prompts.

#include <string>

namespace vantrelle::testing {

inline std::string RepairQuestionText(const std::string& description, const std::string& file) {
    return "An error happened :\r\n" + description + "\r\nin File: " + file +
           "\r\nDo you want to continue fixing other files?";
}

}  // namespace vantrelle::testing
