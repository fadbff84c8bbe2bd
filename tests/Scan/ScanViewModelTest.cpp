#include "Scan/Screen/ScanViewModel.h"

#include "Core/Exclusions.h"
#include "Core/FileUtils.h"
#include "Core/History.h"
#include "Core/Preferences.h"
#include "LatchedScanner.h"
#include "Platform/FileOperations.h"
#include "Platform/FileSystem.h"
#include "Platform/SystemRoot.h"
#include "RecordingAsk.h"
#include "Sandbox.h"
#include "Scanners/DuplicatesScanner.h"
#include "ScopedEnvironment.h"
#include "TempTree.h"
#include "TestServices.h"
#include "WaitFor.h"

#include <mutex>
#include <utility>

#include <QDir>
#include <QFile>
#include <QPointer>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using TestSupport::exists;
using TestSupport::waitFor;
using Phase = ScanViewModel::Phase;

namespace {

using TestSupport::LatchedScanner;
using TestSupport::scanGroup;
using TestSupport::scanItem;

class ScanViewModelTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TestSupport::installStandIns();
        kit.preferences.setTakesSnapshotBeforeCleaning(true);
    }

    // A model whose scan has published `groups`.
    std::unique_ptr<ScanViewModel> scanned(QList<ScanGroup> groups, ModuleID module = ModuleID::systemJunk)
    {
        auto scanner = std::make_shared<LatchedScanner>(module);
        scanner->control()->groups = std::move(groups);
        scanner->control()->release();
        auto model = std::make_unique<ScanViewModel>(scanner, kit.services);
        model->scan();
        EXPECT_TRUE(waitFor([&] { return model->phase() == Phase::results; }));
        return model;
    }

    void cleanAndWait(ScanViewModel& model)
    {
        model.clean();
        EXPECT_EQ(model.phase(), Phase::cleaning);
        EXPECT_TRUE(waitFor([&] { return model.phase() == Phase::finished; }));
    }

    TestSupport::TestServices kit;
};

} // namespace

TEST_F(ScanViewModelTest, aScanGoesFromScanningToResultsAndRefusesASecondStart)
{
    auto scanner = std::make_shared<LatchedScanner>();
    scanner->control()->groups = {scanGroup({scanItem(u"/a"_s), scanItem(u"/b"_s, false, 50)})};
    ScanViewModel model(scanner, kit.services);
    EXPECT_EQ(model.phase(), Phase::idle);

    model.scan();
    EXPECT_EQ(model.phase(), Phase::scanning);
    EXPECT_EQ(model.status(), u"Préparation…"_s);
    EXPECT_TRUE(model.isBusy());
    model.scan(); // refused while scanning
    EXPECT_EQ(model.phase(), Phase::scanning);

    scanner->control()->release();
    ASSERT_TRUE(waitFor([&] { return model.phase() == Phase::results; }));
    EXPECT_EQ(model.status(), QString());
    EXPECT_EQ(model.progress(), 1.0);
    EXPECT_EQ(model.totalItemCount(), 2);
    EXPECT_EQ(model.selectedCount(), 1);
    EXPECT_EQ(model.selectedBytes(), 100);
    EXPECT_EQ(model.totalBytes(), 150);
    EXPECT_EQ(model.advisories().size(), 1);
    EXPECT_TRUE(model.lastScan().has_value());
    EXPECT_FALSE(model.isThreatResult());
}

