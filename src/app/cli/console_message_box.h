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

    // An automatic Yes to the same question this many times in a row becomes No: a
    // step that keeps failing at the same entry would otherwise ask for ever.
    static constexpr int kSameFailureLimit = 5;

  private:
    int AskYesNo();

    OnError policy_;
    std::istream& answers_;
    std::ostream& console_;
    bool utf8_;
    std::string last_question_;
    int same_in_a_row_ = 0;
};

// `text` as a terminal may show it safely: CR LF and lone CR become line feeds; other
// control characters, bidirectional controls (U+202E ...), and bytes that are not
// UTF-8 (or not ASCII, when `utf8` is false), become \xNN, so that a name cannot move
// the cursor or garble the prompt. A backslash that starts "\x" is shown as \x5c, so
// that an escape and a name holding its text cannot be confused.
std::string ForTerminal(const std::string& text, bool utf8);

// The same for a prompt of the repair engine: its own lines stay lines, while the line
// naming the file, which carries a name from the volume, shows every line break and
// tab of that name escaped, so that a crafted name cannot print a question of its own.
std::string PromptForTerminal(const std::string& text, bool utf8);

}  // namespace vantrelle::cli
