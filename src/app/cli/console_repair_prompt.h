#pragma once

// The headless front end's answer to the repair engine's failures: each is written to
// a text stream and answered from another stream or by a fixed policy. Streams are the
// only seam to the console, so the prompt is the same on every platform.

#include <istream>
#include <ostream>
#include <string>

#include "app/cli/command_line.h"
#include "engine/repair_prompt.h"

namespace vantrelle::cli {

class ConsoleRepairPrompt final : public engine::RepairPrompt {
  public:
    // `utf8_terminal`: whether the console shows UTF-8; otherwise every byte outside
    // printable ASCII is shown escaped.
    ConsoleRepairPrompt(OnError policy, std::istream& answers, std::ostream& console,
                        bool utf8_terminal)
        : policy_(policy), answers_(answers), console_(console), utf8_(utf8_terminal) {}

    engine::PromptAnswer Failed(const engine::RepairFailure& failure) override;

    // An automatic Yes to the same failure this many times in a row becomes No: a
    // step that keeps failing at the same entry would otherwise ask for ever.
    static constexpr int kSameFailureLimit = 5;

  private:
    engine::PromptAnswer AskYesNo();

    OnError policy_;
    std::istream& answers_;
    std::ostream& console_;
    bool utf8_;
    std::string last_failure_;
    int same_in_a_row_ = 0;
};

}  // namespace vantrelle::cli
