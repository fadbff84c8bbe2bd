#include "Scan/Screen/ScanModuleView.h"

#include "Look/ElidedLabel.h"
#include "Look/NoticeBanner.h"
#include "Look/TextLabel.h"
#include "Platform/Workspace.h"
#include "Scan/Screen/ScanningState.h"
#include "ScreenFixture.h"

#include <cmath>

#include <QLabel>

using namespace Qt::StringLiterals;
using namespace ScreenTest;
using ScanModuleViewTest = Fixture;
using Phase = ScanViewModel::Phase;
using TestSupport::scanGroup;
using TestSupport::scanItem;

namespace {

const QStringList kPhaseViews = {u"idleState"_s,   u"scanningState"_s, u"resultsState"_s,
                                 u"emptyResult"_s, u"cleaningState"_s, u"finishedState"_s};

// The one phase view on screen; a failure when there is none or more than one.
QString phaseShown(const QWidget& screen)
{
    QStringList names;
    for (const QString& name : kPhaseViews) {
        if (shown(screen, name))
            names.append(name);
    }
    EXPECT_EQ(names.size(), 1) << names.join(u", "_s).toStdString();
    return names.value(0);
}

bool selectAllShown(const QWidget& screen)
{
    const bool all = shown(screen, u"selectAllButton"_s) != nullptr;
    EXPECT_EQ(all, shown(screen, u"deselectAllButton"_s) != nullptr);
    return all;
}

} // namespace

TEST_F(ScanModuleViewTest, thePhaseRouterFollowsTheModelThroughEveryPhase)
{
    const QString home = TestSupport::home();
    ScanViewModel& m = idleModel();
    scanner->control()->groups = {scanGroup({scanItem(home + u"/gone-already"_s)})};
    ScanModuleView& screen = show();
    EXPECT_EQ(phaseShown(screen), u"idleState"_s);

    click(shown(screen, u"scanButton"_s));
    EXPECT_EQ(m.phase(), Phase::scanning);
    EXPECT_EQ(phaseShown(screen), u"scanningState"_s);
    EXPECT_EQ(shown<QLabel>(screen, u"scanPercent"_s)->text(), u"0 %"_s);
    EXPECT_EQ(shown<ElidedLabel>(screen, u"scanStatus"_s)->text(), u"Préparation…"_s);

    click(shown(screen, u"cancelButton"_s));
    EXPECT_EQ(phaseShown(screen), u"idleState"_s);

    click(shown(screen, u"scanButton"_s));
    scanner->control()->release();
    ASSERT_TRUE(waitFor([&] { return m.phase() == Phase::results; }));
    EXPECT_EQ(phaseShown(screen), u"resultsState"_s);

    click(shown(screen, u"cleanButton"_s));
    ASSERT_EQ(m.phase(), Phase::cleaning);
    EXPECT_EQ(phaseShown(screen), u"cleaningState"_s);
    EXPECT_TRUE(allShown<QAbstractButton>(*shown(screen, u"cleaningState"_s), QString()).isEmpty());
    ASSERT_TRUE(waitFor([&] { return m.phase() == Phase::finished; }));
    EXPECT_EQ(phaseShown(screen), u"finishedState"_s);

    // Coming back to the module builds the screen anew over the same model: the report stays.
    show();
    EXPECT_EQ(phaseShown(*view), u"finishedState"_s);

    scanner->control()->hold();
    scanner->control()->groups.clear();
    click(shown(*view, u"newScanButton"_s));
    EXPECT_EQ(phaseShown(*view), u"scanningState"_s);
    scanner->control()->release();
    ASSERT_TRUE(waitFor([&] { return m.phase() == Phase::results; }));
    EXPECT_EQ(phaseShown(*view), u"emptyResult"_s);
    EXPECT_EQ(shown<QLabel>(*view, u"emptyTitle"_s)->text(), u"Rien à nettoyer"_s);
    EXPECT_EQ(shown<QLabel>(*view, u"emptyMessage"_s)->text(), u"Cette catégorie est déjà au propre."_s);

    scanner->control()->hold();
    click(shown(*view, u"rescanButton"_s));
    EXPECT_EQ(phaseShown(*view), u"scanningState"_s);
    scanner->control()->release();
    ASSERT_TRUE(waitFor([&] { return m.phase() == Phase::results; }));
}

