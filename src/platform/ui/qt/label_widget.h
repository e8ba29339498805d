#pragma once

// The widget behind a label: it lays out and paints the caption itself, so that lines
// wrap at spaces only and every line reads in the label's own paragraph direction.

#include <QWidget>
#include <functional>
#include <string>
#include <vector>

namespace vantrelle::ui::qt {

class LabelWidget : public QWidget {
  public:
    LabelWidget();

    void SetCaption(const std::string& caption);
    const std::string& caption() const { return caption_; }
    void SetAlignment(Alignment alignment);
    Alignment alignment() const { return alignment_; }
    // The lines as the current width and font lay them out.
    std::vector<std::string> Lines() const;
    // How often the label has been painted, for tests that it is on screen in time.
    int paints() const { return paints_; }

    std::function<void()> clicked;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    std::string caption_;
    Alignment alignment_ = kAlignLeft;
    int paints_ = 0;
};

}  // namespace vantrelle::ui::qt
