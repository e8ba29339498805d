#include "windows/forms.h"

#include "windows/form1.h"
#include "windows/main_form.h"

namespace vantrelle::windows {

Forms::Forms(ui::Program& program, Services services)
    : program_(program),
      services_(std::move(services)),
      form1_(program, [this] { return std::make_unique<Form1>(*this); }),
      form2_(program,
             [this] { return std::make_unique<MainForm>(program_, Form2Table(), services_); }),
      form3_(program,
             [this] { return std::make_unique<MainForm>(program_, Form3Table(), services_); }) {
    if (!services_.drives) {
        services_.drives = &ui::MountedDrives;
    }
    if (!services_.is_system_drive) {
        services_.is_system_drive = &ui::IsSystemDrive;
    }
}

Forms::~Forms() = default;

}  // namespace vantrelle::windows