TEST_F(ScanViewModelTest, aCancelledScanNeverPublishesItsLateResult)
{
    auto scanner = std::make_shared<LatchedScanner>();
    scanner->control()->groups = {scanGroup({scanItem(u"/a"_s)})};
    ScanViewModel model(scanner, kit.services);
    model.scan();
    ASSERT_TRUE(waitFor([&] {
        const std::lock_guard lock(scanner->control()->mutex);
        return scanner->control()->started;
    }));
    model.cancel();
    EXPECT_EQ(model.phase(), Phase::idle);
    EXPECT_EQ(model.status(), QString());
    EXPECT_EQ(model.progress(), 0.0);

    scanner->control()->release();
    waitFor([&] { return scanner->control()->sawStop.load(); });
    QTest::qWait(100); // a late result would have been delivered by now
    QCoreApplication::processEvents();
    EXPECT_TRUE(scanner->control()->sawStop);
    EXPECT_EQ(model.phase(), Phase::idle);
    EXPECT_TRUE(model.groups().isEmpty());
    EXPECT_FALSE(model.lastScan().has_value());
}

// Advisories may take the scanner a while (the malware module runs a tool twice): they are asked on the scan's
// thread once it returns, whether or not the scan is still wanted.
TEST_F(ScanViewModelTest, advisoriesAreAskedOffTheGuiThreadOnceTheScanReturns)
{
    class RecordingScanner final : public ModuleScanner
    {
    public:
        explicit RecordingScanner(std::shared_ptr<LatchedScanner> latched) : inner(std::move(latched)) {}
        ModuleID moduleID() const override { return inner->moduleID(); }
        bool requiresFullDiskAccess() const override { return false; }
        QList<ScanGroup> scan(const Progress& progress, std::stop_token stop) const override
        {
            return inner->scan(progress, stop);
        }
        QList<Advisory> advisories() const override
        {
            const std::lock_guard lock(mutex);
            threads.append(QThread::currentThread());
            return inner->advisories();
        }
        qsizetype asked() const
        {
            const std::lock_guard lock(mutex);
            return threads.size();
        }
        std::shared_ptr<LatchedScanner> inner;
        mutable std::mutex mutex;
        mutable QList<QThread*> threads;
    };
    auto latched = std::make_shared<LatchedScanner>();
    auto scanner = std::make_shared<RecordingScanner>(latched);
    ScanViewModel model(scanner, kit.services);
    model.scan();
    ASSERT_TRUE(waitFor([&] {
        const std::lock_guard lock(latched->control()->mutex);
        return latched->control()->started;
    }));
    model.cancel();
    EXPECT_EQ(scanner->asked(), 0);
    latched->control()->release();
    ASSERT_TRUE(waitFor([&] { return scanner->asked() == 1; }));
    QCoreApplication::processEvents();
    EXPECT_TRUE(model.advisories().isEmpty());

    model.scan();
    ASSERT_TRUE(waitFor([&] { return model.phase() == Phase::results; }));
    EXPECT_EQ(model.advisories().size(), 1);
    const std::lock_guard lock(scanner->mutex);
    ASSERT_EQ(scanner->threads.size(), 2);
    for (QThread* thread : std::as_const(scanner->threads))
        EXPECT_NE(thread, QCoreApplication::instance()->thread());
}

TEST_F(ScanViewModelTest, progressIsCoalescedAndKeepsTheLastNonEmptyLabel)
{
    auto scanner = std::make_shared<LatchedScanner>();
    for (int i = 1; i <= 20000; ++i)
        scanner->control()->reports.emplace_back(i / 20000.0, i == 20000 ? QString() : u"Étape %1…"_s.arg(i));
    ScanViewModel model(scanner, kit.services);
    QSignalSpy changes(&model, &ScanViewModel::changed);
    model.scan();
    ASSERT_TRUE(waitFor([&] { return model.progress() == 1.0; }));
    EXPECT_EQ(model.status(), u"Étape 19999…"_s); // the empty last label left the status as it was
    EXPECT_LT(changes.count(), 500);
    scanner->control()->release();
    ASSERT_TRUE(waitFor([&] { return model.phase() == Phase::results; }));
}