TEST_F(ScanModuleViewTest, selectAllButtonsOnlyWhileResultsWithGroupsAreShown)
{
    ScanViewModel& m = idleModel();
    scanner->control()->groups = {scanGroup({scanItem(u"/gone/a"_s, false), scanItem(u"/gone/b"_s, true)})};
    ScanModuleView& screen = show();
    EXPECT_FALSE(selectAllShown(screen));
    m.scan();
    EXPECT_FALSE(selectAllShown(screen));
    scanner->control()->release();
    ASSERT_TRUE(waitFor([&] { return m.phase() == Phase::results; }));
    ASSERT_TRUE(selectAllShown(screen));

    click(shown(screen, u"selectAllButton"_s));
    EXPECT_EQ(m.selectedCount(), 2);
    click(shown(screen, u"deselectAllButton"_s));
    EXPECT_EQ(m.selectedCount(), 0);
    EXPECT_EQ(m.phase(), Phase::results);

    // Nothing on disk to remove: the cleaning ends with the items still in their groups.
    m.setAllSelected(true);
    m.clean();
    EXPECT_FALSE(selectAllShown(screen));
    ASSERT_TRUE(waitFor([&] { return m.phase() == Phase::finished; }));
    ASSERT_FALSE(m.groups().isEmpty());
    EXPECT_FALSE(selectAllShown(screen));

    scanner->control()->groups.clear();
    m.scan();
    ASSERT_TRUE(waitFor([&] { return m.phase() == Phase::results; }));
    EXPECT_FALSE(selectAllShown(screen));
}

TEST_F(ScanModuleViewTest, fullDiskAccessNoticeOnlyWhenTheScannerNeedsAccessThatIsMissing)
{
    const struct {
        bool needs;
        bool has;
        bool notice;
    } cases[] = {{false, false, false}, {false, true, false}, {true, true, false}, {true, false, true}};
    for (const auto& c : cases) {
        idleModel(ModuleID::privacy, c.needs);
        ScanModuleView& screen = show(c.has);
        auto* notice = shown<NoticeBanner>(screen, u"fullDiskAccessNotice"_s);
        ASSERT_EQ(notice != nullptr, c.notice) << c.needs << c.has;
        if (!notice)
            continue;
        EXPECT_EQ(shown<QLabel>(*notice, u"noticeTitle"_s)->text(), u"Accès complet au disque requis"_s);
        EXPECT_EQ(shown<QLabel>(*notice, u"noticeMessage"_s)->text(),
                  u"Sans cette autorisation, ce module ne verra qu'une partie de vos fichiers."_s);
        auto* open = shown<QAbstractButton>(*notice, u"noticeActionButton"_s);
        ASSERT_NE(open, nullptr);
        EXPECT_EQ(open->text(), u"Ouvrir les réglages"_s);
        click(open);
        EXPECT_EQ(workspace.opened,
                  QStringList{u"x-apple.systempreferences:com.apple.preference.security?Privacy_AllFiles"_s});
    }
}

