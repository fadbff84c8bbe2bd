#include "Core/InstalledApp.h"

#include "Core/FileUtils.h"
#include "Platform/FileSystem.h"

#include "MacFixtures.h"
#include "Platform/FileOperations.h"
#include "Platform/RunningApplications.h"
#include "RecordingApplications.h"
#include "Sandbox.h"

#include <algorithm>
#include <csignal>

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <QFile>
#include <QVariantMap>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using TestSupport::LittleMac;

extern char** environ;

namespace {

void writeBundle(const QString& bundle, const QVariantMap& info)
{
    ASSERT_EQ(Platform::createFolder(bundle + u"/Contents/MacOS"_s), std::nullopt);
    ASSERT_EQ(Platform::writeFileAtomically(bundle + u"/Contents/MacOS/program"_s, QByteArray(8192, 'x')),
              std::nullopt);
    ASSERT_EQ(
        Platform::writeFileAtomically(bundle + u"/Contents/Info.plist"_s, *Platform::PropertyList::serialize(info)),
        std::nullopt);
}

QVariantMap identified(const QString& identifier)
{
    return {{u"CFBundleIdentifier"_s, identifier}};
}

QStringList namesOf(const QList<ScanItem>& items)
{
    QStringList names;
    for (const ScanItem& item : items)
        names.append(item.name);
    return names;
}

QStringList namesOf(const QList<InstalledApp>& apps)
{
    QStringList names;
    for (const InstalledApp& app : apps)
        names.append(app.name);
    return names;
}

} // namespace

TEST(InstalledApp, namesVersionsAndIdentifiersFallBackAsTheBundleAllows)
{
    LittleMac mac;
    const QString apps = mac.path(u"root/Applications/"_s);
    const struct {
        QString bundle;
        QVariantMap info;
        QString name;
        QString version;
        QString bundleID;
    } cases[] = {
        {u"Atelier.app"_s,
         {{u"CFBundleDisplayName"_s, u"Atelier Photo"_s},
          {u"CFBundleName"_s, u"Atelier"_s},
          {u"CFBundleShortVersionString"_s, u"3.2"_s},
          {u"CFBundleIdentifier"_s, u"com.LumenLabs.Atelier"_s}},
         u"Atelier Photo"_s,
         u"3.2"_s,
         u"com.LumenLabs.Atelier"_s},
        {u"Carnet.app"_s, {{u"CFBundleName"_s, u"Carnet de notes"_s}}, u"Carnet de notes"_s, u"—"_s, QString()},
        {u"Sans nom.app"_s, {}, u"Sans nom"_s, u"—"_s, QString()},
        {u"Vide.app"_s, {{u"CFBundleDisplayName"_s, QString(u""_s)}}, QString(), u"—"_s, QString()},
        // Values of the wrong type are passed over as if absent.
        {u"Types.app"_s,
         {{u"CFBundleDisplayName"_s, qint64(7)},
          {u"CFBundleName"_s, u"Types"_s},
          {u"CFBundleShortVersionString"_s, 2.5},
          {u"CFBundleIdentifier"_s, true}},
         u"Types"_s,
         u"—"_s,
         QString()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bundle.toStdString());
        writeBundle(apps + c.bundle, c.info);
        const std::optional<InstalledApp> app = InstalledApp::make(apps + c.bundle);
        ASSERT_TRUE(app);
        EXPECT_EQ(app->url, apps + c.bundle);
        EXPECT_EQ(app->name, c.name);
        EXPECT_EQ(app->version, c.version);
        EXPECT_EQ(app->bundleID, c.bundleID);
        EXPECT_EQ(app->size, Platform::fileInfo(apps + c.bundle + u"/Contents/MacOS/program"_s)->allocatedSize +
                                 Platform::fileInfo(apps + c.bundle + u"/Contents/Info.plist"_s)->allocatedSize);
        EXPECT_FALSE(app->isAppleApp);
    }
    EXPECT_NE(InstalledApp::make(apps + u"Carnet.app"_s)->id, InstalledApp::make(apps + u"Carnet.app"_s)->id);

    // A damaged Info.plist or an empty folder still is a bundle; a file or a missing path is none.
    mac.tree.add(u"root/Applications/Abîmé.app/Contents/Info.plist 50\nroot/Applications/Creux.app/\n"
                 u"root/Applications/Fichier.app 10\n"_s);
    EXPECT_EQ(InstalledApp::make(apps + u"Abîmé.app"_s)->name, u"Abîmé"_s);
    const std::optional<InstalledApp> hollow = InstalledApp::make(apps + u"Creux.app"_s);
    ASSERT_TRUE(hollow);
    EXPECT_EQ(hollow->size, 0);
    EXPECT_EQ(InstalledApp::make(apps + u"Fichier.app"_s), std::nullopt);
    EXPECT_EQ(InstalledApp::make(apps + u"Absente.app"_s), std::nullopt);
    for (const QString& folder : {apps, QString(), mac.path(u"root/Applications/Abîmé.app/Contents"_s)})
        EXPECT_EQ(InstalledApp::make(folder), std::nullopt) << folder.toStdString();
}

