#pragma once

// The controls the windows are made of, with the members they rely on. Events are
// plain callbacks, named like the event, that the owning window fills in. Texts are
// shown as plain text only: a name or a server's answer never turns into markup.

#include <QCheckBox>
#include <QColor>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <functional>

namespace vantrelle::ui {

enum Alignment : int { kAlignLeft = 0, kAlignRight = 1 };

class Label : public QLabel {
  public:
    explicit Label(QWidget* parent);

    // Lines break at CR LF and at a lone CR; long lines wrap at word boundaries.
    void SetCaption(const QString& caption);
    const QString& Caption() const { return caption_; }

    void SetForeColor(const QColor& color);
    QColor ForeColor() const;

    // The side of the label the text keeps to on screen, whatever the reading order.
    void SetAlignment(int alignment);
    int Alignment() const { return alignment_; }

    void SetRightToLeft(bool right_to_left);
    bool RightToLeft() const { return layoutDirection() == Qt::RightToLeft; }

    void SetVisible(bool visible) { setVisible(visible); }
    bool Visible() const { return !isHidden(); }

    // Paints the label at once, without waiting for the event loop.
    void Refresh() { repaint(); }

    std::function<void()> Click;

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    void ApplyAlignment();

    QString caption_;
    int alignment_ = kAlignLeft;
};

class CommandButton : public QPushButton {
  public:
    explicit CommandButton(QWidget* parent);

    void SetCaption(const QString& caption) { setText(caption); }
    QString Caption() const { return text(); }

    std::function<void()> Click;
};

// `Click` runs whenever the check state changes, by the user or by code; setting
// `Value` to the state it already has raises nothing.
class CheckBox : public QCheckBox {
  public:
    explicit CheckBox(QWidget* parent);

    void SetValue(int value) { setChecked(value != 0); }
    int Value() const { return isChecked() ? 1 : 0; }

    void SetCaption(const QString& caption) { setText(caption); }
    QString Caption() const { return text(); }

    std::function<void()> Click;
};

// `Click` runs when this button becomes the selected one, by the user or by code.
class OptionButton : public QRadioButton {
  public:
    explicit OptionButton(QWidget* parent);

    void SetValue(bool value) { setChecked(value); }
    bool Value() const { return isChecked(); }

    void SetCaption(const QString& caption) { setText(caption); }
    QString Caption() const { return text(); }

    std::function<void()> Click;
};

class Image : public QLabel {
  public:
    explicit Image(QWidget* parent);

    void SetPicture(const QPixmap& picture) { setPixmap(picture); }
    void SetVisible(bool visible) { setVisible(visible); }
    bool Visible() const { return !isHidden(); }
};

}  // namespace vantrelle::ui
