#include "windows/main_form.h"

#include "engine/fix_folder.h"
#include "engine/fix_folder_tree.h"
#include "windows/repair_error_prompt.h"

namespace vantrelle::windows {

namespace {

constexpr ui::Color kBlue{0, 0, 255};
const std::string kCrLf = "\r\n";

ui::WindowStyle MainFormStyle(const MainFormTable& table) {
    return {.name = table.name,
            .caption = "Vantrelle",
            .client_width = table.client_width,
            .client_height = table.client_height,
            .border = ui::Border::kFixedSingle,
            .minimize_button = true,
            .client_position = std::nullopt};
}

}  // namespace

MainForm::MainForm(ui::Program& program, const MainFormTable& table, Services& services)
    : ui::Window(program, MainFormStyle(table)),
      table_(table),
      services_(services),
      Label1(*this, "Label1", table.label1),
      Drive1(*this, "Drive1", table.drive1, services.drives),
      Check1(*this, "Check1", table.check1),
      Check2(*this, "Check2", table.check2),
      Label2(*this, "Label2", table.label2),
      Dir1(*this, "Dir1", table.dir1, *services.fs),
      Label3(*this, "Label3", table.label3),
      Command1(*this, "Command1", table.command1),
      Menu(*this, "Menu", table.menu_text),
      Update(Menu, table.update_item_name, table.update_text),
      Exit(Menu, "Exit", table.exit_text) {
    Label1.SetCaption(table.label1_text);
    Check1.SetCaption(table.check1_text);
    Check2.SetCaption(table.check2_text);
    Label2.SetVisible(false);
    Dir1.SetPath(services.start_folder);
    Dir1.SetVisible(false);
    Label3.SetForeColor(kBlue);
    Label3.SetVisible(false);
    Command1.SetCaption(table.command1_text);

    if (table.language == Language::Farsi) {
        for (ui::Control* control : std::initializer_list<ui::Control*>{
                 &Label1, &Check1, &Check2, &Label2, &Label3, &Command1}) {
            control->SetFont(kTahoma);
        }
        // Right to left puts the check boxes' boxes on the right of their texts. The path
        // display, Label2, stays left-aligned and left to right: a path reads that way.
        Label1.SetRightToLeft(true);
        Check1.SetRightToLeft(true);
        Check2.SetRightToLeft(true);
        Label3.SetAlignment(ui::kAlignRight);
        Label3.SetRightToLeft(true);
        Command1.SetRightToLeft(true);
    }

    SetTabOrder({table.tab_order.begin(), table.tab_order.end()});

    Drive1.Change = [this] { Drive1_Change(); };
    Dir1.Change = [this] { Dir1_Change(); };
    Check1.Click = [this] { Check1_Click(); };
    Check2.Click = [this] { Check2_Click(); };
    Command1.Click = [this] { Command1_Click(); };
    Update.Click = [this] { Update_Click(); };
    Exit.Click = [this] { Exit_Click(); };
}

void MainForm::Form_Load() {
    target_path_ = Drive1.Drive();
}

void MainForm::ShowPath() {
    Label2.SetCaption(table_.path_prefix + kCrLf + target_path_);
}

void MainForm::Drive1_Change() {
    Dir1.SetPath(Drive1.Drive());
    target_path_ = Drive1.Drive();
    ShowPath();
}

void MainForm::Dir1_Change() {
    target_path_ = Dir1.Path();
    ShowPath();
}

void MainForm::Check1_Click() {
    if (Check1.Value() == ui::vbChecked) {
        Dir1.SetVisible(true);
        Label2.SetVisible(true);
        Dir1.SetPath(Drive1.Drive());
        ShowPath();
    } else {
        Dir1.SetVisible(false);
        Label2.SetVisible(false);
        target_path_ = Drive1.Drive();
    }
}

void MainForm::Check2_Click() {
    if (Check2.Value() != ui::vbChecked) {
        return;
    }
    const std::string warning =
        table_.warning_line1 + kCrLf + table_.warning_line2 + kCrLf + table_.warning_line3;
    const int answer =
        services_.box->MsgBox(warning, ui::vbYesNo + ui::vbExclamation, table_.warning_title);
    // Clearing the box raises this handler once more; it then finds the box cleared.
    Check2.SetValue(answer == ui::vbYes ? ui::vbChecked : ui::vbUnchecked);
}

void MainForm::Command1_Click() {
    // With no stick in, the list offers the system's own drive; repairing it by surprise
    // would unhide what the system hides on purpose.
    if (services_.is_system_drive(target_path_)) {
        const int answer = services_.box->MsgBox(
            table_.system_drive_line1 + kCrLf + table_.system_drive_line2,
            ui::vbYesNo + ui::vbExclamation + ui::vbDefaultButton2, table_.warning_title);
        if (answer != ui::vbYes) {
            return;
        }
    }
    Label3.SetCaption(table_.status_line1 + kCrLf + table_.status_line2);
    Label3.SetVisible(true);
    // The repair blocks the window until it returns: the status must be on screen first.
    Label3.Refresh();
    MessageBoxRepairPrompt prompt(*services_.box);
    const engine::RepairResult result =
        Check2.Value() == ui::vbChecked ? engine::FixFolderTree(target_path_, *services_.fs, prompt)
                                        : engine::FixFolder(target_path_, *services_.fs, prompt);
    const std::string& outcome =
        result == engine::kNoError ? table_.success_text : table_.error_text;
    services_.box->MsgBox(outcome, ui::vbOKOnly + ui::vbInformation, table_.outcome_title);
    Label3.SetVisible(false);
}

void MainForm::Update_Click() {
    if (services_.open_update_window) {
        services_.open_update_window(table_.language);
    }
}

void MainForm::Exit_Click() {
    program().End();
}

}  // namespace vantrelle::windows
