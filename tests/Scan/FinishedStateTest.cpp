#include "Scan/Screen/FinishedState.h"

#include "Look/ElidedLabel.h"
#include "Platform/FileOperations.h"
#include "Platform/SystemRoot.h"
#include "ScopedEnvironment.h"
#include "ScreenFixture.h"
#include "TempTree.h"

#include <QLabel>

using namespace Qt::StringLiterals;
using namespace ScreenTest;
using FinishedStateTest = Fixture;
using Phase = ScanViewModel::Phase;
using TestSupport::scanGroup;
using TestSupport::scanItem;

namespace {

int top(const QWidget& root, const QString& name)
{
    QWidget* widget = shown(root, name);
    return widget ? widget->mapTo(&root, QPoint(0, 0)).y() : -1;
}

} // namespace

TEST(FinishedState, headlineAndFailureHeaderAgreeWithTheirCounts)
{
    const struct {
        bool threats;
        qint64 removed;
        qint64 freed;
        const char16_t* figure;
        const char16_t* caption;
    } headlines[] = {{true, 0, 0, u"0", u"menace retirée"},       {true, 1, 4096, u"1", u"menace retirée"},
                     {true, 2, 0, u"2", u"menaces retirées"},     {true, 12000, 0, u"12000", u"menaces retirées"},
                     {false, 3, 0, u"0 Ko", u"libérés"},          {false, 3, -10, u"0 Ko", u"libérés"},
                     {false, 3, 2'500'000, u"2,5 Mo", u"libérés"}};
    for (const auto& h : headlines) {
        EXPECT_EQ(FinishedState::figureText(h.threats, h.removed, h.freed), QString::fromUtf16(h.figure));
        EXPECT_EQ(FinishedState::captionText(h.threats, h.removed), QString::fromUtf16(h.caption));
    }
    EXPECT_EQ(FinishedState::failureHeader(1), u"1 élément n'a pas pu être supprimé"_s);
    EXPECT_EQ(FinishedState::failureHeader(6), u"6 éléments n'ont pas pu être supprimés"_s);
}

TEST_F(FinishedStateTest, theReportPutsTheSafetyNetLineAboveTheFirstFourFailuresAndOffersUndo)
{
    const TestSupport::ScopedEnvironment noSnapshot("QUORVANE_TMUTIL_FAIL", u"1"_s);
    kit.preferences.setTakesSnapshotBeforeCleaning(true);
    const TempTree tree(u"kept 10"_s);
    QList<ScanItem> items = {scanItem(tree.path(u"kept"_s), true, 2'000'000)};
    for (int i = 0; i < 6; ++i) {
        const QString locked = Platform::systemPath(u"/System/Library/locked-%1"_s.arg(i));
        ASSERT_FALSE(Platform::createFolder(locked).has_value());
        items.append(scanItem(locked));
    }
    ScanViewModel& m = scanned({scanGroup(items)});
    ScanModuleView& screen = show();
    click(shown(screen, u"cleanButton"_s));
    ASSERT_TRUE(waitFor([&] { return m.phase() == Phase::finished; }));
    QCoreApplication::processEvents();

    EXPECT_EQ(labelText(screen, u"finishedFigure"_s), u"2 Mo"_s);
    EXPECT_EQ(labelText(screen, u"finishedCaption"_s), u"libérés"_s);
    ASSERT_TRUE(m.safetyNetNotice().has_value());
    auto* safetyNet = shown(screen, u"safetyNetNotice"_s);
    ASSERT_NE(safetyNet, nullptr);
    EXPECT_EQ(shown<QLabel>(*safetyNet, QString())->text(), *m.safetyNetNotice());
    EXPECT_LT(top(screen, u"finishedCaption"_s), top(screen, u"safetyNetNotice"_s));
    EXPECT_LT(top(screen, u"safetyNetNotice"_s), top(screen, u"failureCard"_s));

    EXPECT_EQ(labelText(screen, u"failureHeader"_s), u"6 éléments n'ont pas pu être supprimés"_s);
    const QList<ElidedLabel*> lines = allShown<ElidedLabel>(screen, u"failureLine"_s);
    ASSERT_EQ(lines.size(), 4);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(lines[i]->text(), m.failures()[i]);
    EXPECT_EQ(shown(screen, u"restoreNotice"_s), nullptr);

    ASSERT_NE(shown(screen, u"undoButton"_s), nullptr);
    click(shown(screen, u"undoButton"_s));
    ASSERT_TRUE(waitFor([&] { return !m.isUndoing(); })); // the files move back in the background
    QCoreApplication::processEvents();
    EXPECT_EQ(labelText(*shown(screen, u"restoreNotice"_s), QString()), u"1 élément remis en place."_s);
    EXPECT_EQ(shown(screen, u"undoButton"_s), nullptr);
    EXPECT_EQ(labelText(screen, u"finishedFigure"_s), u"0 Ko"_s);
    EXPECT_EQ(labelText(screen, u"finishedCaption"_s), u"libérés"_s);

    // "Voir ce qui reste" goes back to the review of what is left, nothing ticked.
    ASSERT_NE(shown(screen, u"showRemainingButton"_s), nullptr);
    click(shown(screen, u"showRemainingButton"_s));
    QCoreApplication::processEvents();
    EXPECT_EQ(m.phase(), Phase::results);
    EXPECT_EQ(m.totalItemCount(), 6);
    EXPECT_EQ(m.selectedCount(), 0);
    EXPECT_EQ(shown(screen, u"finishedState"_s), nullptr);
    ASSERT_NE(shown(screen, u"cleanButton"_s), nullptr);
    EXPECT_FALSE(shown(screen, u"cleanButton"_s)->isEnabled());
}

TEST_F(FinishedStateTest, aReportWithNothingInTheTrashOffersNoUndoAndShowsNoEmptyCard)
{
    const TempTree tree(uR"(
        deleted 10
        agent.plist 10
    )"_s);
    ScanViewModel& m = scanned({scanGroup({scanItem(tree.path(u"deleted"_s), true, 3000, Removal::Mode::deletion())})});
    ScanModuleView& screen = show();
    click(shown(screen, u"cleanButton"_s));
    ASSERT_TRUE(waitFor([&] { return m.phase() == Phase::finished; }));
    EXPECT_EQ(labelText(screen, u"finishedFigure"_s), u"3 Ko"_s);
    for (const QString& absent :
         {u"failureCard"_s, u"safetyNetNotice"_s, u"restoreNotice"_s, u"undoButton"_s, u"showRemainingButton"_s})
        EXPECT_EQ(shown(screen, absent), nullptr) << absent.toStdString();
    ASSERT_NE(shown(screen, u"newScanButton"_s), nullptr);

    // A threat that goes to the Trash: the headline counts it, and it can come back.
    ScanItem threat = scanItem(tree.path(u"agent.plist"_s), true, 10, Removal::Mode::threat(std::nullopt));
    threat.threat = Threat{ThreatSeverity::confirmed, std::nullopt, {}, std::nullopt};
    ScanViewModel& threats = scanned({scanGroup({threat}, ScanGroup::Metric::threats)}, ModuleID::malware);
    ScanModuleView& report = show();
    click(shown(report, u"cleanButton"_s));
    ASSERT_TRUE(waitFor([&] { return threats.phase() == Phase::finished; }));
    EXPECT_EQ(labelText(report, u"finishedFigure"_s), u"1"_s);
    EXPECT_EQ(labelText(report, u"finishedCaption"_s), u"menace retirée"_s);
    EXPECT_NE(shown(report, u"undoButton"_s), nullptr);
}
