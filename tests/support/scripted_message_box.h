#pragma once

// A message box for tests: records every box shown and answers from a script. A box
// the script has no answer for fails the test and is answered No, so that a routine
// under test stops instead of running on; answers left over fail the test too. It also
// answers the repair engine's failures as the desktop program does, through
// RepairErrorPrompt, so that a test of a repair sees the boxes the user would.

#include <deque>
#include <string>
#include <vector>

#include "engine/repair_prompt.h"
#include "platform/ui/message_box.h"

namespace vantrelle::testing {

struct ShownBox {
    std::string text;
    int style = 0;
    std::string title;

    bool operator==(const ShownBox&) const = default;
};

class ScriptedMessageBox : public ui::MessageBox, public engine::RepairPrompt {
  public:
    ScriptedMessageBox() = default;
    explicit ScriptedMessageBox(std::initializer_list<int> answers) : answers_(answers) {}
    ~ScriptedMessageBox() override;

    // Queues the answer to the next box not yet answered.
    ScriptedMessageBox& Then(int answer);

    int MsgBox(const std::string& text, int style, const std::string& title) override;
    engine::PromptAnswer Failed(const engine::RepairFailure& failure) override;

    const std::vector<ShownBox>& shown() const { return shown_; }

  private:
    std::deque<int> answers_;
    std::vector<ShownBox> shown_;
};

// Lets gtest print a box readably when an assertion about it fails.
void PrintTo(const ShownBox& box, std::ostream* os);

}  // namespace vantrelle::testing
