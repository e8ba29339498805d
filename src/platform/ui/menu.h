#pragma once

// The window's menu bar: menus in the order they are made, each holding its items in
// the order they are made. The menu bar reads left to right in every language. Menus
// are made by the window's constructor, before it is first displayed.

#include <functional>
#include <memory>
#include <string>

#include "platform/ui/program.h"

namespace vantrelle::ui {

class Menu {
  public:
    Menu(Window& window, std::string name, const std::string& caption);
    ~Menu();
    Menu(const Menu&) = delete;
    Menu& operator=(const Menu&) = delete;

    const std::string& Name() const { return name_; }
    void SetCaption(const std::string& caption);
    const std::string& Caption() const;

    struct Native;
    Native& native() const { return *native_; }

  private:
    std::string name_;
    std::unique_ptr<Native> native_;
};

class MenuItem {
  public:
    MenuItem(Menu& menu, std::string name, const std::string& caption);
    ~MenuItem();
    MenuItem(const MenuItem&) = delete;
    MenuItem& operator=(const MenuItem&) = delete;

    const std::string& Name() const { return name_; }
    void SetCaption(const std::string& caption);
    const std::string& Caption() const;

    // The user chose the item.
    std::function<void()> Click;

    struct Native;
    Native& native() const { return *native_; }

  private:
    std::string name_;
    std::unique_ptr<Native> native_;
};

}  // namespace vantrelle::ui
