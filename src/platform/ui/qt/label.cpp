#include "platform/ui/label.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QTextLayout>

#include "platform/ui/common/caption_lines.h"
#include "platform/ui/qt/label_widget.h"
#include "platform/ui/qt/native.h"

namespace vantrelle::ui {

namespace qt {

namespace {

// What a screen reader reads of a label: a static text whose name and text are the
// caption, each line break one "\n". The widget paints itself, so Qt's default would
// offer an unnamed, empty element.
class AccessibleLabel : public QAccessibleWidget, public QAccessibleTextInterface {
  public:
    explicit AccessibleLabel(LabelWidget* label)
        : QAccessibleWidget(label, QAccessible::StaticText) {}

    QString text(QAccessible::Text kind) const override {
        return kind == QAccessible::Name ? Shown() : QAccessibleWidget::text(kind);
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::TextInterface ? static_cast<QAccessibleTextInterface*>(this)
                                                  : QAccessibleWidget::interface_cast(type);
    }

    // Read-only text without a caret or a selection.
    void selection(int, int* start, int* end) const override { *start = *end = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QString text(int start, int end) const override { return Shown().mid(start, end - start); }
    int characterCount() const override { return static_cast<int>(Shown().size()); }
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int* start, int* end) const override {
        *start = *end = 0;
        return {};
    }

  private:
    QString Shown() const {
        QString shown = ToQt(static_cast<const LabelWidget*>(widget())->caption());
        shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        return shown;
    }
};

QAccessibleInterface* LabelAccessibility(const QString&, QObject* object) {
    if (auto* label = dynamic_cast<LabelWidget*>(object)) {
        return new AccessibleLabel(label);
    }
    return nullptr;
}

}  // namespace

LabelWidget::LabelWidget() {
    setFocusPolicy(Qt::NoFocus);
    [[maybe_unused]] static const bool installed = [] {
        QAccessible::installFactory(&LabelAccessibility);
        return true;
    }();
}

void LabelWidget::SetCaption(const std::string& caption) {
    caption_ = caption;
    update();
    if (QAccessible::isActive()) {
        QAccessibleEvent renamed(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&renamed);
    }
}

void LabelWidget::SetAlignment(Alignment alignment) {
    alignment_ = alignment;
    update();
}

std::vector<std::string> LabelWidget::Lines() const {
    const QFontMetrics metrics = fontMetrics();
    return common::CaptionLines(caption_, width(), [&metrics](const std::string& text) {
        return metrics.horizontalAdvance(ToQt(text));
    });
}

void LabelWidget::paintEvent(QPaintEvent*) {
    ++paints_;
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    QTextOption option((alignment_ == kAlignRight ? Qt::AlignRight : Qt::AlignLeft) |
                       Qt::AlignAbsolute);
    // The paragraph direction is the label's, not the one its first letter would suggest.
    option.setTextDirection(layoutDirection());
    option.setWrapMode(QTextOption::ManualWrap);
    const QFontMetrics metrics = fontMetrics();
    const auto measure = [&metrics](const std::string& text) {
        return metrics.horizontalAdvance(ToQt(text));
    };
    // A paragraph is laid out whole, the space at each of its wraps turned into a line
    // separator, which ends the line but not the paragraph: a bracket or a number at a
    // wrap reads in the order it has in the whole paragraph.
    qreal y = 0;
    for (const std::string& paragraph : common::CaptionParagraphs(caption_)) {
        if (y >= height()) {
            break;
        }
        QString text;
        for (const std::string& line : common::CaptionLines(paragraph, width(), measure)) {
            if (!text.isEmpty()) {
                text += QChar::LineSeparator;
            }
            text += ToQt(line);
        }
        QTextLayout layout(text, font());
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width());
            line.setPosition(QPointF(0, y));
            y += line.height();
        }
        layout.endLayout();
        layout.draw(&painter, QPointF(0, 0));
    }
}

void LabelWidget::mouseReleaseEvent(QMouseEvent* event) {
    QWidget::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) &&
        clicked) {
        clicked();
    }
}

}  // namespace qt

namespace {

qt::LabelWidget* Widget(const Label& label) {
    return qt::WidgetOf<qt::LabelWidget>(label);
}

}  // namespace

Label::Label(Window& window, std::string name, Rect at)
    : Control(window, std::move(name), qt::Placed(window, new qt::LabelWidget, at)) {
    Widget(*this)->clicked = [this] { qt::Raise(this->window(), Click); };
}

void Label::SetCaption(const std::string& caption) {
    native().caption = caption;
    Widget(*this)->SetCaption(caption);
}

const std::string& Label::Caption() const {
    return native().caption;
}

void Label::SetForeColor(Color color) {
    QWidget* widget = Widget(*this);
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, QColor(color.red, color.green, color.blue));
    widget->setPalette(palette);
}

Color Label::ForeColor() const {
    const QColor color = Widget(*this)->palette().color(QPalette::WindowText);
    return {static_cast<std::uint8_t>(color.red()), static_cast<std::uint8_t>(color.green()),
            static_cast<std::uint8_t>(color.blue())};
}

void Label::SetAlignment(ui::Alignment alignment) {
    Widget(*this)->SetAlignment(alignment);
}

ui::Alignment Label::Alignment() const {
    return Widget(*this)->alignment();
}

void Label::Refresh() {
    Widget(*this)->repaint();
}

}  // namespace vantrelle::ui