TEST(InstalledApp, needlesAreTheIdentifierItsLastPartAndTheNameWhenLongEnough)
{
    const struct {
        QString bundleID;
        QString name;
        QSet<QString> needles;
    } cases[] = {
        {u"com.example.PhotoEditor"_s, u"Photo Editor"_s, {u"com.example.photoeditor"_s, u"photoeditor"_s}},
        {u"org.example.app"_s, u"App"_s, {u"org.example.app"_s}},
        {u"com.example.Notes"_s, u"Bloc-notes"_s, {u"com.example.notes"_s, u"notes"_s, u"bloc-notes"_s}},
        {QString(), u"Editor"_s, {u"editor"_s}},
        {QString(), u"E d"_s, {}},
        {u"tool."_s, u"Tool"_s, {u"tool"_s}},
        {u"com"_s, u"Intrus"_s, {u"intrus"_s}},
        {u"com.apple"_s, u"Pomme"_s, {u"apple"_s, u"pomme"_s}},
        {u"com..example"_s, u"Ex"_s, {u"example"_s}},
    };
    for (const auto& c : cases) {
        InstalledApp app;
        app.bundleID = c.bundleID;
        app.name = c.name;
        EXPECT_EQ(app.matchKeys(), c.needles) << c.bundleID.toStdString() << " / " << c.name.toStdString();
    }
}

TEST(InstalledApp, findsLeftoversByWholeNameAndByNameWithoutItsExtension)
{
    LittleMac mac;
    mac.tree.add(uR"(
        "home/Library/Application Support/com.example.editor/db" 40960
        "home/Library/Application Support/Editor/x" 12288
        "home/Library/Application Support/editorial/x" 4096
        "home/Library/Application Support/editors/x" 4096
        "home/Library/Application Support/com.example.editor-empty/"
        home/Library/Caches/editor-tools/x 8192
        home/Library/Preferences/com.example.editor.plist 100
        "home/Library/Saved Application State/com.example.editor.savedState/w" 4096
        home/Library/Containers/com.example.editor.helper/x 20480
        home/Library/HTTPStorages/com.example.Editor 4096
        home/Library/WebKit/com.example.editors/x 4096
        home/elsewhere/agent.plist 4096
        home/Library/LaunchAgents/com.example.editor.agent.plist -> ../../elsewhere/agent.plist
        "home/Library/Logs/com.example.editor\xff/x" 4096
        "home/Library/Application Scripts/com.example.editor/s" 4096
    )"_s);
    writeBundle(mac.path(u"root/Applications/Editor.app"_s), identified(u"com.example.editor"_s));
    const std::optional<InstalledApp> app = InstalledApp::make(mac.path(u"root/Applications/Editor.app"_s));
    ASSERT_TRUE(app);

    EXPECT_EQ(namesOf(app->leftovers),
              (QStringList{u"com.example.editor"_s, u"com.example.editor.helper"_s, u"Editor"_s, u"editor-tools"_s,
                           u"com.example.editor.plist"_s, u"com.example.editor.savedState"_s, u"com.example.Editor"_s,
                           u"com.example.editor"_s}));
    const ScanItem& first = app->leftovers.first();
    EXPECT_EQ(first.url, mac.path(u"home/Library/Application Support/com.example.editor"_s));
    EXPECT_EQ(first.size, 40960);
    EXPECT_EQ(first.detail, u"Données d'application"_s);
    EXPECT_TRUE(first.isSelected);
    EXPECT_FALSE(first.isRisky);
    EXPECT_EQ(first.removalMode, Removal::Mode::trash());
    EXPECT_EQ(first.modified, FileUtils::modificationDate(first.url));
    EXPECT_EQ(app->leftovers.last().detail, u"Scripts"_s);
    EXPECT_EQ(app->totalSize(),
              app->size + 40960 + 20480 + 12288 + 8192 +
                  Platform::fileInfo(mac.path(u"home/Library/Preferences/com.example.editor.plist"_s))->allocatedSize +
                  3 * 4096);

    // An Apple application is listed with its size, never with leftovers.
    mac.tree.add(u"home/Library/Caches/com.apple.Notes/x 4096\n"_s);
    writeBundle(mac.path(u"root/Applications/Notes.app"_s), identified(u"com.apple.Notes"_s));
    const std::optional<InstalledApp> notes = InstalledApp::make(mac.path(u"root/Applications/Notes.app"_s));
    ASSERT_TRUE(notes);
    EXPECT_TRUE(notes->isAppleApp);
    EXPECT_GT(notes->size, 0);
    EXPECT_TRUE(notes->leftovers.isEmpty());
}

