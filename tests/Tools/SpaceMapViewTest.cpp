#include "Tools/SpaceMapView.h"

#include "Look/Paint.h"
#include "Look/Theme.h"
#include "MacFixtures.h"
#include "Platform/SystemRoot.h"
#include "RecordingOpenPanel.h"
#include "RecordingWorkspace.h"
#include "Sandbox.h"
#include "ScopedEnvironment.h"
#include "ShownWidgets.h"
#include "TempTree.h"
#include "Tools/SpaceMapViewModel.h"
#include "Tools/TreemapCanvas.h"
#include "Tools/TreemapTile.h"
#include "WaitFor.h"

#include <QAbstractButton>
#include <QLabel>
#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using TestSupport::click;
using TestSupport::labelText;
using TestSupport::shown;
using TestSupport::waitFor;

namespace {

int shownCount(const QWidget& root, const QString& name)
{
    QCoreApplication::processEvents(); // widgets added to a shown layout show on the next turn of the loop
    int count = 0;
    for (QWidget* widget : root.findChildren<QWidget*>(name))
        count += widget->isVisibleTo(&root) ? 1 : 0;
    return count;
}

QPoint centreOf(const Treemap::Tile& tile)
{
    return tile.rect.center().toPoint();
}

const Treemap::Tile* tileNamed(const TreemapCanvas& canvas, const QString& name)
{
    for (const Treemap::Tile& tile : canvas.tiles()) {
        if (tile.node->name() == name)
            return &tile;
    }
    return nullptr;
}

struct Screen {
    TestSupport::RecordingWorkspace workspace;
    TestSupport::RecordingOpenPanel panel;
    std::unique_ptr<QWidget> widget;
    SpaceMapView* view = nullptr;

    Screen()
    {
        widget.reset(makeSpaceMapScreen(workspace, panel));
        view = qobject_cast<SpaceMapView*>(widget.get());
        widget->resize(900, 640);
        widget->show();
    }
    SpaceMapViewModel& model() const { return view->model(); }
};

} // namespace

TEST(TreemapTile, labelsOnlyRoomyTilesAndAlwaysTellsNameAndSize)
{
    struct Case {
        QRectF rect;
        bool label;
    };
    for (const Case& c : {Case{QRectF(0, 0, 63, 31), true}, Case{QRectF(0, 0, 62, 31), false},
                          Case{QRectF(0, 0, 63, 30), false}, Case{QRectF(5, 5, 62.01, 30.01), true}}) {
        EXPECT_EQ(TreemapTile::showsLabel(c.rect), c.label) << c.rect.width() << " x " << c.rect.height();
    }
    EXPECT_EQ(TreemapTile::frame(QRectF(10, 20, 50, 40)), QRectF(11, 21, 48, 38));
    EXPECT_EQ(TreemapTile::frame(QRectF(10, 20, 2.5, 0.7)), QRectF(11, 21, 1, 1));

    TempTree tree(u"\"Rapport final.pdf\" 4096\n"_s);
    const auto measured = SpaceTree::measure(tree.root(), 4);
    ASSERT_EQ(measured->root()->children().size(), 1u);
    EXPECT_EQ(TreemapTile::tooltip(*measured->root()->children()[0]),
              u"Rapport final.pdf — "_s + spaceSizeText(measured->root()->children()[0]->size()));
}

