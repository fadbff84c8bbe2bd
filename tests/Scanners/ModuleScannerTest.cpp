#include "Scanners/ModuleScanner.h"
#include "Scanners/ScanItems.h"

#include "TempTree.h"

#include <algorithm>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

ScanItem named(const QString& name, std::optional<ThreatSeverity> severity = std::nullopt, qint64 size = 0)
{
    ScanItem item;
    item.id = QUuid::createUuid();
    item.name = name;
    item.size = size;
    if (severity)
        item.threat = Threat{*severity, std::nullopt, {}, std::nullopt};
    return item;
}

QStringList names(const QList<ScanItem>& items)
{
    QStringList list;
    for (const ScanItem& item : items)
        list.append(item.name);
    return list;
}

} // namespace

TEST(NullScanner, findsNothingWithTheDefaultTexts)
{
    const NullScanner scanner(ModuleID::spaceMap);
    int calls = 0;
    EXPECT_TRUE(scanner.scan([&](double, const QString&) { ++calls; }, {}).isEmpty());
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(scanner.moduleID(), ModuleID::spaceMap);
    EXPECT_EQ(scanner.actionTitle(), u"Nettoyer"_s);
    EXPECT_EQ(scanner.emptyTitle(), u"Rien à nettoyer"_s);
    EXPECT_EQ(scanner.emptyMessage(), u"Cette catégorie est déjà au propre."_s);
    EXPECT_FALSE(scanner.requiresFullDiskAccess());
    EXPECT_TRUE(scanner.advisories().isEmpty());
}

TEST(ModuleScanner, directoryContentsListsHiddenChildrenAndNothingForNonFolders)
{
    const TempTree tree(uR"(
        folder/.hidden 1
        folder/b 1
        folder/a/inner 1
        file 1
    )"_s);
    EXPECT_EQ(ModuleScanner::directoryContents(tree.path(u"folder"_s)),
              (QStringList{tree.path(u"folder/.hidden"_s), tree.path(u"folder/a"_s), tree.path(u"folder/b"_s)}));
    EXPECT_TRUE(ModuleScanner::directoryContents(tree.path(u"file"_s)).isEmpty());
    EXPECT_TRUE(ModuleScanner::directoryContents(tree.path(u"missing"_s)).isEmpty());
}

TEST(ScanOrder, severityFirstThenFrenchNamesIgnoringCase)
{
    QList<ScanItem> items{named(u"zeta"_s, ThreatSeverity::likely),
                          named(u"Éclair"_s),
                          named(u"beta"_s),
                          named(u"alpha"_s, ThreatSeverity::suspicious),
                          named(u"Omega"_s, ThreatSeverity::confirmed),
                          named(u"ecole"_s)};
    std::sort(items.begin(), items.end(), ScanOrder::severityThenName);
    EXPECT_EQ(names(items), (QStringList{u"Omega"_s, u"zeta"_s, u"alpha"_s, u"beta"_s, u"Éclair"_s, u"ecole"_s}));
}

TEST(ScanOrder, bySizeLargestFirstAndStable)
{
    const QList<ScanItem> items{named(u"a"_s, {}, 10), named(u"b"_s, {}, 30), named(u"c"_s, {}, 10),
                                named(u"d"_s, {}, 30)};
    EXPECT_EQ(names(ScanOrder::sortedBySize(items)), (QStringList{u"b"_s, u"d"_s, u"a"_s, u"c"_s}));
}

// Chains (a place whose item is not kept), cycles, items left behind at either end, and nothing kept.
TEST(ScanItems, keepInOrderLeavesTheItemsAtTheGivenIndexesInThatOrder)
{
    struct Case {
        int count;
        std::vector<std::size_t> order;
    };
    const Case cases[] = {
        {5, {0, 1, 2, 3, 4}},    {5, {4, 3, 2, 1, 0}},
        {5, {1, 2, 0, 4, 3}},    {6, {5, 0, 3}},
        {6, {2, 4, 1, 0}},       {6, {}},
        {7, {6, 2, 0, 1, 5, 3}}, {4, {3}},
    };
    for (const Case& c : cases) {
        QList<ScanItem> items;
        QStringList expected;
        for (int i = 0; i < c.count; ++i)
            items.append(named(QString::number(i)));
        for (const std::size_t index : c.order)
            expected.append(QString::number(index));
        ScanItems::keepInOrder(items, c.order);
        EXPECT_EQ(names(items), expected) << expected.join(u' ').toStdString();
    }
}
