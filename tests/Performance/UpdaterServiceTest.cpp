#include "Performance/UpdaterService.h"

#include "Core/SystemInfo.h"
#include "MacFixtures.h"
#include "Platform/Symbols.h"
#include "Sandbox.h"
#include "ScopedEnvironment.h"
#include "TempTree.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

using UpdaterService::Update;
using UpdaterService::UpdateIcon;

namespace {

QString fixture(const QString& name)
{
    QFile file(QStringLiteral(QP_SOURCE_DIR "/tests/fixtures/updates/") + name);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
    return QString::fromUtf8(file.readAll());
}

QStringList namesOf(const std::vector<Update>& updates)
{
    QStringList names;
    for (const Update& update : updates)
        names.append(update.name);
    return names;
}

void makeFile(const QString& macPath, QFileDevice::Permissions permissions)
{
    const QString path = TestSupport::systemRoot() + macPath;
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\n");
    file.close();
    ASSERT_TRUE(file.setPermissions(permissions));
}

} // namespace

TEST(BrewPath, takesTheFirstExecutableFileOfTheTwoCandidates)
{
    const auto owner = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    EXPECT_EQ(OptimizationService::brewPath(), std::nullopt);
    ASSERT_TRUE(QDir().mkpath(TestSupport::systemRoot() + u"/opt/homebrew/bin/brew"_s)); // a folder
    makeFile(u"/usr/local/bin/brew"_s, owner);                                           // not executable
    EXPECT_EQ(OptimizationService::brewPath(), std::nullopt);
    ASSERT_TRUE(
        QFile::setPermissions(TestSupport::systemRoot() + u"/usr/local/bin/brew"_s, owner | QFileDevice::ExeOwner));
    EXPECT_EQ(OptimizationService::brewPath(), u"/usr/local/bin/brew"_s);
    ASSERT_TRUE(QDir(TestSupport::systemRoot() + u"/opt/homebrew/bin/brew"_s).removeRecursively());
    makeFile(u"/opt/homebrew/bin/brew"_s, owner | QFileDevice::ExeOwner);
    EXPECT_EQ(OptimizationService::brewPath(), u"/opt/homebrew/bin/brew"_s);
}

TEST(UpdaterParsers, brewOutdatedLinesGiveCasksWithAQuotedCommand)
{
    const QString brew = u"/opt/it's/bin/brew"_s;
    const auto updates = UpdaterService::outdatedCasksFrom(fixture(u"brew-outdated.txt"_s), brew);
    // The tap update's lines, and the cask without a version whose texts are equal, give nothing.
    ASSERT_EQ(namesOf(updates), (QStringList{u"firefox"_s, u"visual-studio-code"_s, u"temurin@17"_s}));
    const Update& firefox = updates[0];
    EXPECT_EQ(firefox.currentVersion, u"120.0"_s);
    EXPECT_EQ(firefox.newVersion, u"121.0"_s);
    EXPECT_EQ(firefox.source, UpdaterService::Source::homebrew);
    EXPECT_EQ(firefox.icon, (UpdateIcon{UpdateIcon::Kind::symbol, sfSymbol(u"shippingbox.fill")}));
    EXPECT_EQ(firefox.command, u"'/opt/it'\\''s/bin/brew' upgrade --cask 'firefox'"_s);
    EXPECT_EQ(updates[2].currentVersion, u"17.0.9,9"_s);
    EXPECT_NE(updates[0].id, updates[1].id);

    struct Case {
        QString line;
        QStringList names;
    };
    const Case cases[] = {
        {u"a ) x ( 1 != 2"_s, {}},              // ")" before "("
        {u"a (1.0) 2.0"_s, {}},                 // no "!="
        {u" (1.0) != 2.0"_s, {}},               // no name
        {u"a (1.0) != 1.0"_s, {}},              // equal versions
        {u"a ( 1.0) != 1.0"_s, {u"a"_s}},       // the installed text is taken whole
        {u"\ta\t(1.0) != \t2.0\t"_s, {u"a"_s}}, // blanks around the name and the latest version
        {u"my app (1.0) != 2.0"_s, {}},         // a space
        {u"a'b (1.0) != 2.0"_s, {}},            // a quote
        {u"$(touch x) (1.0) != 2.0"_s, {}},     // a command substitution
        {u"`id` (1.0) != 2.0"_s, {}},           // another
        {u"--force (1.0) != 2.0"_s, {}},        // an option to brew
        {u"a;b (1.0) != 2.0"_s, {}},            // a command separator
        {u"a\tb (1.0) != 2.0"_s, {}},           // a tab inside
        {u"font-ü+x_y.z/tap@2 (1) != 2"_s, {u"font-ü+x_y.z/tap@2"_s}},
        {u"a (1.0) != 2.0\r"_s, {u"a"_s}},
        {u"\uFFFD\uFFFD (1.0) != 2.0"_s, {}}, // bytes that were not UTF-8
    };
    for (const Case& c : cases)
        EXPECT_EQ(namesOf(UpdaterService::outdatedCasksFrom(c.line, brew)), c.names) << c.line.toStdString();
}

