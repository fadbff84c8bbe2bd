#include "Tools/ShredderView.h"

#include "Core/FileUtils.h"
#include "Look/ElidedLabel.h"
#include "Look/ModuleHeader.h"
#include "Look/NoticeBanner.h"
#include "Look/SymbolView.h"
#include "Look/TextLabel.h"
#include "Look/Theme.h"
#include "RecordingOpenPanel.h"
#include "RecordingWorkspace.h"
#include "TempTree.h"
#include "TestServices.h"
#include "Tools/ShredderDropZone.h"
#include "Tools/ShredderViewModel.h"
#include "WaitFor.h"

#include <QComboBox>
#include <QLabel>
#include <QListView>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// The screen over test services, every confirmation answered `answer`.
struct Screen {
    explicit Screen(bool answer)
        : view(model, workspace, panel,
               [answer](const QString&, const QString&, const QString&, std::function<void(bool)> reply) {
                   reply(answer);
               })
    {
    }

    TestSupport::TestServices services;
    TestSupport::RecordingWorkspace workspace;
    TestSupport::RecordingOpenPanel panel;
    ShredderViewModel model{services.services};
    ShredderView view;
};

} // namespace

TEST(ShredderView, buildsTheConfirmationTexts)
{
    struct Case {
        int count;
        qint64 bytes;
        int passes;
        QString title;
        QString message;
    };
    const QList<Case> cases = {
        {1, 0, 1, u"Broyer 1 élément ?"_s, u"0 Ko seront écrasés en 1 passe puis supprimés définitivement."_s},
        {2, 0, 3, u"Broyer 2 éléments ?"_s, u"0 Ko seront écrasés en 3 passes puis supprimés définitivement."_s},
    };
    for (const Case& c : cases) {
        const Shredder::Alert alert = Shredder::confirmationTexts(c.count, c.bytes, c.passes);
        EXPECT_EQ(alert.title, c.title);
        EXPECT_EQ(alert.message, c.message);
    }
    EXPECT_TRUE(Shredder::confirmationTexts(2, 4096, 7)
                    .message.endsWith(u" seront écrasés en 7 passes puis "
                                      u"supprimés définitivement."_s));
}

TEST(ShredderView, queuesDroppedAndChosenLocalFilesOnlyAndShredsOnConfirmation)
{
    TempTree tree(u"a.bin 4096\nb.bin 10\nc.bin 10\n"_s);
    TestSupport::TestServices services;
    TestSupport::RecordingWorkspace workspace;
    TestSupport::RecordingOpenPanel panel;
    QStringList asked;
    bool answer = false;
    ShredderViewModel model(services.services);
    ShredderView view(
        model, workspace, panel,
        [&](const QString& title, const QString&, const QString& button, std::function<void(bool)> reply) {
            asked.append(title + u'|' + button);
            reply(answer);
        });

    view.show();
    auto* zone = view.findChild<ShredderDropZone*>();
    ASSERT_NE(zone, nullptr);
    // A drag the zone refuses as it comes in is never dropped; one it takes is, and its drop is accepted.
    auto drop = [&](QMimeData* data) {
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(zone, &enter);
        EXPECT_EQ(enter.isAccepted(), data->hasUrls() && data->urls().first().isLocalFile());
        if (!enter.isAccepted())
            return;
        QDropEvent event(QPointF(5, 5), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(zone, &event);
        EXPECT_TRUE(event.isAccepted());
    };
    QMimeData text;
    text.setText(u"bonjour"_s);
    drop(&text);
    QMimeData web;
    web.setUrls({QUrl(u"https://example.com/x"_s)});
    drop(&web);
    EXPECT_TRUE(model.items().isEmpty());
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(tree.path(u"a.bin"_s)), QUrl(u"https://example.com/y"_s)});
    drop(&files);
    ASSERT_EQ(model.items().size(), 1);

    panel.script = {{tree.path(u"b.bin"_s), tree.path(u"c.bin"_s)}, {}};
    view.browse();
    view.browse();
    ASSERT_EQ(panel.requests.size(), 2);
    EXPECT_EQ(panel.requests.first().mode, Platform::OpenPanel::Mode::filesAndFolders);
    EXPECT_EQ(panel.requests.first().prompt, u"Ajouter"_s);
    EXPECT_EQ(model.items().size(), 3);

    ASSERT_TRUE(TestSupport::waitFor([&] { return model.canShred(); }));
    view.requestShred();
    EXPECT_FALSE(model.isShredding());
    answer = true;
    view.requestShred();
    EXPECT_EQ(asked, (QStringList{u"Broyer 3 éléments ?|Broyer"_s, u"Broyer 3 éléments ?|Broyer"_s}));
    ASSERT_TRUE(TestSupport::waitFor([&] { return !model.isShredding(); }));
    EXPECT_TRUE(model.items().isEmpty());
    EXPECT_FALSE(TestSupport::exists(tree.path(u"a.bin"_s)));
}

