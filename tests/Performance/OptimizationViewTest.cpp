#include "Performance/OptimizationView.h"

#include "Look/ElidedLabel.h"
#include "Look/NoticeBanner.h"
#include "Look/StyledButton.h"
#include "Look/Theme.h"
#include "Performance/OptimizationViewModel.h"
#include "RecordingWorkspace.h"
#include "Scanners/ModuleRegistry.h"
#include "ShownWidgets.h"
#include "TempTree.h"
#include "TestServices.h"
#include "WaitFor.h"

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

#include <condition_variable>
#include <mutex>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using OptimizationService::HeavyApp;
using OptimizationService::LaunchItem;
using TestSupport::allShown;
using TestSupport::shown;
using TestSupport::waitFor;

namespace {

class TestFigures final : public Modules::AppFigures
{
public:
    const SystemSnapshot& snapshot() const override { return reading; }
    bool hasFullDiskAccess() const override { return true; }
    qint64 totalFreedBytes() const override { return 0; }
    void onChanged(QObject*, std::function<void()>) const override {}

    SystemSnapshot reading;
};

LaunchItem itemOf(const QString& label, const QString& scope, const QString& url = u"/L/x.plist"_s)
{
    return {QUuid::createUuid(), label, url, u"/bin/prog"_s, scope, true, u"/bin/prog"_s};
}

HeavyApp appOf(const QString& name, double cpu, qint64 memory)
{
    return {QUuid::createUuid(), name, 1, cpu, memory, u"/A/"_s + name + u".app"_s, u"/A/"_s + name + u".app"_s};
}

// A screen over given lists, shown, with its first refresh done.
struct Screen {
    Screen(QList<LaunchItem> items, QList<HeavyApp> apps, OptimizationViewModel::Sources sources = {})
    {
        if (!sources.launchItems)
            sources.launchItems = [items] { return items; };
        if (!sources.heavyApps)
            sources.heavyApps = [apps] { return apps; };
        model = new OptimizationViewModel(services.services, std::move(sources));
        view = std::make_unique<OptimizationView>(*model, workspace, figures);
        model->setParent(view.get());
        view->resize(900, 1400);
        view->show();
        EXPECT_TRUE(waitFor([&] { return !model->isLoading(); }));
    }

    TestSupport::TestServices services;
    TestSupport::RecordingWorkspace workspace;
    TestFigures figures;
    OptimizationViewModel* model = nullptr;
    std::unique_ptr<OptimizationView> view;
};

} // namespace

TEST(OptimizationView, theFiguresFollowTheReadingAndTheStartupCount)
{
    SystemSnapshot reading;
    reading.cpuLoad = 0.999;
    reading.memoryUsed = 0;
    reading.memoryTotal = 0;
    const auto tiles = OptimizationView::tiles(reading, 3);
    EXPECT_EQ(tiles[0].label, u"Processeur"_s);
    EXPECT_EQ(tiles[0].value, u"99 %"_s);
    EXPECT_EQ(tiles[1].value, u"0 Ko"_s);
    EXPECT_EQ(tiles[1].detail, u"sur 0 Ko"_s);
    EXPECT_EQ(tiles[1].fraction, 0.0);
    EXPECT_EQ(tiles[2].value, u"3"_s);
    EXPECT_EQ(tiles[2].detail, u"lancés à l'ouverture de session"_s);
    EXPECT_EQ(tiles[2].fraction, std::nullopt);

    EXPECT_EQ(OptimizationView::cpuText(12.34), u"12.3 % CPU"_s);
    EXPECT_FALSE(OptimizationView::isCpuHigh(40.0));
    EXPECT_TRUE(OptimizationView::isCpuHigh(40.1));
}

// The three figures read as one row: the processor's tile, without a detail line, is as tall as the others and
// its value stands on their line.
TEST(OptimizationView, theFigureTilesShareOneHeight)
{
    Screen screen({}, {});
    QCoreApplication::processEvents();
    QList<int> heights;
    QList<int> values;
    for (const char16_t* name : {u"processorTile", u"memoryTile", u"agentsTile"}) {
        auto* tile = screen.view->findChild<StatTile*>(QString::fromUtf16(name));
        ASSERT_NE(tile, nullptr);
        heights << tile->height();
        values << tile->findChild<QWidget*>(u"statValue"_s)->mapTo(screen.view.get(), QPoint()).y();
    }
    EXPECT_EQ(heights, QList<int>(3, heights.first()));
    EXPECT_EQ(values, QList<int>(3, values.first()));
}

