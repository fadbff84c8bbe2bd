#include "Core/LegacyImport.h"

#include "Core/FileUtils.h"
#include "Platform/FileOperations.h"
#include "Platform/FileSystem.h"
#include "Platform/PropertyList.h"
#include "Platform/UserDefaults.h"
#include "Sandbox.h"
#include "TempTree.h"
#include "WaitFor.h"

#include <unistd.h>

#include <QProcess>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using Platform::UserDefaults;
using TestSupport::exists;
using TestSupport::writeFile;

namespace {

QStringList namesIn(const QString& folder)
{
    QStringList names;
    for (const Platform::FileInfo& entry : Platform::listFolder(folder))
        names.append(entry.name);
    return names;
}

void writePlist(const QString& path, const QVariantMap& values)
{
    writeFile(path, *Platform::PropertyList::serialize(values));
}

} // namespace

TEST(LegacyImport, folderMoveKeepsWhatTheNewFolderHoldsAndRemovesOnlyAnEmptiedFolder)
{
    const TempTree tree(uR"(
        old/history.json 10
        old/Rapports/mars.txt 5
        old/notes.txt 3
        new/history.json 20
        emptied/a 1
        emptied/b/c 1
        "unlisted/bad\xffname" 1
        unlisted/ok 1
        target/inside 1
        pointer -> target
        plain 1
    )"_s);
    LegacyImport::migrateLegacyFolder(tree.path(u"old"_s), tree.path(u"new"_s));
    EXPECT_EQ(namesIn(tree.path(u"old"_s)), QStringList{u"history.json"_s}); // the new folder's wins
    EXPECT_EQ(Platform::fileInfo(tree.path(u"new/history.json"_s))->logicalSize, 20);
    EXPECT_EQ(namesIn(tree.path(u"new"_s)), (QStringList{u"Rapports"_s, u"history.json"_s, u"notes.txt"_s}));
    EXPECT_TRUE(exists(tree.path(u"new/Rapports/mars.txt"_s)));

    LegacyImport::migrateLegacyFolder(tree.path(u"emptied"_s), tree.path(u"deep/er/QuorvanePro"_s));
    EXPECT_FALSE(exists(tree.path(u"emptied"_s)));
    EXPECT_TRUE(exists(tree.path(u"deep/er/QuorvanePro/b/c"_s)));

    // An entry whose name no listing can show still keeps the old folder.
    LegacyImport::migrateLegacyFolder(tree.path(u"unlisted"_s), tree.path(u"fromUnlisted"_s));
    EXPECT_TRUE(exists(tree.path(u"fromUnlisted/ok"_s)));
    EXPECT_EQ(::access(tree.rawPath("unlisted/bad\xff"
                                    "name")
                           .constData(),
                       F_OK),
              0);

    // Nothing to move: no folder, a link or a file in its place.
    for (const QString& from : {u"missing"_s, u"pointer"_s, u"plain"_s}) {
        LegacyImport::migrateLegacyFolder(tree.path(from), tree.path(u"to-"_s + from));
        EXPECT_FALSE(exists(tree.path(u"to-"_s + from))) << from.toStdString();
    }
    EXPECT_TRUE(exists(tree.path(u"target/inside"_s)));
}

