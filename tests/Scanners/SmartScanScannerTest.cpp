#include "Scanners/SmartScanScanner.h"

#include "LatchedScanner.h"
#include "ScannerTestSupport.h"
#include "Scanners/MalwareScanner.h"
#include "Scanners/SystemJunkScanner.h"
#include "Scanners/TrashScanner.h"
#include "TempTree.h"
#include "TestServices.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using TestSupport::LatchedScanner;

namespace {

ScanGroup titled(const QString& title)
{
    ScanGroup group = TestSupport::scanGroup({TestSupport::scanItem(u"/x/"_s + title)});
    group.title = title;
    return group;
}

struct ThreeStages {
    ThreeStages()
    {
        for (int i = 0; i < 3; ++i)
            latched.push_back(std::make_shared<LatchedScanner>());
        latched[0]->control()->groups = {titled(u"junk 1"_s), titled(u"junk 2"_s)};
        latched[1]->control()->groups = {titled(u"trash"_s)};
        latched[2]->control()->groups = {titled(u"threats"_s)};
    }
    SmartScanScanner scanner() const
    {
        return SmartScanScanner({{latched[0], 0.6, u"Recherche de fichiers inutiles"_s},
                                 {latched[1], 0.15, u"Inspection des corbeilles"_s},
                                 {latched[2], 0.25, u"Vérification des menaces connues"_s}});
    }
    bool started(int i) const
    {
        const std::lock_guard lock(latched[size_t(i)]->control()->mutex);
        return latched[size_t(i)]->control()->started;
    }
    std::vector<std::shared_ptr<LatchedScanner>> latched;
};

} // namespace

TEST(SmartScan, chainsJunkTrashAndThreatsWithTheirWeightsAndTexts)
{
    const TestSupport::TestServices kit;
    const SmartScanScanner scanner(kit.exclusions);
    ASSERT_EQ(scanner.stages().size(), 3);
    const auto* junk = dynamic_cast<const SystemJunkScanner*>(scanner.stages()[0].scanner.get());
    ASSERT_TRUE(junk);
    EXPECT_EQ(*junk, SystemJunkScanner(kit.exclusions, ModuleID::systemJunk, true,
                                       SystemJunkScanner::standardCacheDenylist()));
    EXPECT_EQ(scanner.stages()[1].scanner->moduleID(), ModuleID::trashBins);
    EXPECT_TRUE(dynamic_cast<const TrashScanner*>(scanner.stages()[1].scanner.get()));
    EXPECT_EQ(scanner.stages()[2].scanner->moduleID(), ModuleID::malware);
    EXPECT_TRUE(dynamic_cast<const MalwareScanner*>(scanner.stages()[2].scanner.get()));
    QList<double> weights;
    QStringList labels;
    for (const SmartScanScanner::Stage& stage : scanner.stages()) {
        weights.append(stage.weight);
        labels.append(stage.label);
    }
    EXPECT_EQ(weights, (QList<double>{0.6, 0.15, 0.25}));
    EXPECT_EQ(labels, (QStringList{u"Recherche de fichiers inutiles"_s, u"Inspection des corbeilles"_s,
                                   u"Vérification des menaces connues"_s}));
    EXPECT_EQ(scanner.moduleID(), ModuleID::smartScan);
    EXPECT_EQ(scanner.actionTitle(), u"Tout nettoyer"_s);
    EXPECT_EQ(scanner.emptyTitle(), u"Votre Mac est propre"_s);
    EXPECT_EQ(scanner.emptyMessage(), u"Aucun déchet ni menace connue à signaler."_s);
    EXPECT_FALSE(scanner.requiresFullDiskAccess());
    EXPECT_TRUE(scanner.advisories().isEmpty());
    // A clean Mac: nothing from any stage.
    const TempTree clean(u"root/\nhome/\ntmp/\n"_s);
    const EnvironmentOverride environment{
        {"QUORVANE_ROOT", clean.path(u"root"_s)}, {"HOME", clean.path(u"home"_s)}, {"TMPDIR", clean.path(u"tmp"_s)}};
    EXPECT_TRUE(scanner.scan({}, {}).isEmpty());
}

TEST(SmartScan, mapsEachStageProgressOntoOneAndKeepsEveryGroupInStageOrder)
{
    ThreeStages stages;
    stages.latched[0]->control()->reports = {{0.45, u"Outils de développement…"_s}, {1.0, QString()}};
    stages.latched[1]->control()->reports = {{0.2, u"Corbeille…"_s}};
    stages.latched[2]->control()->reports = {{0.0, QString()}, {0.6, u"Emplacements connus…"_s}};
    for (const auto& stage : stages.latched)
        stage->control()->release();

    std::vector<std::pair<double, QString>> reports;
    const QList<ScanGroup> groups = stages.scanner().scan(
        [&](double fraction, const QString& label) { reports.emplace_back(fraction, label); }, {});
    EXPECT_EQ(titlesOf(groups), (QStringList{u"junk 1"_s, u"junk 2"_s, u"trash"_s, u"threats"_s}));
    EXPECT_EQ(groups[0].id, stages.latched[0]->control()->groups[0].id);
    EXPECT_EQ(groups[0].items, stages.latched[0]->control()->groups[0].items);

    const std::vector<std::pair<double, QString>> expected{
        {0.27, u"Outils de développement…"_s},
        {0.6, u"Recherche de fichiers inutiles"_s},
        {0.63, u"Corbeille…"_s},
        {0.75, u"Vérification des menaces connues"_s},
        {0.9, u"Emplacements connus…"_s},
        {1.0, QString()},
    };
    ASSERT_EQ(reports.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_NEAR(reports[i].first, expected[i].first, 1e-9) << i;
        EXPECT_EQ(reports[i].second, expected[i].second) << i;
    }
}

TEST(SmartScan, aStopBeforeTheScanRunsNoStage)
{
    ThreeStages stages;
    std::stop_source stop;
    stop.request_stop();
    std::vector<std::pair<double, QString>> reports;
    const QList<ScanGroup> groups = stages.scanner().scan(
        [&](double fraction, const QString& label) { reports.emplace_back(fraction, label); }, stop.get_token());
    EXPECT_TRUE(groups.isEmpty());
    EXPECT_EQ(reports, (std::vector<std::pair<double, QString>>{{1.0, QString()}}));
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(stages.started(i)) << i;
}

TEST(SmartScan, aStopDuringTheTrashStageKeepsWhatCameAndStartsNoFurtherStage)
{
    ThreeStages stages;
    stages.latched[1]->control()->reports = {{0.2, u"Corbeille…"_s}};
    for (const auto& stage : stages.latched)
        stage->control()->release();
    // The stop comes while the trash stage runs: on its first report.
    std::stop_source stop;
    std::vector<std::pair<double, QString>> reports;
    const QList<ScanGroup> groups = stages.scanner().scan(
        [&](double fraction, const QString& label) {
            reports.emplace_back(fraction, label);
            if (label == u"Corbeille…"_s)
                stop.request_stop();
        },
        stop.get_token());

    EXPECT_TRUE(stages.latched[1]->control()->sawStop);
    EXPECT_FALSE(stages.started(2));
    EXPECT_EQ(titlesOf(groups), (QStringList{u"junk 1"_s, u"junk 2"_s, u"trash"_s}));
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.back(), (std::pair<double, QString>{1.0, QString()}));
}
