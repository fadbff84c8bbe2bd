#include "Scanners/MalwareScanner.h"

#include "ScannerTestSupport.h"
#include "TempTree.h"
#include "TestServices.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using TestSupport::writeFile;
using Location = ChromiumProfile::InstallLocation;

namespace {

constexpr auto kStore = "https://clients2.google.com/service/update2/crx";
constexpr auto kPrivate = "https://updates.example.net/crx.xml";

void writeJson(const QString& path, const QJsonObject& object)
{
    writeFile(path, QJsonDocument(object).toJson());
}

QList<int> weightsOf(const QList<MalwareScanner::Signal>& found)
{
    QList<int> weights;
    for (const MalwareScanner::Signal& signal : found)
        weights.append(signal.weight);
    return weights;
}

class BrowserExtensionsTest : public ::testing::Test
{
protected:
    QString support(const QString& relative) const
    {
        return tree.path(u"home/Library/Application Support/"_s + relative);
    }

    // An extension of `profile` whose version folder holds `manifest`.
    void extension(const QString& profile, const QString& id, const QString& version, const QJsonObject& manifest)
    {
        writeJson(support(profile + u"/Extensions/"_s + id + u'/' + version + u"/manifest.json"_s), manifest);
    }

    void locations(const QString& profile, const QJsonObject& settings)
    {
        writeJson(support(profile + u"/Preferences"_s),
                  QJsonObject{{u"extensions"_s, QJsonObject{{u"settings"_s, settings}}}});
    }

    TempTree tree{u"\"home/Library/Application Support/\"\nroot/\n"_s};
    EnvironmentOverride environment{{"HOME", tree.path(u"home"_s)}, {"QUORVANE_ROOT", tree.path(u"root"_s)}};
    // The list the scans leave out, this test's own.
    TestSupport::TestServices kit;
};

} // namespace

TEST(BrowserExtensionSignals, weighOriginUpdatesAndAccess)
{
    const struct {
        const char* what;
        std::optional<Location> location;
        std::optional<QString> updateURL;
        bool broad;
        bool interception;
        QList<int> weights;
    } cases[] = {
        {"from the store, updated by it", Location::internalStore, QString::fromLatin1(kStore), false, false, {}},
        {"dropped by a preferences file", Location::externalPreference, std::nullopt, false, false, {25}},
        {"dropped, updated privately", Location::externalPreference, QString::fromLatin1(kPrivate), false, false, {60}},
        {"dropped, private, broad and intercepting",
         Location::externalPreference,
         QString::fromLatin1(kPrivate),
         true,
         true,
         {60, 20}},
        {"dropped by an installer, updated by the store",
         Location::externalRegistry,
         QString::fromLatin1(kStore),
         false,
         false,
         {25}},
        {"from the store, updated privately",
         Location::internalStore,
         QString::fromLatin1(kPrivate),
         false,
         false,
         {40}},
        {"unrecorded, private, broad and intercepting",
         std::nullopt,
         QString::fromLatin1(kPrivate),
         true,
         true,
         {40, 20}},
        {"broad alone", Location::internalStore, std::nullopt, true, false, {}},
        {"intercepting alone", Location::unpacked, std::nullopt, false, true, {}},
        {"by policy, broad and intercepting", Location::externalPolicy, std::nullopt, true, true, {20}},
    };
    for (const auto& c : cases) {
        const ExtensionManifest manifest{u"E"_s, c.updateURL, c.broad, c.interception};
        EXPECT_EQ(weightsOf(MalwareScanner::extensionSignals(u"id"_s, manifest, c.location)), c.weights) << c.what;
    }
    EXPECT_EQ(MalwareScanner::extensionSignals(u"id"_s, {std::nullopt, std::nullopt, false, false},
                                               Location::externalDownload)
                  .first()
                  .reason,
              u"Installée sans passer par le navigateur (téléchargée hors du magasin)"_s);

    EXPECT_TRUE(MalwareScanner::isStoreUpdateURL(u"https://clients2.google.com/service/update2/crx"_s));
    EXPECT_TRUE(MalwareScanner::isStoreUpdateURL(u"https://chrome.google.com/webstore"_s));
    EXPECT_FALSE(MalwareScanner::isStoreUpdateURL(u"https://updates.example.net/crx.xml"_s));
    EXPECT_EQ(ChromiumProfile::installLocationFromRaw(10), Location::externalComponent);
    for (const qint64 notACode : {0, 8, 9, 11, -1})
        EXPECT_EQ(ChromiumProfile::installLocationFromRaw(notACode), std::nullopt) << notACode;
}

