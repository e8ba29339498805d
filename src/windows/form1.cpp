#include "windows/form1.h"

#include "windows/forms.h"
#include "windows/main_form.h"

namespace vantrelle::windows {

namespace {

constexpr ui::Color kBlue{0, 0, 255};
constexpr ui::Color kDarkBlue{0, 0, 64};
// The program carries it as src/app/resources/art/farsi.gif.
constexpr char kFarsiPicture[] = "farsi";

ui::WindowStyle Form1Style(const WelcomeFormTable& table) {
    return {.name = "Form1",
            .caption = "Vantrelle",
            .client_width = table.client_width,
            .client_height = table.client_height,
            .border = ui::Border::kFixedDialog,
            .minimize_button = false,
            .client_position = std::nullopt};
}

}  // namespace

Form1::Form1(Forms& forms) : Form1(forms, Form1Table()) {}

Form1::Form1(Forms& forms, const WelcomeFormTable& table)
    : ui::Window(forms.program(), Form1Style(table)),
      Label1(*this, "Label1", table.label1),
      Label2(*this, "Label2", table.label2),
      Option1(*this, "Option1", table.option1),
      Option2(*this, "Option2", table.option2),
      Label5(*this, "Label5", table.label5),
      Label3(*this, "Label3", table.label3),
      Image1(*this, "Image1", table.image1, kFarsiPicture),
      Label4(*this, "Label4", table.label4),
      Command2(*this, "Command2", table.command2),
      Command1(*this, "Command1", table.command1),
      forms_(forms) {
    Label1.SetCaption(table.label1_text);

    Label2.SetFont(kTahoma);
    Label2.SetAlignment(ui::kAlignRight);
    Label2.SetRightToLeft(true);
    Label2.SetCaption(table.label2_text);

    Option1.SetCaption(table.option1_text);

    Option2.SetFont(kTahoma);
    Option2.SetRightToLeft(true);

    Label5.SetFont(kTahoma);
    Label5.SetAlignment(ui::kAlignRight);
    Label5.SetRightToLeft(true);
    Label5.SetCaption(table.label5_text);

    Label3.SetFont(kTahoma);
    Label3.SetForeColor(kBlue);

    Image1.SetVisible(false);

    Label4.SetFont(kTahoma);
    Label4.SetForeColor(kDarkBlue);

    const Form1LanguageTexts& english = Form1TextsFor(Language::English);
    Command2.SetFont(kTahoma);
    Command2.SetCaption(english.continue_text);

    Command1.SetFont(kTahoma);
    Command1.SetCaption(english.exit_text);

    SetTabOrder({table.tab_order.begin(), table.tab_order.end()});

    Option1.Click = [this] { Option1_Click(); };
    Option2.Click = [this] { Option2_Click(); };
    Label5.Click = [this] { Label5_Click(); };
    Command2.Click = [this] { Command2_Click(); };
    Command1.Click = [this] { Command1_Click(); };
}

void Form1::Form_Load() {
    Label4.SetCaption(Credits());
    Option1.SetValue(true);
    ApplyLanguage();
}

void Form1::ApplyLanguage() {
    const Form1LanguageTexts& texts = Form1TextsFor(ChosenLanguage());
    Label3.SetAlignment(texts.alignment);
    Label3.SetRightToLeft(texts.right_to_left);
    Label3.SetCaption(texts.explanation_line1 + "\r\n" + texts.explanation_line2);
    Command1.SetCaption(texts.exit_text);
    Command2.SetCaption(texts.continue_text);
    Image1.SetVisible(texts.image_visible);
}

void Form1::Option1_Click() {
    ApplyLanguage();
}

void Form1::Option2_Click() {
    ApplyLanguage();
}

void Form1::Label5_Click() {
    Option2.SetValue(true);
}

void Form1::Command2_Click() {
    forms_.MainFormFor(ChosenLanguage()).Show();
    Unload();
}

void Form1::Command1_Click() {
    program().End();
}

}  // namespace vantrelle::windows