TEST_F(ScanViewModelTest, selectionAndExpansionEditTheGroupsInPlace)
{
    auto model = scanned({scanGroup({scanItem(u"/a"_s, true), scanItem(u"/b"_s, false), scanItem(u"/c"_s, false)}),
                          scanGroup({scanItem(u"/t"_s)}, ScanGroup::Metric::threats)});
    const QUuid first = model->groups()[0].id;
    model->toggleGroupSelection(first);
    EXPECT_EQ(model->groups()[0].selectionState(), std::optional<bool>(true));
    model->toggleGroupSelection(first);
    EXPECT_EQ(model->groups()[0].selectionState(), std::optional<bool>(false));
    model->toggleItem(model->groups()[0].items[1].id, first);
    EXPECT_TRUE(model->groups()[0].items[1].isSelected);
    model->toggleItem(model->groups()[0].items[1].id, QUuid::createUuid()); // unknown group: nothing
    EXPECT_TRUE(model->groups()[0].items[1].isSelected);
    model->toggleExpanded(first);
    EXPECT_FALSE(model->groups()[0].isExpanded);
    model->setAllSelected(true);
    EXPECT_EQ(model->selectedCount(), 4);
    EXPECT_FALSE(model->isThreatResult()); // one group counts bytes
}

// Duplicates on disk, three copies of a report and two of a photo, each oldest copy written where it is not
// listed first by name. A model over the real duplicates search of that folder, asking through `ask`.
class DuplicatesCleaningTest : public ScanViewModelTest
{
protected:
    void SetUp() override
    {
        ScanViewModelTest::SetUp();
        age(u"a/Rapport annuel 2023.pdf"_s, 300);
        age(u"b/Rapport annuel 2023.pdf"_s, 900); // the oldest report
        age(u"c/Rapport (copie).pdf"_s, 30);
        age(u"a/photo.jpg"_s, 10);
        age(u"b/photo.jpg"_s, 500); // the oldest photo
        model = std::make_unique<ScanViewModel>(
            std::make_shared<DuplicatesScanner>(kit.exclusions, ModuleID::duplicates, QStringList{tree.root()}),
            kit.services, &ask);
        model->scan();
        ASSERT_TRUE(waitFor([&] { return model->phase() == Phase::results; }));
        ASSERT_EQ(model->groups().size(), 2);
    }

    void age(const QString& relative, int days)
    {
        QFile file(tree.path(relative));
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(
            file.setFileTime(QDateTime::currentDateTimeUtc().addDays(-days), QFileDevice::FileModificationTime));
    }

    QStringList left() const
    {
        QStringList names;
        for (const QString& name : {u"a/Rapport annuel 2023.pdf"_s, u"b/Rapport annuel 2023.pdf"_s,
                                    u"c/Rapport (copie).pdf"_s, u"a/photo.jpg"_s, u"b/photo.jpg"_s}) {
            if (exists(tree.path(name)))
                names.append(name);
        }
        return names;
    }

    const TempTree tree{uR"(
        "a/Rapport annuel 2023.pdf" 1048577
        "b/Rapport annuel 2023.pdf" 1048577
        "c/Rapport (copie).pdf" 1048577
        a/photo.jpg 1048578
        b/photo.jpg 1048578
    )"_s};
    TestSupport::RecordingAsk ask;
    std::unique_ptr<ScanViewModel> model;
};

TEST_F(DuplicatesCleaningTest, selectingAllOrAGroupLeavesTheOldestCopyOfEachGroup)
{
    for (const ScanGroup& group : model->groups())
        EXPECT_TRUE(group.keepsFirst);
    const QUuid report = model->groups()[0].id;
    model->toggleGroupSelection(report);
    EXPECT_EQ(model->groups()[0].items[0].url, tree.path(u"b/Rapport annuel 2023.pdf"_s));
    EXPECT_FALSE(model->groups()[0].items[0].isSelected);
    EXPECT_EQ(model->selectedCount(), 2);
    model->toggleGroupSelection(report); // the box again unticks the group
    EXPECT_EQ(model->selectedCount(), 0);

    model->setAllSelected(true);
    EXPECT_EQ(model->selectedCount(), 3);
    cleanAndWait(*model);
    EXPECT_TRUE(ask.questions.isEmpty());
    EXPECT_EQ(left(), (QStringList{u"b/Rapport annuel 2023.pdf"_s, u"b/photo.jpg"_s}));
    EXPECT_EQ(model->removedCount(), 3);
}

