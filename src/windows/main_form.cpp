#include "windows/main_form.h"

#include <QMenuBar>

#include "engine/fix_folder.h"
#include "engine/fix_folder_tree.h"
#include "platform/ui/qt/engine_text.h"
#include "platform/ui/qt/layout.h"
#include "windows/window_frame.h"

namespace vantrelle::windows {

namespace {

const QColor kBlue(0, 0, 255);
const QString kCrLf = QStringLiteral("\r\n");

std::string Utf8(const QString& text) {
    return text.toUtf8().toStdString();
}

}  // namespace

MainForm::MainForm(ui::Program& program, const MainFormTable& table, Services& services)
    : ui::Window(program), table_(table), services_(services) {
    setObjectName(QLatin1String(table.name));
    QWidget* client =
        MakeFrame(this, table.client_width, table.client_height, /*minimize_button=*/true);
    const bool farsi = table.language == Language::Farsi;

    Label1 = MakeControl<ui::Label>(client, "Label1", table.label1);
    Label1->SetCaption(table.label1_text);

    Drive1 = MakeControl<ui::DriveListBox>(client, "Drive1", table.drive1, services.drives());

    Check1 = MakeControl<ui::CheckBox>(client, "Check1", table.check1);
    Check1->SetCaption(table.check1_text);

    Check2 = MakeControl<ui::CheckBox>(client, "Check2", table.check2);
    Check2->SetCaption(table.check2_text);

    Label2 = MakeControl<ui::Label>(client, "Label2", table.label2);
    Label2->SetVisible(false);

    Dir1 = MakeControl<ui::DirListBox>(client, "Dir1", table.dir1, *services.fs);
    Dir1->SetPath(services.start_folder);
    Dir1->setVisible(false);

    Label3 = MakeControl<ui::Label>(client, "Label3", table.label3);
    Label3->SetForeColor(kBlue);
    Label3->SetVisible(false);

    Command1 = MakeControl<ui::CommandButton>(client, "Command1", table.command1);
    Command1->SetCaption(table.command1_text);

    if (farsi) {
        for (QWidget* control :
             std::initializer_list<QWidget*>{Label1, Check1, Check2, Label2, Label3, Command1}) {
            control->setFont(ui::Tahoma());
        }
        Label1->SetRightToLeft(true);
        // Right to left puts the box on the right of its text.
        Check1->setLayoutDirection(Qt::RightToLeft);
        Check2->setLayoutDirection(Qt::RightToLeft);
        Label3->SetAlignment(ui::kAlignRight);
        Label3->SetRightToLeft(true);
        Command1->setLayoutDirection(Qt::RightToLeft);
    }

    // Titles, menus and message boxes read left to right in both languages.
    menuBar()->setLayoutDirection(Qt::LeftToRight);
    Menu = menuBar()->addMenu(table.menu_text);
    Menu->setObjectName(QStringLiteral("Menu"));
    Update = Menu->addAction(table.update_text);
    Update->setObjectName(QLatin1String(table.update_item_name));
    Exit = Menu->addAction(table.exit_text);
    Exit->setObjectName(QStringLiteral("Exit"));

    QStringList order;
    for (const char* name : table.tab_order) {
        order.append(QLatin1String(name));
    }
    SetTabOrder(client, order);

    Drive1->Change = [this] { Drive1_Change(); };
    Dir1->Change = [this] { Dir1_Change(); };
    Check1->Click = [this] { Check1_Click(); };
    Check2->Click = [this] { Check2_Click(); };
    Command1->Click = [this] { Command1_Click(); };
    connect(Update, &QAction::triggered, this, [this] { Update_Click(); });
    connect(Exit, &QAction::triggered, this, [this] { Exit_Click(); });
}

void MainForm::Form_Load() {
    target_path_ = Drive1->Drive();
}

void MainForm::ShowPath() {
    Label2->SetCaption(table_.path_prefix + kCrLf + ui::FromEngineText(target_path_));
}

void MainForm::Drive1_Change() {
    Dir1->SetPath(Drive1->Drive());
    target_path_ = Drive1->Drive();
    ShowPath();
}

void MainForm::Dir1_Change() {
    target_path_ = Dir1->Path();
    ShowPath();
}

void MainForm::Check1_Click() {
    if (Check1->Value() == 1) {
        Dir1->setVisible(true);
        Label2->SetVisible(true);
        Dir1->SetPath(Drive1->Drive());
        ShowPath();
    } else {
        Dir1->setVisible(false);
        Label2->SetVisible(false);
        target_path_ = Drive1->Drive();
    }
}

void MainForm::Check2_Click() {
    if (Check2->Value() != 1) {
        return;
    }
    const QString warning =
        table_.warning_line1 + kCrLf + table_.warning_line2 + kCrLf + table_.warning_line3;
    const int answer = services_.box->MsgBox(Utf8(warning), ui::vbYesNo + ui::vbExclamation,
                                             Utf8(table_.warning_title));
    // Clearing the box raises this handler once more; it then finds the box cleared.
    Check2->SetValue(answer == ui::vbYes ? 1 : 0);
}

void MainForm::Command1_Click() {
    Label3->SetCaption(table_.status_line1 + kCrLf + table_.status_line2);
    Label3->SetVisible(true);
    // The repair blocks the window until it returns: the status must be on screen first.
    Label3->Refresh();
    const engine::RepairResult result =
        Check2->Value() == 1 ? engine::FixFolderTree(target_path_, *services_.fs, *services_.box)
                             : engine::FixFolder(target_path_, *services_.fs, *services_.box);
    const QString& outcome = result == engine::kNoError ? table_.success_text : table_.error_text;
    services_.box->MsgBox(Utf8(outcome), ui::vbOKOnly + ui::vbInformation,
                          Utf8(table_.outcome_title));
    Label3->SetVisible(false);
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
