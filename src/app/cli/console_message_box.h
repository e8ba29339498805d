#pragma once

// The message box of the headless front end: each box is written to a text stream,
// title first, and answered from another stream or by a fixed policy. Streams are the
// only seam to the console, so the box itself is the same on every platform.

#include <istream>
#include <ostream>
#include <string>

#include "app/cli/command_line.h"
#include "platform/ui/message_box.h"

namespace vantrelle::cli {

class ConsoleMessageBox final : public ui::MessageBox {
  public:
    // `utf8_terminal`: whether the console shows UTF-8; otherwise every byte outside
    // printable ASCII is shown escaped.
    ConsoleMessageBox(OnError policy, std::istream& answers, std::ostream& console,
                      bool utf8_terminal)
        : policy_(policy), answers_(answers), console_(console), utf8_(utf8_terminal) {}

    int MsgBox(const std::string& text, int style, const std::string& title) override;

  private:
    int AskYesNo();

    OnError policy_;
    std::istream& answers_;
    std::ostream& console_;
    bool utf8_;
};

// `text` as a terminal may show it safely: CR LF and lone CR become line feeds; other
// control characters, and bytes that are not UTF-8 (or not ASCII, when `utf8` is
// false), become \xNN, so that a name cannot move the cursor or garble the prompt.
std::string ForTerminal(const std::string& text, bool utf8);

}  // namespace vantrelle::cli
