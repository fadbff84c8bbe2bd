#include "Scanners/TrashScanner.h"

#include "Platform/Access.h"
#include "ScannerTestSupport.h"
#include "TempTree.h"
#include "TestServices.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

class TrashScannerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const QString uid = QString::number(Platform::userID());
        tree.add(uR"(
            home/.Trash/report.pdf 8192
            home/.Trash/.hidden 4096
            "home/.Trash/Old Project/a" 4096
            "home/.Trash/Old Project/b" 8192
            home/.Trash/empty.txt
            home/.Trash/emptyfiles/x
            home/.Trash/photo.jpg 4096
            home/.Trash/shortcut -> ../../outside
            outside/big 40960
            root/.Trashes/UID/startup 4096
            "root/Volumes/Macintosh HD" -> ..
            root/Volumes/Backup/.Trashes/UID/old.dmg 4096
            root/Volumes/Backup/.Trashes/UID/notes 8192
            root/Volumes/Alpha/.Trashes/UID/z 4096
            root/Volumes/Archives/
            root/Volumes/Film/.Trashes/UID
            root/Volumes/Empty/.Trashes/UID/
            root/Volumes/Other/.Trashes/4000000000/f 4096
            root/Volumes/.hidden/.Trashes/UID/f 4096
            root/Volumes/Mirror/.Trashes -> ../Backup/.Trashes
        )"_s.replace(u"UID"_s, uid));
    }

    QString volumeTrash(const QString& volume) const
    {
        return tree.path(u"root/Volumes/"_s + volume + u"/.Trashes/"_s + QString::number(Platform::userID()));
    }

    TempTree tree;
    EnvironmentOverride environment{{"HOME", tree.path(u"home"_s)}, {"QUORVANE_ROOT", tree.path(u"root"_s)}};
    TestSupport::TestServices kit;
    const TrashScanner scanner{kit.exclusions, ModuleID::trashBins};
    const QStringList allSteps{u"0.2 Corbeille…"_s, u"0.6 Volumes externes…"_s, u"1 "_s};
};

} // namespace

TEST_F(TrashScannerTest, listsTheUserTrashThenEachVolumeTrashOfThisUser)
{
    ProgressLog log;
    const QList<ScanGroup> groups = scanner.scan(log.callback(), {});
    EXPECT_EQ(log.steps(), allSteps);
    ASSERT_EQ(titlesOf(groups), (QStringList{u"Corbeille"_s, u"Corbeille — Alpha"_s, u"Corbeille — Backup"_s}));

    // Volumes without a trash of this user's, hidden, or reached through a link give nothing. A folder is
    // one item sized whole; empty entries and links are not listed; equal sizes keep their order.
    EXPECT_EQ(namesOf(groups[0]), (QStringList{u"Old Project"_s, u"report.pdf"_s, u".hidden"_s, u"photo.jpg"_s}));
    EXPECT_EQ(groups[0].items[0].size, 12288);
    EXPECT_EQ(groups[0].items[1].detail, u"~/.Trash/report.pdf"_s);
    EXPECT_EQ(groups[0].symbol, u"trash"_s);
    EXPECT_EQ(groups[0].note, u"Suppression définitive — cette étape n'est pas annulable."_s);
    EXPECT_EQ(namesOf(groups[2]), (QStringList{u"notes"_s, u"old.dmg"_s}));
    EXPECT_EQ(groups[2].items[1].url, volumeTrash(u"Backup"_s) + u"/old.dmg"_s);
    // A volume's trash reads as on the Mac, whole, without the folder the Mac lies in here.
    EXPECT_EQ(groups[2].items[1].detail,
              u"/Volumes/Backup/.Trashes/"_s + QString::number(Platform::userID()) + u"/old.dmg"_s);

    for (const ScanGroup& group : groups) {
        EXPECT_FALSE(group.isExpanded);
        EXPECT_EQ(group.metric, ScanGroup::Metric::bytes);
        if (&group != &groups[0]) {
            EXPECT_EQ(group.symbol, u"externaldrive.trianglebadge.exclamationmark"_s);
            EXPECT_FALSE(group.note);
        }
        for (const ScanItem& item : group.items) {
            // Emptying a trash cannot be undone: every item is deleted for good.
            EXPECT_EQ(item.removalMode, Removal::Mode::deletion());
            EXPECT_TRUE(item.isSelected && !item.isRisky && !item.threat && item.modified);
        }
    }
}

TEST_F(TrashScannerTest, emptyTrashesGiveTheEmptyState)
{
    const TempTree empty(u"home/\nroot/Volumes/Backup/"_s);
    const EnvironmentOverride override{{"HOME", empty.path(u"home"_s)}, {"QUORVANE_ROOT", empty.path(u"root"_s)}};
    ProgressLog log;
    EXPECT_TRUE(scanner.scan(log.callback(), {}).isEmpty());
    EXPECT_EQ(log.steps(), allSteps);
    EXPECT_EQ(scanner.actionTitle(), u"Vider"_s);
    EXPECT_EQ(scanner.emptyTitle(), u"Corbeilles vides"_s);
    EXPECT_EQ(scanner.emptyMessage(), u"Rien n'attend d'être jeté."_s);
    EXPECT_FALSE(scanner.requiresFullDiskAccess());
    EXPECT_TRUE(scanner.advisories().isEmpty());
}

TEST_F(TrashScannerTest, aStopDuringTheUserTrashKeepsWhatWasSeenAndSkipsTheVolumes)
{
    std::stop_source stop;
    kit.exclusions.setRule([&](const QString& path) {
        if (path.endsWith(u"/Old Project"))
            stop.request_stop(); // while this folder is measured: it is left out
        return false;
    });
    ProgressLog log;
    const QList<ScanGroup> groups = scanner.scan(log.callback(), stop.get_token());
    ASSERT_EQ(titlesOf(groups), QStringList{u"Corbeille"_s});
    EXPECT_EQ(namesOf(groups[0]), QStringList{u".hidden"_s});
    EXPECT_EQ(log.steps(), allSteps);
}

TEST_F(TrashScannerTest, skippedPathsAreNotListed)
{
    const QStringList skipped{tree.path(u"home/.Trash/report.pdf"_s), volumeTrash(u"Backup"_s) + u"/old.dmg"_s,
                              volumeTrash(u"Backup"_s) + u"/notes"_s};
    for (const QString& path : skipped)
        ASSERT_TRUE(kit.exclusions.add(path));
    const QList<ScanGroup> groups = scanner.scan({}, {});
    ASSERT_EQ(titlesOf(groups), (QStringList{u"Corbeille"_s, u"Corbeille — Alpha"_s}));
    EXPECT_EQ(namesOf(groups[0]), (QStringList{u"Old Project"_s, u".hidden"_s, u"photo.jpg"_s}));
}
