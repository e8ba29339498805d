// gtest main for the tests over the Qt windows: one application, offscreen unless a
// display was chosen, with the fonts the program installs.

#include <gtest/gtest.h>

#include <QByteArray>
#include <QtGlobal>

#include "platform/ui/driver.h"
#include "platform/ui/program.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    vantrelle::ui::Application application(argc, argv);
    vantrelle::ui::driver::RecordToolkitMessages();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