// A file the job could not shred stays in the queue and says why under its name, on a row grown to hold it.
TEST(ShredderView, anItemThatStayedSaysWhy)
{
    TempTree tree(u"linked.bin 4096\nelsewhere/\nelsewhere/twin => linked.bin\n"_s);
    Screen screen(true);
    ShredderViewModel& model = screen.model;
    ShredderView& view = screen.view;
    view.show();
    model.add({tree.path(u"linked.bin"_s)});
    ASSERT_TRUE(TestSupport::waitFor([&] { return model.canShred(); }));
    auto* list = view.findChild<QListView*>(u"shredQueue"_s);
    ASSERT_NE(list, nullptr);
    const QModelIndex row = list->model()->index(0, 0);
    EXPECT_FALSE(row.data(Shredder::failureRole).isValid());
    const int plainHeight = list->visualRect(row).height();
    view.requestShred();
    ASSERT_TRUE(TestSupport::waitFor([&] { return !model.isShredding(); }));
    ASSERT_EQ(model.items().size(), 1);
    QCoreApplication::processEvents(); // the list lays out again
    const QModelIndex stayed = list->model()->index(0, 0);
    EXPECT_EQ(stayed.data(Shredder::failureRole).toString(),
              model.failureReason(model.items().first().id).value_or(u"?"_s));
    EXPECT_GT(list->visualRect(stayed).height(), plainHeight);
}

// The screen reads like its neighbours: the module's header and warning banner
// on top, and in a tall window the drop zone keeps its own height instead of
// being stretched over the room left.
TEST(ShredderView, keepsItsPartsAtTheirHeightsUnderTheModuleHeader)
{
    Screen screen(false);
    ShredderView& view = screen.view;
    view.resize(880, 900);
    view.show();
    QCoreApplication::processEvents();

    const auto* header = view.findChild<ModuleHeader*>();
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(header->module(), ModuleID::shredder);
    const auto* banner = view.findChild<NoticeBanner*>();
    ASSERT_NE(banner, nullptr);
    EXPECT_EQ(banner->kind(), NoticeBanner::Kind::warning);
    const auto* zone = view.findChild<QWidget*>(u"dropZone"_s);
    ASSERT_NE(zone, nullptr);
    EXPECT_EQ(zone->height(), zone->sizeHint().height());
}

