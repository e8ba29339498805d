#include "windows/form1.h"

#include "platform/ui/qt/layout.h"
#include "windows/forms.h"
#include "windows/main_form.h"
#include "windows/window_frame.h"

namespace vantrelle::windows {

namespace {

const QColor kBlue(0, 0, 255);
const QColor kDarkBlue(0, 0, 64);

}  // namespace

Form1::Form1(Forms& forms) : ui::Window(forms.program()), forms_(forms) {
    setObjectName(QStringLiteral("Form1"));
    QWidget* client = MakeFrame(this, 7245, 5685, /*minimize_button=*/false);
    const Form1Texts& texts = Form1FixedTexts();

    Label1 = MakeControl<ui::Label>(client, "Label1", {120, 120, 3255, 255});
    Label1->SetCaption(texts.label1);

    Label2 = MakeControl<ui::Label>(client, "Label2", {3960, 120, 3255, 255});
    Label2->setFont(ui::Tahoma());
    Label2->SetAlignment(ui::kAlignRight);
    Label2->SetRightToLeft(true);
    Label2->SetCaption(texts.label2);

    Option1 = MakeControl<ui::OptionButton>(client, "Option1", {120, 480, 1215, 495});
    Option1->SetCaption(texts.option1);

    Option2 = MakeControl<ui::OptionButton>(client, "Option2", {6240, 480, 255, 495});
    Option2->setFont(ui::Tahoma());
    Option2->setLayoutDirection(Qt::RightToLeft);

    Label5 = MakeControl<ui::Label>(client, "Label5", {6480, 600, 615, 255});
    Label5->setFont(ui::Tahoma());
    Label5->SetAlignment(ui::kAlignRight);
    Label5->SetRightToLeft(true);
    Label5->SetCaption(texts.label5);

    Label3 = MakeControl<ui::Label>(client, "Label3", {120, 1080, 6975, 975});
    Label3->setFont(ui::Tahoma());
    Label3->SetForeColor(kBlue);

    Image1 = MakeControl<ui::Image>(client, "Image1", {120, 2160, 7035, 2340});
    Image1->SetPicture(FarsiPicture());
    Image1->SetVisible(false);

    Label4 = MakeControl<ui::Label>(client, "Label4", {240, 4680, 3135, 855});
    Label4->setFont(ui::Tahoma());
    Label4->SetForeColor(kDarkBlue);

    Command2 = MakeControl<ui::CommandButton>(client, "Command2", {5760, 4680, 1215, 375});
    Command2->setFont(ui::Tahoma());
    Command2->SetCaption(QStringLiteral("Continue"));

    Command1 = MakeControl<ui::CommandButton>(client, "Command1", {5760, 5160, 1215, 375});
    Command1->setFont(ui::Tahoma());
    Command1->SetCaption(QStringLiteral("Exit"));

    SetTabOrder(client, {"Label1", "Label2", "Option1", "Option2", "Label3", "Command1", "Command2",
                         "Label4", "Label5"});

    Option1->Click = [this] { Option1_Click(); };
    Option2->Click = [this] { Option2_Click(); };
    Label5->Click = [this] { Label5_Click(); };
    Command2->Click = [this] { Command2_Click(); };
    Command1->Click = [this] { Command1_Click(); };
}

void Form1::Form_Load() {
    Label4->SetCaption(Credits());
    Option1->SetValue(true);
    ApplyLanguage();
}

void Form1::ApplyLanguage() {
    const Form1LanguageTexts& texts = Form1TextsFor(ChosenLanguage());
    Label3->SetAlignment(texts.alignment);
    Label3->SetRightToLeft(texts.right_to_left);
    Label3->SetCaption(texts.explanation_line1 + QStringLiteral("\r\n") + texts.explanation_line2);
    Command1->SetCaption(texts.exit_text);
    Command2->SetCaption(texts.continue_text);
    Image1->SetVisible(texts.image_visible);
}

void Form1::Option1_Click() {
    ApplyLanguage();
}

void Form1::Option2_Click() {
    ApplyLanguage();
}

void Form1::Label5_Click() {
    Option2->SetValue(true);
}

void Form1::Command2_Click() {
    forms_.MainFormFor(ChosenLanguage()).Show();
    Unload();
}

void Form1::Command1_Click() {
    program().End();
}

}  // namespace vantrelle::windows