// A chosen folder is measured and walked: tiles, a click into a folder, the path bar, hovering and going up.
TEST(SpaceMapView, walksAChosenFolder)
{
    TempTree tree(uR"(
Projets/alpha/plan.bin 400000
Projets/beta.bin 100000
Photos.app/Contents/x 200000
notes.txt 50000
)"_s);
    Screen screen;
    SpaceMapView& view = *screen.view;
    ASSERT_NE(shown(view, u"startButton"_s), nullptr);

    screen.panel.script = {QStringList()}; // cancelled: nothing happens
    click(shown(view, u"chooseButton"_s));
    EXPECT_FALSE(screen.model().isScanning());
    ASSERT_EQ(screen.panel.requests.size(), 1);
    EXPECT_EQ(screen.panel.requests[0].mode, Platform::OpenPanel::Mode::oneFolder);
    EXPECT_EQ(screen.panel.requests[0].prompt, u"Analyser"_s);

    screen.panel.script = {QStringList{tree.root()}};
    click(shown(view, u"chooseButton"_s));
    ASSERT_TRUE(waitFor([&] { return shown(view, u"treemapCanvas"_s) != nullptr; }));
    TreemapCanvas& canvas = view.canvas();
    EXPECT_EQ(canvas.tiles().size(), 3u);
    EXPECT_EQ(shown(view, u"upButton"_s), nullptr);
    EXPECT_EQ(shownCount(view, u"pathEntry"_s), 1);
    EXPECT_EQ(labelText(view, u"currentSize"_s), spaceSizeText(screen.model().root()->size()));
    EXPECT_NE(shown(view, u"hoverHint"_s), nullptr);

    // Clicking a package or a file does nothing; a folder opens.
    for (const QString& leaf : {u"Photos.app"_s, u"notes.txt"_s}) {
        const Treemap::Tile* tile = tileNamed(canvas, leaf);
        ASSERT_NE(tile, nullptr);
        QTest::mouseClick(&canvas, Qt::LeftButton, {}, centreOf(*tile));
        EXPECT_EQ(screen.model().current(), screen.model().root());
    }
    const Treemap::Tile* projets = tileNamed(canvas, u"Projets"_s);
    ASSERT_NE(projets, nullptr);
    EXPECT_EQ(canvas.colors()[0].alphaF(), Paint::withOpacity(Theme::indigo(), 0.85).alphaF());
    QTest::mouseMove(&canvas, QPoint(0, 0)); // a gap: a move to where the pointer already is sends nothing
    QTest::mouseMove(&canvas, centreOf(*projets));
    ASSERT_TRUE(screen.model().hovered().has_value());
    EXPECT_EQ(labelText(view, u"hoveredName"_s), u"Projets"_s);
    const qint64 share = sharePercent(screen.model().hovered()->size, screen.model().root()->size());
    EXPECT_EQ(labelText(view, u"hoveredShare"_s), u"· %1 % de ce dossier"_s.arg(share));
    QTest::mouseClick(&canvas, Qt::LeftButton, {}, centreOf(*projets));
    ASSERT_EQ(screen.model().current()->name(), u"Projets"_s);
    EXPECT_EQ(canvas.tiles().size(), 2u);
    EXPECT_EQ(shownCount(view, u"pathEntry"_s), 2);

    click(shown(view, u"revealButton"_s));
    EXPECT_EQ(screen.workspace.revealed, QStringList{tree.path(u"Projets"_s)});

    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&canvas, &leave);
    EXPECT_FALSE(screen.model().hovered().has_value());

    click(shown(view, u"upButton"_s));
    EXPECT_EQ(screen.model().current(), screen.model().root());

    // A canvas of a few points still lays out inside itself and draws; one of no size has no tiles.
    canvas.setFixedSize(3, 2);
    QCoreApplication::processEvents();
    ASSERT_EQ(canvas.size(), QSize(3, 2));
    for (const Treemap::Tile& tile : canvas.tiles())
        EXPECT_TRUE(QRectF(0, 0, 3, 2).adjusted(-1e-9, -1e-9, 1e-9, 1e-9).contains(tile.rect));
    canvas.grab();
    canvas.setFixedSize(0, 0);
    QCoreApplication::processEvents();
    EXPECT_TRUE(canvas.tiles().empty());
    canvas.grab();
}

// Only the 60 largest of many children get a tile; the folder's size still counts them all.
TEST(SpaceMapView, drawsTheSixtyLargestChildren)
{
    TempTree tree;
    QString description;
    for (int i = 1; i <= 80; ++i)
        description += u"f%1 %2\n"_s.arg(i).arg(i * 4096);
    tree.add(description);
    Screen screen;
    screen.panel.script = {QStringList{tree.root()}};
    screen.view->chooseFolder();
    ASSERT_TRUE(waitFor([&] { return screen.model().current() != nullptr; }));
    const auto& tiles = screen.view->canvas().tiles();
    EXPECT_LE(tiles.size(), 60u);
    EXPECT_GT(tiles.size(), 0u);
    for (const Treemap::Tile& tile : tiles)
        EXPECT_GE(tile.node->size(), 21 * 4096); // f1 … f20 are the smallest
    EXPECT_EQ(screen.model().root()->children().size(), 80u);
    EXPECT_EQ(labelText(*screen.view, u"currentSize"_s), spaceSizeText(screen.model().root()->size()));
}

// The screen on a demonstration Mac: measure the home, enter a folder by its tile, go up, then start a second
// measurement and stop it.
TEST(SpaceMapView, mapsTheDemonstrationHome)
{
    const QString demo = TestSupport::temporary() + u"/demo-mac"_s;
    TestSupport::layOutDemoMac(demo);
    const TestSupport::ScopedEnvironment root("QUORVANE_ROOT", demo);
    const TestSupport::ScopedEnvironment home("HOME", demo + u"/Users/demo"_s);

    Screen screen;
    SpaceMapView& view = *screen.view;
    click(shown(view, u"startButton"_s));
    ASSERT_TRUE(waitFor([&] { return screen.model().current() != nullptr; }));
    const SpaceNode* homeNode = screen.model().root();
    EXPECT_EQ(homeNode->url(), demo + u"/Users/demo"_s);

    TreemapCanvas& canvas = view.canvas();
    const Treemap::Tile* documents = tileNamed(canvas, u"Documents"_s);
    ASSERT_NE(documents, nullptr);
    QTest::mouseClick(&canvas, Qt::LeftButton, {}, centreOf(*documents));
    ASSERT_EQ(screen.model().current()->name(), u"Documents"_s);
    // The bundle among the documents is one block, not a folder to enter.
    const Treemap::Tile* bundle = tileNamed(canvas, u"Prototype.app"_s);
    ASSERT_NE(bundle, nullptr);
    EXPECT_FALSE(bundle->node->isDirectory());

    click(shown(view, u"upButton"_s));
    EXPECT_EQ(screen.model().current(), homeNode);

    click(shown(view, u"homeButton"_s));
    EXPECT_TRUE(screen.model().isScanning());
    EXPECT_NE(shown(view, u"stopButton"_s), nullptr);
    click(shown(view, u"stopButton"_s));
    EXPECT_NE(shown(view, u"startButton"_s), nullptr);
    ASSERT_TRUE(waitFor([&] { return screen.model().progress() == 1.0; }));
    EXPECT_EQ(screen.model().current(), nullptr);
}
