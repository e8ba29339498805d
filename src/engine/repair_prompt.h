#pragma once

// How a repair routine reports a failed step and learns whether to go on. The engine
// only describes the failure; the desktop program words it in a message box, the
// command line on its console.

#include <cstdint>
#include <string>

#include "platform/files/result.h"

namespace vantrelle::engine {

enum class PromptForm {
    Question,  // the answer decides whether the routine goes on
    Notice,    // the routine stops whatever the answer
};

enum class PromptAnswer { GoOn, Stop };

struct RepairFailure {
    const files::Error& error;
    const std::string& folder;  // the path given to the routine, or to this level of a walk
    char separator;             // the file system's, between `folder` and `entry`
    const std::string& entry;   // the entry concerned; empty when none is
    PromptForm form;
};

// An entry the routine dealt with, named as the prompts name it.
struct RepairEntry {
    const std::string& folder;
    char separator;
    const std::string& entry;  // empty for the folder itself
};

class RepairPrompt {
  public:
    virtual ~RepairPrompt() = default;

    // Called once per failure, after the result has taken its number.
    virtual PromptAnswer Failed(const RepairFailure& failure) = 0;

    // Told of each entry reset, with its Read-only, Hidden, System and Archive bits before
    // (none: it was Normal already), and of each reserved folder left alone. For a caller
    // that counts or shows progress; the desktop program needs neither.
    virtual void Reset(const RepairEntry& /*entry*/, std::uint32_t /*before*/) {}
    virtual void LeftAlone(const RepairEntry& /*entry*/) {}
};

}  // namespace vantrelle::engine