TEST_F(DuplicatesCleaningTest, removingEveryCopyOfAFileIsAskedAndAnnulerRemovesNothing)
{
    const ScanGroup photo = model->groups()[1];
    for (const ScanItem& item : photo.items)
        model->toggleItem(item.id, photo.id);
    model->toggleItem(model->groups()[0].items[1].id, model->groups()[0].id); // one report copy, the others stay
    model->clean();
    ASSERT_EQ(ask.questions.size(), 1);
    const Platform::Ask::Question& question = ask.questions.first();
    EXPECT_EQ(question.title, u"Supprimer tous les exemplaires ?"_s);
    EXPECT_EQ(
        question.message,
        u"Tous les exemplaires de «\u00A0photo.jpg\u00A0» sont cochés : après le nettoyage, il n'en restera aucun."_s);
    EXPECT_EQ(question.destructive, u"Supprimer"_s);
    EXPECT_EQ(question.cancel, u"Annuler"_s);
    EXPECT_EQ(model->phase(), Phase::results);
    QTest::qWait(50);
    EXPECT_EQ(left().size(), 5);

    // Confirmed, the cleaning goes ahead with what is ticked.
    ask.script = {true};
    cleanAndWait(*model);
    EXPECT_EQ(left(), (QStringList{u"b/Rapport annuel 2023.pdf"_s, u"c/Rapport (copie).pdf"_s}));
}

// An answer given once the selection has changed (a new scan meanwhile) does not clean that other selection.
TEST_F(DuplicatesCleaningTest, aLateYesDoesNotCleanASelectionMadeSince)
{
    struct HeldAsk final : Platform::Ask {
        void ask(const Question&, Answer given) override { answer = std::move(given); }
        Answer answer;
    } held;
    ScanViewModel asking(
        std::make_shared<DuplicatesScanner>(kit.exclusions, ModuleID::duplicates, QStringList{tree.root()}),
        kit.services, &held);
    asking.scan();
    ASSERT_TRUE(waitFor([&] { return asking.phase() == Phase::results; }));
    const ScanGroup photo = asking.groups()[1];
    for (const ScanItem& item : photo.items)
        asking.toggleItem(item.id, photo.id);
    asking.clean();
    ASSERT_TRUE(held.answer);
    asking.toggleItem(photo.items[0].id, photo.id);
    asking.toggleItem(asking.groups()[0].items[1].id, asking.groups()[0].id);
    held.answer(true);
    EXPECT_EQ(asking.phase(), Phase::results);
    QTest::qWait(50);
    EXPECT_EQ(left().size(), 5);
}

// With nobody to ask, the answer is the default one: nothing is removed.
TEST_F(DuplicatesCleaningTest, withNobodyToAskEveryCopyStays)
{
    ScanViewModel alone(
        std::make_shared<DuplicatesScanner>(kit.exclusions, ModuleID::duplicates, QStringList{tree.root()}),
        kit.services);
    alone.scan();
    ASSERT_TRUE(waitFor([&] { return alone.phase() == Phase::results; }));
    for (const ScanGroup& group : alone.groups()) {
        for (const ScanItem& item : group.items)
            alone.toggleItem(item.id, group.id);
    }
    alone.clean();
    EXPECT_EQ(alone.phase(), Phase::results);
    EXPECT_EQ(left().size(), 5);
}

