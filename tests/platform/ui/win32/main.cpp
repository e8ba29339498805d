// gtest main for the tests over the Win32 windows: one application for the run.

#include <gtest/gtest.h>

#include "platform/ui/program.h"

int main(int argc, char** argv) {
    vantrelle::ui::Application application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
