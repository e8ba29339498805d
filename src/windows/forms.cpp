#include "windows/forms.h"

#include <QIcon>
#include <QPixmap>

#include "windows/form1.h"
#include "windows/main_form.h"

// Resources of a static library are registered by hand, outside any namespace.
static void InitWindowsResources() {
    Q_INIT_RESOURCE(windows);
}

namespace vantrelle::windows {

Forms::Forms(ui::Program& program, Services services)
    : program_(program),
      services_(std::move(services)),
      form1_(program, [this] { return std::make_unique<Form1>(*this); }),
      form2_(program,
             [this] { return std::make_unique<MainForm>(program_, Form2Table(), services_); }),
      form3_(program,
             [this] { return std::make_unique<MainForm>(program_, Form3Table(), services_); }) {
    InitWindowsResources();
    if (!services_.drives) {
        services_.drives = &ui::MountedDrives;
    }
}

Forms::~Forms() = default;

QIcon WindowIcon() {
    InitWindowsResources();
    return QIcon(QStringLiteral(":/vantrelle/icon.png"));
}

QPixmap FarsiPicture() {
    InitWindowsResources();
    return QPixmap(QStringLiteral(":/vantrelle/farsi.gif"));
}

}  // namespace vantrelle::windows
