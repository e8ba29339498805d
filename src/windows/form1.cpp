#include "windows/form1.h"

#include "windows/forms.h"
#include "windows/main_form.h"

namespace vantrelle::windows {

namespace {

constexpr ui::Color kBlue{0, 0, 255};
constexpr ui::Color kDarkBlue{0, 0, 64};
// The program carries it as src/app/resources/art/farsi.gif.
constexpr char kFarsiPicture[] = "farsi";

ui::WindowStyle Form1Style() {
    return {.name = "Form1",
            .caption = "Vantrelle",
            .client_width = 7245,
            .client_height = 5685,
            .border = ui::Border::kFixedDialog,
            .minimize_button = false,
            .client_position = std::nullopt};
}

}  // namespace

Form1::Form1(Forms& forms)
    : ui::Window(forms.program(), Form1Style()),
      Label1(*this, "Label1", {120, 120, 3255, 255}),
      Label2(*this, "Label2", {3960, 120, 3255, 255}),
      Option1(*this, "Option1", {120, 480, 1215, 495}),
      Option2(*this, "Option2", {6240, 480, 255, 495}),
      Label5(*this, "Label5", {6480, 600, 615, 255}),
      Label3(*this, "Label3", {120, 1080, 6975, 975}),
      Image1(*this, "Image1", {120, 2160, 7035, 2340}, kFarsiPicture),
      Label4(*this, "Label4", {240, 4680, 3135, 855}),
      Command2(*this, "Command2", {5760, 4680, 1215, 375}),
      Command1(*this, "Command1", {5760, 5160, 1215, 375}),
      forms_(forms) {
    const Form1Texts& texts = Form1FixedTexts();
    Label1.SetCaption(texts.label1);

    Label2.SetFont(kTahoma);
    Label2.SetAlignment(ui::kAlignRight);
    Label2.SetRightToLeft(true);
    Label2.SetCaption(texts.label2);

    Option1.SetCaption(texts.option1);

    Option2.SetFont(kTahoma);
    Option2.SetRightToLeft(true);

    Label5.SetFont(kTahoma);
    Label5.SetAlignment(ui::kAlignRight);
    Label5.SetRightToLeft(true);
    Label5.SetCaption(texts.label5);

    Label3.SetFont(kTahoma);
    Label3.SetForeColor(kBlue);

    Image1.SetVisible(false);

    Label4.SetFont(kTahoma);
    Label4.SetForeColor(kDarkBlue);

    Command2.SetFont(kTahoma);
    Command2.SetCaption("Continue");

    Command1.SetFont(kTahoma);
    Command1.SetCaption("Exit");

    SetTabOrder({"Label1", "Label2", "Option1", "Option2", "Label3", "Command1", "Command2",
                 "Label4", "Label5"});

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
