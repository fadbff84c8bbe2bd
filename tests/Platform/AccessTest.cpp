#include "Platform/Access.h"

#include "MacFixtures.h"
#include "RecordingAccess.h"

#include <pwd.h>
#include <unistd.h>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

// A demonstration Mac's /Library and /System belong to whoever laid it out; they answer as a Mac's would.
TEST(Access, theSystemFoldersOfADemonstrationMacAreNotWritable)
{
    TestSupport::LittleMac mac;
    mac.tree.add(u"root/Library/LaunchDaemons/\nroot/System/Library/\nroot/Users/Shared/\nroot/LibraryX/\n"_s);
    for (const QString& folder : {u"root/Library"_s, u"root/Library/LaunchDaemons"_s, u"root/System/Library"_s})
        EXPECT_FALSE(Platform::userCanWrite(mac.path(folder))) << folder.toStdString();
    for (const QString& folder : {u"root/Users/Shared"_s, u"root/LibraryX"_s, u"home"_s, u"root"_s})
        EXPECT_TRUE(Platform::userCanWrite(mac.path(folder))) << folder.toStdString();

    // The system's access answers the same; one a test hands in answers as it says.
    EXPECT_FALSE(Platform::systemWriteAccess().userCanWrite(mac.path(u"root/Library"_s)));
    EXPECT_TRUE(Platform::systemWriteAccess().userCanWrite(mac.path(u"home"_s)));
    TestSupport::RecordingAccess access;
    access.setRule([](const QString&) { return true; });
    EXPECT_TRUE(access.userCanWrite(mac.path(u"root/Library"_s)));
    EXPECT_EQ(access.asked(), QStringList{mac.path(u"root/Library"_s)});
}

TEST(Access, theShortNameIsTheHomeFolderNameUnderUsersElseTheAccount)
{
    const TestSupport::LittleMac mac(u"root/Users/marie"_s);
    EXPECT_EQ(Platform::userShortName(), u"marie"_s);

    const TestSupport::ScopedEnvironment elsewhere("HOME", mac.path(u"home-elsewhere"_s));
    const passwd* account = ::getpwuid(::getuid());
    ASSERT_NE(account, nullptr);
    EXPECT_EQ(Platform::userShortName(), QString::fromLocal8Bit(account->pw_name));
}
