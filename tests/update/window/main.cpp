// The windows need an application and the downloads its event loop; no display is used.
#include <gtest/gtest.h>

#include <QApplication>

#include "platform/ui/qt/layout.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    vantrelle::ui::InstallFonts();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