// A short, vendor-wide or system identifier claims nobody else's data: an entry named after another installed
// application's identifier is that application's, and the system's own entries are nobody's.
TEST(InstalledApp, anIdentifierClaimsNeitherAnotherApplicationsNorTheSystemsEntries)
{
    LittleMac mac;
    mac.tree.add(uR"(
        home/Library/Preferences/com.example.editor.plist 100
        "home/Library/Application Support/com.example.editor/db" 8192
        home/Library/Containers/com.example.editor.helper/x 4096
        home/Library/Caches/com.other.tool/x 4096
        home/Library/Preferences/com.apple.finder.plist 100
        home/Library/Preferences/com.apple.dock.plist 100
        home/Library/Preferences/apple.awd.plist 100
        home/Library/Preferences/com.microsoft.autoupdate2.plist 100
        home/Library/Caches/com.example/x 4096
        "home/Library/Application Support/Intrus/x" 4096
        "home/Library/Application Support/Pomme/x" 4096
    )"_s);
    writeBundle(mac.path(u"root/Applications/Editor.app"_s), identified(u"com.example.editor"_s));
    writeBundle(mac.path(u"root/Applications/Helper.app"_s), identified(u"com.example.editor.helper"_s));
    writeBundle(mac.path(u"root/Applications/Intrus.app"_s), identified(u"com"_s));
    writeBundle(mac.path(u"root/Applications/Pomme.app"_s), identified(u"com.apple"_s));
    writeBundle(mac.path(u"root/Applications/Editeur.app"_s), identified(u"com.example"_s));
    writeBundle(mac.path(u"root/Applications/Mise.app"_s), identified(u"com.microsoft"_s));

    QHash<QString, QStringList> leftovers;
    for (const InstalledApp& app : InstalledApp::loadAll({})) {
        QStringList names = namesOf(app.leftovers);
        names.sort();
        leftovers.insert(app.name, names);
    }
    EXPECT_EQ(leftovers.value(u"Intrus"_s), QStringList{u"Intrus"_s});
    EXPECT_EQ(leftovers.value(u"Pomme"_s), QStringList{u"Pomme"_s});
    EXPECT_EQ(leftovers.value(u"Mise"_s), QStringList{});
    // The vendor's own entry stays its; the editor's are the editor's.
    EXPECT_EQ(leftovers.value(u"Editeur"_s), QStringList{u"com.example"_s});
    EXPECT_EQ(leftovers.value(u"Editor"_s), (QStringList{u"com.example.editor"_s, u"com.example.editor.plist"_s}));
    EXPECT_EQ(leftovers.value(u"Helper"_s), QStringList{u"com.example.editor.helper"_s});

    // Asked for one bundle alone, the same rule holds.
    EXPECT_EQ(namesOf(InstalledApp::make(mac.path(u"root/Applications/Intrus.app"_s))->leftovers),
              QStringList{u"Intrus"_s});
}