// A thousand files dropped at once: one change of the queue, one list view and no widget per row, and only the
// rows in view drawn (the workspace is asked for the icons of those alone).
TEST(ShredderView, aDropOfAThousandFilesDrawsOnlyTheRowsInView)
{
    QString description;
    for (int i = 0; i < 1000; ++i)
        description += u"f%1.bin\n"_s.arg(i, 4, 10, QChar(u'0'));
    TempTree tree(description);
    Screen screen(false);
    ShredderViewModel& model = screen.model;
    ShredderView& view = screen.view;
    view.resize(880, 900);
    view.show();
    QCoreApplication::processEvents();
    const qsizetype widgets = view.findChildren<QWidget*>().size();

    QList<QUrl> urls;
    for (int i = 0; i < 1000; ++i)
        urls.append(QUrl::fromLocalFile(tree.path(u"f%1.bin"_s.arg(i, 4, 10, QChar(u'0')))));
    QMimeData data;
    data.setUrls(urls);
    auto* zone = view.findChild<ShredderDropZone*>();
    ASSERT_NE(zone, nullptr);
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(zone, &enter);
    QSignalSpy changes(&model, &ShredderViewModel::changed);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(zone, &drop);
    EXPECT_EQ(changes.size(), 1);
    ASSERT_EQ(model.items().size(), 1000);

    QCoreApplication::processEvents();
    auto* list = view.findChild<QListView*>(u"shredQueue"_s);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->model()->rowCount(), 1000);
    EXPECT_EQ(list->height(), 260);
    list->viewport()->grab();
    const int inView = list->viewport()->height() / list->sizeHintForRow(0) + 1;
    const QSet<QString> drawn(screen.workspace.iconsAsked.cbegin(), screen.workspace.iconsAsked.cend());
    EXPECT_GT(drawn.size(), 0);
    EXPECT_LE(drawn.size(), inView);
    EXPECT_EQ(view.findChildren<QWidget*>().size(), widgets);
}

