#pragma once

// The program's windows and their lifetime. Each window class has one slot, made on
// first use and kept for the run: `Show` loads a window that is not loaded (its
// `Form_Load` runs before it is displayed) and otherwise only brings it up again;
// `Unload` destroys it and the next `Show` loads it afresh. Closing a window from its
// title bar unloads it. `End` closes every window at once; the program also ends when
// its last window has been unloaded.

#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <memory>
#include <set>

namespace vantrelle::ui {

class Window;

class Program {
  public:
    // `quit` is called once, when the program ends; by default it leaves the event loop.
    explicit Program(std::function<void()> quit = {});

    void Unload(Window& window);
    void End();

    bool ended() const { return ended_; }
    int loaded_count() const { return static_cast<int>(loaded_.size()); }

  private:
    template <class T>
    friend class WindowSlot;
    friend class Window;
    void Loaded(Window& window);
    void Quit();

    std::function<void()> quit_;
    std::set<Window*> loaded_;
    bool ended_ = false;
};

class Window : public QMainWindow {
  public:
    explicit Window(Program& program);
    ~Window() override;

    // Runs once per load, after the controls exist and before the window is shown.
    virtual void Form_Load() {}

    void Unload() { program_.Unload(*this); }
    bool unloaded() const { return unloaded_; }

    // Makes the client area, `width` x `height` twips and the parent of every control;
    // a menu bar comes on top of it, and the window keeps to its size.
    QWidget* MakeClientArea(int width, int height);
    Program& program() { return program_; }

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    friend class Program;
    Program& program_;
    bool unloaded_ = false;
};

template <class T>
class WindowSlot {
  public:
    using Factory = std::function<std::unique_ptr<T>()>;

    WindowSlot(Program& program, Factory make) : program_(program), make_(std::move(make)) {}
    ~WindowSlot() { delete window_.data(); }
    WindowSlot(const WindowSlot&) = delete;
    WindowSlot& operator=(const WindowSlot&) = delete;

    // The window, loaded and displayed; nullptr once the program has ended or when its
    // load handler unloaded it again.
    T* Show() {
        if (program_.ended()) {
            return nullptr;
        }
        if (T* window = Loaded()) {
            window->show();
            window->raise();
            window->activateWindow();
            return window;
        }
        window_ = make_().release();
        program_.Loaded(*window_);
        window_->Form_Load();
        if (T* window = Loaded()) {
            window->show();
            return window;
        }
        return nullptr;
    }

    void Unload() {
        if (T* window = Loaded()) {
            program_.Unload(*window);
        }
    }

    T* Loaded() const { return window_ && !window_->unloaded() ? window_.data() : nullptr; }

  private:
    Program& program_;
    Factory make_;
    QPointer<T> window_;
};

}  // namespace vantrelle::ui
