#pragma once

// The desktop program's answer to the repair engine's failures: RepairErrorPrompt, a
// modal message box the user answers.

#include "engine/repair_prompt.h"
#include "platform/ui/message_box.h"

namespace vantrelle::windows {

// Shows `failure` in `box`: titled "Error " and the number; line 3 names the folder, the
// separator and the entry (the line ends with the separator when there is no entry).
// Goes on only on Yes to the question form.
engine::PromptAnswer RepairErrorPrompt(ui::MessageBox& box, const engine::RepairFailure& failure);

class MessageBoxRepairPrompt final : public engine::RepairPrompt {
  public:
    explicit MessageBoxRepairPrompt(ui::MessageBox& box) : box_(box) {}

    engine::PromptAnswer Failed(const engine::RepairFailure& failure) override {
        return RepairErrorPrompt(box_, failure);
    }

  private:
    ui::MessageBox& box_;
};

}  // namespace vantrelle::windows
