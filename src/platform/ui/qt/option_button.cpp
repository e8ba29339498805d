#include "platform/ui/option_button.h"

#include <QRadioButton>

#include "platform/ui/qt/native.h"

namespace vantrelle::ui {

OptionButton::OptionButton(Window& window, std::string name, Rect at)
    : Control(window, std::move(name), qt::Placed(window, new QRadioButton, at)) {
    // The radio buttons of one client area exclude each other (Qt's auto-exclusive).
    QObject::connect(qt::WidgetOf<QRadioButton>(*this), &QRadioButton::toggled,
                     [this](bool checked) {
                         if (checked) {
                             qt::Raise(this->window(), Click);
                         }
                     });
}

void OptionButton::SetValue(bool value) {
    qt::WidgetOf<QRadioButton>(*this)->setChecked(value);
}

bool OptionButton::Value() const {
    return qt::WidgetOf<QRadioButton>(*this)->isChecked();
}

void OptionButton::SetCaption(const std::string& caption) {
    native().caption = caption;
    qt::WidgetOf<QRadioButton>(*this)->setText(qt::ToQt(caption));
}

const std::string& OptionButton::Caption() const {
    return native().caption;
}

}  // namespace vantrelle::ui