TEST(UpdaterParsers, softwareupdateEntriesOpenOnALabelAndCloseOnTheirTitle)
{
    const auto updates = UpdaterService::systemUpdatesFrom(fixture(u"softwareupdate-list.txt"_s), u"macOS 14.6.1"_s);
    ASSERT_EQ(namesOf(updates),
              (QStringList{u"macOS Sonoma 14.7.2"_s, u"Safari"_s, u"Command Line Tools for Xcode"_s}));
    EXPECT_EQ(updates[0].newVersion, u"14.7.2"_s);
    EXPECT_EQ(updates[1].newVersion, u"18.2"_s);
    EXPECT_EQ(updates[2].newVersion, u"—"_s);
    for (const Update& update : updates) {
        EXPECT_EQ(update.currentVersion, u"macOS 14.6.1"_s);
        EXPECT_EQ(update.source, UpdaterService::Source::appStore);
        EXPECT_EQ(update.icon, (UpdateIcon{UpdateIcon::Kind::symbol, sfSymbol(u"apple.logo")}));
        EXPECT_EQ(update.command, std::nullopt);
    }

    struct Case {
        QString output;
        QStringList names;
        QString version;
    };
    const Case cases[] = {
        {u"Title: Early, Version: 1\n* Label: L\nTitle: T, Version: 2.0, Size: 3KiB\n"_s, {u"T"_s}, u"2.0"_s},
        {u"* Label: A\n* Label: B\n  Title: B, Size: 1KiB, Version: 9\n"_s, {u"B"_s}, u"9"_s},
        {u"* Label: A\n\tTitle: A, Version: 1\n\tTitle: again, Version: 2\n"_s, {u"A"_s}, u"1"_s},
        {u"* Label: A\n\tTitle: A Title: B, Version:\n"_s, {u"A  B"_s}, QString()},
        {u"Title: A, Version: 1\n"_s, {}, QString()}, // no "*": nothing
        {u"No new software available.\n"_s, {}, QString()},
        {QString(), {}, QString()},
    };
    for (const Case& c : cases) {
        const auto found = UpdaterService::systemUpdatesFrom(c.output, u"macOS 14.6.1"_s);
        EXPECT_EQ(namesOf(found), c.names) << c.output.toStdString();
        if (!found.empty()) {
            EXPECT_EQ(found[0].newVersion, c.version) << c.output.toStdString();
        }
    }
}