// What an application is offered of the Library beside it: never the system's entries, never what another
// installed application (one folder down included) names by its identifier more closely, and unticked, naming
// the other, what another claims as closely.
TEST(InstalledApp, offersOnlyTheApplicationsOwnEntriesTickedBesideItsInstalledNeighbours)
{
    const struct Neighbour {
        QString bundle;
        QString identifier;
    } firefox{u"root/Applications/Firefox.app"_s, u"org.mozilla.firefox"_s},
        writer{u"root/Applications/Acme Suite/Acme Writer.app"_s, u"com.acme.suite.writer"_s},
        notes{u"root/System/Applications/Notes.app"_s, u"com.apple.Notes"_s},
        vendor{u"home/Applications/Example.app"_s, u"com.example"_s},
        lite{u"root/Applications/Utilities/Editor Lite.app"_s, u"com.lite.editor"_s};
    const struct {
        QString bundle;
        QString identifier;
        QList<Neighbour> neighbours;
        QString entries;
        QStringList offered; // name, then "+" ticked or "-" not, then the detail
    } cases[] = {
        {u"root/Applications/Fox Tool.app"_s,
         u"com.evil.firefox"_s,
         {firefox},
         uR"("home/Library/Application Support/Firefox/profiles.ini" 4096
             home/Library/Caches/com.evil.firefox/x 8192
             "home/Library/Application Support/org.mozilla.firefox/x" 4096)"_s,
         {u"Firefox - Données d'application · partagé avec Firefox"_s, u"com.evil.firefox + Cache"_s}},
        {u"root/Applications/Cloud Docs.app"_s,
         u"com.example.mobilesync"_s,
         {},
         uR"("home/Library/Application Support/MobileSync/Backup/x" 4096
             "home/Library/Application Support/CloudDocs/x" 4096
             home/Library/Caches/com.example.mobilesync/x 4096)"_s,
         {u"com.example.mobilesync + Cache"_s}},
        {u"root/Applications/Groupe.app"_s,
         u"group.com.apple"_s,
         {},
         uR"("home/Library/Group Containers/group.com.apple.notes/x" 4096
             "home/Library/Group Containers/group.com.apple.reminders/x" 4096)"_s,
         {}},
        {u"root/Applications/Acme Suite/Acme Suite.app"_s,
         u"com.acme.suite"_s,
         {writer},
         uR"("home/Library/Application Support/com.acme.suite.writer/x" 4096
             home/Library/Preferences/com.acme.suite.writer.plist 100
             home/Library/Caches/com.acme.suite/x 4096)"_s,
         {u"com.acme.suite + Cache"_s}},
        {u"root/Applications/Notes Plus.app"_s,
         u"com.example.notes"_s,
         {notes},
         uR"("home/Library/Application Support/Notes/x" 4096
             home/Library/Containers/com.example.notes/x 4096
             "home/Library/Group Containers/group.com.apple.notes/x" 4096)"_s,
         {u"Notes - Données d'application · partagé avec Notes"_s, u"com.example.notes + Conteneur"_s}},
        {u"root/Applications/Editor.app"_s,
         u"com.example.editor"_s,
         {vendor, lite},
         uR"("home/Library/Application Support/com.example.editor/x" 4096
             home/Library/Caches/Editor/x 4096
             home/Library/Caches/com.example/x 4096)"_s,
         {u"Editor - Cache · partagé avec Editor Lite"_s, u"com.example.editor + Données d'application"_s}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.identifier.toStdString());
        LittleMac mac;
        writeBundle(mac.path(c.bundle), identified(c.identifier));
        for (const Neighbour& neighbour : c.neighbours)
            writeBundle(mac.path(neighbour.bundle), identified(neighbour.identifier));
        mac.tree.add(c.entries + u'\n');

        for (const bool inventoried : {false, true}) {
            std::optional<InstalledApp> app;
            if (inventoried) {
                // The inventory knows the same neighbours, and lists the application one folder down too.
                for (const InstalledApp& listed : InstalledApp::loadAll({}))
                    if (listed.url == mac.path(c.bundle))
                        app = listed;
            } else {
                app = InstalledApp::make(mac.path(c.bundle));
            }
            ASSERT_TRUE(app) << inventoried;
            QStringList offered;
            for (const ScanItem& item : app->leftovers) {
                offered.append(item.name + (item.isSelected ? u" + "_s : u" - "_s) + item.detail.value_or(QString()));
                EXPECT_EQ(item.isRisky, !item.isSelected);
            }
            offered.sort();
            EXPECT_EQ(offered, c.offered) << inventoried;
        }
    }
}