// The bar reads as the screen's figures do: the total over "dans la file", the passes (one by default) under their
// title; a row's symbol takes it out; "Vider la liste" forgets the last job's count, so it does not come back with
// new files.
TEST(ShredderView, showsTheBarsFiguresAndForgetsTheReportWhenCleared)
{
    TempTree tree(u"ok.bin 4096\nlinked.bin 4096\nelsewhere/\nelsewhere/twin => linked.bin\nlater.bin 10\n"
                  u"other.bin 10\n"_s);
    Screen screen(true);
    ShredderViewModel& model = screen.model;
    ShredderView& view = screen.view;
    view.resize(880, 900);
    view.show();
    model.add({tree.path(u"ok.bin"_s), tree.path(u"linked.bin"_s), tree.path(u"other.bin"_s)});
    ASSERT_TRUE(TestSupport::waitFor([&] { return model.canShred(); }));
    QCoreApplication::processEvents();

    auto* total = view.findChild<QLabel*>(u"queueTotal"_s);
    ASSERT_NE(total, nullptr);
    EXPECT_EQ(total->font(), Theme::systemFont(20, QFont::Bold, Theme::Design::rounded));
    EXPECT_EQ(total->text(), FileUtils::byteFormatter().string(model.totalSize()));
    auto* picker = view.findChild<QComboBox*>(u"passesPicker"_s);
    ASSERT_NE(picker, nullptr);
    EXPECT_EQ(picker->currentText(), u"1 — rapide"_s);
    QLabel* title = nullptr;
    for (QLabel* label : view.findChildren<QLabel*>()) {
        if (label->text() == u"Passes de réécriture"_s)
            title = label;
    }
    ASSERT_NE(title, nullptr);
    EXPECT_LT(title->mapTo(&view, QPoint()).y(), picker->mapTo(&view, QPoint()).y());

    // The last row's symbol, at its trailing end.
    auto* list = view.findChild<QListView*>(u"shredQueue"_s);
    ASSERT_NE(list, nullptr);
    const QRect last = list->visualRect(list->model()->index(2, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(last.right() - 12 - 9, last.center().y()));
    ASSERT_TRUE(TestSupport::waitFor([&] { return model.items().size() == 2; }));
    EXPECT_EQ(model.items().last().url, tree.path(u"linked.bin"_s));

    view.requestShred();
    ASSERT_TRUE(TestSupport::waitFor([&] { return !model.isShredding() && model.shreddedCount() == 1; }));
    auto* report = view.findChild<QWidget*>(u"shredReport"_s);
    ASSERT_NE(report, nullptr);
    EXPECT_TRUE(report->isVisibleTo(&view));
    bool counted = false;
    for (QLabel* label : report->findChildren<QLabel*>())
        counted = counted || label->text() == u"1 broyés"_s;
    EXPECT_TRUE(counted);

    QTest::mouseClick(view.findChild<QAbstractButton*>(u"clearButton"_s), Qt::LeftButton);
    model.add({tree.path(u"later.bin"_s)});
    EXPECT_FALSE(report->isVisibleTo(&view));
}

// The drop zone at rest and under a drag of files: its fill, dashed outline and symbol; a drag of text, or of web
// addresses, leaves it at rest and is refused; a job in progress shows the hourglass, its bar and the item, and a
// drag of files is still taken.
TEST(ShredderDropZone, lightsUpForFilesOnlyAndKeepsTakingThemWhileAJobRuns)
{
    TempTree tree(u"a.bin 10\n"_s);
    ShredderDropZone zone;
    zone.resize(600, 200);
    zone.show();
    QSignalSpy dropped(&zone, &ShredderDropZone::dropped);

    struct Look {
        QColor fill;
        QColor outline;
        QColor symbol;
    };
    const auto look = [&] { return Look{zone.fill(), zone.outline().color(), zone.symbol()->color()}; };
    const auto expectLook = [&](const Look& expected, const char* state) {
        const Look shown = look();
        EXPECT_EQ(shown.fill, expected.fill) << state;
        EXPECT_EQ(shown.outline, expected.outline) << state;
        EXPECT_EQ(shown.symbol, expected.symbol) << state;
    };
    const Look resting{Paint::ink(&zone, Paint::Ink::primary, 0.03), Paint::ink(&zone, Paint::Ink::primary, 0.18),
                       Paint::ink(&zone, Paint::Ink::secondary)};
    const Look targeted{Paint::withOpacity(Theme::coral(), 0.1), Theme::coral(), Theme::coral()};
    expectLook(resting, "at rest");
    const QPen pen = zone.outline();
    EXPECT_EQ(pen.widthF(), 1.5);
    EXPECT_EQ(pen.dashPattern(), (QList<qreal>{6 / 1.5, 4 / 1.5}));
    EXPECT_EQ(zone.symbol()->symbol(), u"arrow.down.doc"_s);
    EXPECT_EQ(zone.symbol()->symbolSize(), 30);
    const auto* title = zone.findChild<TextLabel*>(u"dropTitle"_s);
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->font().pointSizeF(), Theme::systemFont(13, QFont::Medium).pointSizeF());
    EXPECT_EQ(title->font().weight(), QFont::Medium);

    const auto enter = [&](QMimeData& data) {
        QDragEnterEvent event(QPoint(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&zone, &event);
        return event.isAccepted();
    };
    const auto leave = [&] {
        QDragLeaveEvent event;
        QCoreApplication::sendEvent(&zone, &event);
    };
    QMimeData text;
    text.setText(tree.path(u"a.bin"_s));
    QMimeData web;
    web.setUrls({QUrl(u"https://example.com/a.bin"_s)});
    for (QMimeData* refused : {&text, &web}) {
        EXPECT_FALSE(enter(*refused));
        EXPECT_FALSE(zone.isTargeted());
        expectLook(resting, "under a refused drag");
    }
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(tree.path(u"a.bin"_s))});
    EXPECT_TRUE(enter(files));
    expectLook(targeted, "under a drag of files");
    leave();
    expectLook(resting, "after the drag left");

    zone.setWorking(true, 0.5, u"a.bin"_s);
    EXPECT_EQ(zone.symbol()->symbol(), u"hourglass"_s);
    EXPECT_EQ(title->text(), u"Broyage en cours…"_s);
    const auto* bar = zone.findChild<QProgressBar*>(u"dropProgress"_s);
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(bar->isVisible());
    EXPECT_LE(bar->width(), 260);
    const auto* status = zone.findChild<ElidedLabel*>(u"dropStatus"_s);
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(status->text(), u"a.bin"_s);
    EXPECT_FALSE(zone.browseButton()->isVisible());
    EXPECT_TRUE(enter(files));
    expectLook(targeted, "under a drag of files during a job");
    QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&zone, &drop);
    ASSERT_EQ(dropped.size(), 1);
    EXPECT_EQ(dropped.first().first().toStringList(), QStringList{tree.path(u"a.bin"_s)});
    expectLook(resting, "after the drop");
}
