#include "Scanners/LeftoversScanner.h"

#include "MacFixtures.h"
#include "Platform/MainBundle.h"
#include "ScannerTestSupport.h"
#include "TestServices.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using TestSupport::LittleMac;

namespace {

class LeftoversScannerTest : public ::testing::Test
{
protected:
    QString library(const QString& relative) const { return mac.path(u"home/Library/"_s + relative); }

    LittleMac mac;
    // The list the scans leave out, this test's own.
    TestSupport::TestServices kit;
};

const QString kTitleVanished = u"Apps disparues"_s;
const QString kTitlePublisher = u"Éditeur encore installé"_s;

} // namespace

TEST(LeftoversScannerRules, systemIdentifiersAndVendorPrefixes)
{
    for (const QString& identifier : {u"com.apple.Safari"_s, u"COM.Apple.safari"_s, u"apple.awd"_s,
                                      u"com.microsoft.autoupdate2"_s, u"systemgroup.com.apple.x"_s})
        EXPECT_TRUE(LeftoversScanner::isSystemIdentifier(identifier)) << identifier.toStdString();
    for (const QString& identifier : {u"com.applesauce.x"_s, u"com.microsoft.word"_s, u"org.apple.x"_s})
        EXPECT_FALSE(LeftoversScanner::isSystemIdentifier(identifier)) << identifier.toStdString();

    EXPECT_EQ(LeftoversScanner::vendorPrefix(u"com.Example.notes"_s), u"com.Example"_s);
    EXPECT_EQ(LeftoversScanner::vendorPrefix(u".com..example.notes"_s), u"com.example"_s);
    EXPECT_EQ(LeftoversScanner::vendorPrefix(u"com."_s), std::nullopt);
    EXPECT_EQ(LeftoversScanner::vendorPrefix(u"notes"_s), std::nullopt);
}

TEST_F(LeftoversScannerTest, theInventoryReadsFiveFoldersOneLevelDownAndKnowsTheRunningApplication)
{
    TestSupport::writeAppBundle(mac.path(u"root/Applications/Editor.app"_s), u"com.example.editor"_s);
    TestSupport::writeAppBundle(mac.path(u"home/Applications/Editor copie.app"_s), u"com.example.editor"_s);
    TestSupport::writeAppBundle(mac.path(u"root/Applications/Utilities/Outil.app"_s), u"com.example.tool"_s);
    TestSupport::writeAppBundle(mac.path(u"root/System/Applications/Utilities/Terminal.app"_s),
                                u"com.apple.Terminal"_s);
    TestSupport::writeAppBundle(mac.path(u"root/Applications/Suite/Writer.app"_s), u"com.acme.suite.writer"_s);
    TestSupport::writeAppBundle(mac.path(u"root/Applications/Anonyme.app"_s), QString());
    mac.tree.add(u"root/Applications/Fichier.app 10\nroot/Applications/Vide.app/\n"_s);

    const QHash<QString, QString> expected{
        {u"com.example.editor"_s, mac.path(u"home/Applications/Editor copie.app"_s)},
        {u"com.example.tool"_s, mac.path(u"root/Applications/Utilities/Outil.app"_s)},
        {u"com.apple.Terminal"_s, mac.path(u"root/System/Applications/Utilities/Terminal.app"_s)},
        {u"com.acme.suite.writer"_s, mac.path(u"root/Applications/Suite/Writer.app"_s)},
        {Platform::MainBundle::applicationIdentifier(), Platform::MainBundle::path()},
    };
    EXPECT_EQ(LeftoversScanner::installedBundleIdentifiers(), expected);
}

