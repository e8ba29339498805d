#include "platform/ui/menu.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "platform/ui/qt/native.h"

namespace vantrelle::ui {

Menu::Menu(Window& window, std::string name, const std::string& caption)
    : name_(std::move(name)), native_(std::make_unique<Native>()) {
    QMenuBar* bar = window.native().widget->menuBar();
    bar->setLayoutDirection(Qt::LeftToRight);
    native_->window = &window;
    native_->menu = bar->addMenu(qt::ToQt(caption));
    native_->menu->setObjectName(qt::ToQt(name_));
    native_->caption = caption;
}

Menu::~Menu() {
    delete native_->menu.data();
}

void Menu::SetCaption(const std::string& caption) {
    native_->caption = caption;
    native_->menu->setTitle(qt::ToQt(caption));
}

const std::string& Menu::Caption() const {
    return native_->caption;
}

MenuItem::MenuItem(Menu& menu, std::string name, const std::string& caption)
    : name_(std::move(name)), native_(std::make_unique<Native>()) {
    native_->window = menu.native().window;
    native_->action = menu.native().menu->addAction(qt::ToQt(caption));
    native_->action->setObjectName(qt::ToQt(name_));
    native_->caption = caption;
    QObject::connect(native_->action, &QAction::triggered,
                     [this] { qt::Raise(*native_->window, Click); });
}

MenuItem::~MenuItem() {
    delete native_->action.data();
}

void MenuItem::SetCaption(const std::string& caption) {
    native_->caption = caption;
    native_->action->setText(qt::ToQt(caption));
}

const std::string& MenuItem::Caption() const {
    return native_->caption;
}

}  // namespace vantrelle::ui
