#include "Core/Exclusions.h"

#include "Core/Preferences.h"
#include "Platform/PropertyList.h"
#include "Platform/SystemRoot.h"
#include "Platform/UserDefaults.h"
#include "TempTree.h"
#include "WaitFor.h"

#include <thread>

#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using Platform::UserDefaults;

namespace {

QString home(const QString& relative)
{
    return Platform::homeFolder() + u'/' + relative;
}

// A store of its own for each test, over a file in the test's folder.
struct Fixture {
    TempTree tree;
    std::shared_ptr<UserDefaults> defaults = UserDefaults::atPath(tree.path(u"prefs.plist"_s));

    QVariant storedOnDisk() const
    {
        return Platform::PropertyList::readFile(defaults->filePath())
            .value_or(QVariant())
            .toMap()
            .value(u"exclusions"_s);
    }
};

} // namespace

TEST(Exclusions, anEntryCoversItselfAndWhatLiesUnderItUnderBothNames)
{
    Fixture f;
    Exclusions exclusions(f.defaults);
    for (const QString& path : {u"/"_s, home(u"Downloads"_s), u"/var/folders"_s})
        EXPECT_FALSE(exclusions.isExcluded(path)) << path.toStdString();

    QSignalSpy changed(&exclusions, &Exclusions::changed);
    EXPECT_TRUE(exclusions.add(home(u"Downloads/Big"_s)));
    EXPECT_TRUE(exclusions.add(u"/var/folders/x"_s));
    EXPECT_TRUE(exclusions.add(u"/private/tmp/work/"_s));
    EXPECT_EQ(changed.count(), 3);

    struct Case {
        QString path;
        bool expected;
    };
    const Case cases[] = {
        {home(u"Downloads/Big"_s), true},
        {home(u"Downloads/Big/a/b.bin"_s), true},
        {home(u"Downloads/Big/"_s), true},
        {home(u"Downloads/Bigger"_s), false},
        {home(u"Downloads"_s), false},
        {home(u"Downloads/Other/../Big/c"_s), true},
        {u"/private/var/folders/x/y"_s, true},
        {u"/var/folders/xy"_s, false},
        {u"/tmp/work/a"_s, true},
        {u"/private/tmp/work"_s, true},
        {u"Downloads/Big"_s, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(exclusions.isExcluded(c.path), c.expected) << c.path.toStdString();
    EXPECT_EQ(f.storedOnDisk().toStringList(), exclusions.paths());
}

TEST(Exclusions, addRefusesWhatIsCoveredAndReplacesWhatTheNewEntryCovers)
{
    Fixture f;
    Exclusions exclusions(f.defaults);
    ASSERT_TRUE(exclusions.add(home(u"Projets/a"_s)));
    ASSERT_TRUE(exclusions.add(home(u"Projets/b/c"_s)));
    ASSERT_TRUE(exclusions.add(home(u"Projets2"_s)));

    QSignalSpy changed(&exclusions, &Exclusions::changed);
    for (const QString& refused : {u"/"_s, u"/.."_s, u""_s, u"Projets"_s, home(u"Projets/a"_s),
                                   home(u"Projets/a/deeper"_s), home(u"Projets2/"_s)})
        EXPECT_FALSE(exclusions.add(refused)) << refused.toStdString();
    EXPECT_EQ(changed.count(), 0);
    EXPECT_EQ(exclusions.paths().size(), 3);

    EXPECT_TRUE(exclusions.add(home(u"Projets/"_s)));
    EXPECT_EQ(exclusions.paths(), (QStringList{home(u"Projets"_s), home(u"Projets2"_s)}));
}

TEST(Exclusions, theCandidateTestAlsoSeesEntriesUnderTheCandidate)
{
    Fixture f;
    Exclusions exclusions(f.defaults);
    EXPECT_FALSE(exclusions.isExcludedOrHoldsExclusion(u"/"_s));
    exclusions.persist({home(u"Downloads/Keep"_s), u"/var/folders/qp/T/keep"_s});

    struct Case {
        QString path;
        bool excluded;
        bool excludedOrHolds;
    };
    const Case cases[] = {
        {home(u"Downloads/Keep/x"_s), true, true},
        {home(u"Downloads/Keep"_s), true, true},
        {home(u"Downloads"_s), false, true},
        {home(u"Downloads/"_s), false, true},
        {Platform::homeFolder(), false, true},
        {u"/"_s, false, true},
        {u"/private/var/folders/qp"_s, false, true},
        {u"/var/folders/qp/T/keep2"_s, false, false},
        {home(u"Downloads/Kee"_s), false, false},
        {home(u"Documents"_s), false, false},
        {u"Downloads"_s, false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(exclusions.isExcluded(c.path), c.excluded) << c.path.toStdString();
        EXPECT_EQ(exclusions.isExcludedOrHoldsExclusion(c.path), c.excludedOrHolds) << c.path.toStdString();
    }
}

TEST(Exclusions, normalFormDropsBadEntriesAndSortsLikeTheFinder)
{
    const QStringList stored{
        home(u"file10"_s),
        home(u"File2"_s),
        u""_s,
        u"relative/x"_s,
        u"/"_s,
        home(u"b/"_s),
        home(u"a/../b"_s),
        u"/Volumes/Disque"_s,
        home(u"File2"_s),
        u"~/Documents"_s,
        u"//Volumes//Disque/./"_s,
    };
    const QStringList normal = Exclusions::normalize(stored);
    EXPECT_EQ(normal.size(), 4);
    EXPECT_EQ(normal.indexOf(home(u"File2"_s)) + 1, normal.indexOf(home(u"file10"_s)));
    EXPECT_LT(normal.indexOf(home(u"b"_s)), normal.indexOf(home(u"File2"_s)));
    EXPECT_TRUE(normal.contains(u"/Volumes/Disque"_s));
    EXPECT_EQ(Exclusions::normalize(normal), normal);
}

TEST(Exclusions, storedListIsReadInNormalFormAndAnythingElseReadsEmpty)
{
    {
        Fixture f;
        f.defaults->setValue(u"exclusions"_s, QStringList{home(u"z/"_s), home(u"a"_s), home(u"a"_s)});
        const Exclusions exclusions(f.defaults);
        EXPECT_EQ(exclusions.paths(), (QStringList{home(u"a"_s), home(u"z"_s)}));
        // Not written back until the next change.
        EXPECT_EQ(f.storedOnDisk().toStringList().size(), 3);
    }
    const QVariant wrongValues[] = {
        u"/Users/al/Downloads"_s,
        QVariantList{u"/Users/al/Downloads"_s, qint64(3)},
        QVariantList{QVariantList{u"/Users/al"_s}},
        QVariantMap{{u"a"_s, u"/x"_s}},
    };
    for (const QVariant& wrong : wrongValues) {
        Fixture f;
        f.defaults->setValue(u"exclusions"_s, wrong);
        Exclusions exclusions(f.defaults);
        EXPECT_TRUE(exclusions.paths().isEmpty());
        EXPECT_FALSE(exclusions.isExcluded(u"/Users/al/Downloads"_s));
        EXPECT_EQ(f.storedOnDisk(), wrong); // left alone until a change replaces it
        exclusions.add(u"/Volumes/Archives"_s);
        EXPECT_EQ(f.storedOnDisk().toStringList(), QStringList{u"/Volumes/Archives"_s});
    }
}

TEST(Exclusions, removeAndRemoveAllAlwaysWriteTheList)
{
    Fixture f;
    Exclusions exclusions(f.defaults);
    exclusions.remove(u"/not/listed"_s);
    EXPECT_EQ(f.storedOnDisk().typeId(), QMetaType::QVariantList); // written although nothing changed
    exclusions.persist({home(u"a"_s), home(u"b"_s)});

    QSignalSpy changed(&exclusions, &Exclusions::changed);
    exclusions.remove(home(u"a/"_s)); // exact text only
    EXPECT_EQ(exclusions.paths().size(), 2);
    EXPECT_EQ(changed.count(), 0);
    exclusions.remove(home(u"a"_s));
    EXPECT_EQ(exclusions.paths(), QStringList{home(u"b"_s)});
    EXPECT_EQ(f.storedOnDisk().toStringList(), QStringList{home(u"b"_s)});

    exclusions.persist({});
    EXPECT_TRUE(exclusions.paths().isEmpty());
    ASSERT_EQ(f.storedOnDisk().typeId(), QMetaType::QVariantList);
    EXPECT_TRUE(f.storedOnDisk().toList().isEmpty());
    EXPECT_EQ(changed.count(), 2);
}

TEST(Exclusions, otherThreadsSeeAChangeBeforeTheGuiThreadPublishesIt)
{
    Fixture f;
    Exclusions exclusions(f.defaults);
    QSignalSpy changed(&exclusions, &Exclusions::changed);
    bool seenThere = false;
    std::thread worker([&] {
        exclusions.persist({home(u"Archives"_s)});
        seenThere = exclusions.isExcluded(home(u"Archives/2019"_s));
    });
    worker.join();
    EXPECT_TRUE(seenThere);
    EXPECT_TRUE(exclusions.isExcluded(home(u"Archives/2019"_s)));
    EXPECT_TRUE(exclusions.paths().isEmpty()); // published on the GUI thread only
    EXPECT_TRUE(changed.wait(TestSupport::waitBound));
    EXPECT_EQ(exclusions.paths(), QStringList{home(u"Archives"_s)});
}

TEST(Exclusions, sharesItsStoreWithThePreferencesWithoutLosingKeys)
{
    Fixture f;
    Exclusions exclusions(f.defaults);
    Preferences preferences(UserDefaults::atPath(f.defaults->filePath()));
    exclusions.add(home(u"Keep"_s));
    preferences.setScheduleEnabled(true);
    exclusions.add(home(u"Also"_s));
    preferences.setDiskThreshold(0.8);

    const QVariantMap onDisk = Platform::PropertyList::readFile(f.defaults->filePath())->toMap();
    EXPECT_EQ(onDisk.value(u"exclusions"_s).toStringList().size(), 2);
    EXPECT_EQ(onDisk.value(u"scheduleEnabled"_s), QVariant(true));
    EXPECT_EQ(onDisk.value(u"diskThreshold"_s), QVariant(0.8));
}
