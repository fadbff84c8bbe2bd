#include "Platform/FileSystem.h"
#include "Platform/PropertyList.h"
#include "Sandbox.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

// The demonstration Mac that the run command and the end-to-end tests stand on.
TEST(DemoMac, isLaidOutWithReadableApplicationBundles)
{
    const QString demo = TestSupport::temporary() + u"/demo-mac"_s;
    QProcess script;
    script.start(u"bash"_s, {QStringLiteral(QP_SOURCE_DIR "/scripts/make-demo-mac.sh"), demo});
    ASSERT_TRUE(script.waitForFinished(60000));
    ASSERT_EQ(script.exitCode(), 0) << script.readAllStandardError().toStdString();

    const QString home = demo + u"/Users/demo"_s;
    for (const QString& folder :
         {u"Library/Caches"_s, u"Library/Logs"_s, u"Library/Preferences"_s, u"Library/Application Support"_s,
          u"Library/Containers"_s, u"Downloads"_s, u".Trash"_s})
        EXPECT_TRUE(Platform::fileInfo(home + u'/' + folder)->isDirectory()) << folder.toStdString();
    EXPECT_TRUE(Platform::fileInfo(demo + u"/private/var/folders/qp/T"_s)->isDirectory());

    // Applications stand in /Applications or, as some installers put them, in a folder of their own there.
    std::vector<Platform::FileInfo> apps;
    for (const Platform::FileInfo& entry : Platform::listFolder(demo + u"/Applications"_s)) {
        if (entry.name.endsWith(u".app"_s)) {
            apps.push_back(entry);
        } else {
            ASSERT_TRUE(entry.isDirectory()) << entry.path.toStdString();
            for (const Platform::FileInfo& inner : Platform::listFolder(entry.path))
                apps.push_back(inner);
        }
    }
    ASSERT_GE(apps.size(), 2u);
    for (const Platform::FileInfo& app : apps) {
        const auto info = Platform::PropertyList::readFile(app.path + u"/Contents/Info.plist"_s);
        ASSERT_TRUE(info.has_value()) << app.path.toStdString();
        EXPECT_FALSE(info->toMap().value(u"CFBundleIdentifier"_s).toString().isEmpty());
    }

    // The application's settings, and the earlier product's folder and settings that its first start imports.
    const QString preferences = home + u"/Library/Preferences/"_s;
    const auto own = Platform::PropertyList::readFile(preferences + u"com.ostrek.quorvanepro.plist"_s);
    ASSERT_TRUE(own.has_value());
    EXPECT_EQ(own->toMap().value(u"showsMenuBarItem"_s), QVariant(true));
    const auto legacy = Platform::PropertyList::readFile(preferences + u"com.ostrek.tessalinomark.plist"_s);
    ASSERT_TRUE(legacy.has_value());
    const QStringList excluded = legacy->toMap().value(u"exclusions"_s).toStringList();
    ASSERT_EQ(excluded.size(), 1);
    EXPECT_TRUE(Platform::fileInfo(excluded[0])->isDirectory()) << excluded[0].toStdString();
    EXPECT_EQ(legacy->toMap().value(u"scheduleInterval"_s), QVariant(u"daily"_s));
    QFile journal(home + u"/Library/Application Support/Tessalinomark/history.json"_s);
    ASSERT_TRUE(journal.open(QIODevice::ReadOnly));
    const QJsonDocument sessions = QJsonDocument::fromJson(journal.readAll());
    ASSERT_TRUE(sessions.isArray());
    EXPECT_EQ(sessions.array().first().toObject().value(u"moduleID"_s).toString(), u"systemJunk"_s);

    // A second run replaces the Mac; a folder that is not one is refused.
    script.start(u"bash"_s, {QStringLiteral(QP_SOURCE_DIR "/scripts/make-demo-mac.sh"), demo});
    ASSERT_TRUE(script.waitForFinished(60000));
    EXPECT_EQ(script.exitCode(), 0);
    script.start(u"bash"_s, {QStringLiteral(QP_SOURCE_DIR "/scripts/make-demo-mac.sh"), TestSupport::home()});
    ASSERT_TRUE(script.waitForFinished(60000));
    EXPECT_NE(script.exitCode(), 0);
}

// The application is built as a Mac bundle, so it finds its identifier as it would on a Mac.
TEST(DemoMac, theApplicationIsBuiltAsABundle)
{
    const QString bundle = QStringLiteral(QP_BUNDLE_DIR);
    EXPECT_TRUE(Platform::fileInfo(bundle + u"/Contents/MacOS/Quorvane Pro"_s)->isRegular());
    const auto info = Platform::PropertyList::readFile(bundle + u"/Contents/Info.plist"_s);
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->toMap().value(u"CFBundleIdentifier"_s).toString(), u"com.ostrek.quorvanepro"_s);
}