TEST_F(LeftoversScannerTest, offersWhatRemovedApplicationsLeftInTwoGroups)
{
    TestSupport::writeAppBundle(mac.path(u"root/Applications/Editor.app"_s), u"com.example.editor"_s);
    TestSupport::writeAppBundle(mac.path(u"root/Applications/Suite/Writer.app"_s), u"com.acme.suite.writer"_s);
    TestSupport::writeAppBundle(mac.path(u"home/Applications/Carnet.app"_s), u"fr.carnet.app"_s);
    mac.tree.add(uR"(
        "home/Library/Application Support/com.example.editor/x" 4096
        "home/Library/Application Support/com.acme.suite.writer/x" 4096
        "home/Library/Application Support/com.gone.three/x" 8192
        "home/Library/Application Support/com.example.editor.helper/x" 4096
        "home/Library/Application Support/com.gone.empty/"
        "home/Library/Application Support/CrashReporter/x" 4096
        home/Library/Caches/com.example.viewer/x 4096
        home/Library/Caches/fr.carnet.app/x 4096
        home/Library/Preferences/Com.Example.viewer.plist 100
        home/Library/Preferences/com.gone.three.plist 100
        home/Library/Preferences/com.apple.dock.plist 100
        home/Library/Preferences/FR.CARNET.APP.plist 100
        home/Library/Containers/com.apple.Maps/x 4096
        home/Library/Containers/com.microsoft.autoupdate2/x 4096
        "home/Library/Group Containers/group.com.gone.three/x" 4096
        "home/Library/Group Containers/ABCDE12345.com.gone.shared/x" 4096
        "home/Library/Saved Application State/com.gone.three.savedState/x" 4096
        "home/Library/Logs/com.gone.sp ace/x" 4096
        "home/Library/Logs/com.gone.bad\xff/x" 4096
        home/elsewhere/x 4096
        home/Library/Logs/com.gone.link -> ../../elsewhere
    )"_s);

    ProgressLog log;
    const QList<ScanGroup> groups = LeftoversScanner(kit.exclusions, ModuleID::leftovers).scan(log.callback(), {});
    ASSERT_EQ(titlesOf(groups), (QStringList{kTitleVanished, kTitlePublisher}));

    // Whole names: a three-part folder is an identifier of its own, as is a helper of an installed app.
    EXPECT_EQ(namesOf(groups[0]), (QStringList{u"com.gone.three"_s, u"Com.Example.viewer.plist"_s,
                                               u"com.gone.three.plist"_s, u"ABCDE12345.com.gone.shared"_s,
                                               u"group.com.gone.three"_s, u"com.gone.three.savedState"_s}));
    EXPECT_EQ(namesOf(groups[1]), (QStringList{u"com.example.editor.helper"_s, u"com.example.viewer"_s}));

    const ScanGroup& vanished = groups[0];
    EXPECT_EQ(vanished.symbol, u"folder.badge.questionmark"_s);
    EXPECT_EQ(vanished.note, u"Aucune app installée ne porte cet identifiant. LaunchServices ne la connaît plus."_s);
    EXPECT_FALSE(vanished.isExpanded);
    EXPECT_EQ(vanished.metric, ScanGroup::Metric::bytes);
    const ScanItem& three = vanished.items[0];
    EXPECT_EQ(three.url, library(u"Application Support/com.gone.three"_s));
    EXPECT_EQ(three.size, 8192);
    EXPECT_EQ(three.detail, u"Données d'application · com.gone.three"_s);
    EXPECT_EQ(three.modified, FileUtils::modificationDate(three.url));
    EXPECT_TRUE(three.isSelected);
    EXPECT_FALSE(three.isRisky);
    EXPECT_EQ(three.removalMode, Removal::Mode::trash());
    EXPECT_EQ(vanished.items[1].detail, u"Réglages · Com.Example.viewer"_s);
    EXPECT_EQ(vanished.items[3].detail, u"Conteneur de groupe · com.gone.shared"_s);

    const ScanGroup& publisher = groups[1];
    EXPECT_EQ(publisher.symbol, u"questionmark.circle"_s);
    EXPECT_EQ(publisher.note, u"L'app exacte a disparu, mais son éditeur reste présent avec un autre logiciel. Ces "
                              u"dossiers peuvent servir à un composant partagé — à vérifier avant de cocher."_s);
    for (const ScanItem& item : publisher.items) {
        EXPECT_FALSE(item.isSelected);
        EXPECT_TRUE(item.isRisky);
    }
    EXPECT_EQ(publisher.items[1].detail, u"Cache · com.example.viewer"_s);

    // One report per location, at its share of the way, each folder's entries between; missing folders too.
    EXPECT_EQ(log.steps().first(), u"0.05 Inventaire des apps installées…"_s);
    EXPECT_EQ(log.steps().last(), u"1 "_s);
    EXPECT_TRUE(log.steps().contains(u"0.1 Application Support"_s));
    EXPECT_TRUE(log.steps().contains(u"0.114167 com.acme.suite.writer"_s)) << "0.1 + 1 × 0.085 / 6 entries";
    for (const QString& step : {u"0.185 Caches"_s, u"0.27 Preferences"_s, u"0.355 Containers"_s,
                                u"0.44 Group Containers"_s, u"0.525 Saved Application State"_s, u"0.61 HTTPStorages"_s,
                                u"0.695 WebKit"_s, u"0.78 Application Scripts"_s, u"0.865 Logs"_s})
        EXPECT_TRUE(log.steps().contains(step)) << step.toStdString();
}

