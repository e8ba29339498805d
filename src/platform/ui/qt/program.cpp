#include "platform/ui/qt/program.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLayout>
#include <vector>

#include "platform/ui/qt/layout.h"

namespace vantrelle::ui {

Program::Program(std::function<void()> quit) : quit_(std::move(quit)) {
    if (!quit_) {
        quit_ = [] { QCoreApplication::exit(0); };
    }
}

void Program::Loaded(Window& window) {
    loaded_.insert(&window);
}

void Program::Unload(Window& window) {
    if (window.unloaded_) {
        return;
    }
    window.unloaded_ = true;
    loaded_.erase(&window);
    window.hide();
    // A window often unloads itself from one of its own handlers, so it is destroyed
    // once that handler has returned.
    window.deleteLater();
    if (loaded_.empty()) {
        Quit();
    }
}

void Program::End() {
    if (ended_) {
        return;
    }
    ended_ = true;
    std::vector<Window*> windows(loaded_.begin(), loaded_.end());
    loaded_.clear();
    for (Window* window : windows) {
        window->unloaded_ = true;
        window->hide();
        window->deleteLater();
    }
    Quit();
}

void Program::Quit() {
    ended_ = true;
    if (quit_) {
        auto quit = std::move(quit_);
        quit_ = nullptr;
        quit();
    }
}

Window::Window(Program& program) : program_(program) {}

Window::~Window() {
    program_.loaded_.erase(this);
}

void Window::closeEvent(QCloseEvent* event) {
    event->accept();
    program_.Unload(*this);
}

QWidget* Window::MakeClientArea(int width, int height) {
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(Twips(width), Twips(height));
    setCentralWidget(client);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    return client;
}

}  // namespace vantrelle::ui
