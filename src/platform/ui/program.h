#pragma once

// The program and its windows.
//
// A window class derives from `Window`, makes its controls in its constructor and
// handles their events in its own members. Each class has one `WindowSlot`: `Show`
// loads the window when it is not loaded (constructor, then `Form_Load`, then it is
// displayed) and otherwise only brings it up again. `Unload` destroys the window and
// its controls once the handler that asked for it has returned; the next `Show` loads
// it afresh. Closing a window from its title bar unloads it. `End` closes every window
// at once and no handler runs after it; the program also ends when its last window has
// been unloaded.
//
// Every event is delivered on the one user-interface thread, one at a time; a handler
// runs to its end before the next event, apart from the events it raises itself by
// changing a control, which run before the change returns. Events from outside the
// windows wait for the handler through `Window::PostEvent`.

#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/types.h"

namespace vantrelle::ui {

class Control;
class Window;

// The toolkit, started once per process before any window and running the event loop.
// `argc` and `argv` carry the toolkit's own options only; the program takes none.
class Application {
  public:
    Application(int& argc, char** argv);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Runs the event loop until a program ends; returns the process's exit status.
    int Run();

    struct Native;

  private:
    std::unique_ptr<Native> native_;
};

class Program {
  public:
    // `quit` is called once, when the program ends; by default it leaves the event loop.
    explicit Program(std::function<void()> quit = {});
    // Destroys every window still alive, loaded or waiting to be destroyed.
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    void Unload(Window& window);
    void End();

    bool ended() const { return ended_; }
    int loaded_count() const { return static_cast<int>(loaded_.size()); }

    // An event handler of the program runs while one of these lives; the toolkits make
    // one around every handler they raise, nested ones included.
    class HandlerScope {
      public:
        explicit HandlerScope(Program& program);
        ~HandlerScope();
        HandlerScope(const HandlerScope&) = delete;
        HandlerScope& operator=(const HandlerScope&) = delete;

      private:
        Program& program_;
    };
    bool InHandler() const { return handlers_running_ > 0; }

    struct Native;
    Native& native() const { return *native_; }

  private:
    friend class Window;
    template <class T>
    friend class WindowSlot;
    // Takes ownership of a window that is about to be loaded.
    void Adopt(std::unique_ptr<Window> window);
    void Quit();
    // Asks the event loop to run the held events soon; each toolkit has its way.
    void ScheduleHeldEvents();
    void RunHeldEvents();

    std::unique_ptr<Native> native_;
    std::function<void()> quit_;
    std::set<Window*> loaded_;
    bool ended_ = false;
    int handlers_running_ = 0;
    // Events posted while a handler ran, in their order, each with its window.
    std::vector<std::pair<std::weak_ptr<Window*>, std::function<void()>>> held_;
};

enum class Border {
    kFixedSingle,  // a main window: fixed size, single line
    kFixedDialog,  // a dialog frame: fixed size
};

// Every window carries the program's icon.
struct WindowStyle {
    std::string name;     // the window class, "Form1" or "enUpdateor"
    std::string caption;  // the title, read left to right in every language
    int client_width = 0;
    int client_height = 0;  // twips; a menu bar comes on top of the client area
    Border border = Border::kFixedSingle;
    bool minimize_button = false;          // never a maximize button; always the close box
    std::optional<Point> client_position;  // twips on the screen; none: the system's
};

class Window {
  public:
    Window(Program& program, const WindowStyle& style);
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    // Runs once per load, after the constructor and before the window is displayed.
    virtual void Form_Load() {}

    // Displays the window modeless and without an owner, or brings it up again.
    void Show();
    void Unload() { program_.Unload(*this); }
    bool unloaded() const { return unloaded_; }

    // Raises `event` on this window as an event from outside (a download's end): at once
    // when no handler of the program runs, otherwise from the event loop once the
    // outermost handler has returned, in the order posted. A handler waiting in a message
    // box holds it back although the box runs the event loop. Dropped when the window is
    // unloaded first or the program ends.
    void PostEvent(std::function<void()> event);

    // The focus order, first to last, by control name; labels keep their place without
    // taking focus. The first control that takes focus gets it.
    void SetTabOrder(const std::vector<std::string>& names);

    const std::string& Name() const { return name_; }
    const std::string& Caption() const { return caption_; }
    Program& program() const { return program_; }
    // The control of this window with that name, or nullptr.
    Control* FindControl(std::string_view name) const;

    struct Native;
    Native& native() const { return *native_; }

  private:
    friend class Control;
    friend class Program;
    template <class T>
    friend class WindowSlot;

    Program& program_;
    std::string name_;
    std::string caption_;
    std::vector<Control*> controls_;
    bool unloaded_ = false;
    // Lives as long as the window; slots hold it weakly to know when the window is gone.
    std::shared_ptr<Window*> alive_ = std::make_shared<Window*>(this);
    std::unique_ptr<Native> native_;
};

// The one instance of a window class, made on first use.
template <class T>
class WindowSlot {
  public:
    using Factory = std::function<std::unique_ptr<T>()>;

    WindowSlot(Program& program, Factory make) : program_(program), make_(std::move(make)) {}
    WindowSlot(const WindowSlot&) = delete;
    WindowSlot& operator=(const WindowSlot&) = delete;

    // The window, loaded and displayed; nullptr once the program has ended or when its
    // load handler unloaded it again.
    T* Show() {
        if (program_.ended()) {
            return nullptr;
        }
        if (T* window = Loaded()) {
            window->Show();
            return window;
        }
        std::unique_ptr<T> made = make_();
        T* window = made.get();
        alive_ = window->alive_;
        program_.Adopt(std::move(made));
        window->Form_Load();
        if (Loaded() != window) {
            return nullptr;
        }
        window->Show();
        return window;
    }

    void Unload() {
        if (T* window = Loaded()) {
            window->Unload();
        }
    }

    T* Loaded() const {
        const std::shared_ptr<Window*> alive = alive_.lock();
        if (!alive || (*alive)->unloaded()) {
            return nullptr;
        }
        return static_cast<T*>(*alive);
    }

  private:
    Program& program_;
    Factory make_;
    std::weak_ptr<Window*> alive_;
};

// What every control of a window has. A control is made by its window's constructor,
// placed at a rectangle of the client area in twips, and named like the window's
// member ("Command1"); one made later lies in front of those made before.
class Control {
  public:
    virtual ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    const std::string& Name() const { return name_; }
    Window& window() const { return window_; }

    // The control's own setting, also while its window is not on screen.
    void SetVisible(bool visible);
    bool Visible() const;

    void SetFont(const Font& font);

    // Right-to-left reading; a check box or an option button then has its box on the
    // right of its text.
    void SetRightToLeft(bool right_to_left);
    bool RightToLeft() const;

    struct Native;
    Native& native() const { return *native_; }

  protected:
    Control(Window& window, std::string name, std::unique_ptr<Native> native);

  private:
    Window& window_;
    std::string name_;
    std::unique_ptr<Native> native_;
};

}  // namespace vantrelle::ui