TEST_F(ScanModuleViewTest, advisoriesFollowTheAccessNoticeInOrderWithAButtonOnlyForALink)
{
    ScanViewModel& m = idleModel(ModuleID::leftovers, true);
    const QString link = u"x-apple.systempreferences:com.apple.preference.security?Privacy_Automation"_s;
    scanner->control()->advisories = {
        Advisory{QUuid::createUuid(), u"Avec lien"_s, u"Un."_s, link, u"Ouvrir"_s},
        Advisory{QUuid::createUuid(), u"Titre sans lien"_s, u"Deux."_s, std::nullopt, u"Ouvrir"_s},
        Advisory{QUuid::createUuid(), u"Rien"_s, u"Trois."_s, std::nullopt, std::nullopt},
    };
    scanner->control()->groups = {scanGroup({scanItem(u"/gone/a"_s)})};
    scanner->control()->release();
    ScanModuleView& screen = show(false);
    m.scan();
    ASSERT_TRUE(waitFor([&] { return m.phase() == Phase::results; }));

    const QList<NoticeBanner*> advisories = allShown<NoticeBanner>(screen, u"advisoryNotice"_s);
    ASSERT_EQ(advisories.size(), 3);
    auto top = [&](QWidget* w) { return w->mapTo(&screen, QPoint(0, 0)).y(); };
    int previous = top(shown(screen, u"fullDiskAccessNotice"_s));
    for (int i = 0; i < 3; ++i) {
        EXPECT_GT(top(advisories[i]), previous);
        previous = top(advisories[i]);
    }
    EXPECT_LT(previous, top(shown(screen, u"resultsState"_s)));
    EXPECT_EQ(shown<QLabel>(*advisories[0], u"noticeTitle"_s)->text(), u"Avec lien"_s);
    EXPECT_EQ(shown<QLabel>(*advisories[2], u"noticeMessage"_s)->text(), u"Trois."_s);
    for (NoticeBanner* advisory : advisories)
        EXPECT_EQ(advisory->kind(), NoticeBanner::Kind::warning);
    EXPECT_EQ(shown(*advisories[1], u"noticeActionButton"_s), nullptr);
    EXPECT_EQ(shown(*advisories[2], u"noticeActionButton"_s), nullptr);
    click(shown(*advisories[0], u"noticeActionButton"_s));
    EXPECT_EQ(workspace.opened, QStringList{link});
}

TEST(ScanningState, showsThePercentTruncatedAndKeepsItsStatusLine)
{
    const struct {
        double progress;
        const char16_t* text;
    } cases[] = {{0, u"0 %"}, {0.29, u"28 %"}, {0.999, u"99 %"}, {1, u"100 %"}, {1.7, u"100 %"}, {NAN, u"0 %"}};
    for (const auto& c : cases)
        EXPECT_EQ(ScanningState::percentText(c.progress), QString::fromUtf16(c.text)) << c.progress;

    int stops = 0;
    ScanningState scanning(0.29, QString(), [&stops] { ++stops; });
    scanning.show();
    EXPECT_EQ(shown<QLabel>(scanning, u"scanPercent"_s)->text(), u"28 %"_s);
    auto* status = shown<ElidedLabel>(scanning, u"scanStatus"_s);
    EXPECT_EQ(status->text(), u" "_s);
    const int emptyHeight = status->sizeHint().height();
    const QString longPath = u"~/Library/Caches/"_s + QString(300, u'x') + u"/fin"_s;
    scanning.setProgress(0.5, longPath);
    EXPECT_EQ(status->sizeHint().height(), emptyHeight);
    scanning.resize(1000, 600);
    QCoreApplication::processEvents();
    EXPECT_LE(status->width(), ScanningState::statusWidth);
    EXPECT_TRUE(status->shownText().startsWith(u"~/Library/Caches/"_s));
    EXPECT_TRUE(status->shownText().endsWith(u"/fin"_s));
    EXPECT_TRUE(status->shownText().contains(u'…'));
    click(shown(scanning, u"cancelButton"_s));
    EXPECT_EQ(stops, 1);
}

TEST_F(ScanModuleViewTest, aModuleWithoutAScannerSaysItIsNotAvailableYet)
{
    ScanModuleView& screen = show();
    auto* line = shown<QLabel>(screen, u"unavailableNotice"_s);
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->text(), u"Ce module n'est pas encore disponible."_s);
    EXPECT_EQ(shown(screen, u"scanButton"_s), nullptr);
    EXPECT_EQ(screen.phaseView(), nullptr);
    for (QLabel* label : screen.findChildren<QLabel*>())
        EXPECT_FALSE(label->text().contains(u"au propre"_s));
}