TEST(InstalledApp, loadsTheThreeFoldersOneLevelDownReportingEachCandidateAndSortsByTotalSize)
{
    LittleMac mac;
    writeBundle(mac.path(u"root/Applications/Alpha.app"_s), identified(u"com.example.alpha"_s));
    writeBundle(mac.path(u"root/Applications/Beta.app"_s), identified(u"com.example.beta"_s));
    writeBundle(mac.path(u"root/Applications/Utilities/Gamma.app"_s), identified(u"com.example.gamma"_s));
    writeBundle(mac.path(u"root/Applications/Suite/Delta.app"_s), identified(u"com.example.delta"_s));
    writeBundle(mac.path(u"home/Applications/Epsilon.app"_s), identified(u"com.example.epsilon"_s));
    writeBundle(mac.path(u"root/System/Applications/Notes.app"_s), identified(u"com.apple.Notes"_s));
    mac.tree.add(u"root/Applications/Fichier.app 10\nroot/Applications/.app/\n"
                 u"home/Library/Caches/com.example.gamma/x 40960\n"_s);

    QStringList steps;
    const QList<InstalledApp> apps = InstalledApp::loadAll(
        [&](double fraction, const QString& status) { steps.append(QString::number(fraction) + u' ' + status); });
    // A suite's folder is looked into where it is listed; Utilities, a folder of its own, in its turn.
    EXPECT_EQ(steps, (QStringList{u"0 Alpha.app"_s, u"0.166667 Beta.app"_s, u"0.333333 Fichier.app"_s,
                                  u"0.5 Delta.app"_s, u"0.666667 Gamma.app"_s, u"0.833333 Epsilon.app"_s, u"1 "_s}));
    // Gamma's cache makes it the largest; the others weigh alike and keep the order they were found in.
    EXPECT_EQ(namesOf(apps), (QStringList{u"Gamma"_s, u"Alpha"_s, u"Beta"_s, u"Delta"_s, u"Epsilon"_s}));

    // Stopped while the second candidate is reported: that one is still built, then the loop ends.
    std::stop_source stop;
    steps.clear();
    const QList<InstalledApp> stopped = InstalledApp::loadAll(
        [&](double fraction, const QString& status) {
            steps.append(QString::number(fraction) + u' ' + status);
            if (status == u"Beta.app"_s)
                stop.request_stop();
        },
        stop.get_token());
    EXPECT_EQ(steps, (QStringList{u"0 Alpha.app"_s, u"0.166667 Beta.app"_s, u"1 "_s}));
    EXPECT_EQ(namesOf(stopped), (QStringList{u"Alpha"_s, u"Beta"_s}));
}

TEST(InstalledApp, withNoCandidatesOnlyTheEndIsReported)
{
    const LittleMac mac;
    QStringList steps;
    EXPECT_TRUE(InstalledApp::loadAll([&](double fraction, const QString& status) {
                    steps.append(QString::number(fraction) + u' ' + status);
                }).isEmpty());
    EXPECT_EQ(steps, QStringList{u"1 "_s});
}

TEST(InstalledApp, lastUseIsTheAccessDateReadBeforeTheBundleIsWalked)
{
    const LittleMac mac;
    const QString bundle = mac.path(u"root/Applications/Editor.app"_s);
    writeBundle(bundle, identified(u"com.example.editor"_s));
    // Older than its modification: reading the folder would move it, were it not opened with care.
    const struct timespec times[2] = {{1600000000, 0}, {0, UTIME_OMIT}};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(bundle).constData(), times, 0), 0);
    const QDateTime lastUse = QDateTime::fromSecsSinceEpoch(1600000000, Qt::UTC);

    // The files the inventory reads keep their access dates too.
    const QString info = bundle + u"/Contents/Info.plist"_s;
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(info).constData(), times, 0), 0);

    EXPECT_EQ(InstalledApp::make(bundle)->lastUsed, lastUse);
    EXPECT_EQ(InstalledApp::make(bundle)->lastUsed, lastUse);
    EXPECT_EQ(Platform::fileInfo(info)->accessed, lastUse);
}

TEST(InstalledApp, bundleItemsAreTheBundleWhileItExistsThenItsStoredLeftovers)
{
    LittleMac mac;
    mac.tree.add(u"home/Library/Caches/com.example.editor/x 4096\n"_s);
    const QString bundle = mac.path(u"root/Applications/Editor.app"_s);
    writeBundle(bundle, identified(u"com.example.editor"_s));
    const InstalledApp app = *InstalledApp::make(bundle);
    ASSERT_EQ(app.leftovers.size(), 1);

    const QList<ScanItem> items = InstalledApp::bundleItems(app, true);
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[0].url, bundle);
    EXPECT_EQ(items[0].name, u"Editor.app"_s);
    EXPECT_EQ(items[0].size, app.size);
    EXPECT_EQ(items[0].detail, u"Application"_s);
    EXPECT_TRUE(items[0].isSelected);
    EXPECT_EQ(items[0].removalMode, Removal::Mode::trash());
    EXPECT_EQ(items[1], app.leftovers[0]);
    EXPECT_EQ(InstalledApp::bundleItems(app, false).size(), 1);
    // An associated file the user left unticked stays.
    InstalledApp unticked = app;
    unticked.leftovers[0].isSelected = false;
    const QList<ScanItem> kept = InstalledApp::bundleItems(unticked, true);
    ASSERT_EQ(kept.size(), 1);
    EXPECT_EQ(kept[0].url, bundle);

    ASSERT_EQ(Platform::removeItem(bundle), std::nullopt);
    EXPECT_EQ(InstalledApp::bundleItems(app, true), app.leftovers);
    EXPECT_TRUE(InstalledApp::bundleItems(app, false).isEmpty());
}

