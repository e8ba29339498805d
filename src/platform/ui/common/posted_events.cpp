// Events from outside the windows (a download's end) wait until no handler of the
// program runs: a message box inside a handler runs the toolkit's event loop, and must
// not let them in.

#include "platform/ui/program.h"

namespace vantrelle::ui {

Program::HandlerScope::HandlerScope(Program& program) : program_(program) {
    ++program_.handlers_running_;
}

Program::HandlerScope::~HandlerScope() {
    if (--program_.handlers_running_ == 0 && !program_.held_.empty()) {
        program_.ScheduleHeldEvents();
    }
}

void Window::PostEvent(std::function<void()> event) {
    if (unloaded_ || program_.ended()) {
        return;
    }
    if (!program_.InHandler() && program_.held_.empty()) {
        const Program::HandlerScope scope(program_);
        event();
        return;
    }
    program_.held_.emplace_back(alive_, std::move(event));
    if (!program_.InHandler()) {
        program_.ScheduleHeldEvents();
    }
}

void Program::RunHeldEvents() {
    while (!held_.empty() && handlers_running_ == 0 && !ended_) {
        auto [alive, event] = std::move(held_.front());
        held_.erase(held_.begin());
        const std::shared_ptr<Window*> window = alive.lock();
        if (!window || (*window)->unloaded()) {
            continue;
        }
        const HandlerScope scope(*this);
        event();
    }
}

}  // namespace vantrelle::ui
