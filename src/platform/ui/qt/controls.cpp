#include "platform/ui/qt/controls.h"

#include <QMouseEvent>
#include <QPalette>

namespace vantrelle::ui {

namespace {

// QLabel's plain text knows only LF as a line break.
QString DisplayText(const QString& caption) {
    QString text = caption;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

}  // namespace

Label::Label(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setWordWrap(true);
    setTextInteractionFlags(Qt::NoTextInteraction);
    ApplyAlignment();
}

void Label::SetCaption(const QString& caption) {
    caption_ = caption;
    setText(DisplayText(caption));
}

void Label::SetForeColor(const QColor& color) {
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText, color);
    setPalette(palette);
}

QColor Label::ForeColor() const {
    return palette().color(QPalette::WindowText);
}

void Label::SetAlignment(int alignment) {
    alignment_ = alignment == kAlignRight ? kAlignRight : kAlignLeft;
    ApplyAlignment();
}

void Label::SetRightToLeft(bool right_to_left) {
    setLayoutDirection(right_to_left ? Qt::RightToLeft : Qt::LeftToRight);
}

void Label::ApplyAlignment() {
    // Without AlignAbsolute, Qt mirrors left and right under a right-to-left reading
    // order; the alignment here names the side on screen.
    const Qt::Alignment side = alignment_ == kAlignRight ? Qt::AlignRight : Qt::AlignLeft;
    setAlignment(side | Qt::AlignAbsolute | Qt::AlignTop);
}

void Label::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) &&
        Click) {
        Click();
    }
}

CommandButton::CommandButton(QWidget* parent) : QPushButton(parent) {
    setAutoDefault(false);
    connect(this, &QPushButton::clicked, this, [this] {
        if (Click) {
            Click();
        }
    });
}

CheckBox::CheckBox(QWidget* parent) : QCheckBox(parent) {
    connect(this, &QCheckBox::toggled, this, [this] {
        if (Click) {
            Click();
        }
    });
}

OptionButton::OptionButton(QWidget* parent) : QRadioButton(parent) {
    connect(this, &QRadioButton::toggled, this, [this](bool checked) {
        if (checked && Click) {
            Click();
        }
    });
}

Image::Image(QWidget* parent) : QLabel(parent) {
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

}  // namespace vantrelle::ui