TEST_F(BrowserExtensionsTest, theManifestOfTheHighestVersionTellsAccessUpdatesAndName)
{
    const QString id = u"Google/Chrome/Default/Extensions/abc"_s;
    const QString folder = support(id);
    writeJson(folder + u"/9.0/manifest.json"_s, {{u"name"_s, u"Old"_s}});
    writeJson(folder + u"/10.0/manifest.json"_s,
              {{u"name"_s, u"__MSG_AppName__"_s},
               {u"update_url"_s, u"https://u.example/x"_s},
               {u"permissions"_s, QJsonArray{u"<all_urls>"_s, u"proxy"_s, 3}},
               {u"content_scripts"_s, QJsonArray{u"x"_s, QJsonObject{{u"matches"_s, QJsonArray{u"*://*/*"_s}}}}}});
    writeFile(folder + u"/10.0/_locales/en/messages.json"_s, "{ broken");
    writeJson(folder + u"/10.0/_locales/fr/messages.json"_s,
              {{u"appname"_s, QJsonObject{{u"message"_s, u"Bons Plans"_s}}}});
    std::optional<ExtensionManifest> manifest = readExtensionManifest(folder);
    ASSERT_TRUE(manifest);
    EXPECT_EQ(manifest->name, u"Bons Plans"_s);
    EXPECT_EQ(manifest->updateURL, u"https://u.example/x"_s);
    EXPECT_TRUE(manifest->hasBroadHostAccess); // by its content script
    EXPECT_TRUE(manifest->requestsInterception);

    // "<all_urls>" among the permissions holds no "://": it opens nothing there.
    writeJson(folder + u"/10.0/manifest.json"_s,
              {{u"name"_s, u"__MSG_missing__"_s}, {u"permissions"_s, QJsonArray{u"<all_urls>"_s, u"debugger"_s}}});
    manifest = readExtensionManifest(folder);
    ASSERT_TRUE(manifest);
    EXPECT_FALSE(manifest->hasBroadHostAccess);
    EXPECT_EQ(manifest->name, std::nullopt);
    writeJson(folder + u"/10.0/manifest.json"_s,
              {{u"name"_s, 12}, {u"host_permissions"_s, QJsonArray{u"<all_urls>"_s}}, {u"update_url"_s, false}});
    manifest = readExtensionManifest(folder);
    ASSERT_TRUE(manifest);
    EXPECT_TRUE(manifest->hasBroadHostAccess);
    EXPECT_EQ(manifest->name, std::nullopt);
    EXPECT_EQ(manifest->updateURL, std::nullopt);

    // Version folders compare by their numbers, whatever else their names hold.
    writeJson(folder + u"/10.0.1_0/manifest.json"_s, {{u"name"_s, u"Newest"_s}});
    writeJson(folder + u"/beta/manifest.json"_s, {{u"name"_s, u"Beta"_s}});
    EXPECT_EQ(readExtensionManifest(folder)->name, u"Beta"_s);
    QDir(folder + u"/beta"_s).removeRecursively();
    EXPECT_EQ(readExtensionManifest(folder)->name, u"Newest"_s);
    writeFile(folder + u"/10.0.1_0/manifest.json"_s, "[1, 2]");
    EXPECT_EQ(readExtensionManifest(folder), std::nullopt); // the highest version decides, even unreadable
    EXPECT_EQ(readExtensionManifest(support(u"nowhere"_s)), std::nullopt);

    EXPECT_EQ(localizedExtensionName(u"Plain"_s, folder), u"Plain"_s);
    EXPECT_EQ(localizedExtensionName(u"__MSG_x"_s, folder), u"__MSG_x"_s);
}