TEST_F(ScanViewModelTest, excludingAnItemDropsEverythingTheExclusionsCover)
{
    auto model = scanned(
        {scanGroup({scanItem(u"/tmp/x"_s), scanItem(u"/private/tmp/x/y"_s), scanItem(u"/Users/a/Downloads2"_s)}),
         scanGroup({scanItem(u"/private/tmp"_s)}), scanGroup({scanItem(u"/Users/a/Downloads"_s)})});
    model->excludeFromAllScans(model->groups()[2].items[0].id); // /Users/a/Downloads
    model->excludeFromAllScans(model->groups()[0].items[0].id); // /tmp/x
    ASSERT_EQ(model->groups().size(), 1);                       // the two emptied groups went
    ASSERT_EQ(model->groups()[0].items.size(), 1);
    EXPECT_EQ(model->groups()[0].items[0].url, u"/Users/a/Downloads2"_s);
    EXPECT_EQ(model->phase(), Phase::results);
    model->excludeFromAllScans(model->groups()[0].items[0].id);
    EXPECT_TRUE(model->groups().isEmpty());
    EXPECT_EQ(model->phase(), Phase::results);
}

TEST_F(ScanViewModelTest, aCleaningJournalsItsStampListsItsFailuresAndDropsOnlyWhatWasRemoved)
{
    const TempTree tree(uR"(
        one 10
        two 20
        kept 30
    )"_s);
    const QString excluded = Platform::homeFolder() + u"/Documents/excluded"_s;
    ASSERT_FALSE(Platform::createFolder(excluded).has_value());
    ASSERT_TRUE(kit.exclusions.add(excluded));
    auto model = scanned({scanGroup({scanItem(tree.path(u"one"_s)), scanItem(tree.path(u"two"_s))}),
                          scanGroup({scanItem(excluded), scanItem(tree.path(u"kept"_s), false)})});
    cleanAndWait(*model);

    EXPECT_EQ(model->removedCount(), 2);
    EXPECT_EQ(model->freedBytes(), 200);
    EXPECT_EQ(model->failures(), QStringList{u"~/Documents/excluded — Exclu par vos réglages."_s});
    EXPECT_FALSE(model->safetyNetNotice().has_value());
    ASSERT_EQ(model->groups().size(), 1);
    EXPECT_EQ(model->groups()[0].items.size(), 2); // the failed item and the unselected one stay
    EXPECT_EQ(model->status(), QString());
    EXPECT_FALSE(exists(tree.path(u"one"_s)));

    ASSERT_TRUE(model->lastSession().has_value());
    const std::optional<CleaningSession> session = kit.history.session(*model->lastSession());
    ASSERT_TRUE(session.has_value());
    ASSERT_TRUE(session->snapshotStamp.has_value());
    EXPECT_TRUE(QRegularExpression(u"^\\d{4}-\\d{2}-\\d{2}-\\d{6}$"_s).match(*session->snapshotStamp).hasMatch());
    EXPECT_EQ(session->failureCount, 1);
    EXPECT_TRUE(model->canUndo());
}

TEST_F(ScanViewModelTest, aSnapshotThatCannotBeTakenIsSaidAndTheShredderNeverTakesOne)
{
    const TestSupport::ScopedEnvironment fail("QUORVANE_TMUTIL_FAIL", u"1"_s);
    TempTree tree(uR"(
        a 10
        b 10
    )"_s);
    auto model = scanned({scanGroup({scanItem(tree.path(u"a"_s))})});
    model->clean();
    EXPECT_EQ(model->status(), u"Filet de sécurité…"_s);
    ASSERT_TRUE(waitFor([&] { return model->phase() == Phase::finished; }));
    EXPECT_EQ(model->safetyNetNotice(),
              u"Instantané de sécurité impossible : ce nettoyage ne pourra pas être restauré depuis un instantané."_s);
    EXPECT_FALSE(kit.history.session(*model->lastSession())->snapshotStamp.has_value());

    auto shredder =
        scanned({scanGroup({scanItem(tree.path(u"b"_s), true, 10, Removal::Mode::shred(1))})}, ModuleID::shredder);
    shredder->clean();
    EXPECT_EQ(shredder->status(), QString());
    ASSERT_TRUE(waitFor([&] { return shredder->phase() == Phase::finished; }));
    EXPECT_FALSE(shredder->safetyNetNotice().has_value());
    EXPECT_FALSE(exists(tree.path(u"b"_s)));
}

