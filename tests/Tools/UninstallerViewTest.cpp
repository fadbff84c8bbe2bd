#include "Tools/UninstallerView.h"

#include "Look/ElidedLabel.h"
#include "Look/NoticeBanner.h"
#include "Look/SymbolView.h"
#include "Look/TextLabel.h"
#include "Platform/RunningApplications.h"
#include "RecordingApplications.h"
#include "RecordingAsk.h"
#include "RecordingWorkspace.h"
#include "TempTree.h"
#include "TestServices.h"
#include "Tools/AppDetail.h"
#include "Tools/UninstallerViewModel.h"
#include "WaitFor.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QStackedWidget>
#include <QTest>

#include <atomic>
#include <future>
#include <memory>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using TestSupport::waitFor;

namespace {

const QDateTime now = QDateTime(QDate(2026, 12, 10), QTime(8, 0), Qt::UTC);

InstalledApp app(const QString& name, qint64 size, const QString& bundleID)
{
    InstalledApp made;
    made.id = QUuid::createUuid();
    made.url = u"/Applications/"_s + name + u".app"_s;
    made.name = name;
    made.bundleID = bundleID;
    made.version = u"2.1"_s;
    made.size = size;
    made.isAppleApp = bundleID.startsWith(u"com.apple."_s);
    return made;
}

QString textOf(QWidget* root, const QString& name)
{
    if (auto* label = root->findChild<QLabel*>(name))
        return label->text();
    if (auto* elided = root->findChild<ElidedLabel*>(name))
        return elided->text();
    return u"<absent>"_s;
}

QAbstractButton* button(QWidget* root, const QString& name)
{
    return root->findChild<QAbstractButton*>(name);
}

// A screen over a model fed by a scripted inventory and scripted receipts.
struct Screen {
    explicit Screen(QList<InstalledApp> inventory, UninstallerViewModel::Seams extra = {})
    {
        UninstallerViewModel::Seams seams = std::move(extra);
        seams.now = [] { return now; };
        seams.inventory = [inventory, gate = gate](const Progress&, std::stop_token) {
            gate.wait();
            return inventory;
        };
        // A copy of the pointer, not the screen: a reading may still run when the test is over.
        seams.receipts = [traces = traces](const QString&) { return *traces; };
        model = new UninstallerViewModel(services.services, seams);
        view = std::make_unique<UninstallerView>(*model, workspace, ask);
        model->setParent(view.get());
        view->resize(1100, 800);
    }
    void open()
    {
        opened.set_value();
        view->show();
    }
    QWidget* page() const { return view->findChild<QStackedWidget*>()->currentWidget(); }

    TestSupport::TestServices services;
    TestSupport::RecordingWorkspace workspace;
    TestSupport::RecordingAsk ask;
    std::shared_ptr<QList<Receipts::Trace>> traces = std::make_shared<QList<Receipts::Trace>>();
    std::promise<void> opened;
    std::shared_future<void> gate = opened.get_future().share();
    UninstallerViewModel* model = nullptr;
    std::unique_ptr<UninstallerView> view;
};

} // namespace

