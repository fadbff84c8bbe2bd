#include "Scanners/PrivacyScanner.h"

#include "ScannerTestSupport.h"
#include "TempTree.h"
#include "TestServices.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

const QString kTraces = uR"(
    home/Library/Safari/History.db 8192
    home/Library/Safari/Databases/a.db 4096
    home/Library/Safari/Databases/b.db 4096
    home/Library/Safari/Downloads.plist 4096
    home/Library/Caches/com.apple.Safari/Cache.db 16384
    "home/Library/Application Support/Google/Chrome/Default/History" 12288
    "home/Library/Application Support/Google/Chrome/Default/Cookies" 4096
    "home/Library/Application Support/Google/Chrome/Default/Top Sites" 4096
    "home/Library/Application Support/Google/Chrome/Profile 1/History" 4096
    home/Library/Caches/Google/Chrome/Default/Cache/data_0 20480
    "home/Library/Application Support/Firefox/Profiles/b2.default-release/places.sqlite" 8192
    "home/Library/Application Support/Firefox/Profiles/b2.default-release/cookies.sqlite" 4096
    "home/Library/Application Support/Firefox/Profiles/a1.default/places.sqlite" 4096
    "home/Library/Application Support/Firefox/Profiles/profiles.ini" 4096
    "home/Library/Application Support/Firefox/Profiles/z9.lien" -> a1.default
    "home/Library/Application Support/com.apple.sharedfilelist/recent.sfl2" 4096
    home/.zsh_history
    home/.bash_history 4096
    home/Library/Caches/com.apple.pboard/pb 4096
)"_s;

class PrivacyScannerTest : public ::testing::Test
{
protected:
    QString home(const QString& relative) const { return tree.path(u"home/"_s + relative); }

    TempTree tree{kTraces};
    EnvironmentOverride environment{{"HOME", tree.path(u"home"_s)}};
    TestSupport::TestServices kit;
    const PrivacyScanner scanner{kit.exclusions, ModuleID::privacy};
};

QStringList rowsOf(const ScanGroup& group)
{
    QStringList rows;
    for (const ScanItem& item : group.items) {
        rows.append(item.name + (item.isRisky ? u" (sensible)"_s : QString()) +
                    (item.isSelected ? u" ✓"_s : QString()));
        EXPECT_NE(item.isRisky, item.isSelected);
        EXPECT_EQ(item.removalMode, Removal::Mode::trash());
    }
    return rows;
}

} // namespace

TEST_F(PrivacyScannerTest, listsEachSourcesTracesBySizeWithTheSensitiveOnesUnticked)
{
    ProgressLog log;
    const QList<ScanGroup> groups = scanner.scan(log.callback(), {});
    EXPECT_EQ(log.steps(),
              (QStringList{u"0.15 Safari…"_s, u"0.4 Chrome…"_s, u"0.6 Firefox…"_s, u"0.8 Système…"_s, u"1 "_s}));
    ASSERT_EQ(titlesOf(groups), (QStringList{u"Safari"_s, u"Google Chrome"_s, u"Firefox"_s, u"Traces système"_s}));
    const QStringList symbols{u"safari"_s, u"globe"_s, u"globe"_s, u"clock.arrow.circlepath"_s};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(groups[i].symbol, symbols[i]);
        EXPECT_EQ(groups[i].note, u"Les éléments sensibles sont décochés par défaut."_s);
    }

    EXPECT_EQ(rowsOf(groups[0]),
              (QStringList{u"Cache ✓"_s, u"Historique de navigation (sensible)"_s, u"Données de sites web (sensible)"_s,
                           u"Téléchargements enregistrés ✓"_s}));
    // Only the Default profile of Chrome.
    EXPECT_EQ(rowsOf(groups[1]), (QStringList{u"Cache ✓"_s, u"Historique de navigation (sensible)"_s,
                                              u"Cookies (sensible)"_s, u"Vignettes de sites ✓"_s}));
    // Profiles in listing order; a file and a link in the profiles folder are no profiles.
    EXPECT_EQ(rowsOf(groups[2]),
              (QStringList{u"Historique — b2.default-release (sensible)"_s, u"Historique — a1.default (sensible)"_s,
                           u"Cookies — b2.default-release (sensible)"_s}));
    // An empty shell history is not listed.
    EXPECT_EQ(rowsOf(groups[3]), (QStringList{u"Éléments récents (sensible)"_s, u"Historique bash (sensible)"_s,
                                              u"Presse-papiers persistant ✓"_s}));
    EXPECT_EQ(groups[3].items[1].detail, u"~/.bash_history"_s);
    EXPECT_EQ(groups[3].items[1].url, home(u".bash_history"_s));
    EXPECT_EQ(groups[1].items[0].size, 20480);
}

TEST_F(PrivacyScannerTest, theNoteCountsSensitiveTracesEvenWhenTheUserExcludedThem)
{
    const QStringList excluded{home(u"Library/Safari/History.db"_s), home(u"Library/Safari/Databases"_s),
                               home(u"Library/Caches/com.apple.pboard"_s)};
    for (const QString& path : excluded)
        ASSERT_TRUE(kit.exclusions.add(path));
    const QList<ScanGroup> groups = scanner.scan({}, {});
    const ScanGroup* safari = groupTitled(groups, u"Safari"_s);
    ASSERT_NE(safari, nullptr);
    EXPECT_EQ(rowsOf(*safari), (QStringList{u"Cache ✓"_s, u"Téléchargements enregistrés ✓"_s}));
    EXPECT_EQ(safari->note, u"Les éléments sensibles sont décochés par défaut."_s);

    // A group that never found a sensitive trace has no note.
    const TempTree onlyCaches(u"home/Library/Caches/com.apple.Safari/c 4096\n"_s);
    const EnvironmentOverride other{{"HOME", onlyCaches.path(u"home"_s)}};
    const QList<ScanGroup> cachesOnly = scanner.scan({}, {});
    ASSERT_EQ(titlesOf(cachesOnly), QStringList{u"Safari"_s});
    EXPECT_FALSE(cachesOnly[0].note);
}

TEST_F(PrivacyScannerTest, nothingFoundGivesTheEmptyState)
{
    const TempTree empty(u"home/\n"_s);
    const EnvironmentOverride other{{"HOME", empty.path(u"home"_s)}};
    EXPECT_TRUE(scanner.scan({}, {}).isEmpty());
    EXPECT_EQ(scanner.actionTitle(), u"Effacer"_s);
    EXPECT_EQ(scanner.emptyTitle(), u"Aucune trace trouvée"_s);
    EXPECT_EQ(scanner.emptyMessage(), u"Rien à effacer parmi les navigateurs et apps analysés."_s);
    EXPECT_TRUE(scanner.requiresFullDiskAccess());
}
