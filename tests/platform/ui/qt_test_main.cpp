// gtest main for the widget tests: one QApplication, offscreen unless a display was
// chosen, with the font substitutes the program installs.

#include <gtest/gtest.h>

#include <QApplication>

#include "platform/ui/qt/layout.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    vantrelle::ui::InstallFonts();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