TEST_F(BrowserExtensionsTest, listsRiskyExtensionsOfEveryProfileAndDropsTheRest)
{
    const QString chrome = u"Google/Chrome/Default"_s;
    extension(chrome, u"store"_s, u"1.0_0"_s,
              {{u"name"_s, u"Store"_s}, {u"update_url"_s, QString::fromLatin1(kStore)}});
    extension(chrome, u"dropped"_s, u"1.0_0"_s, {{u"name"_s, u"Dropped"_s}});
    extension(chrome, u"droppedPrivate"_s, u"2.0"_s,
              {{u"name"_s, u"Dropped Private"_s}, {u"update_url"_s, QString::fromLatin1(kPrivate)}});
    extension(chrome, u"storePrivate"_s, u"1.0"_s, {{u"update_url"_s, QString::fromLatin1(kPrivate)}});
    extension(chrome, u"noManifest"_s, u"1.0"_s, {});
    writeFile(support(chrome + u"/Extensions/noManifest/1.0/manifest.json"_s), QByteArray(64, '{'));
    writeFile(support(chrome + u"/Extensions/aFile"_s), "x");
    tree.add(u"\"home/Library/Application Support/Google/Chrome/Default/Extensions/linked\" -> droppedPrivate\n"_s);
    locations(chrome, {{u"store"_s, QJsonObject{{u"location"_s, 1}}},
                       {u"dropped"_s, QJsonObject{{u"location"_s, 2}}},
                       {u"droppedPrivate"_s, QJsonObject{{u"location"_s, 2}}},
                       {u"linked"_s, QJsonObject{{u"location"_s, 2}}},
                       {u"storePrivate"_s, QJsonObject{{u"location"_s, u"1"_s}}}});
    // A profile whose Preferences cannot be read: its extensions count, none of them as outside.
    const QString brave = u"BraveSoftware/Brave-Browser/Profile 1"_s;
    extension(brave, u"broad"_s, u"3"_s,
              {{u"name"_s, u"Broad"_s},
               {u"update_url"_s, QString::fromLatin1(kPrivate)},
               {u"permissions"_s, QJsonArray{u"proxy"_s}},
               {u"host_permissions"_s, QJsonArray{u"https://*/*"_s}}});
    writeFile(support(brave + u"/Preferences"_s), "{\"extensions\": ");
    // A profile whose one extension is harmless, and a folder whose "Extensions" is a file: no profile.
    extension(u"Google/Chrome/System Profile"_s, u"x"_s, u"1"_s, {});
    writeFile(support(u"Google/Chrome/Guest/Extensions"_s), "not a folder");

    const std::optional<ScanGroup> group = MalwareScanner::scanExtensions(kit.exclusions);
    ASSERT_TRUE(group);
    EXPECT_EQ(group->title, u"Extensions de navigateur"_s);
    EXPECT_EQ(group->symbol, u"puzzlepiece.extension"_s);
    EXPECT_EQ(group->note,
              u"Quittez le navigateur avant de supprimer, sinon il réinstalle l'extension depuis ses réglages."_s);
    EXPECT_EQ(group->metric, ScanGroup::Metric::threats);
    EXPECT_FALSE(group->isExpanded);
    // Likely first, by name; an extension without a name shows its identifier.
    EXPECT_EQ(namesOf(*group), (QStringList{u"Broad"_s, u"Dropped Private"_s, u"storePrivate"_s}));

    const ScanItem& broad = group->items[0];
    EXPECT_EQ(broad.url, support(brave + u"/Extensions/broad"_s));
    EXPECT_EQ(broad.threat->reasons, (QStringList{u"Se met à jour depuis un serveur privé"_s,
                                                  u"Lit toutes les pages et peut en détourner le trafic"_s,
                                                  u"Brave · profil «\u00A0Profile 1\u00A0»"_s}));
    const ScanItem& dropped = group->items[1];
    EXPECT_EQ(dropped.threat, (Threat{ThreatSeverity::likely,
                                      std::nullopt,
                                      {u"Déposée hors du navigateur et mise à jour depuis un serveur privé"_s,
                                       u"Google Chrome · profil «\u00A0Default\u00A0»"_s},
                                      std::nullopt}));
    EXPECT_EQ(dropped.removalMode, Removal::Mode::threat(std::nullopt));
    EXPECT_FALSE(dropped.isSelected);
    EXPECT_TRUE(dropped.isRisky);
    EXPECT_GT(dropped.size, 0);
    EXPECT_EQ(group->items[2].threat->severity, ThreatSeverity::suspicious);

    ASSERT_TRUE(kit.exclusions.add(broad.url));
    EXPECT_EQ(namesOf(*MalwareScanner::scanExtensions(kit.exclusions)),
              (QStringList{u"Dropped Private"_s, u"storePrivate"_s}));
    std::stop_source stop;
    stop.request_stop();
    EXPECT_EQ(MalwareScanner::scanExtensions(kit.exclusions, stop.get_token()), std::nullopt);
}

// Figures no integer holds, fractions and figures past the codes are no location (and, under the
// sanitizers, no report either).
TEST_F(BrowserExtensionsTest, aLocationFigureOutOfEveryRangeIsNoLocation)
{
    const QString chrome = u"Google/Chrome/Default"_s;
    writeFile(support(chrome + u"/Preferences"_s),
              R"({"extensions":{"settings":{"huge":{"location":1e300},"low":{"location":-1e300},)"
              R"("edge":{"location":9223372036854775808},"half":{"location":2.5},"past":{"location":1001},)"
              R"("kept":{"location":2}}}})");
    const ChromiumProfile profile{u"Chrome"_s, u"Default"_s, support(chrome)};
    const QHash<QString, ChromiumProfile::InstallLocation> found = profile.installLocations();
    EXPECT_EQ(found, (QHash<QString, ChromiumProfile::InstallLocation>{
                         {u"kept"_s, ChromiumProfile::InstallLocation::externalPreference}}));
}
