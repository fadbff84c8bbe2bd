#include "Scanners/ModuleScanner.h"

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
