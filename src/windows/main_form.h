#pragma once

// The main window, `Form2` in English and `Form3` in Farsi: one implementation laid
// out and worded by its variant's table.

#include <string>

#include "platform/ui/check_box.h"
#include "platform/ui/command_button.h"
#include "platform/ui/dir_list.h"
#include "platform/ui/drive_list.h"
#include "platform/ui/label.h"
#include "platform/ui/menu.h"
#include "platform/ui/program.h"
#include "windows/services.h"
#include "windows/texts.h"

namespace vantrelle::windows {

class MainForm : public ui::Window {
  public:
    MainForm(ui::Program& program, const MainFormTable& table, Services& services);

    void Form_Load() override;
    void Drive1_Change();
    void Dir1_Change();
    void Check1_Click();
    void Check2_Click();
    void Command1_Click();  // Start
    void Update_Click();
    void Exit_Click();

    const std::string& TargetPath() const { return target_path_; }
    const MainFormTable& table() const { return table_; }

  private:
    const MainFormTable& table_;
    Services& services_;

  public:
    ui::Label Label1;
    ui::DriveListBox Drive1;
    ui::CheckBox Check1;
    ui::CheckBox Check2;
    ui::Label Label2;
    ui::DirListBox Dir1;
    ui::Label Label3;
    ui::CommandButton Command1;
    ui::Menu Menu;
    ui::MenuItem Update;  // `update` in Form2
    ui::MenuItem Exit;

  private:
    void ShowPath();

    std::string target_path_;
};

}  // namespace vantrelle::windows
