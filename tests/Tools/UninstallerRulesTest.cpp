#include "Tools/UninstallerRules.h"

#include <QTimeZone>

#include <gtest/gtest.h>

#include <limits>

using namespace Qt::StringLiterals;
using namespace Uninstaller;

namespace {

const QDateTime now = QDateTime(QDate(2026, 6, 1), QTime(12, 0), QTimeZone::utc());

InstalledApp app(const QString& name, const QString& bundleID, qint64 size, QList<qint64> leftovers = {})
{
    InstalledApp made;
    made.id = QUuid::createUuid();
    made.url = u"/Applications/"_s + name + u".app"_s;
    made.name = name;
    made.bundleID = bundleID;
    made.size = size;
    for (qint64 bytes : leftovers) {
        ScanItem item;
        item.size = bytes;
        item.isSelected = true; // as the inventory makes an application's own
        made.leftovers.append(item);
    }
    return made;
}

QStringList names(const QList<InstalledApp>& apps)
{
    QStringList list;
    for (const InstalledApp& each : apps)
        list.append(each.name);
    return list;
}

} // namespace

// Both thresholds are strict: exactly 180 days or exactly 200 Mio is not enough, one unit beyond is; an unknown
// last use is never unused.
TEST(UninstallerRules, filtersAreStrictAtTheirThresholds)
{
    struct Case {
        const char* what;
        Filter filter;
        InstalledApp app;
        bool kept;
    };
    InstalledApp old = app(u"A"_s, u"a"_s, 1);
    old.lastUsed = now.addSecs(-unusedAfterSeconds);
    InstalledApp older = old;
    older.lastUsed = now.addSecs(-unusedAfterSeconds - 1);
    InstalledApp halfBeyond = old;
    halfBeyond.lastUsed = now.addMSecs(-unusedAfterSeconds * 1000 - 500);
    const InstalledApp neverUsed = app(u"N"_s, u"n"_s, 1);
    const Case cases[] = {
        {"exactly 180 days", Filter::unused, old, false},
        {"one second beyond", Filter::unused, older, true},
        {"half a second beyond", Filter::unused, halfBeyond, true},
        {"no last use", Filter::unused, neverUsed, false},
        {"exactly 200 Mio", Filter::large, app(u"L"_s, u"l"_s, largeAboveBytes - 10, {10}), false},
        {"one byte beyond", Filter::large, app(u"L"_s, u"l"_s, largeAboveBytes - 10, {11}), true},
        {"all keeps the small", Filter::all, neverUsed, true},
    };
    for (const Case& each : cases)
        EXPECT_EQ(keeps(each.filter, each.app, now), each.kept) << each.what;
}

TEST(UninstallerRules, labelsRoundTripExactly)
{
    for (Filter filter : allFilters())
        EXPECT_EQ(filterFromLabel(label(filter)), filter);
    EXPECT_EQ(label(Filter::unused), u"Inutilisées"_s);
    EXPECT_EQ(filterFromLabel(u"toutes"_s), std::nullopt);
    EXPECT_EQ(filterFromLabel(u"Toutes "_s), std::nullopt);
}

TEST(UninstallerRules, totalSizeStopsAtTheLargestCount)
{
    constexpr qint64 most = std::numeric_limits<qint64>::max();
    EXPECT_EQ(totalSize(app(u"A"_s, {}, 5, {7, 11})), 23);
    EXPECT_EQ(totalSize(app(u"A"_s, {}, most - 1, {5, 5})), most);
    EXPECT_TRUE(keeps(Filter::large, app(u"A"_s, {}, most, {most}), now));
}

// Apple's applications never show; the query is used as typed (spaces included) against the name or the
// identifier, case aside; the order of the inventory is kept.
TEST(UninstallerRules, visibleListSearchesAndHidesApple)
{
    InstalledApp safari = app(u"Safari"_s, u"com.apple.Safari"_s, 900);
    safari.isAppleApp = true;
    const QList<InstalledApp> apps{app(u"Ondine Studio"_s, u"fr.ondine.studio"_s, 500), safari,
                                   app(u"Brume"_s, u"com.example.brume"_s, 300), app(u"Éclat"_s, {}, 100)};
    EXPECT_EQ(names(visibleApps(apps, {}, Filter::all, now)),
              (QStringList{u"Ondine Studio"_s, u"Brume"_s, u"Éclat"_s}));
    EXPECT_EQ(names(visibleApps(apps, u"SAFARI"_s, Filter::all, now)), QStringList());
    EXPECT_EQ(names(visibleApps(apps, u"EXAMPLE"_s, Filter::all, now)), QStringList{u"Brume"_s});
    EXPECT_EQ(names(visibleApps(apps, u"éclat"_s, Filter::all, now)), QStringList{u"Éclat"_s});
    EXPECT_EQ(names(visibleApps(apps, u" "_s, Filter::all, now)), QStringList{u"Ondine Studio"_s});
    EXPECT_EQ(names(visibleApps(apps, u"  "_s, Filter::all, now)), QStringList());
}

TEST(UninstallerRules, confirmationSaysWhatGoes)
{
    const InstalledApp withFiles = app(u"Ondine"_s, u"fr.ondine"_s, 1'500'000, {500'000, 1'000'000});
    const InstalledApp alone = app(u"Brume \"pro\""_s, u"b"_s, 0);
    const InstalledApp withOne = app(u"Éclat"_s, u"e"_s, 1'000'000, {500'000});
    struct Case {
        const InstalledApp& app;
        bool leftovers;
        bool running;
        QString message;
    };
    const Case cases[] = {
        {withFiles, true, false, u"L'application et ses 2 fichiers associés seront mis à la corbeille, soit 3 Mo."_s},
        {withFiles, false, false, u"L'application et elle seule seront mis à la corbeille, soit 1,5 Mo."_s},
        {alone, true, false, u"L'application et ses 0 fichiers associés seront mis à la corbeille, soit 0 Ko."_s},
        {withOne, true, false, u"L'application et son fichier associé seront mis à la corbeille, soit 1,5 Mo."_s},
        {withFiles, true, true,
         u"L'application et ses 2 fichiers associés seront mis à la corbeille, soit 3 Mo.\n\n"
         u"L'app est ouverte : elle sera fermée d'abord."_s},
    };
    for (const Case& each : cases) {
        const Platform::Ask::Question question = confirmation(each.app, each.leftovers, each.running);
        EXPECT_EQ(question.title, u"Désinstaller "_s + each.app.name + u" ?"_s);
        EXPECT_EQ(question.message, each.message);
        EXPECT_EQ(question.destructive, u"Désinstaller"_s);
        EXPECT_EQ(question.cancel, u"Annuler"_s);
    }
}

TEST(UninstallerRules, failureMessageAgreesWithTheCount)
{
    EXPECT_EQ(failureMessage(1, u"Accès refusé."_s), u"1 élément n'a pas pu être mis à la corbeille : Accès refusé."_s);
    EXPECT_EQ(failureMessage(3, u"Accès refusé."_s),
              u"3 éléments n'ont pas pu être mis à la corbeille : Accès refusé."_s);
}
