#pragma once

// A label: a caption the user reads, never edits.
//
// The caption is plain text, never markup. Its lines break at CR LF and at a lone CR;
// a line longer than the label is wide wraps at the spaces only, the space at a break
// shown on neither line, and a word longer than the whole width is cut at the label's
// edge. The label does not grow with its text: what falls below it is clipped. Every
// line keeps to the side `Alignment` names, and reads in the paragraph direction
// `RightToLeft` names, whatever its first letters are: a Latin path reads left to right
// in a label that is not right to left, a Farsi text with Latin words right to left in
// one that is.

#include <functional>
#include <string>

#include "platform/ui/program.h"
#include "platform/ui/types.h"

namespace vantrelle::ui {

class Label : public Control {
  public:
    Label(Window& window, std::string name, Rect at);

    void SetCaption(const std::string& caption);
    const std::string& Caption() const;

    // The system's text colour until set.
    void SetForeColor(Color color);
    Color ForeColor() const;

    void SetAlignment(ui::Alignment alignment);
    ui::Alignment Alignment() const;

    // Paints the label at once, without waiting for the event loop.
    void Refresh();

    // The user clicked the label.
    std::function<void()> Click;
};

}  // namespace vantrelle::ui