TEST(UpdaterParsers, installVerdictNeedsStatusZeroAndNoError)
{
    struct Case {
        int status;
        const char* output;
        bool succeeded;
    };
    const Case cases[] = {
        {0, "==> Upgrading x\n\xF0\x9F\x8D\xBA  x was successfully upgraded!\n", true},
        {0, "", true},
        {0, "curl: (6) Could not resolve host\nERROR: nope\n", false},
        {1, "Error: Download failed on Cask 'x'\n", false},
        {1, "", false},  // a silent failure
        {-1, "", false}, // a shell that could not start
    };
    for (const Case& c : cases)
        EXPECT_EQ(UpdaterService::installSucceeded({c.status, QString::fromUtf8(c.output)}), c.succeeded) << c.output;
    // A failure says why: the tool's last line naming an error, else the exit status.
    const struct {
        int status;
        const char* output;
        const char16_t* reason;
    } reasons[] = {
        {0, "==> Upgrading x\n", u""},
        {1, "curl: (6) Could not resolve host\nError: Download failed on Cask 'x'\n==> done\n",
         u"Error: Download failed on Cask 'x'"},
        {1, "", u"Échec (code 1)."},
        {-1, "", u"L'installation n'a pas pu démarrer."},
    };
    for (const auto& c : reasons) {
        const UpdaterService::InstallOutcome outcome =
            UpdaterService::installOutcome({c.status, QString::fromUtf8(c.output)});
        EXPECT_EQ(outcome.succeeded, c.status == 0) << c.output;
        EXPECT_EQ(outcome.reason, QString::fromUtf16(c.reason)) << c.output;
    }
    // The row says in French what failed; the tool's own words stay for its tooltip.
    const struct {
        const char16_t* reason;
        const char16_t* shown;
    } shown[] = {
        {u"Error: Download failed on Cask 'x' with message: Download failed", u"Le téléchargement a échoué."},
        {u"Error: It seems there is already an App at '/Applications/x.app'.", u"L'installation a échoué."},
        {u"", u"L'installation a échoué."},
        {u"L'installation n'a pas pu démarrer.", u"L'installation n'a pas pu démarrer."},
    };
    for (const auto& c : shown)
        EXPECT_EQ(UpdaterService::installFailureText(QString::fromUtf16(c.reason)), QString::fromUtf16(c.shown));
    Update manual;
    manual.command.reset();
    EXPECT_FALSE(UpdaterService::install(manual));
    EXPECT_FALSE(UpdaterService::install(manual).reason.isEmpty());
    EXPECT_EQ(UpdaterService::sourceFromRaw(u"Éditeur"_s), UpdaterService::Source::sparkle);
    EXPECT_EQ(UpdaterService::sourceFromRaw(u"App Store"_s), UpdaterService::Source::appStore);
    EXPECT_EQ(UpdaterService::sourceFromRaw(u"homebrew"_s), std::nullopt);
}

TEST(SelfUpdatingApps, readTheTwoFoldersDirectEntriesAndSortByName)
{
    TestSupport::LittleMac mac;
    const auto bundle = [&](const QString& relative, const QString& plist) {
        ASSERT_TRUE(QDir().mkpath(mac.path(relative + u"/Contents"_s)));
        ASSERT_TRUE(QFile::copy(QStringLiteral(QP_SOURCE_DIR "/tests/fixtures/updates/") + plist,
                                mac.path(relative + u"/Contents/Info.plist"_s)));
    };
    bundle(u"root/Applications/Eclair.app"_s, u"Info-feed.plist"_s);
    bundle(u"root/Applications/dune.app"_s, u"Info-checks-off.plist"_s);
    bundle(u"home/Applications/Fable.app"_s, u"Info-no-version.plist"_s);
    bundle(u"home/Applications/Dune.app"_s, u"Info-checks-off.plist"_s);
    bundle(u"root/Applications/Plain.app"_s, u"Info-plain.plist"_s);
    bundle(u"root/Applications/Broken.app"_s, u"Info-damaged.plist"_s);
    bundle(u"root/Applications/Suite/Inside.app"_s, u"Info-feed.plist"_s); // a sub-folder: not examined
    bundle(u"root/Elsewhere/Linked.app"_s, u"Info-checks-off.plist"_s);
    // A binary Info.plist, a bundle without one, a file and links named like bundles.
    const QVariantMap binary{{u"SUFeedURL"_s, u"https://b.example"_s}, {u"CFBundleShortVersionString"_s, u"5"_s}};
    ASSERT_TRUE(QDir().mkpath(mac.path(u"root/Applications/Binaire.app/Contents"_s)));
    const auto bytes = Platform::PropertyList::serialize(binary, Platform::PropertyList::Format::Binary);
    ASSERT_TRUE(bytes.has_value());
    QFile binaryFile(mac.path(u"root/Applications/Binaire.app/Contents/Info.plist"_s));
    ASSERT_TRUE(binaryFile.open(QIODevice::WriteOnly));
    binaryFile.write(*bytes);
    binaryFile.close();
    mac.tree.add(u"root/Applications/Empty.app/Contents/\nroot/Applications/File.app 10\n"_s);
    ASSERT_TRUE(QFile::link(mac.path(u"root/Elsewhere/Linked.app"_s), mac.path(u"root/Applications/Linked.app"_s)));
    ASSERT_TRUE(QFile::link(mac.path(u"root/Applications/Loop.app"_s), mac.path(u"root/Applications/Loop.app"_s)));

    const auto updates = UpdaterService::selfUpdatingApps();
    // The display name, else the bundle's name (not CFBundleName); French order without regard to case, "Éclair"
    // between "dune" and "Fable"; the linked bundle is read through.
    ASSERT_EQ(namesOf(updates),
              (QStringList{u"Binaire"_s, u"dune"_s, u"Dune"_s, u"Éclair"_s, u"Fable"_s, u"Linked"_s}));
    EXPECT_EQ(updates[0].currentVersion, u"5"_s);
    // Equal names keep the folders' order: /Applications before ~/Applications.
    EXPECT_EQ(updates[1].icon, (UpdateIcon{UpdateIcon::Kind::bundle, mac.path(u"root/Applications/dune.app"_s)}));
    EXPECT_EQ(updates[2].icon, (UpdateIcon{UpdateIcon::Kind::bundle, mac.path(u"home/Applications/Dune.app"_s)}));
    EXPECT_EQ(updates[1].currentVersion, u"1.0"_s);
    EXPECT_EQ(updates[3].currentVersion, u"2.1"_s);
    EXPECT_EQ(updates[4].currentVersion, u"—"_s); // a number is no version text
    for (const Update& update : updates) {
        EXPECT_EQ(update.newVersion, u"Vérifier dans l'app"_s);
        EXPECT_EQ(update.source, UpdaterService::Source::sparkle);
        EXPECT_EQ(update.command, std::nullopt);
    }
}