TEST_F(LeftoversScannerTest, aTreeTooLargeToMeasureInTimeIsListedWithItsLowerBound)
{
    mac.tree.add(u"\"home/Library/Application Support/com.gone.big/x\" 4096\n"
                 u"\"home/Library/Application Support/com.gone.slow/x\" 4096\n"_s);
    const LeftoversScanner scanner(kit.exclusions, ModuleID::leftovers, [](const QString& path, double timeout) {
        EXPECT_EQ(timeout, 1.5);
        if (path.endsWith(u"com.gone.big"_s))
            return FileUtils::SizeResult{123456, true};
        return FileUtils::SizeResult{0, true}; // nothing counted yet: nothing to offer
    });
    const QList<ScanGroup> groups = scanner.scan({}, {});
    ASSERT_EQ(groups.size(), 1);
    ASSERT_EQ(groups[0].items.size(), 1);
    EXPECT_EQ(groups[0].items[0].size, 123456);
    EXPECT_EQ(groups[0].items[0].detail, u"Données d'application · com.gone.big · au moins"_s);
}

TEST_F(LeftoversScannerTest, exclusionsAreHonouredDuringAndAfterTheScan)
{
    mac.tree.add(u"\"home/Library/Application Support/com.gone.kept/x\" 4096\n"
                 u"\"home/Library/Application Support/com.gone.excluded/x\" 4096\n"
                 u"\"home/Library/Application Support/com.gone.later/x\" 4096\n"_s);
    ASSERT_TRUE(kit.exclusions.add(library(u"Application Support/com.gone.excluded"_s)));
    const QString later = library(u"Application Support/com.gone.later"_s);
    const QList<ScanGroup> groups = LeftoversScanner(kit.exclusions, ModuleID::leftovers)
                                        .scan(
                                            [&](double, const QString& label) {
                                                // The user excludes a folder while the scan runs.
                                                if (label == u"Logs"_s && !kit.exclusions.isExcluded(later)) {
                                                    EXPECT_TRUE(kit.exclusions.add(later));
                                                }
                                            },
                                            {});
    ASSERT_EQ(groups.size(), 1);
    EXPECT_EQ(namesOf(groups[0]), QStringList{u"com.gone.kept"_s});
}

TEST_F(LeftoversScannerTest, stoppingDuringTheCachesReturnsWhatWasFoundSoFar)
{
    mac.tree.add(uR"(
        "home/Library/Application Support/com.gone.a/x" 4096
        home/Library/Caches/com.gone.b/x 4096
        home/Library/Caches/com.gone.c/x 8192
        home/Library/Caches/com.gone.d/x 12288
        home/Library/Preferences/com.gone.e.plist 100
    )"_s);
    std::stop_source stop;
    ProgressLog log;
    const Progress record = log.callback();
    const QList<ScanGroup> groups = LeftoversScanner(kit.exclusions, ModuleID::leftovers)
                                        .scan(
                                            [&](double fraction, const QString& label) {
                                                record(fraction, label);
                                                if (label == u"com.gone.c"_s)
                                                    stop.request_stop();
                                            },
                                            stop.get_token());
    ASSERT_EQ(groups.size(), 1);
    EXPECT_EQ(namesOf(groups[0]), (QStringList{u"com.gone.c"_s, u"com.gone.a"_s, u"com.gone.b"_s}));
    EXPECT_EQ(log.steps().last(), u"1 "_s);
    EXPECT_FALSE(log.steps().contains(u"0.27 Preferences"_s));
}

TEST_F(LeftoversScannerTest, nothingLeftBehindGivesNoGroups)
{
    TestSupport::writeAppBundle(mac.path(u"root/Applications/Editor.app"_s), u"com.example.editor"_s);
    mac.tree.add(u"home/Library/Caches/com.example.editor/x 4096\n"_s);
    const LeftoversScanner scanner(kit.exclusions, ModuleID::leftovers);
    EXPECT_TRUE(scanner.scan({}, {}).isEmpty());
    EXPECT_EQ(scanner.actionTitle(), u"Supprimer"_s);
    EXPECT_EQ(scanner.emptyTitle(), u"Aucun résidu"_s);
    EXPECT_EQ(scanner.emptyMessage(), u"Chaque dossier de votre Bibliothèque correspond à une app installée."_s);
    EXPECT_TRUE(scanner.requiresFullDiskAccess());
    EXPECT_TRUE(scanner.advisories().isEmpty());
}
