#include "Scanners/MalwareScanner.h"

#include "MacFixtures.h"
#include "Sandbox.h"
#include "TestServices.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

const QString kBrowserLead = u" — c'est ainsi que les adwares verrouillent moteur de recherche et page d'accueil. Un "
                             u"profil survit à la désinstallation de l'app qui l'a posé et se retire depuis les "
                             u"Réglages Système."_s;
const QString kTail =
    u" Vérifiez son origine : ce module ne peut pas le retirer lui-même, le magasin de profils étant protégé par le "
    u"système."_s;
const QString kNotEnrolled =
    u"Ce Mac n'est inscrit auprès d'aucune gestion d'entreprise, un profil n'y est donc pas attendu."_s;

} // namespace

TEST(ProfileAdvisory, choosesAmongItsFiveBranches)
{
    const QStringList eight{u"a.one"_s,  u"b.two"_s, u"c.three"_s, u"d.four"_s,
                            u"e.five"_s, u"f.six"_s, u"g.seven"_s, u"h.eight"_s};
    const struct {
        const char* what;
        bool hasProfiles;
        QStringList domains;
        bool managed;
        std::optional<QString> title;
        QString message;
    } cases[] = {
        {"a browser under a profile, managed or not",
         false,
         {u"com.apple.Safari"_s, u"com.google.Chrome"_s, u"x"_s},
         true,
         u"Un profil de configuration pilote votre navigateur"_s,
         u"com.apple.Safari, com.google.Chrome"_s + kBrowserLead},
        {"a managed Mac with other settings", true, {u"com.example.vpn"_s}, true, std::nullopt, {}},
        {"an unmanaged Mac with eight imposed domains", false, eight, false,
         u"Un profil de configuration est installé"_s,
         u"Réglages imposés : a.one, b.two, c.three, d.four, e.five, f.six."_s + kTail},
        {"an unmanaged Mac with a profile only",
         true,
         {},
         false,
         u"Un profil de configuration est installé"_s,
         kNotEnrolled + kTail},
        {"nothing at all", false, {}, false, std::nullopt, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::optional<Advisory> advisory = MalwareScanner::profileAdvisory(c.hasProfiles, c.domains, c.managed);
        ASSERT_EQ(advisory.has_value(), c.title.has_value());
        if (!advisory)
            continue;
        EXPECT_EQ(advisory->title, *c.title);
        EXPECT_EQ(advisory->message, c.message);
        EXPECT_EQ(advisory->settingsURL, u"x-apple.systempreferences:com.apple.Profiles-Settings.extension"_s);
        EXPECT_EQ(advisory->actionTitle, u"Ouvrir les réglages"_s);
        EXPECT_FALSE(advisory->id.isNull());
    }
}

// The probes ask the profiles tool of the Mac and read its managed preferences, the user's own included.
TEST(ProfileAdvisory, probesTheProfilesToolAndTheManagedPreferences)
{
    TestSupport::installStandIns();
    const TestSupport::TestServices kit;
    const QString root = TestSupport::systemRoot();
    const TestSupport::ScopedEnvironment home("HOME", root + u"/Users/lea"_s);
    const QString managed = root + u"/Library/Managed Preferences"_s;
    const QString store = root + u"/private/var/db/ConfigurationProfiles/Store"_s;
    ASSERT_TRUE(QDir().mkpath(managed + u"/lea"_s));
    ASSERT_TRUE(QDir().mkpath(managed + u"/paul"_s));
    for (const QString& file : {u"/com.example.vpn.plist"_s, u"/lea/com.example.mail.plist"_s,
                                u"/paul/com.google.Chrome.plist"_s, u"/notes.txt"_s, u"/.plist"_s})
        QFile(managed + file).open(QIODevice::WriteOnly);

    EXPECT_FALSE(MalwareScanner::hasConfigurationProfiles());
    EXPECT_FALSE(MalwareScanner::isManagedByOrganisation());
    EXPECT_EQ(MalwareScanner::managedBrowserDomains(), (QStringList{u"com.example.mail"_s, u"com.example.vpn"_s}));
    const QList<Advisory> unmanaged = MalwareScanner(kit.exclusions).advisories();
    ASSERT_EQ(unmanaged.size(), 1);
    EXPECT_EQ(unmanaged[0].message, u"Réglages imposés : com.example.mail, com.example.vpn."_s + kTail);

    ASSERT_TRUE(QDir().mkpath(store));
    QFile(store + u"/com.example.vpn.mobileconfig"_s).open(QIODevice::WriteOnly);
    EXPECT_TRUE(MalwareScanner::hasConfigurationProfiles());
    {
        const TestSupport::ScopedEnvironment enrolled("QUORVANE_PROFILES_ENROLLED", u"1"_s);
        EXPECT_TRUE(MalwareScanner::isManagedByOrganisation());
        EXPECT_TRUE(MalwareScanner(kit.exclusions).advisories().isEmpty());
    }
    {
        // A failing tool: its answer cannot be read, so the Mac counts as managed.
        const TestSupport::ScopedEnvironment failing("QUORVANE_PROFILES_FAIL", u"1"_s);
        EXPECT_TRUE(MalwareScanner::isManagedByOrganisation());
        EXPECT_TRUE(MalwareScanner(kit.exclusions).advisories().isEmpty());
    }
    // A missing tool answers nothing: no profiles, and management unknown.
    QFile::remove(root + u"/usr/bin/profiles"_s);
    EXPECT_FALSE(MalwareScanner::hasConfigurationProfiles());
    EXPECT_TRUE(MalwareScanner::isManagedByOrganisation());
    EXPECT_TRUE(MalwareScanner(kit.exclusions).advisories().isEmpty());
    // The browser notice stands whatever the tool says.
    QFile(managed + u"/lea/com.brave.Browser.plist"_s).open(QIODevice::WriteOnly);
    const QList<Advisory> browser = MalwareScanner(kit.exclusions).advisories();
    ASSERT_EQ(browser.size(), 1);
    EXPECT_EQ(browser[0].message, u"com.brave.Browser"_s + kBrowserLead);

    QDir(managed).removeRecursively();
    QDir(store).removeRecursively();
    TestSupport::installStandIns();
}