// The screen first shows the inventory under way, then the list; a search that matches nothing says
// "0 application" and keeps the detail; switching the filter keeps the selection.
TEST(UninstallerView, goesFromTheInventoryToTheListAndKeepsTheDetailWhileSearching)
{
    InstalledApp big = app(u"Atelier"_s, 300'000'000, u"com.lumenlabs.atelier"_s);
    InstalledApp small = app(u"Carnet"_s, 1000, u"fr.carnet.app"_s);
    Screen screen({big, small, app(u"Notes"_s, 5, u"com.apple.Notes"_s)});
    screen.view->show();
    EXPECT_EQ(screen.page()->objectName(), u"loadingPage"_s);
    EXPECT_FALSE(button(screen.view.get(), u"refreshButton"_s)->isVisible());
    screen.opened.set_value();
    ASSERT_TRUE(waitFor([&] { return screen.page()->objectName() == u"listPage"_s; }));
    EXPECT_TRUE(button(screen.view.get(), u"refreshButton"_s)->isVisible());
    EXPECT_EQ(textOf(screen.view.get(), u"appCount"_s), u"2 applications"_s);
    EXPECT_EQ(screen.view->findChild<QListView*>(u"appList"_s)->model()->rowCount(), 2);
    ASSERT_NE(screen.view->detail(), nullptr);
    EXPECT_EQ(screen.view->detail()->app().id, big.id);

    auto* search = screen.view->findChild<QLineEdit*>(u"searchField"_s);
    QTest::keyClicks(search, u"zzz"_s);
    EXPECT_EQ(screen.model->query(), u"zzz"_s);
    EXPECT_EQ(textOf(screen.view.get(), u"appCount"_s), u"0 application"_s);
    ASSERT_NE(screen.view->detail(), nullptr);
    EXPECT_EQ(screen.view->detail()->app().id, big.id);

    search->clear();
    QTest::keyClicks(search, u"CARN"_s);
    EXPECT_EQ(textOf(screen.view.get(), u"appCount"_s), u"1 application"_s);
    QTest::mouseClick(button(screen.view.get(), u"filter_large"_s), Qt::LeftButton);
    EXPECT_EQ(screen.model->filter(), Uninstaller::Filter::large);
    EXPECT_EQ(*screen.model->selected(), big.id);

    // A tap on a row selects it.
    search->clear();
    QTest::keyClicks(search, u"a"_s);
    QTest::mouseClick(button(screen.view.get(), u"filter_all"_s), Qt::LeftButton);
    auto* list = screen.view->findChild<QListView*>(u"appList"_s);
    const QRect second = list->visualRect(list->model()->index(1, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second.center());
    EXPECT_EQ(*screen.model->selected(), small.id);
    ASSERT_TRUE(waitFor([&] { return screen.view->detail() && screen.view->detail()->app().id == small.id; }));
}

TEST(UninstallerView, anEmptyInventorySaysSo)
{
    Screen screen({});
    screen.open();
    ASSERT_TRUE(waitFor([&] { return !screen.model->isLoading(); }));
    EXPECT_EQ(screen.page()->objectName(), u"emptyPage"_s);
}

// The pane: identity, the three sizes, the last opening, the receipts in their three forms and the buttons.
TEST(UninstallerView, theDetailShowsWhatWouldGoAndWhatTheInstallerDeclared)
{
    InstalledApp bare = app(u"Sans nom"_s, 0, QString());
    bare.lastUsed = now.addSecs(-15'552'001);
    Screen screen({bare});
    Receipts::Trace trace;
    trace.package.id = u"fr.exemple.pkg"_s;
    trace.files = {bare.url + u"/Contents/Info.plist"_s, bare.url + u" 2/outil"_s};
    trace.bytes = 0;
    *screen.traces = {trace};
    screen.open();
    ASSERT_TRUE(waitFor([&] { return screen.view->detail() != nullptr; }));
    AppDetail* detail = screen.view->detail();
    EXPECT_EQ(textOf(detail, u"appIdentifier"_s), u"identifiant inconnu"_s);
    EXPECT_EQ(textOf(detail, u"appVersion"_s), u"Version 2.1"_s);
    EXPECT_EQ(textOf(detail, u"bundleSize"_s), u"0 Ko"_s);
    EXPECT_EQ(textOf(detail, u"leftoversSize"_s), u"0 Ko"_s);
    EXPECT_EQ(textOf(detail, u"totalSize"_s), u"0 Ko"_s);
    EXPECT_NE(detail->findChild<QWidget*>(u"noLeftovers"_s), nullptr);
    EXPECT_EQ(detail->findChild<SymbolView*>(u"lastOpenedSymbol"_s)->symbol(), u"clock.badge.exclamationmark"_s);
    EXPECT_EQ(detail->findChild<QWidget*>(u"appIcon"_s), nullptr); // the recording workspace gives no icon

    QLabel* summary = nullptr;
    ASSERT_TRUE(waitFor([&] { return (summary = detail->findChild<QLabel*>(u"traceSummary"_s)) != nullptr; }));
    EXPECT_EQ(summary->text(), u"2 fichiers, dont 1 hors du bundle"_s);

    QTest::mouseClick(button(detail, u"revealButton"_s), Qt::LeftButton);
    EXPECT_EQ(screen.workspace.revealed, QStringList{bare.url});

    // Reading: only the progress line. Nothing found: no section at all.
    screen.traces->clear();
    screen.model->loadTraces(bare);
    EXPECT_NE(detail->findChild<QWidget*>(u"readingReceipts"_s), nullptr);
    EXPECT_EQ(detail->findChild<QLabel*>(u"traceSummary"_s), nullptr);
    ASSERT_TRUE(waitFor([&] { return !screen.model->isReadingReceipts(); }));
    EXPECT_FALSE(detail->findChild<QWidget*>(u"receiptsSection"_s)->isVisibleTo(detail));
}

// In a short window the pane scrolls: the installer's note keeps all of its lines and no line overlaps the next,
// while the buttons stay in view.
TEST(UninstallerView, aShortWindowScrollsThePaneRatherThanSqueezingIt)
{
    InstalledApp studio = app(u"Studio"_s, 1000, u"fr.studio"_s);
    for (int i = 0; i < 6; ++i) {
        ScanItem item;
        item.id = QUuid::createUuid();
        item.url = u"/Users/demo/Library/Caches/fr.studio/"_s + QString::number(i);
        item.size = 1000;
        studio.leftovers.append(item);
    }
    Screen screen({studio});
    Receipts::Trace trace;
    trace.package.id = u"fr.studio.pkg"_s;
    trace.files = {studio.url + u"/Contents/Info.plist"_s, u"/usr/local/lib/libstudio.dylib"_s};
    *screen.traces = {trace};
    screen.view->resize(700, 560);
    screen.open();
    QLabel* note = nullptr;
    ASSERT_TRUE(waitFor([&] {
        return screen.view->detail() && (note = screen.view->detail()->findChild<QLabel*>(u"receiptsNote"_s));
    }));
    auto* summary = screen.view->detail()->findChild<QLabel*>(u"traceSummary"_s);
    auto* row = summary->parentWidget();
    QWidget* uninstall = button(screen.view->detail(), u"uninstallButton"_s);
    const auto belowTheName = [&] {
        return summary->geometry().top() >= row->findChild<ElidedLabel*>()->geometry().bottom();
    };
    const auto inside = [&] {
        return screen.view->rect().contains(uninstall->mapTo(screen.view.get(), uninstall->rect().bottomRight()));
    };
    // Once the pane is laid out.
    ASSERT_TRUE(
        waitFor([&] { return note->height() >= note->heightForWidth(note->width()) && belowTheName() && inside(); }));
    EXPECT_GE(note->height(), note->heightForWidth(note->width()));
    EXPECT_GE(summary->geometry().top(), row->findChild<ElidedLabel*>()->geometry().bottom());
    EXPECT_TRUE(inside());
}

TEST(UninstallerView, summariesAndClockFollowTheirRules)
{
    const QString bundle = u"/Applications/Ondine.app"_s;
    struct Case {
        QStringList files;
        AppDetail::Summary summary;
    };
    const QList<Case> cases = {
        {{bundle + u"/Contents/Info.plist"_s}, {u"1 fichier — tous dans le bundle"_s, false}},
        {{bundle, bundle + u"/Contents/MacOS/Ondine"_s}, {u"2 fichiers — tous dans le bundle"_s, false}},
        {{bundle + u"/Contents/Info.plist"_s, u"/usr/local/bin/ondine"_s},
         {u"2 fichiers, dont 1 hors du bundle"_s, true}},
        {{u"/Applications/Ondine.app.bak/x"_s, u"/Applications/Ondine.apps"_s, bundle + u"/a"_s},
         {u"3 fichiers, dont 2 hors du bundle"_s, true}},
    };
    for (const Case& c : cases) {
        Receipts::Trace trace;
        trace.files = c.files;
        EXPECT_EQ(AppDetail::traceSummary(trace, bundle), c.summary) << c.files.join(u',').toStdString();
    }
    EXPECT_EQ(AppDetail::lastOpenedSymbol(now.addSecs(-15'552'000), now), u"clock"_s);
    EXPECT_EQ(AppDetail::lastOpenedSymbol(now.addSecs(-15'552'001), now), u"clock.badge.exclamationmark"_s);
    EXPECT_EQ(AppDetail::lastOpenedSymbol(now.addSecs(60), now), u"clock"_s);
}

// "Désinstaller" asks first, with the choice as it stands; ticking the box while a running application is given
// time to quit changes nothing: what goes is what the question said. Cancelling moves nothing.
TEST(UninstallerView, whatGoesIsWhatTheUserConfirmed)
{
    TempTree tree(u"Ondine.app/Contents/MacOS/Ondine 4096\nSupport/io.ondine/db 3000\n"_s);
    InstalledApp ondine = app(u"Ondine"_s, 4096, u"io.ondine.player"_s);
    ondine.url = tree.path(u"Ondine.app"_s);
    ScanItem support;
    support.id = QUuid::createUuid();
    support.url = tree.path(u"Support/io.ondine"_s);
    support.name = u"io.ondine"_s;
    support.size = 3000;
    support.isSelected = true;
    support.removalMode = Removal::Mode::trash();
    ondine.leftovers = {support};

    std::promise<void> ticked;
    std::shared_future<void> boxTicked = ticked.get_future().share();
    std::atomic<bool> running{true};
    const auto applications =
        std::make_shared<TestSupport::RecordingApplications>([&]() -> QList<Platform::RunningApplication> {
            if (!running)
                return {};
            return {{4242, ondine.url, ondine.bundleID}};
        });
    UninstallerViewModel::Seams seams;
    seams.applications = applications;
    seams.sleep = [&, boxTicked](int) {
        boxTicked.wait();
        running = false;
    };
    Screen screen({ondine}, seams);
    screen.open();
    ASSERT_TRUE(waitFor([&] { return screen.view->detail() != nullptr; }));
    auto* box = screen.view->detail()->findChild<QCheckBox*>(u"removeLeftoversBox"_s);
    ASSERT_TRUE(box->isChecked());
    box->click();
    EXPECT_FALSE(screen.model->removeLeftovers());

    screen.ask.script = {false};
    QTest::mouseClick(button(screen.view->detail(), u"uninstallButton"_s), Qt::LeftButton);
    ASSERT_EQ(screen.ask.questions.size(), 1);
    EXPECT_EQ(screen.ask.questions.first().title, u"Désinstaller Ondine ?"_s);
    EXPECT_EQ(screen.ask.questions.first().message,
              u"L'application et elle seule seront mis à la corbeille, soit 4 Ko.\n\nL'app est ouverte : elle sera "
              u"fermée d'abord."_s);
    EXPECT_EQ(screen.model->uninstallsRunning(), 0);

    screen.ask.script = {true};
    QTest::mouseClick(button(screen.view->detail(), u"uninstallButton"_s), Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return !applications->terminated().isEmpty(); }));
    box->click(); // during the wait
    EXPECT_TRUE(screen.model->removeLeftovers());
    // The pane shows the uninstall under way while the application is given time to quit, and takes no second.
    AppDetail* detail = screen.view->detail();
    ASSERT_TRUE(waitFor([&] {
        auto* stage = detail->findChild<QLabel*>(u"uninstallStage"_s);
        return stage->isVisibleTo(detail) && stage->text() == u"Fermeture de l'application…"_s;
    }));
    EXPECT_TRUE(detail->findChild<QWidget*>(u"uninstallProgress"_s)->isVisibleTo(detail));
    EXPECT_FALSE(button(detail, u"uninstallButton"_s)->isEnabled());
    ticked.set_value();
    ASSERT_TRUE(waitFor([&] { return screen.model->uninstallsRunning() == 0; }));
    // and says when it went through.
    ASSERT_TRUE(waitFor([&] { return screen.view->findChild<NoticeBanner*>(u"uninstallDone"_s) != nullptr; }));
    EXPECT_EQ(screen.view->findChild<NoticeBanner*>(u"uninstallDone"_s)->kind(), NoticeBanner::Kind::info);
    EXPECT_EQ(screen.view->findChild<NoticeBanner*>(u"uninstallNotice"_s), nullptr);

    EXPECT_FALSE(TestSupport::exists(ondine.url));
    EXPECT_TRUE(TestSupport::exists(tree.path(u"Support/io.ondine/db"_s)));
    EXPECT_TRUE(screen.model->apps().isEmpty());
    ASSERT_TRUE(waitFor([&] { return screen.page()->objectName() == u"emptyPage"_s; }));
}

