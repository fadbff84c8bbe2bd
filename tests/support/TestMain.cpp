// The main of every suite that needs no display: the sandbox comes first, before any case can touch a file.
#include "Sandbox.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

int main(int argc, char* argv[])
{
    TestSupport::prepareSandbox();
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    TestSupport::removeSandbox();
    return result;
}
