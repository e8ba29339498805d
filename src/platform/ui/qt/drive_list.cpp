#include "platform/ui/drive_list.h"

#include <QComboBox>

#include "platform/ui/qt/native.h"

namespace vantrelle::ui {

namespace {

class DriveWidget : public QComboBox {
  public:
    explicit DriveWidget(std::vector<DriveEntry> drives) : drives_(std::move(drives)) {
        std::size_t selected = 0;
        for (std::size_t i = 0; i < drives_.size(); ++i) {
            const DriveEntry& entry = drives_[i];
            addItem(qt::ToQt(entry.text.empty() ? entry.drive : entry.text));
            if (entry.removable && !drives_[selected].removable) {
                selected = i;
            }
        }
        setCurrentIndex(drives_.empty() ? -1 : static_cast<int>(selected));
    }

    const std::vector<DriveEntry>& drives() const { return drives_; }

  private:
    std::vector<DriveEntry> drives_;
};

DriveWidget* Widget(const DriveListBox& list) {
    return qt::WidgetOf<DriveWidget>(list);
}

}  // namespace

DriveListBox::DriveListBox(Window& window, std::string name, Rect at,
                           std::vector<DriveEntry> drives)
    : Control(window, std::move(name), qt::Placed(window, new DriveWidget(std::move(drives)), at)) {
    QObject::connect(Widget(*this), &QComboBox::currentIndexChanged,
                     [this] { qt::Raise(this->window(), Change); });
}

std::string DriveListBox::Drive() const {
    const DriveWidget* widget = Widget(*this);
    const int index = widget->currentIndex();
    if (index < 0 || index >= static_cast<int>(widget->drives().size())) {
        return {};
    }
    return widget->drives()[static_cast<std::size_t>(index)].drive;
}

void DriveListBox::SetDrive(const std::string& drive) {
    DriveWidget* widget = Widget(*this);
    for (std::size_t i = 0; i < widget->drives().size(); ++i) {
        if (widget->drives()[i].drive == drive) {
            widget->setCurrentIndex(static_cast<int>(i));
            return;
        }
    }
}

}  // namespace vantrelle::ui
