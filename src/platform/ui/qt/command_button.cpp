#include "platform/ui/command_button.h"

#include <QKeyEvent>
#include <QPushButton>

#include "platform/ui/qt/native.h"

namespace vantrelle::ui {

namespace {

// Qt presses a focused button with Space only; Windows users press Enter as well.
class ButtonWidget : public QPushButton {
  public:
    ButtonWidget() { setAutoDefault(false); }

  protected:
    void keyPressEvent(QKeyEvent* event) override {
        if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
            event->modifiers() == Qt::NoModifier) {
            if (!event->isAutoRepeat()) {
                click();
            }
            return;
        }
        QPushButton::keyPressEvent(event);
    }
};

}  // namespace

CommandButton::CommandButton(Window& window, std::string name, Rect at)
    : Control(window, std::move(name), qt::Placed(window, new ButtonWidget, at)) {
    QObject::connect(qt::WidgetOf<QPushButton>(*this), &QPushButton::clicked,
                     [this] { qt::Raise(this->window(), Click); });
}

void CommandButton::SetCaption(const std::string& caption) {
    native().caption = caption;
    qt::WidgetOf<QPushButton>(*this)->setText(qt::ToQt(caption));
}

const std::string& CommandButton::Caption() const {
    return native().caption;
}

}  // namespace vantrelle::ui
