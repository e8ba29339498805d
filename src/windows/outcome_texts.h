#pragma once

// What the end of a repair says, in each language: the main window shows it in its
// outcome box, vantrelle-cli prints it.

#include <string>

#include "common/language.h"

namespace vantrelle::windows {

// The text for a repair result that is -1 (no error).
const std::string& SuccessText(Language language);

// The text for any other result.
const std::string& ErrorText(Language language);

}  // namespace vantrelle::windows
