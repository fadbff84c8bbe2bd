#include "Performance/OptimizationService.h"

#include "Platform/PropertyList.h"
#include "ScopedEnvironment.h"
#include "TempTree.h"

#include <QDir>
#include <QFile>

#include <sys/stat.h>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using OptimizationService::HeavyApp;
using OptimizationService::LaunchItem;
using OptimizationService::ProcessRow;
using TestSupport::writeFile;

namespace {

QString fixture(const char* name)
{
    QFile file(QStringLiteral(QP_SOURCE_DIR "/tests/fixtures/optimization/") + QLatin1String(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    return QString::fromUtf8(file.readAll());
}

void writePlist(const QString& path, const QVariantMap& dictionary,
                Platform::PropertyList::Format format = Platform::PropertyList::Format::Xml)
{
    writeFile(path, Platform::PropertyList::serialize(dictionary, format).value());
}

QStringList labelsOf(const QList<LaunchItem>& items)
{
    QStringList labels;
    for (const LaunchItem& item : items)
        labels << item.label;
    return labels;
}

Platform::RunningApplication running(int pid, const QString& bundle, const QString& name,
                                     Platform::ActivationPolicy policy)
{
    return {pid, bundle, u"id."_s + name, name, policy};
}

} // namespace

TEST(LaunchItems, fieldsFallBackWhenKeysAreMissingOrOfTheWrongType)
{
    const QVariantList arguments{u"/bin/tool"_s, u"--flag"_s};
    const struct {
        const char* name;
        QVariant plist;
        std::optional<QString> label;
        QString program;
        bool enabled;
    } cases[] = {
        {"everything", QVariantMap{{u"Label"_s, u"fr.job"_s}, {u"Program"_s, u"/bin/a"_s}, {u"Disabled"_s, true}},
         u"fr.job"_s, u"/bin/a"_s, false},
        {"no label: the file name", QVariantMap{{u"ProgramArguments"_s, arguments}}, u"job"_s, u"/bin/tool"_s, true},
        {"Program wins over ProgramArguments",
         QVariantMap{{u"Program"_s, u"/bin/b"_s}, {u"ProgramArguments"_s, arguments}}, u"job"_s, u"/bin/b"_s, true},
        {"neither: a dash", QVariantMap{{u"Label"_s, u"x"_s}}, u"x"_s, u"—"_s, true},
        {"empty arguments", QVariantMap{{u"ProgramArguments"_s, QVariantList{}}}, u"job"_s, u"—"_s, true},
        {"arguments not all texts", QVariantMap{{u"ProgramArguments"_s, QVariantList{u"/bin/c"_s, qint64(2)}}},
         u"job"_s, u"—"_s, true},
        {"keys of wrong types", QVariantMap{{u"Label"_s, qint64(4)}, {u"Program"_s, true}, {u"Disabled"_s, u"true"_s}},
         u"job"_s, u"—"_s, true},
        {"Disabled false", QVariantMap{{u"Disabled"_s, false}}, u"job"_s, u"—"_s, true},
        {"not a dictionary", QVariantList{u"a"_s}, std::nullopt, QString(), true},
    };
    for (const auto& c : cases) {
        const auto item = OptimizationService::launchItem(u"/L/job.plist"_s, c.plist, u"Système"_s);
        ASSERT_EQ(item.has_value(), c.label.has_value()) << c.name;
        if (!item)
            continue;
        EXPECT_EQ(item->label, *c.label) << c.name;
        EXPECT_EQ(item->program, c.program) << c.name;
        EXPECT_EQ(item->icon, c.program) << c.name;
        EXPECT_EQ(item->isEnabled, c.enabled) << c.name;
        EXPECT_EQ(item->url, u"/L/job.plist"_s);
        EXPECT_EQ(item->scope, u"Système"_s);
    }
}

// Three folders with every entry a folder may hold, and the running applications given.
TEST(LaunchItems, readsTheFoldersSkipsWhatIsNoPropertyListAddsAccessoriesOnceAndSortsByLabel)
{
    const TempTree tree;
    const QString user = tree.path(u"user"_s);
    const QString agents = tree.path(u"agents"_s);
    const QString daemons = tree.path(u"daemons"_s);
    writePlist(user + u"/gamma.plist"_s, {{u"Label"_s, u"gamma"_s}, {u"Program"_s, u"/bin/g"_s}});
    writePlist(user + u"/binary.plist"_s, {{u"Label"_s, u"Beta"_s}}, Platform::PropertyList::Format::Binary);
    writePlist(user + u"/upper.PLIST"_s, {{u"Label"_s, u"upper"_s}});
    writePlist(user + u"/old.plist.bak"_s, {{u"Label"_s, u"old"_s}});
    writeFile(user + u"/notes.txt"_s, "alpha");
    writeFile(user + u"/damaged.plist"_s, "<?xml version=\"1.0\"?><plist><dict><key>Label</key>");
    writeFile(user + u"/list.plist"_s, Platform::PropertyList::serialize(QVariantList{u"a"_s}).value());
    ASSERT_TRUE(QDir().mkpath(user + u"/folder.plist"_s));
    ASSERT_EQ(::mkfifo(QFile::encodeName(user + u"/pipe.plist"_s).constData(), 0600), 0);
    writePlist(agents + u"/alpha.plist"_s, {{u"Label"_s, u"alpha"_s}});
    writePlist(tree.path(u"elsewhere/target.plist"_s), {{u"Label"_s, u"Lien « cité »\n"_s}});
    ASSERT_TRUE(QFile::link(tree.path(u"elsewhere/target.plist"_s), agents + u"/link.plist"_s));
    ASSERT_TRUE(QFile::link(tree.path(u"nowhere.plist"_s), agents + u"/dangling.plist"_s));
    writePlist(daemons + u"/Menu.plist"_s, {{u"Label"_s, u"Menu"_s}});
    // A folder that does not exist gives nothing.
    const QList<OptimizationService::LaunchFolder> folders{{user, u"Cet utilisateur"_s},
                                                           {tree.path(u"missing"_s), u"Tous les utilisateurs"_s},
                                                           {agents, u"Tous les utilisateurs"_s},
                                                           {daemons, u"Système"_s}};
    using Platform::ActivationPolicy;
    const QList<Platform::RunningApplication> apps{
        running(10, u"/A/Menu.app"_s, u"Menu"_s, ActivationPolicy::accessory),
        running(11, u"/A/Barre.app"_s, u"barre"_s, ActivationPolicy::accessory),
        running(12, u"/A/Barre.app"_s, u"barre"_s, ActivationPolicy::accessory),
        running(13, u"/A/Dock.app"_s, u"Dock"_s, ActivationPolicy::regular),
        running(14, u"/A/Fond.app"_s, u"Fond"_s, ActivationPolicy::prohibited),
        running(15, QString(), u"Sans"_s, ActivationPolicy::accessory),
        running(16, u"/A/Vide.app"_s, QString(), ActivationPolicy::accessory),
    };

    const QList<LaunchItem> items = OptimizationService::launchItems(folders, apps);
    EXPECT_EQ(labelsOf(items),
              (QStringList{u"alpha"_s, u"barre"_s, u"Beta"_s, u"gamma"_s, u"Lien « cité »\n"_s, u"Menu"_s}));
    QSet<QUuid> ids;
    for (const LaunchItem& item : items)
        ids.insert(item.id);
    EXPECT_EQ(ids.size(), items.size());
    const auto named = [&](const QString& label) {
        return *std::find_if(items.cbegin(), items.cend(), [&](const LaunchItem& item) { return item.label == label; });
    };
    EXPECT_EQ(named(u"gamma"_s).scope, u"Cet utilisateur"_s);
    EXPECT_EQ(named(u"alpha"_s).scope, u"Tous les utilisateurs"_s);
    // The link is listed at its own place.
    EXPECT_EQ(named(u"Lien « cité »\n"_s).url, agents + u"/link.plist"_s);
    // The daemon named like a running accessory keeps the name; the accessory is not listed again.
    EXPECT_EQ(named(u"Menu"_s).scope, u"Système"_s);
    const LaunchItem barre = named(u"barre"_s);
    EXPECT_EQ(barre.scope, u"Élément d'ouverture"_s);
    EXPECT_EQ(barre.url, u"/A/Barre.app"_s);
    EXPECT_EQ(barre.program, u"/A/Barre.app"_s);
    EXPECT_EQ(barre.icon, u"/A/Barre.app"_s);
    EXPECT_TRUE(barre.isEnabled);
}

TEST(LaunchItems, equalLabelsKeepTheOrderInWhichTheyWereCollected)
{
    const TempTree tree;
    writePlist(tree.path(u"a/one.plist"_s), {{u"Label"_s, u"Même"_s}});
    writePlist(tree.path(u"b/two.plist"_s), {{u"Label"_s, u"même"_s}});
    writePlist(tree.path(u"b/three.plist"_s), {{u"Label"_s, u"Émile"_s}});
    const QList<LaunchItem> items =
        OptimizationService::launchItems({{tree.path(u"a"_s), u"Cet utilisateur"_s}, {tree.path(u"b"_s), u"Système"_s}},
                                         {running(1, u"/A/M.app"_s, u"MÊME"_s, Platform::ActivationPolicy::accessory)});
    EXPECT_EQ(labelsOf(items), (QStringList{u"Émile"_s, u"Même"_s, u"même"_s, u"MÊME"_s}));
    EXPECT_EQ(items[1].scope, u"Cet utilisateur"_s);
}

TEST(LaunchItems, theUserFolderIsTheHomeLibraryAndTheOthersLieUnderTheSystemRoot)
{
    const TestSupport::ScopedEnvironment root("QUORVANE_ROOT", u"/srv/mac"_s);
    const TestSupport::ScopedEnvironment home("HOME", u"/srv/mac/Users/demo"_s);
    const auto folders = OptimizationService::launchFolders();
    ASSERT_EQ(folders.size(), 3);
    EXPECT_EQ(folders[0].path, u"/srv/mac/Users/demo/Library/LaunchAgents"_s);
    EXPECT_EQ(folders[1].path, u"/srv/mac/Library/LaunchAgents"_s);
    EXPECT_EQ(folders[2].path, u"/srv/mac/Library/LaunchDaemons"_s);
    EXPECT_EQ(folders[2].scope, u"Système"_s);
}

TEST(HeavyApps, rowsOfTheToolAreReadLineByLine)
{
    const std::vector<ProcessRow> rows = OptimizationService::processRows(fixture("ps-axo.txt"));
    QStringList names;
    for (const ProcessRow& row : rows)
        names << row.name;
    // No bundle, a figure that is text, a size that overflows once in bytes and a short line are skipped.
    EXPECT_EQ(names, (QStringList{u"Foo"_s, u"Foo"_s, u"Foo"_s, u"Inner"_s, u"Outer"_s, u"My Editor"_s, u"Signed"_s,
                                  u"Outer"_s, u"Caf\uFFFD"_s, u"Ok"_s}));
    EXPECT_EQ(rows[0], (ProcessRow{312, 12.5, 20480 * 1024, u"/Applications/Foo.app"_s, u"Foo"_s}));
    // The nested application counts under its own name; runs of spaces come back single.
    EXPECT_EQ(rows[3].bundlePath, u"/Applications/Outer.app/Contents/Frameworks/Inner.app"_s);
    EXPECT_EQ(rows[5].bundlePath, u"/Users/demo/Applications/My Editor.app"_s);
    EXPECT_EQ(rows[6].memory, 8 * 1024);
    EXPECT_DOUBLE_EQ(rows[6].cpu, 1.0);

    EXPECT_TRUE(OptimizationService::processRows(QString()).empty());
    EXPECT_TRUE(OptimizationService::processRows(u"ps: illegal option -- x\nusage: ps\n"_s).empty());
}

TEST(HeavyApps, processesOfOneNameAreSummedAndTheLargestComeFirst)
{
    const QList<HeavyApp> apps =
        OptimizationService::mergeHeavyApps(OptimizationService::processRows(fixture("ps-axo.txt")));
    QStringList names;
    for (const HeavyApp& app : apps)
        names << app.name;
    EXPECT_EQ(names,
              (QStringList{u"Outer"_s, u"My Editor"_s, u"Inner"_s, u"Foo"_s, u"Caf\uFFFD"_s, u"Ok"_s, u"Signed"_s}));
    // One name in two folders is one application, known by its first row's pid and bundle.
    EXPECT_EQ(apps[0].pid, 401);
    EXPECT_DOUBLE_EQ(apps[0].cpu, 42.0);
    EXPECT_EQ(apps[0].memory, 61440LL * 1024);
    EXPECT_EQ(apps[0].bundlePath, u"/Applications/Outer.app"_s);
    EXPECT_EQ(apps[0].icon, u"/Applications/Outer.app"_s);
    // A main process and two auxiliary ones.
    EXPECT_EQ(apps[3].pid, 312);
    EXPECT_DOUBLE_EQ(apps[3].cpu, 14.5);
    EXPECT_EQ(apps[3].memory, (20480LL + 10240 + 4096) * 1024);

    // Equal memory keeps the listing order; sums stop at the 64-bit limit.
    const qint64 max = std::numeric_limits<qint64>::max();
    const QList<HeavyApp> even = OptimizationService::mergeHeavyApps({{1, 0, 100, u"/B.app"_s, u"B"_s},
                                                                      {2, 0, 100, u"/A.app"_s, u"A"_s},
                                                                      {3, 0, max - 10, u"/C.app"_s, u"C"_s},
                                                                      {4, 0, 100, u"/C.app"_s, u"C"_s}});
    ASSERT_EQ(even.size(), 3);
    EXPECT_EQ(even[0].memory, max);
    EXPECT_EQ(even[1].name, u"B"_s);
    EXPECT_EQ(even[2].name, u"A"_s);
    EXPECT_TRUE(OptimizationService::mergeHeavyApps({}).isEmpty());
}
