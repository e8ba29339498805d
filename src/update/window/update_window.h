#pragma once

// The update check windows `enUpdateor` (English) and `faUpdateor` (Farsi): the update
// panel and a Close button. Loading the window shows it and starts the panel's check;
// closing it, by the button or the title bar, unloads it and abandons the check.

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "common/language.h"
#include "platform/ui/command_button.h"
#include "platform/ui/program.h"
#include "update/window/update_panel.h"

namespace vantrelle::update {

struct WindowTable {
    Language language;
    const char* name;  // the window's class name
    std::string caption;
    int client_width, client_height;           // twips
    std::optional<ui::Point> client_position;  // twips; none: the system's
    std::string close_caption;
    ui::Rect close;          // twips
    const char* panel_name;  // the hosted panel's name
    ui::Rect panel;          // twips
};
const WindowTable& WindowTableFor(Language language);

class UpdateWindow : public ui::Window {
  public:
    UpdateWindow(ui::Program& program, Language language, CheckSettings settings = {});

    void Form_Load() override;
    void Command1_Click();

    ui::CommandButton& Command1() { return command1_; }
    UpdatePanel& Panel() { return panel_; }
    const WindowTable& table() const { return table_; }

  private:
    const WindowTable& table_;
    // The panel first and the button after it: where the English panel reaches over the
    // button, the button lies in front.
    UpdatePanel panel_;
    ui::CommandButton command1_;
};

// One window per language, each made on first use: opening a window that is open only
// brings it up; after Close the next opening loads it afresh with a new check.
class UpdateWindows {
  public:
    explicit UpdateWindows(ui::Program& program, CheckSettings settings = {});

    UpdateWindow* Open(Language language);
    ui::WindowSlot<UpdateWindow>& Slot(Language language) {
        return language == Language::Farsi ? fa_updateor_ : en_updateor_;
    }

  private:
    ui::WindowSlot<UpdateWindow> en_updateor_;
    ui::WindowSlot<UpdateWindow> fa_updateor_;
};

}  // namespace vantrelle::update
