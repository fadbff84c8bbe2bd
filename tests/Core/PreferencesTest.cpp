#include "Core/Preferences.h"

#include "Platform/FileOperations.h"
#include "Platform/FileSystem.h"
#include "Platform/PropertyList.h"
#include "Platform/UserDefaults.h"
#include "TempTree.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using Platform::UserDefaults;

namespace {

struct Fixture {
    TempTree tree;
    QString file = tree.path(u"com.ostrek.quorvanepro.plist"_s);
    std::shared_ptr<UserDefaults> defaults = UserDefaults::atPath(file);

    QVariantMap onDisk() const { return Platform::PropertyList::readFile(file).value_or(QVariant()).toMap(); }
};

void expectDefaults(const Preferences& p)
{
    EXPECT_TRUE(p.showsMenuBarItem());
    EXPECT_TRUE(p.notifiesOnDiskPressure());
    EXPECT_DOUBLE_EQ(p.diskThreshold(), 0.9);
    EXPECT_TRUE(p.notifiesAfterScheduledRun());
    EXPECT_FALSE(p.scheduleEnabled());
    EXPECT_EQ(p.scheduleInterval(), Preferences::Interval::weekly);
    EXPECT_EQ(p.scheduleModule(), ModuleID::systemJunk);
    EXPECT_FALSE(p.scheduleCleans());
    EXPECT_FALSE(p.lastScheduledRun().has_value());
    EXPECT_TRUE(p.takesSnapshotBeforeCleaning());
}

} // namespace

TEST(Preferences, anEmptyStoreGivesTheDefaults)
{
    Fixture f;
    const Preferences preferences(f.defaults);
    expectDefaults(preferences);
    EXPECT_FALSE(Platform::fileInfo(f.file).has_value()); // reading writes nothing
}

TEST(Preferences, valuesOfTheWrongKindReadAsDefaultsAndKeepTheOtherKeys)
{
    Fixture f;
    const QVariantMap stored{
        {u"showsMenuBarItem"_s, u"YES"_s},
        {u"notifiesOnDiskPressure"_s, qint64(2)},
        {u"diskThreshold"_s, u"0.5"_s},
        {u"notifiesAfterScheduledRun"_s, QVariantList{false}},
        {u"scheduleEnabled"_s, QByteArray("\x01")},
        {u"scheduleInterval"_s, u"Weekly"_s},
        {u"scheduleModule"_s, u"trash"_s},
        {u"scheduleCleans"_s, QVariantMap{{u"on"_s, true}}},
        {u"lastScheduledRun"_s, u"2025-03-14T09:26:53Z"_s},
        {u"takesSnapshotBeforeCleaning"_s, QVariantList{u"a"_s}},
        {u"exclusions"_s, QStringList{u"/Volumes/Archives"_s}},
    };
    for (auto it = stored.cbegin(); it != stored.cend(); ++it)
        f.defaults->setValue(it.key(), it.value());
    Preferences preferences(f.defaults);
    expectDefaults(preferences);

    preferences.setScheduleCleans(true);
    const QVariantMap onDisk = f.onDisk();
    EXPECT_EQ(onDisk.value(u"scheduleCleans"_s), QVariant(true));
    EXPECT_EQ(onDisk.value(u"exclusions"_s).toStringList(), QStringList{u"/Volumes/Archives"_s});
    EXPECT_EQ(onDisk.value(u"scheduleInterval"_s), QVariant(u"Weekly"_s));
}

TEST(Preferences, storedValuesAreReadByTheirRules)
{
    struct Case {
        QString interval;
        Preferences::Interval expected;
    };
    const Case intervals[] = {
        {u"daily"_s, Preferences::Interval::daily},   {u"monthly"_s, Preferences::Interval::monthly},
        {u"weekly"_s, Preferences::Interval::weekly}, {u"Daily"_s, Preferences::Interval::weekly},
        {u" daily"_s, Preferences::Interval::weekly}, {u""_s, Preferences::Interval::weekly},
    };
    for (const Case& c : intervals) {
        Fixture f;
        f.defaults->setValue(u"scheduleInterval"_s, c.interval);
        EXPECT_EQ(Preferences(f.defaults).scheduleInterval(), c.expected) << c.interval.toStdString();
    }

    Fixture f;
    const QDateTime run(QDate(2025, 3, 14), QTime(9, 26, 53), Qt::UTC);
    f.defaults->setValue(u"showsMenuBarItem"_s, false);
    f.defaults->setValue(u"notifiesOnDiskPressure"_s, qint64(0)); // a stored 0 or 1 counts as a flag
    f.defaults->setValue(u"diskThreshold"_s, qint64(1));
    f.defaults->setValue(u"scheduleEnabled"_s, 1.0);
    f.defaults->setValue(u"scheduleModule"_s, u"largeOldFiles"_s);
    f.defaults->setValue(u"lastScheduledRun"_s, run);
    const Preferences preferences(f.defaults);
    EXPECT_FALSE(preferences.showsMenuBarItem());
    EXPECT_FALSE(preferences.notifiesOnDiskPressure());
    EXPECT_DOUBLE_EQ(preferences.diskThreshold(), 1.0);
    EXPECT_TRUE(preferences.scheduleEnabled());
    EXPECT_EQ(preferences.scheduleModule(), ModuleID::largeOldFiles);
    EXPECT_EQ(preferences.lastScheduledRun(), run);
}

