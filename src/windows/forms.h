#pragma once

// The program's windows, each made when first shown, and the services they share.

#include "common/language.h"
#include "platform/ui/program.h"
#include "windows/services.h"

namespace vantrelle::windows {

class Form1;
class MainForm;

class Forms {
  public:
    Forms(ui::Program& program, Services services);
    ~Forms();

    ui::Program& program() { return program_; }
    Services& services() { return services_; }

    ui::WindowSlot<Form1>& form1() { return form1_; }
    ui::WindowSlot<MainForm>& form2() { return form2_; }
    ui::WindowSlot<MainForm>& form3() { return form3_; }
    ui::WindowSlot<MainForm>& MainFormFor(Language language) {
        return language == Language::English ? form2_ : form3_;
    }

  private:
    ui::Program& program_;
    Services services_;
    ui::WindowSlot<Form1> form1_;
    ui::WindowSlot<MainForm> form2_;
    ui::WindowSlot<MainForm> form3_;
};

}  // namespace vantrelle::windows