TEST_F(ScanViewModelTest, aCleaningThatRemovesNothingJournalsNothing)
{
    const QString system = Platform::systemPath(u"/System/Library/x"_s);
    ASSERT_FALSE(Platform::createFolder(system).has_value());
    kit.preferences.setTakesSnapshotBeforeCleaning(false);
    auto model = scanned({scanGroup({scanItem(system)})});
    cleanAndWait(*model);
    EXPECT_EQ(model->removedCount(), 0);
    EXPECT_FALSE(model->lastSession().has_value());
    EXPECT_FALSE(model->canUndo());
    EXPECT_EQ(model->totalItemCount(), 1);
    EXPECT_EQ(model->failures().size(), 1);
    EXPECT_TRUE(kit.history.sessions().isEmpty());
}

TEST_F(ScanViewModelTest, undoPutsBackWhatIsStillInTheTrash)
{
    const TempTree tree(uR"(
        a 10
        b 10
        c 10
    )"_s);
    auto model = scanned({scanGroup({scanItem(tree.path(u"a"_s), true, 100), scanItem(tree.path(u"b"_s), true, 200),
                                     scanItem(tree.path(u"c"_s), true, 400)})});
    cleanAndWait(*model);
    ASSERT_EQ(model->freedBytes(), 700);
    // The user emptied one item from the Trash meanwhile.
    ASSERT_FALSE(Platform::removeItem(Platform::homeFolder() + u"/.Trash/c"_s).has_value());

    model->undoLastCleaning();
    EXPECT_TRUE(model->isUndoing());
    model->undoLastCleaning(); // refused while the first runs
    ASSERT_TRUE(waitFor([&] { return !model->isUndoing(); }));
    EXPECT_EQ(model->restoreNotice(), u"2 éléments remis en place."_s);
    // What did not come back is named under the notice, not dropped.
    const QStringList gone{FileUtils::itemLine(tree.path(u"c"_s), History::goneFromTrashText())};
    EXPECT_EQ(model->notPutBack(), gone);
    EXPECT_TRUE(exists(tree.path(u"a"_s)));
    EXPECT_TRUE(exists(tree.path(u"b"_s)));
    EXPECT_EQ(model->freedBytes(), 400); // what did not come back stays freed
    EXPECT_FALSE(model->canUndo());
    EXPECT_EQ(model->phase(), Phase::finished);

    model->undoLastCleaning();
    ASSERT_TRUE(waitFor([&] { return !model->isUndoing(); }));
    EXPECT_EQ(model->restoreNotice(), u"0 élément remis en place."_s);
    EXPECT_EQ(model->notPutBack(), gone);
}

TEST_F(ScanViewModelTest, aModelDestroyedWhileItsJobRunsReceivesNothing)
{
    auto scanner = std::make_shared<LatchedScanner>();
    scanner->control()->groups = {scanGroup({scanItem(u"/a"_s)})};
    scanner->control()->reports = {{0.5, u"Moitié…"_s}};
    auto model = std::make_unique<ScanViewModel>(scanner, kit.services);
    QPointer<ScanViewModel> watch(model.get());
    model->scan();
    model.reset();
    scanner->control()->release();
    waitFor([&] { return scanner->control()->sawStop.load(); });
    QTest::qWait(100); // a late delivery would have come by now
    QCoreApplication::processEvents();
    EXPECT_TRUE(watch.isNull());
    EXPECT_TRUE(scanner->control()->sawStop);
}
