#include "platform/ui/drive_list.h"

#include <QComboBox>
#include <QSignalBlocker>

#include "platform/ui/common/drive_selection.h"
#include "platform/ui/qt/native.h"

#ifdef Q_OS_LINUX
#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#endif

namespace vantrelle::ui {

namespace {

class DriveWidget : public QComboBox {
  public:
    explicit DriveWidget(DriveListBox::Source source) : source_(std::move(source)) {
        drives_ = source_();
        Fill(common::StartingDrive(drives_));
    }
#ifdef Q_OS_LINUX
    ~DriveWidget() override {
        if (mount_table_ >= 0) {
            ::close(mount_table_);
        }
    }

    // The kernel marks the mount table with POLLPRI whenever a mount comes or goes.
    void WatchMounts(std::function<void()> changed) {
        mount_table_ = ::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC);
        if (mount_table_ < 0) {
            return;
        }
        auto* notifier = new QSocketNotifier(mount_table_, QSocketNotifier::Exception, this);
        QObject::connect(notifier, &QSocketNotifier::activated, this,
                         [changed = std::move(changed)] { changed(); });
    }
#endif

    const std::vector<DriveEntry>& drives() const {
        return drives_;
    }

    // Takes the source's drives; true when another drive is selected than before.
    bool Refill() {
        std::vector<DriveEntry> now = source_();
        const int selected = common::DriveAfterChange(drives_, currentIndex(), now);
        const std::string before =
            currentIndex() >= 0 ? drives_[static_cast<std::size_t>(currentIndex())].drive : "";
        drives_ = std::move(now);
        Fill(selected);
        return (selected >= 0 ? drives_[static_cast<std::size_t>(selected)].drive : "") != before;
    }

  private:
    void Fill(int selected) {
        const QSignalBlocker quiet(this);
        clear();
        for (const DriveEntry& entry : drives_) {
            addItem(qt::ToQt(entry.text.empty() ? entry.drive : entry.text));
        }
        setCurrentIndex(selected);
    }

    DriveListBox::Source source_;
    std::vector<DriveEntry> drives_;
#ifdef Q_OS_LINUX
    int mount_table_ = -1;
#endif
};

DriveWidget* Widget(const DriveListBox& list) {
    return qt::WidgetOf<DriveWidget>(list);
}

}  // namespace

DriveListBox::DriveListBox(Window& window, std::string name, Rect at, Source drives)
    : Control(window, std::move(name), qt::Placed(window, new DriveWidget(std::move(drives)), at)) {
    QObject::connect(Widget(*this), &QComboBox::currentIndexChanged,
                     [this] { qt::Raise(this->window(), Change); });
#ifdef Q_OS_LINUX
    Widget(*this)->WatchMounts([this] { this->window().PostEvent([this] { Refresh(); }); });
#endif
}

DriveListBox::DriveListBox(Window& window, std::string name, Rect at,
                           std::vector<DriveEntry> drives)
    : DriveListBox(window, std::move(name), at, [drives = std::move(drives)] { return drives; }) {}

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

void DriveListBox::Refresh() {
    if (Widget(*this)->Refill()) {
        qt::Raise(window(), Change);
    }
}

}  // namespace vantrelle::ui
