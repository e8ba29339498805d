#include "platform/ui/check_box.h"

#include <QCheckBox>

#include "platform/ui/qt/native.h"

namespace vantrelle::ui {

CheckBox::CheckBox(Window& window, std::string name, Rect at)
    : Control(window, std::move(name), qt::Placed(window, new QCheckBox, at)) {
    // toggled is emitted inside setChecked, and only for a change.
    QObject::connect(qt::WidgetOf<QCheckBox>(*this), &QCheckBox::toggled,
                     [this] { qt::Raise(this->window(), Click); });
}

void CheckBox::SetValue(CheckValue value) {
    qt::WidgetOf<QCheckBox>(*this)->setChecked(value == vbChecked);
}

CheckValue CheckBox::Value() const {
    return qt::WidgetOf<QCheckBox>(*this)->isChecked() ? vbChecked : vbUnchecked;
}

void CheckBox::SetCaption(const std::string& caption) {
    native().caption = caption;
    qt::WidgetOf<QCheckBox>(*this)->setText(qt::ToQt(caption));
}

const std::string& CheckBox::Caption() const {
    return native().caption;
}

}  // namespace vantrelle::ui
