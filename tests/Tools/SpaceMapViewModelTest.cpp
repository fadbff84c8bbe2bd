#include "Tools/SpaceMapViewModel.h"

#include "Core/FileUtils.h"
#include "SpaceNodeChild.h"
#include "TempTree.h"
#include "WaitFor.h"

#include <QTest>

#include <gtest/gtest.h>

#include <limits>

using namespace Qt::StringLiterals;
using TestSupport::waitFor;

namespace {

const char* const kFixture = R"(
docs/a/b.bin 8192
docs/c.bin 4096
Lumen.app/Contents/x 4096
file.bin 4096
)";

} // namespace

TEST(SpaceMapViewModel, publishesTheMeasuredTreeAndStartsThere)
{
    TempTree tree(QString::fromUtf8(kFixture));
    SpaceMapViewModel model;
    EXPECT_FALSE(model.isScanning());
    model.scan(tree.root());
    EXPECT_TRUE(model.isScanning());
    EXPECT_EQ(model.current(), nullptr);
    ASSERT_TRUE(waitFor([&] { return !model.isScanning(); }));
    ASSERT_NE(model.root(), nullptr);
    EXPECT_EQ(model.current(), model.root());
    EXPECT_EQ(model.root()->url(), tree.root());
    EXPECT_EQ(model.progress(), 1.0);
    EXPECT_EQ(model.status(), QString());
}

// Navigation moves only where the screen may go, and never clears the hovered node.
TEST(SpaceMapViewModel, guardsNavigation)
{
    TempTree tree(QString::fromUtf8(kFixture));
    SpaceMapViewModel model;
    model.scan(tree.root());
    ASSERT_TRUE(waitFor([&] { return model.root() != nullptr; }));
    const SpaceNode* root = model.root();
    const SpaceNode* docs = child(root, u"docs"_s);
    const SpaceNode* a = child(docs, u"a"_s);
    ASSERT_NE(a, nullptr);

    model.goUp();
    EXPECT_EQ(model.current(), root); // nothing above the root
    for (const QString& leaf : {u"file.bin"_s, u"Lumen.app"_s}) {
        model.enter(child(root, leaf));
        EXPECT_EQ(model.current(), root) << qPrintable(leaf);
    }
    model.enter(a); // not a child of the current folder
    EXPECT_EQ(model.current(), root);
    model.enter(nullptr);
    EXPECT_EQ(model.current(), root);

    model.hover(child(root, u"file.bin"_s));
    model.enter(docs);
    EXPECT_EQ(model.current(), docs);
    model.enter(a);
    EXPECT_EQ(model.current(), a);
    ASSERT_TRUE(model.hovered().has_value());
    EXPECT_EQ(model.hovered()->name, u"file.bin"_s);
    EXPECT_EQ(model.path(), (std::vector<const SpaceNode*>{root, docs, a}));

    model.jumpTo(child(docs, u"c.bin"_s)); // not on the path
    EXPECT_EQ(model.current(), a);
    model.jumpTo(root);
    EXPECT_EQ(model.current(), root);
    model.enter(docs);
    model.goUp();
    EXPECT_EQ(model.current(), root);
    model.hover(nullptr);
    EXPECT_FALSE(model.hovered().has_value());
}

// A stopped measurement publishes nothing: the start state comes back, and its last report still lands.
TEST(SpaceMapViewModel, stopBringsBackTheStartState)
{
    TempTree tree;
    QString description;
    for (int i = 0; i < 300; ++i)
        description += u"d%1/e/f/g 4096\n"_s.arg(i);
    tree.add(description);
    SpaceMapViewModel model;
    model.scan(tree.root());
    model.stop();
    EXPECT_FALSE(model.isScanning());
    ASSERT_TRUE(waitFor([&] { return model.progress() == 1.0; }));
    QTest::qWait(50);
    EXPECT_EQ(model.root(), nullptr);
    EXPECT_EQ(model.current(), nullptr);
    EXPECT_FALSE(model.isScanning());
    EXPECT_EQ(model.status(), QString());
}

// A second measurement replaces the first, which never shows; a model gone mid-measurement is left alone.
TEST(SpaceMapViewModel, secondMeasurementReplacesTheFirst)
{
    TempTree first;
    QString description;
    for (int i = 0; i < 200; ++i)
        description += u"d%1/e/f 4096\n"_s.arg(i);
    first.add(description);
    TempTree second(u"only.bin 4096\n"_s);

    SpaceMapViewModel model;
    QStringList published;
    QObject::connect(&model, &SpaceMapViewModel::changed, &model, [&] {
        if (model.root())
            published.append(model.root()->url());
    });
    model.scan(first.root());
    model.scan(second.root());
    ASSERT_TRUE(waitFor([&] { return !model.isScanning(); }));
    QTest::qWait(100);
    EXPECT_FALSE(published.contains(first.root()));
    ASSERT_NE(model.root(), nullptr);
    EXPECT_EQ(model.root()->url(), second.root());

    auto* gone = new SpaceMapViewModel;
    gone->scan(first.root());
    delete gone;
    QTest::qWait(200);
}

TEST(SpaceMapViewModel, sharesAreCutTowardsZero)
{
    struct Case {
        qint64 part, whole, percent;
    };
    for (const Case& c :
         {Case{1, 3, 33}, Case{2, 3, 66}, Case{999, 1000, 99}, Case{5, 5, 100}, Case{0, 10, 0}, Case{5, 0, 500},
          Case{7, -4, 700}, Case{std::numeric_limits<qint64>::max(), 1, std::numeric_limits<qint64>::max()}}) {
        EXPECT_EQ(sharePercent(c.part, c.whole), c.percent) << c.part << "/" << c.whole;
    }
    EXPECT_EQ(spaceSizeText(0), u"0 Ko"_s);
    EXPECT_EQ(spaceSizeText(-5), u"0 Ko"_s);
    EXPECT_EQ(spaceSizeText(4096), FileUtils::byteFormatter().string(4096));
}
