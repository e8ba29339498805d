// The menu bar: a pop-up menu per `Menu`, a command per `MenuItem`, whose choice reaches
// the window as WM_COMMAND with the item's number.

#include "platform/ui/menu.h"

#include <algorithm>

#include "platform/ui/win32/native.h"
#include "platform/ui/win32/wide_text.h"

namespace vantrelle::ui {

namespace {

void Rename(HMENU menu, UINT which, UINT by, const std::string& caption) {
    const std::wstring text = win32::WithoutMnemonics(caption);
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING;
    info.dwTypeData = const_cast<wchar_t*>(text.c_str());
    SetMenuItemInfoW(menu, which, by == MF_BYPOSITION, &info);
}

}  // namespace

Menu::Menu(Window& window, std::string name, const std::string& caption)
    : name_(std::move(name)), native_(std::make_unique<Native>()) {
    Window::Native& frame = window.native();
    if (frame.menu_bar == nullptr) {
        frame.menu_bar = CreateMenu();
        SetMenu(frame.hwnd, frame.menu_bar);
    }
    native_->window = &window;
    native_->popup = CreatePopupMenu();
    native_->position = static_cast<UINT>(GetMenuItemCount(frame.menu_bar));
    native_->caption = caption;
    frame.menus.push_back(this);
    AppendMenuW(frame.menu_bar, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(native_->popup),
                win32::WithoutMnemonics(caption).c_str());
    DrawMenuBar(frame.hwnd);
}

// The pop-up menu belongs to the menu bar, which goes with its window.
Menu::~Menu() {
    auto& menus = native_->window->native().menus;
    menus.erase(std::remove(menus.begin(), menus.end(), this), menus.end());
}

void Menu::SetCaption(const std::string& caption) {
    native_->caption = caption;
    Rename(native_->window->native().menu_bar, native_->position, MF_BYPOSITION, caption);
    DrawMenuBar(native_->window->native().hwnd);
}

const std::string& Menu::Caption() const {
    return native_->caption;
}

MenuItem::MenuItem(Menu& menu, std::string name, const std::string& caption)
    : name_(std::move(name)), native_(std::make_unique<Native>()) {
    Window& window = *menu.native().window;
    native_->window = &window;
    native_->popup = menu.native().popup;
    native_->id = window.native().next_item_id++;
    native_->caption = caption;
    window.native().items[native_->id] = this;
    AppendMenuW(native_->popup, MF_STRING, native_->id, win32::WithoutMnemonics(caption).c_str());
}

MenuItem::~MenuItem() {
    native_->window->native().items.erase(native_->id);
}

void MenuItem::SetCaption(const std::string& caption) {
    native_->caption = caption;
    Rename(native_->popup, native_->id, MF_BYCOMMAND, caption);
}

const std::string& MenuItem::Caption() const {
    return native_->caption;
}

}  // namespace vantrelle::ui
