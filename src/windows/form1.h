#pragma once

// The welcome window: chooses the language of the run and opens the main window.

#include "platform/ui/command_button.h"
#include "platform/ui/image.h"
#include "platform/ui/label.h"
#include "platform/ui/option_button.h"
#include "platform/ui/program.h"
#include "windows/texts.h"

namespace vantrelle::windows {

class Forms;

class Form1 : public ui::Window {
  public:
    explicit Form1(Forms& forms);

    void Form_Load() override;
    void ApplyLanguage();
    void Option1_Click();
    void Option2_Click();
    void Label5_Click();
    void Command2_Click();  // Continue
    void Command1_Click();  // Exit

    Language ChosenLanguage() const {
        return Option1.Value() ? Language::English : Language::Farsi;
    }

    ui::Label Label1;
    ui::Label Label2;
    ui::OptionButton Option1;
    ui::OptionButton Option2;
    ui::Label Label5;
    ui::Label Label3;
    ui::Image Image1;
    ui::Label Label4;
    ui::CommandButton Command2;
    ui::CommandButton Command1;

  private:
    Form1(Forms& forms, const WelcomeFormTable& table);

    Forms& forms_;
};

}  // namespace vantrelle::windows
