#include "Tools/ShredderView.h"

#include "Look/ElidedLabel.h"
#include "Look/ModuleHeader.h"
#include "Look/NoticeBanner.h"
#include "RecordingOpenPanel.h"
#include "RecordingWorkspace.h"
#include "TempTree.h"
#include "TestServices.h"
#include "Tools/ShredderModel.h"

#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

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
    ShredderModel model(services.services);
    ShredderView view(
        model, workspace, panel,
        [&](const QString& title, const QString&, const QString& button, std::function<void(bool)> reply) {
            asked.append(title + u'|' + button);
            reply(answer);
        });

    view.show();
    auto drop = [&](QMimeData* data) {
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&view, &enter);
        QDropEvent event(QPointF(5, 5), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&view, &event);
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

    ASSERT_TRUE(QTest::qWaitFor([&] { return model.canShred(); }, 20000));
    view.requestShred();
    EXPECT_FALSE(model.isShredding());
    answer = true;
    view.requestShred();
    EXPECT_EQ(asked, (QStringList{u"Broyer 3 éléments ?|Broyer"_s, u"Broyer 3 éléments ?|Broyer"_s}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !model.isShredding(); }, 20000));
    EXPECT_TRUE(model.items().isEmpty());
    EXPECT_FALSE(TestSupport::exists(tree.path(u"a.bin"_s)));
}

// A file the job could not shred stays in the queue and says why under its
// name.
TEST(ShredderView, anItemThatStayedSaysWhy)
{
    TempTree tree(u"linked.bin 4096\nelsewhere/\nelsewhere/twin => linked.bin\n"_s);
    TestSupport::TestServices services;
    TestSupport::RecordingWorkspace workspace;
    TestSupport::RecordingOpenPanel panel;
    ShredderModel model(services.services);
    ShredderView view(
        model, workspace, panel,
        [](const QString&, const QString&, const QString&, std::function<void(bool)> reply) { reply(true); });
    view.show();
    model.add({tree.path(u"linked.bin"_s)});
    ASSERT_TRUE(QTest::qWaitFor([&] { return model.canShred(); }, 20000));
    EXPECT_EQ(view.findChild<ElidedLabel*>(u"shredFailure"_s), nullptr);
    view.requestShred();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !model.isShredding(); }, 20000));
    ASSERT_EQ(model.items().size(), 1);
    QCoreApplication::processEvents(); // the rows just made are shown
    auto* why = view.findChild<ElidedLabel*>(u"shredFailure"_s);
    ASSERT_NE(why, nullptr);
    EXPECT_TRUE(why->isVisibleTo(&view));
    EXPECT_EQ(why->text(), model.failureReason(model.items().first().id).value_or(u"?"_s));
}

// The screen reads like its neighbours: the module's header and warning banner
// on top, and in a tall window the drop zone keeps its own height instead of
// being stretched over the room left.
TEST(ShredderView, keepsItsPartsAtTheirHeightsUnderTheModuleHeader)
{
    TestSupport::TestServices services;
    TestSupport::RecordingWorkspace workspace;
    TestSupport::RecordingOpenPanel panel;
    ShredderModel model(services.services);
    ShredderView view(
        model, workspace, panel,
        [](const QString&, const QString&, const QString&, std::function<void(bool)> reply) { reply(false); });
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