TEST(InstalledApp, runningAndQuittingGoByTheExactIdentifier)
{
    const Platform::RunningApplication editor{101, u"/Applications/Editor.app"_s, u"com.example.editor"_s};
    const Platform::RunningApplication helper{102, u"/Applications/Editor.app/Contents/Helper.app"_s,
                                              u"com.example.editor"_s};
    const Platform::RunningApplication anonymous{103, u"/Applications/Sans.app"_s, QString()};
    const Platform::RunningApplication viewer{104, u"/Applications/Viewer.app"_s, u"com.example.viewer"_s};
    const TestSupport::RecordingApplications applications(QList{editor, anonymous, helper, viewer});

    InstalledApp app;
    for (const QString& identifier : {u"com.example.editor"_s, u"COM.example.editor"_s, QString()}) {
        app.bundleID = identifier;
        EXPECT_EQ(app.isRunning(applications), identifier == u"com.example.editor"_s) << identifier.toStdString();
        app.terminate(applications);
    }
    EXPECT_EQ(applications.terminated(), (QList{editor, helper}));
}

// The demonstration Mac's applications, one of which really runs: Ondine's program is a copy of sleep.
TEST(InstalledApp, inventoriesTheDemonstrationMacAndQuitsItsRunningOndine)
{
    const QString demo = TestSupport::temporary() + u"/demo-mac-apps"_s;
    TestSupport::layOutDemoMac(demo);
    if (HasFatalFailure())
        return;
    const TestSupport::ScopedEnvironment root("QUORVANE_ROOT", demo);
    const TestSupport::ScopedEnvironment home("HOME", demo + u"/Users/demo"_s);

    const QList<InstalledApp> apps = InstalledApp::loadAll({});
    QStringList names = namesOf(apps);
    names.sort();
    // The applications of /Applications/Démonstration, one folder down, are installed ones too.
    EXPECT_EQ(names, (QStringList{u"Aquarelle"_s,      u"Archiviste"_s, u"Atelier Photo"_s, u"Boussole"_s,
                                  u"Calepin éclair"_s, u"Carnet"_s,     u"Croquis"_s,       u"Dessin Libre"_s,
                                  u"Fanfare"_s,        u"Girouette"_s,  u"Graveur"_s,       u"Horizon"_s,
                                  u"Kiosque"_s,        u"Lanterne"_s,   u"Lumen Sync"_s,    u"Moniteur Réseau"_s,
                                  u"Métronome"_s,      u"Nuancier"_s,   u"Ondine"_s,        u"Origami"_s,
                                  u"Palette"_s,        u"Pense-bête"_s, u"Relais"_s,        u"Safari"_s,
                                  u"Studio Vidéo"_s,   u"Veilleur"_s,   u"Éclipse"_s}));
    const auto ondine = std::find_if(apps.cbegin(), apps.cend(),
                                     [](const InstalledApp& app) { return app.bundleID == u"io.ondine.player"_s; });
    ASSERT_NE(ondine, apps.cend());
    EXPECT_EQ(ondine->version, u"5.0.4"_s);
    // Its cache, its logs, its window state and its container, largest first.
    EXPECT_EQ(namesOf(ondine->leftovers), (QStringList{u"io.ondine.player"_s, u"Ondine"_s,
                                                       u"io.ondine.player.savedState"_s, u"io.ondine.player"_s}));
    EXPECT_FALSE(ondine->isRunning(Platform::systemApplications()));

    const QByteArray program = QFile::encodeName(ondine->url + u"/Contents/MacOS/Ondine"_s);
    char* arguments[] = {const_cast<char*>(program.constData()), const_cast<char*>("60"), nullptr};
    pid_t pid = 0;
    ASSERT_EQ(::posix_spawn(&pid, program.constData(), nullptr, nullptr, arguments, environ), 0);
    EXPECT_TRUE(ondine->isRunning(Platform::systemApplications()));
    ondine->terminate(Platform::systemApplications());
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM);
    EXPECT_FALSE(ondine->isRunning(Platform::systemApplications()));
}