// The demonstration Mac under a path that holds every character a shell would take for syntax: the probes read
// its tools and bundles, and an install reaches its brew with the cask's name intact.
TEST(UpdaterProbes, findAndInstallTheDemonstrationMacsUpdates)
{
    const TempTree tree;
    const QString root = tree.path(u"it's a \"Mac\" \\ $HOME é/mac"_s);
    TestSupport::layOutDemoMac(root);
    const TestSupport::ScopedEnvironment rootVariable{"QUORVANE_ROOT", root};
    const TestSupport::ScopedEnvironment home{"HOME", root + u"/Users/demo"_s};

    std::vector<Update> casks = UpdaterService::outdatedCasks();
    ASSERT_EQ(namesOf(casks), (QStringList{u"atelier-photo"_s, u"ondine"_s}));
    EXPECT_EQ(casks[1].currentVersion, u"5.0.4"_s);
    EXPECT_EQ(casks[1].newVersion, u"5.1.0"_s);
    EXPECT_TRUE(UpdaterService::install(casks[1]));
    const UpdaterService::InstallOutcome failed = UpdaterService::install(casks[0]);
    EXPECT_FALSE(failed); // its download fails: "Error: Download failed…", status 1
    EXPECT_TRUE(failed.reason.startsWith(u"Error: Download failed on Cask 'atelier-photo'"_s))
        << failed.reason.toStdString();
    EXPECT_EQ(namesOf(UpdaterService::outdatedCasks()), QStringList{u"atelier-photo"_s});

    const auto system = UpdaterService::systemUpdates();
    ASSERT_EQ(namesOf(system), (QStringList{u"macOS Sonoma 14.7.2"_s, u"Safari"_s, u"Command Line Tools for Xcode"_s}));
    EXPECT_EQ(system[0].currentVersion, SystemInfo::osVersionString());
    EXPECT_EQ(system[2].newVersion, u"—"_s);

    const auto apps = UpdaterService::selfUpdatingApps();
    ASSERT_EQ(namesOf(apps), (QStringList{u"Atelier Photo"_s, u"Carnet"_s, u"Lumen Sync"_s}));
    EXPECT_EQ(apps[0].currentVersion, u"3.2.1"_s);
    EXPECT_EQ(apps[2].currentVersion, u"—"_s);

    // Without Homebrew the stage gives nothing; without the update tool too.
    ASSERT_TRUE(QFile::remove(root + u"/opt/homebrew/bin/brew"_s));
    ASSERT_TRUE(QFile::remove(root + u"/usr/sbin/softwareupdate"_s));
    EXPECT_TRUE(UpdaterService::outdatedCasks().empty());
    EXPECT_TRUE(UpdaterService::systemUpdates().empty());
}
