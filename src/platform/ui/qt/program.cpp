#include "platform/ui/program.h"

#include <QCoreApplication>
#include <vector>

#include "platform/ui/qt/native.h"

namespace vantrelle::ui {

namespace {

// Holds an unloaded window until the event loop destroys the holder.
class Reaper : public QObject {
  public:
    Reaper(QObject* parent, std::unique_ptr<Window> window)
        : QObject(parent), window_(std::move(window)) {}

  private:
    std::unique_ptr<Window> window_;
};

void Reap(Program::Native& native, Window& window) {
    window.native().widget->hide();
    const auto owned = native.owned.find(&window);
    if (owned == native.owned.end()) {
        return;  // not made by a slot: its owner destroys it
    }
    auto* reaper = new Reaper(&native.reapers, std::move(owned->second));
    native.owned.erase(owned);
    reaper->deleteLater();
}

}  // namespace

Program::Program(std::function<void()> quit)
    : native_(std::make_unique<Native>()), quit_(std::move(quit)) {
    if (!quit_) {
        quit_ = [] { QCoreApplication::exit(0); };
    }
}

Program::~Program() = default;

void Program::Adopt(std::unique_ptr<Window> window) {
    loaded_.insert(window.get());
    Window* key = window.get();
    native_->owned[key] = std::move(window);
}

void Program::Unload(Window& window) {
    if (window.unloaded_) {
        return;
    }
    window.unloaded_ = true;
    const bool was_loaded = loaded_.erase(&window) > 0;
    Reap(*native_, window);
    if (was_loaded && loaded_.empty()) {
        Quit();
    }
}

void Program::End() {
    if (ended_) {
        return;
    }
    ended_ = true;
    const std::vector<Window*> windows(loaded_.begin(), loaded_.end());
    loaded_.clear();
    for (Window* window : windows) {
        window->unloaded_ = true;
        Reap(*native_, *window);
    }
    Quit();
}

void Program::ScheduleHeldEvents() {
    // Queued on an object of the program: dropped when the program is gone first.
    QMetaObject::invokeMethod(
        &native_->reapers, [this] { RunHeldEvents(); }, Qt::QueuedConnection);
}

void Program::Quit() {
    ended_ = true;
    if (quit_) {
        auto quit = std::move(quit_);
        quit_ = nullptr;
        quit();
    }
}

}  // namespace vantrelle::ui
