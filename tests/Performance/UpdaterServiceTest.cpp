#include "Performance/UpdaterService.h"

#include "Sandbox.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

void makeFile(const QString& macPath, QFileDevice::Permissions permissions)
{
    const QString path = TestSupport::systemRoot() + macPath;
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\n");
    file.close();
    ASSERT_TRUE(file.setPermissions(permissions));
}

} // namespace

TEST(BrewPath, takesTheFirstExecutableFileOfTheTwoCandidates)
{
    const auto owner = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    EXPECT_EQ(OptimizationService::brewPath(), std::nullopt);
    ASSERT_TRUE(QDir().mkpath(TestSupport::systemRoot() + u"/opt/homebrew/bin/brew"_s)); // a folder
    makeFile(u"/usr/local/bin/brew"_s, owner);                                           // not executable
    EXPECT_EQ(OptimizationService::brewPath(), std::nullopt);
    ASSERT_TRUE(
        QFile::setPermissions(TestSupport::systemRoot() + u"/usr/local/bin/brew"_s, owner | QFileDevice::ExeOwner));
    EXPECT_EQ(OptimizationService::brewPath(), u"/usr/local/bin/brew"_s);
    ASSERT_TRUE(QDir(TestSupport::systemRoot() + u"/opt/homebrew/bin/brew"_s).removeRecursively());
    makeFile(u"/opt/homebrew/bin/brew"_s, owner | QFileDevice::ExeOwner);
    EXPECT_EQ(OptimizationService::brewPath(), u"/opt/homebrew/bin/brew"_s);
}
