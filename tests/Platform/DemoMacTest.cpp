#include "Platform/FileSystem.h"
#include "Platform/PropertyList.h"
#include "Sandbox.h"
#include "WaitFor.h"

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
    ASSERT_TRUE(script.waitForFinished(TestSupport::waitBound));
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
        // Croquis alone declares no identifier, as some hand-made bundles do.
        EXPECT_EQ(info->toMap().value(u"CFBundleIdentifier"_s).toString().isEmpty(), app.name == u"Croquis.app"_s)
            << app.path.toStdString();
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
    ASSERT_TRUE(script.waitForFinished(TestSupport::waitBound));
    EXPECT_EQ(script.exitCode(), 0);
    script.start(u"bash"_s, {QStringLiteral(QP_SOURCE_DIR "/scripts/make-demo-mac.sh"), TestSupport::home()});
    ASSERT_TRUE(script.waitForFinished(TestSupport::waitBound));
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

// The run command hands the demonstration Mac to the application's process alone: the display it starts, and
// the authority file that lets clients in, stay where no cleaning of that Mac can reach them.
TEST(DemoMac, theRunCommandKeepsTheDisplayOutsideTheMac)
{
    const QString demo = TestSupport::temporary() + u"/run-mac"_s;
    QProcess layout;
    layout.start(u"bash"_s, {QStringLiteral(QP_SOURCE_DIR "/scripts/make-demo-mac.sh"), demo});
    ASSERT_TRUE(layout.waitForFinished(TestSupport::waitBound));
    ASSERT_EQ(layout.exitCode(), 0) << layout.readAllStandardError().toStdString();

    // The probe stands for the application: it notes what it was given and what the Mac holds while it runs.
    const QString notes = TestSupport::sandbox() + u"/probe"_s;
    const QString probe = TestSupport::sandbox() + u"/probe.sh"_s;
    QFile script(probe);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\n"
                 "printf '%s\\n' \"$HOME\" \"$QUORVANE_ROOT\" \"$TMPDIR\" \"$XAUTHORITY\" > \"$1.env\"\n"
                 "test -n \"$XAUTHORITY\" && test -f \"$XAUTHORITY\" && echo present > \"$1.authority\"\n"
                 "find \"$QUORVANE_ROOT\" | sort > \"$1.tree\"\n");
    script.close();
    QProcess before;
    before.start(u"sh"_s, {u"-c"_s, u"find \"$0\" | sort"_s, demo});
    ASSERT_TRUE(before.waitForFinished(TestSupport::waitBound));
    const QByteArray treeBefore = before.readAllStandardOutput();

    const struct {
        const char* name;
        QString display;
    } cases[] = {{"no display: a virtual one", QString()}, {"a display of this machine", u":77"_s}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const char* suffix : {".env", ".authority", ".tree"})
            QFile::remove(notes + QLatin1StringView(suffix));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(u"DISPLAY"_s);
        environment.remove(u"WAYLAND_DISPLAY"_s);
        environment.remove(u"XAUTHORITY"_s);
        if (!c.display.isNull())
            environment.insert(u"DISPLAY"_s, c.display);
        QProcess run;
        run.setProcessEnvironment(environment);
        run.start(u"bash"_s, {QStringLiteral(QP_SOURCE_DIR "/scripts/launch.sh"), demo, u"sh"_s, probe, notes});
        ASSERT_TRUE(run.waitForFinished(TestSupport::waitBound));
        const QString said = QString::fromUtf8(run.readAllStandardError());
        ASSERT_EQ(run.exitCode(), 0) << said.toStdString();

        QFile given(notes + u".env"_s);
        ASSERT_TRUE(given.open(QIODevice::ReadOnly));
        const QStringList values = QString::fromUtf8(given.readAll()).split(u'\n');
        ASSERT_GE(values.size(), 4);
        EXPECT_EQ(values[0], demo + u"/Users/demo"_s);
        EXPECT_EQ(values[1], demo);
        EXPECT_EQ(values[2], demo + u"/private/var/folders/qp/T"_s);
        EXPECT_FALSE(values[3].isEmpty());
        EXPECT_FALSE(values[3].startsWith(demo)) << values[3].toStdString();
        QFile tree(notes + u".tree"_s);
        ASSERT_TRUE(tree.open(QIODevice::ReadOnly));
        EXPECT_EQ(tree.readAll(), treeBefore);
        if (c.display.isNull()) {
            EXPECT_TRUE(QFile::exists(notes + u".authority"_s));
            // One line says where the window is and how to see it.
            EXPECT_EQ(said.count(u'\n'), 1) << said.toStdString();
            EXPECT_TRUE(said.contains(u"écran virtuel"_s)) << said.toStdString();
        }
    }
}
