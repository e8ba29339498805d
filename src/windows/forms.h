#pragma once

// The program's windows and what they are given: the file system the repair works on,
// the message box, the drives to offer, where the folder list begins, and the way to
// open the update window. The real program passes the machine's own; tests pass an
// in-memory volume and a scripted message box.

#include <functional>
#include <string>
#include <vector>

#include "platform/files/files.h"
#include "platform/ui/drive_list.h"
#include "platform/ui/message_box.h"
#include "platform/ui/program.h"
#include "windows/texts.h"

namespace vantrelle::windows {

class Form1;
class MainForm;

struct Services {
    files::FileSystem* fs = nullptr;
    ui::MessageBox* box = nullptr;
    std::function<std::vector<ui::DriveEntry>()> drives;           // none: the machine's
    std::function<bool(const std::string& path)> is_system_drive;  // none: the machine's
    std::string start_folder;
    // Opens the update check window of the given language; nothing happens without it.
    std::function<void(Language)> open_update_window;
};

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
