// The main of every widget suite: the sandbox comes first, then the offscreen platform unless the caller chose
// one, then the application object the widgets need.
#include "Sandbox.h"

#include <cstdlib>

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char* argv[])
{
    TestSupport::prepareSandbox();
    // Test discovery runs the binary at build time, outside ctest's environment.
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    TestSupport::removeSandbox();
    return result;
}
