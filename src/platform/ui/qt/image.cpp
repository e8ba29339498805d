#include "platform/ui/image.h"

#include <QLabel>

#include "platform/ui/qt/native.h"

namespace vantrelle::ui {

namespace {

QLabel* PictureWidget(const std::string& picture) {
    auto* widget = new QLabel;
    widget->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    widget->setPixmap(qt::Picture(picture));
    return widget;
}

}  // namespace

Image::Image(Window& window, std::string name, Rect at, const std::string& picture)
    : Control(window, std::move(name), qt::Placed(window, PictureWidget(picture), at)) {}

}  // namespace vantrelle::ui