TEST(LegacyImport, settingsCopySkipsSystemKeysAndKeysAlreadySet)
{
    const TempTree tree;
    const QVariantMap legacy{
        {u"NSWindow Frame Main"_s, u"0 0 800 600"_s},
        {u"NSNavLastRootDirectory"_s, u"~/Documents"_s},
        {u"AppleLanguages"_s, QStringList{u"fr"_s}},
        {u"com.apple.sparkle"_s, true},
        {u"com.applesauce"_s, true},
        {u"Nsfoo"_s, qint64(1)},
        {u"apple"_s, qint64(2)},
        {u"scheduleInterval"_s, u"daily"_s},
        {u"diskThreshold"_s, 0.75},
        {u"showsMenuBarItem"_s, false},
        {u"exclusions"_s, QStringList{u"/Volumes/Archives"_s}},
    };
    writePlist(tree.path(u"legacy.plist"_s), legacy);
    const std::shared_ptr<UserDefaults> suite = UserDefaults::atPath(tree.path(u"legacy.plist"_s));
    const std::shared_ptr<UserDefaults> standard = UserDefaults::atPath(tree.path(u"standard.plist"_s));
    standard->setValue(u"showsMenuBarItem"_s, true);

    LegacyImport::importLegacyDefaults(*suite, *standard);
    const QVariantMap copied = Platform::PropertyList::readFile(standard->filePath())->toMap();
    EXPECT_EQ(copied.keys(), (QStringList{u"Nsfoo"_s, u"apple"_s, u"diskThreshold"_s, u"exclusions"_s,
                                          u"scheduleInterval"_s, u"showsMenuBarItem"_s}));
    EXPECT_EQ(copied.value(u"showsMenuBarItem"_s), QVariant(true));
    EXPECT_EQ(copied.value(u"diskThreshold"_s).typeId(), QMetaType::Double);
    EXPECT_EQ(copied.value(u"exclusions"_s).toStringList(), QStringList{u"/Volumes/Archives"_s});
    EXPECT_EQ(Platform::PropertyList::readFile(suite->filePath())->toMap().size(), legacy.size());

    // At the next launch a key removed here comes back from the suite.
    standard->removeValue(u"scheduleInterval"_s);
    LegacyImport::importLegacyDefaults(*suite, *standard);
    EXPECT_EQ(standard->string(u"scheduleInterval"_s), u"daily"_s);

    // An unreadable suite copies nothing.
    writeFile(tree.path(u"garbage.plist"_s), "bplist00\x01\x02garbage");
    const std::shared_ptr<UserDefaults> empty = UserDefaults::atPath(tree.path(u"empty.plist"_s));
    LegacyImport::importLegacyDefaults(*UserDefaults::atPath(tree.path(u"garbage.plist"_s)), *empty);
    EXPECT_TRUE(empty->dictionary().isEmpty());
}

TEST(LegacyImport, aTestRunImportsNothing)
{
    const QString support = FileUtils::libraryURL({u"Application Support"_s});
    writeFile(support + u"/Tessalinomark/history.json"_s, "[]");
    LegacyImport::importOnce();
    EXPECT_TRUE(exists(support + u"/Tessalinomark/history.json"_s));
    EXPECT_FALSE(exists(support + u"/QuorvanePro/history.json"_s));
    Platform::removeItem(support + u"/Tessalinomark"_s);
}

// The whole import, as the application runs it at its first start: in a child process without the
// test-runner mark, whose home is a folder of this test.
TEST(LegacyImport, runsOnceInAProcessOutsideATestRunner)
{
    const QString folder = TestSupport::temporary() + u"/legacy-child"_s;
    const QProcessEnvironment environment = TestSupport::childEnvironment(folder);
    const QString home = environment.value(u"HOME"_s);
    const QString support = home + u"/Library/Application Support"_s;
    writeFile(support + u"/Tessalinomark/history.json"_s, "[]");
    ASSERT_FALSE(Platform::createFolder(support + u"/Tessalinomark/Rapports"_s).has_value());
    writePlist(home + u"/Library/Preferences/com.ostrek.tessalinomark.plist"_s,
               {{u"scheduleInterval"_s, u"daily"_s},
                {u"diskThreshold"_s, 0.75},
                {u"showsMenuBarItem"_s, false},
                {u"NSWindow Frame Main"_s, u"0 0 800 600"_s},
                {u"exclusions"_s, QStringList{home + u"/Downloads/Garder"_s}}});
    writePlist(home + u"/Library/Preferences/com.ostrek.quorvanepro.plist"_s, {{u"showsMenuBarItem"_s, true}});

    QProcess child;
    child.setProcessEnvironment(environment);
    child.start(QStringLiteral(QP_LEGACY_IMPORT_CHILD), {});
    ASSERT_TRUE(child.waitForFinished(TestSupport::waitBound));
    EXPECT_EQ(child.exitCode(), 0) << child.readAllStandardOutput().toStdString()
                                   << child.readAllStandardError().toStdString();

    EXPECT_FALSE(exists(support + u"/Tessalinomark"_s));
    EXPECT_EQ(namesIn(support + u"/QuorvanePro"_s), (QStringList{u"Rapports"_s, u"history.json"_s}));
    const QVariantMap standard =
        Platform::PropertyList::readFile(home + u"/Library/Preferences/com.ostrek.quorvanepro.plist"_s)->toMap();
    EXPECT_EQ(standard.value(u"scheduleInterval"_s), QVariant(u"daily"_s));
    EXPECT_EQ(standard.value(u"showsMenuBarItem"_s), QVariant(true));
    EXPECT_FALSE(standard.contains(u"NSWindow Frame Main"_s));
}