// An associated file another application also uses is shown unticked, naming it, and goes only once ticked.
TEST(UninstallerView, aSharedFileGoesOnlyOnceTheUserTicksIt)
{
    TempTree tree(
        u"\"Fox Tool.app/Contents/MacOS/Fox\" 4096\nCaches/com.evil.firefox/x 4096\nSupport/Firefox/p 8192\n"_s);
    InstalledApp fox = app(u"Fox Tool"_s, 4096, u"com.evil.firefox"_s);
    fox.url = tree.path(u"Fox Tool.app"_s);
    const auto leftover = [&](const QString& relative, qint64 size, const QString& detail, bool shared) {
        ScanItem item;
        item.id = QUuid::createUuid();
        item.url = tree.path(relative);
        item.name = relative.section(u'/', -1);
        item.size = size;
        item.detail = detail;
        item.isSelected = !shared;
        item.isRisky = shared;
        item.removalMode = Removal::Mode::trash();
        return item;
    };
    fox.leftovers = {leftover(u"Support/Firefox"_s, 8192, u"Données d'application · partagé avec Firefox"_s, true),
                     leftover(u"Caches/com.evil.firefox"_s, 4096, u"Cache"_s, false)};
    UninstallerViewModel::Seams seams;
    seams.applications = std::make_shared<TestSupport::RecordingApplications>();
    Screen screen({fox}, seams);
    screen.open();
    ASSERT_TRUE(waitFor([&] { return screen.view->detail() != nullptr; }));
    AppDetail* detail = screen.view->detail();
    const QList<QCheckBox*> boxes = detail->findChildren<QCheckBox*>(u"leftoverBox"_s);
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_FALSE(boxes.first()->isChecked());
    QStringList details;
    for (ElidedLabel* label : detail->findChildren<ElidedLabel*>())
        details.append(label->text());
    EXPECT_TRUE(details.contains(u"Données d'application · partagé avec Firefox"_s))
        << details.join(u'|').toStdString();

    // Unticked, it is neither counted nor taken.
    screen.ask.script = {false};
    QTest::mouseClick(button(detail, u"uninstallButton"_s), Qt::LeftButton);
    ASSERT_EQ(screen.ask.questions.size(), 1);
    EXPECT_EQ(screen.ask.questions.last().message,
              u"L'application et son fichier associé seront mis à la corbeille, soit 8 Ko."_s);

    // Ticked, it goes with the rest.
    boxes.first()->click();
    screen.ask.script = {true};
    QTest::mouseClick(button(detail, u"uninstallButton"_s), Qt::LeftButton);
    ASSERT_EQ(screen.ask.questions.size(), 2);
    EXPECT_EQ(screen.ask.questions.last().message,
              u"L'application et ses 2 fichiers associés seront mis à la corbeille, soit 16 Ko."_s);
    ASSERT_TRUE(waitFor([&] { return screen.model->uninstallsRunning() == 0 && screen.model->apps().isEmpty(); }));
    for (const QString& gone : {u"Fox Tool.app"_s, u"Caches/com.evil.firefox"_s, u"Support/Firefox"_s})
        EXPECT_FALSE(TestSupport::exists(tree.path(gone))) << gone.toStdString();
}

// A failed uninstall is said under the header until the next one.
TEST(UninstallerView, aFailedUninstallShowsTheBanner)
{
    TempTree tree(u"Verrou.app/Contents/MacOS/Verrou 4096\n"_s);
    InstalledApp locked = app(u"Verrou"_s, 4096, u"fr.verrou"_s);
    locked.url = tree.path(u"Verrou.app"_s);
    Screen screen({locked});
    screen.services.exclusions.add(locked.url);
    screen.open();
    ASSERT_TRUE(waitFor([&] { return screen.view->detail() != nullptr; }));
    screen.ask.script = {true};
    QTest::mouseClick(button(screen.view->detail(), u"uninstallButton"_s), Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return screen.model->uninstallsRunning() == 0; }));
    auto* banner = screen.view->findChild<NoticeBanner*>(u"uninstallNotice"_s);
    ASSERT_NE(banner, nullptr);
    EXPECT_EQ(banner->kind(), NoticeBanner::Kind::warning);
    EXPECT_EQ(screen.model->apps().size(), 1);
    EXPECT_TRUE(TestSupport::exists(locked.url));
    ASSERT_NE(screen.view->detail(), nullptr);
    EXPECT_EQ(screen.view->detail()->app().id, locked.id);
}