TEST(OptimizationView, showsTwelveHeavyApplicationsAtMostWithTheirFigures)
{
    QList<HeavyApp> apps;
    for (int i = 0; i < 13; ++i)
        apps.append(appOf(u"App%1"_s.arg(i), i == 0 ? 40.1 : 40.0, (13 - i) * 1048576LL));
    Screen screen({}, apps);
    const QList<QWidget*> rows = allShown(*screen.view, u"heavyAppRow"_s);
    ASSERT_EQ(rows.size(), 12);
    QStringList names;
    for (QWidget* row : rows)
        names << row->findChild<ElidedLabel*>(u"heavyAppName"_s)->text();
    EXPECT_FALSE(names.contains(u"App12"_s)) << "the one with the least memory";
    auto* first = rows[0]->findChild<ElidedLabel*>(u"heavyAppCpu"_s);
    auto* second = rows[1]->findChild<ElidedLabel*>(u"heavyAppCpu"_s);
    // Highlighted above 40 only.
    EXPECT_EQ(first->text(), u"40.1 % CPU"_s);
    EXPECT_EQ(first->color(), Theme::coral());
    EXPECT_EQ(second->text(), u"40.0 % CPU"_s);
    EXPECT_EQ(second->color(), std::nullopt);
    EXPECT_EQ(rows[11]->findChild<ElidedLabel*>(u"heavyAppMemory"_s)->text(), u"2,1 Mo"_s);
    EXPECT_TRUE(screen.workspace.iconsAsked.contains(u"/A/App0.app"_s));
    // The startup card says it has nothing and the figure reads 0.
    EXPECT_NE(shown(*screen.view, u"launchItemsEmpty"_s), nullptr);
    EXPECT_EQ(screen.view->findChild<StatTile*>(u"agentsTile"_s)->fields().value, u"0"_s);
}

TEST(OptimizationView, onlyPropertyListItemsCanBeDisabledAndARefusalKeepsTheRowWithItsReason)
{
    const TempTree tree(u"Excluded/fr.refuse.plist 10\n"_s);
    const QList<LaunchItem> items{itemOf(u"Barre"_s, u"Élément d'ouverture"_s, u"/A/Barre.app"_s),
                                  itemOf(u"fr.refuse"_s, u"Système"_s, tree.path(u"Excluded/fr.refuse.plist"_s)),
                                  itemOf(u"fr.tous"_s, u"Tous les utilisateurs"_s),
                                  itemOf(u"fr.moi"_s, u"Cet utilisateur"_s)};
    Screen screen(items, {});
    ASSERT_TRUE(screen.services.exclusions.add(tree.path(u"Excluded"_s)));
    EXPECT_NE(shown(*screen.view, u"heavyAppsEmpty"_s), nullptr);
    EXPECT_EQ(screen.view->findChild<StatTile*>(u"agentsTile"_s)->fields().value, u"4"_s);
    const QList<QWidget*> rows = allShown(*screen.view, u"launchItemRow"_s);
    ASSERT_EQ(rows.size(), 4);
    QList<bool> buttons;
    for (QWidget* row : rows)
        buttons << (row->findChild<StyledButton*>(u"disableButton"_s) != nullptr);
    EXPECT_EQ(buttons, (QList<bool>{false, true, true, true}));

    QTest::mouseClick(rows[1]->findChild<StyledButton*>(u"disableButton"_s), Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return shown(*screen.view, u"removalNotice"_s) != nullptr; }));
    auto* notice = shown<NoticeBanner>(*screen.view, u"removalNotice"_s);
    EXPECT_EQ(notice->kind(), NoticeBanner::Kind::warning);
    EXPECT_EQ(notice->findChild<QLabel*>(u"noticeTitle"_s)->text(),
              u"Impossible de désactiver «\u00A0fr.refuse\u00A0»"_s);
    EXPECT_FALSE(notice->findChild<QLabel*>(u"noticeMessage"_s)->text().isEmpty());
    EXPECT_EQ(allShown(*screen.view, u"launchItemRow"_s).size(), 4);
    ASSERT_TRUE(waitFor([&] { return screen.services.inFlight.idle(); }));

    // The next refresh takes the notice away.
    QTest::mouseClick(shown<StyledButton>(*screen.view, u"refreshButton"_s), Qt::LeftButton);
    EXPECT_EQ(shown(*screen.view, u"removalNotice"_s), nullptr);
}