TEST(Preferences, settersWriteOnlyRealChangesInTheirStoredForm)
{
    Fixture f;
    Preferences preferences(f.defaults);
    QSignalSpy changed(&preferences, &Preferences::changed);

    // The values already held: no signal and no file.
    preferences.setShowsMenuBarItem(true);
    preferences.setDiskThreshold(0.9);
    preferences.setScheduleInterval(Preferences::Interval::weekly);
    preferences.setScheduleModule(ModuleID::systemJunk);
    preferences.setLastScheduledRun(std::nullopt);
    preferences.setLastScheduledRun(QDateTime());
    EXPECT_EQ(changed.count(), 0);
    EXPECT_FALSE(Platform::fileInfo(f.file).has_value());

    const QDateTime run(QDate(2025, 3, 14), QTime(9, 26, 53, 250), Qt::UTC);
    preferences.setShowsMenuBarItem(false);
    preferences.setNotifiesOnDiskPressure(false);
    preferences.setDiskThreshold(0.75);
    preferences.setNotifiesAfterScheduledRun(false);
    preferences.setScheduleEnabled(true);
    preferences.setScheduleInterval(Preferences::Interval::monthly);
    preferences.setScheduleModule(ModuleID::duplicates);
    preferences.setScheduleCleans(true);
    preferences.setLastScheduledRun(run);
    preferences.setTakesSnapshotBeforeCleaning(false);
    EXPECT_EQ(changed.count(), 10);

    const QVariantMap onDisk = f.onDisk();
    EXPECT_EQ(onDisk.value(u"showsMenuBarItem"_s), QVariant(false));
    EXPECT_EQ(onDisk.value(u"diskThreshold"_s), QVariant(0.75));
    EXPECT_EQ(onDisk.value(u"scheduleInterval"_s), QVariant(u"monthly"_s));
    EXPECT_EQ(onDisk.value(u"scheduleModule"_s), QVariant(u"duplicates"_s));
    EXPECT_EQ(onDisk.value(u"lastScheduledRun"_s).toDateTime(), run);
    EXPECT_EQ(onDisk.size(), 10);

    // A second object over a fresh read of the same file sees every value.
    const TempTree other;
    ASSERT_FALSE(Platform::writeFileAtomically(other.path(u"copy.plist"_s), *Platform::PropertyList::serialize(onDisk))
                     .has_value());
    const Preferences reread(UserDefaults::atPath(other.path(u"copy.plist"_s)));
    EXPECT_EQ(reread.scheduleModule(), ModuleID::duplicates);
    EXPECT_EQ(reread.scheduleInterval(), Preferences::Interval::monthly);
    EXPECT_EQ(reread.lastScheduledRun(), run);
    EXPECT_DOUBLE_EQ(reread.diskThreshold(), 0.75);
    EXPECT_FALSE(reread.takesSnapshotBeforeCleaning());

    preferences.setLastScheduledRun(std::nullopt);
    EXPECT_FALSE(f.onDisk().contains(u"lastScheduledRun"_s));
    EXPECT_EQ(changed.count(), 11);
}

TEST(Preferences, nextScheduledRunFollowsTheLastRunAndTheInterval)
{
    Fixture f;
    Preferences preferences(f.defaults);
    const QDateTime now(QDate(2025, 6, 1), QTime(12, 0), Qt::UTC);
    const QDateTime last(QDate(2025, 5, 30), QTime(8, 0), Qt::UTC);
    EXPECT_FALSE(preferences.nextScheduledRun(now).has_value());
    preferences.setLastScheduledRun(last);
    EXPECT_FALSE(preferences.nextScheduledRun(now).has_value());

    preferences.setScheduleEnabled(true);
    preferences.setLastScheduledRun(std::nullopt);
    EXPECT_EQ(preferences.nextScheduledRun(now), now);
    preferences.setLastScheduledRun(last);
    struct Case {
        Preferences::Interval interval;
        qint64 seconds;
    };
    for (const Case c : {Case{Preferences::Interval::daily, 86400}, Case{Preferences::Interval::weekly, 604800},
                         Case{Preferences::Interval::monthly, 2592000}}) {
        preferences.setScheduleInterval(c.interval);
        EXPECT_EQ(preferences.nextScheduledRun(now), last.addSecs(c.seconds)) << toRaw(c.interval).toStdString();
        EXPECT_EQ(seconds(c.interval), c.seconds);
        EXPECT_EQ(fromRaw<Preferences::Interval>(toRaw(c.interval)), c.interval);
    }
    EXPECT_EQ(allIntervals().size(), 3u);

    // A last run in the future does not hold the schedule off; one exactly now is simply the latest run.
    preferences.setLastScheduledRun(now.addSecs(3600));
    EXPECT_EQ(preferences.nextScheduledRun(now), now);
    preferences.setLastScheduledRun(now);
    EXPECT_EQ(preferences.nextScheduledRun(now), now.addSecs(seconds(preferences.scheduleInterval())));
}
