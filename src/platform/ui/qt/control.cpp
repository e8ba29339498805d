#include <algorithm>

#include "platform/ui/program.h"
#include "platform/ui/qt/native.h"

namespace vantrelle::ui {

namespace qt {

std::unique_ptr<Control::Native> Placed(Window& window, QWidget* widget, const Rect& at) {
    widget->setParent(window.native().client);
    widget->setGeometry(Pixels(at));
    widget->show();  // shown with its window, unless the window hides it
    return std::make_unique<Control::Native>(widget);
}

}  // namespace qt

Control::Control(Window& window, std::string name, std::unique_ptr<Native> native)
    : window_(window), name_(std::move(name)), native_(std::move(native)) {
    native_->widget->setObjectName(qt::ToQt(name_));
    window_.controls_.push_back(this);
}

Control::~Control() {
    auto& controls = window_.controls_;
    controls.erase(std::remove(controls.begin(), controls.end(), this), controls.end());
}

void Control::SetVisible(bool visible) {
    native_->widget->setVisible(visible);
}

bool Control::Visible() const {
    return !native_->widget->isHidden();
}

void Control::SetFont(const Font& font) {
    native_->widget->setFont(qt::ToQFont(font));
}

void Control::SetRightToLeft(bool right_to_left) {
    native_->widget->setLayoutDirection(right_to_left ? Qt::RightToLeft : Qt::LeftToRight);
}

bool Control::RightToLeft() const {
    return native_->widget->layoutDirection() == Qt::RightToLeft;
}

}  // namespace vantrelle::ui