TEST(OptimizationView, theDiagnosisHeaderGoesThroughItsStates)
{
    auto mutex = std::make_shared<std::mutex>();
    auto wake = std::make_shared<std::condition_variable>();
    auto released = std::make_shared<int>(0);
    auto results = std::make_shared<std::vector<std::vector<Diagnostics::Finding>>>(
        std::vector<std::vector<Diagnostics::Finding>>{{},
                                                       {*Diagnostics::swapFinding(u"total = 100.00M used = 90.00M"_s),
                                                        *Diagnostics::spotlightFinding(u"Indexing disabled."_s)}});
    auto calls = std::make_shared<int>(0);
    OptimizationViewModel::Sources sources;
    sources.diagnose = [=](std::stop_token) {
        std::unique_lock lock(*mutex);
        const int call = (*calls)++;
        wake->wait(lock, [&] { return *released > call; });
        return (*results)[std::size_t(call)];
    };
    const auto release = [=] {
        const std::lock_guard lock(*mutex);
        ++*released;
        wake->notify_all();
    };
    Screen screen({}, {}, sources);
    QWidget& view = *screen.view;
    const auto buttonText = [&] {
        auto* button = shown<StyledButton>(view, u"diagnoseButton"_s);
        return button ? button->text() : QString();
    };
    EXPECT_EQ(buttonText(), u"Diagnostiquer"_s);
    EXPECT_EQ(shown(view, u"diagnosisProgress"_s), nullptr);
    EXPECT_EQ(shown(view, u"diagnosisHealthy"_s), nullptr) << "no banner before any diagnosis";

    QTest::mouseClick(shown<StyledButton>(view, u"diagnoseButton"_s), Qt::LeftButton);
    EXPECT_NE(shown(view, u"diagnosisProgress"_s), nullptr);
    EXPECT_EQ(buttonText(), QString());
    release();
    ASSERT_TRUE(waitFor([&] { return shown(view, u"diagnosisHealthy"_s) != nullptr; }));
    EXPECT_EQ(buttonText(), u"Refaire le diagnostic"_s);
    EXPECT_EQ(shown<NoticeBanner>(view, u"diagnosisHealthy"_s)->kind(), NoticeBanner::Kind::info);

    QTest::mouseClick(shown<StyledButton>(view, u"diagnoseButton"_s), Qt::LeftButton);
    EXPECT_NE(shown(view, u"diagnosisProgress"_s), nullptr);
    EXPECT_NE(shown(view, u"diagnosisHealthy"_s), nullptr) << "the previous outcome stays meanwhile";
    release();
    ASSERT_TRUE(waitFor([&] { return allShown(view, u"findingBanner"_s).size() == 2; }));
    const QList<NoticeBanner*> banners = allShown<NoticeBanner>(view, u"findingBanner"_s);
    EXPECT_EQ(banners[0]->kind(), NoticeBanner::Kind::warning);
    EXPECT_EQ(banners[1]->kind(), NoticeBanner::Kind::info);
    const Diagnostics::Finding swap = (*results)[1][0];
    EXPECT_EQ(banners[0]->findChild<QLabel*>(u"noticeTitle"_s)->text(), swap.title);
    EXPECT_EQ(banners[0]->findChild<QLabel*>(u"noticeMessage"_s)->text(), swap.evidence + u"\n\n"_s + swap.explanation);
    EXPECT_EQ(shown(view, u"diagnosisHealthy"_s), nullptr);
}

// A button that gives way under the pointer ("Diagnostiquer" for the spinner, "Désactiver" with its row) must
// not pull the page elsewhere as the keyboard focus leaves it.
TEST(OptimizationView, theClickedButtonGivingWayLeavesThePageWhereItWas)
{
    const TempTree tree(u"a.plist 10\nb.plist 10\nc.plist 10\nd.plist 10\ne.plist 10\n"_s);
    QList<LaunchItem> items;
    for (const QString& name : {u"a"_s, u"b"_s, u"c"_s, u"d"_s, u"e"_s})
        items << itemOf(name, u"Cet utilisateur"_s, tree.path(name + u".plist"_s));
    QList<HeavyApp> apps;
    for (int i = 0; i < 12; ++i)
        apps << appOf(u"App %1"_s.arg(i), 1, 1000 - i);
    auto mutex = std::make_shared<std::mutex>();
    auto wake = std::make_shared<std::condition_variable>();
    auto released = std::make_shared<bool>(false);
    OptimizationViewModel::Sources sources;
    sources.diagnose = [=](std::stop_token) {
        std::unique_lock lock(*mutex);
        wake->wait(lock, [&] { return *released; });
        return std::vector<Diagnostics::Finding>();
    };
    Screen screen(items, apps, sources);
    QWidget& view = *screen.view;
    view.resize(900, 500);
    view.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&view, TestSupport::waitBound));
    QScrollBar* bar = view.findChild<QScrollArea*>()->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);

    QTest::mouseClick(shown<StyledButton>(view, u"diagnoseButton"_s), Qt::LeftButton);
    ASSERT_NE(shown(view, u"diagnosisProgress"_s), nullptr);
    EXPECT_EQ(bar->value(), 0);
    {
        const std::lock_guard lock(*mutex);
        *released = true;
        wake->notify_all();
    }
    ASSERT_TRUE(waitFor([&] { return shown(view, u"diagnosisHealthy"_s) != nullptr; }));
    EXPECT_EQ(bar->value(), 0);

    // The last startup item, disabled from the foot of the page: the page stays at its foot.
    QApplication::processEvents(); // the banner's room
    bar->setValue(bar->maximum());
    QWidget* last = allShown(view, u"launchItemRow"_s).last();
    QTest::mouseClick(last->findChild<StyledButton*>(u"disableButton"_s), Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return allShown(view, u"launchItemRow"_s).size() == 4; }));
    QApplication::processEvents();
    EXPECT_EQ(bar->value(), bar->maximum());
    ASSERT_TRUE(waitFor([&] { return screen.services.inFlight.idle(); }));
}
