#pragma once

// What every window test needs: the windows over an in-memory volume with drives C:
// (fixed, the system's), E: and F: (removable), a scripted message box, and counters for the
// program's end and for the update command.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/driver.h"
#include "support/memory_volume.h"
#include "support/scripted_message_box.h"
#include "windows/form1.h"
#include "windows/forms.h"
#include "windows/main_form.h"

namespace vantrelle::windows {

// Passes each box to the script, after letting the test look at the windows.
class ObservedMessageBox : public ui::MessageBox {
  public:
    int MsgBox(const std::string& text, int style, const std::string& title) override {
        if (on_box) {
            on_box(text);
        }
        return script.MsgBox(text, style, title);
    }

    testing::ScriptedMessageBox script;
    std::function<void(const std::string& text)> on_box;
};

class WindowsHarness {
  public:
    WindowsHarness();

    testing::MemoryVolume volume;
    ObservedMessageBox box;
    int quits = 0;
    std::vector<Language> update_requests;
    ui::Program program{[this] { ++quits; }};
    std::unique_ptr<Forms> forms;
};

}  // namespace vantrelle::windows
