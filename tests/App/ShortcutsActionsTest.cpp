#include "App/ShortcutsActions.h"

#include "LatchedScanner.h"
#include "Sandbox.h"
#include "ScopedEnvironment.h"
#include "TestServices.h"
#include "WaitFor.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using Shortcuts::Action;
using Shortcuts::Request;

namespace {

// Services whose scanner returns `groups` for whichever module is asked, and records the module.
Shortcuts::Services scanning(QList<ScanGroup> groups, std::optional<ModuleID>* asked = nullptr)
{
    Shortcuts::Services services;
    services.scanner = [groups, asked](ModuleID module) -> std::optional<ScannerPtr> {
        if (asked != nullptr)
            *asked = module;
        auto scanner = std::make_shared<TestSupport::LatchedScanner>(module);
        scanner->control()->groups = groups;
        scanner->control()->release();
        return scanner;
    };
    return services;
}

ScanGroup group(QList<ScanItem> items)
{
    ScanGroup result;
    result.items = std::move(items);
    return result;
}

} // namespace

TEST(ScanCategory, rawValuesAreExactAndMapToModulesOfTheSameName)
{
    for (const Shortcuts::CategoryDisplay& entry : Shortcuts::categories()) {
        EXPECT_EQ(Shortcuts::fromRaw(entry.raw), entry.category);
        EXPECT_EQ(Shortcuts::toRaw(entry.category), entry.raw);
        EXPECT_EQ(toRaw(Shortcuts::moduleID(entry.category)), entry.raw);
        EXPECT_EQ(title(Shortcuts::moduleID(entry.category)), entry.title);
    }
    EXPECT_EQ(Shortcuts::moduleID(ScanCategory::leftovers), ModuleID::leftovers);
    EXPECT_NE(static_cast<int>(ScanCategory::leftovers), static_cast<int>(ModuleID::leftovers));
    for (const QString& raw : {u"RAW"_s, u"SystemJunk"_s, u"systemjunk"_s, u""_s, u"uninstaller"_s, u" smartScan"_s})
        EXPECT_EQ(Shortcuts::fromRaw(raw), std::nullopt) << raw.toStdString();
}

TEST(ShortcutsActions, analyseCountsEveryItemOfEveryGroupSelectedOrNot)
{
    std::optional<ModuleID> asked;
    const Shortcuts::Services services = scanning({group({TestSupport::scanItem(u"/a"_s, true, 10 * 1048576)}),
                                                   group({TestSupport::scanItem(u"/b"_s, false, 5 * 1048576)})},
                                                  &asked);
    const Shortcuts::NumberAnswer answer = Shortcuts::analyse(ScanCategory::leftovers, services);
    EXPECT_EQ(asked, ModuleID::leftovers);
    EXPECT_EQ(answer.value, 15.0);
    EXPECT_EQ(answer.dialog, u"15,7 Mo à examiner dans «\u00A0Résidus d'apps disparues\u00A0»."_s);
}

TEST(ShortcutsActions, analyseAnswersByTheByteTotal)
{
    const struct {
        qint64 bytes;
        QString dialog;
        double value;
    } cases[] = {
        {0, u"Rien à récupérer dans «\u00A0Doublons\u00A0»."_s, 0},
        {1, u"1 Ko à examiner dans «\u00A0Doublons\u00A0»."_s, 0},
        {262144, u"262 Ko à examiner dans «\u00A0Doublons\u00A0»."_s, 0.3},
        {-5, u"Rien à récupérer dans «\u00A0Doublons\u00A0»."_s, 0},
    };
    for (const auto& c : cases) {
        const QList<ScanGroup> groups =
            c.bytes == 0 ? QList<ScanGroup>{} : QList{group({TestSupport::scanItem(u"/x"_s, true, c.bytes)})};
        const Shortcuts::NumberAnswer answer = Shortcuts::analyse(ScanCategory::duplicates, scanning(groups));
        EXPECT_EQ(answer.dialog, c.dialog) << c.bytes;
        EXPECT_EQ(answer.value, c.value) << c.bytes;
    }
}

TEST(ShortcutsActions, xcodeJunkGoesThroughTheDeveloperInventory)
{
    Shortcuts::Services services = scanning({group({TestSupport::scanItem(u"/x"_s, true, 999)})});
    EXPECT_EQ(Shortcuts::analyse(ScanCategory::xcodeJunk, services).dialog,
              u"Rien à récupérer dans «\u00A0Xcode et simulateurs\u00A0»."_s);
    services.xcodeJunkBytes = [] { return qint64(3) * 1048576; };
    const Shortcuts::NumberAnswer answer = Shortcuts::analyse(ScanCategory::xcodeJunk, services);
    EXPECT_EQ(answer.value, 3.0);
    EXPECT_EQ(answer.dialog, u"3,1 Mo à examiner dans «\u00A0Xcode et simulateurs\u00A0»."_s);
}

TEST(ShortcutsActions, diagnoseSpeaksTheFirstFindingAndReturnsThemAll)
{
    Shortcuts::Services services;
    const Shortcuts::TextAnswer none = Shortcuts::diagnose(services);
    EXPECT_EQ(none.dialog, u"Rien d'anormal détecté."_s);
    EXPECT_EQ(none.value, QString());
    services.diagnose = [] {
        return QList<Shortcuts::Finding>{{u"A"_s, u"un"_s}, {u"B"_s, u"deux"_s}, {u"C"_s, u"trois"_s}};
    };
    const Shortcuts::TextAnswer three = Shortcuts::diagnose(services);
    EXPECT_EQ(three.dialog, u"A — un"_s);
    EXPECT_EQ(three.value, u"A — un\nB — deux\nC — trois"_s);
}

TEST(ShortcutsActions, freeSpaceTruncatesThePercentageAndRefusesAnUnreadableDisk)
{
    const struct {
        SystemInfo::Disk disk;
        QString dialog;
        double value;
    } cases[] = {
        {{1000, 336}, u"1 Ko libres, soit 33 % du disque."_s, 0},
        {{1000, 0}, u"0 Ko libres, soit 0 % du disque."_s, 0},
        {{1000, 2000}, u"2 Ko libres, soit 100 % du disque."_s, 0},
        {{0, 0}, u"Impossible de lire le disque de démarrage."_s, 0},
        {{0, 5000}, u"Impossible de lire le disque de démarrage."_s, 0},
        {{qint64(500) * 1048576, qint64(100) * 1048576 + 52429}, u"104,9 Mo libres, soit 20 % du disque."_s, 100.1},
    };
    for (const auto& c : cases) {
        Shortcuts::Services services;
        services.startupDisk = [disk = c.disk] { return disk; };
        const Shortcuts::NumberAnswer answer = Shortcuts::freeSpace(services);
        EXPECT_EQ(answer.dialog, c.dialog) << c.disk.total << ' ' << c.disk.free;
        EXPECT_EQ(answer.value, c.value) << c.disk.total << ' ' << c.disk.free;
    }
}

TEST(ShortcutsActions, theCommandLineTakesOneWellFormedRequest)
{
    const auto parse = [](const QString& line) {
        return Shortcuts::parseArguments(line.split(u' ', Qt::SkipEmptyParts));
    };
    const std::optional<Request> analyse =
        parse(u"--action analyse --category RAW"_s.replace(u"RAW"_s, u"leftovers"_s));
    ASSERT_TRUE(analyse);
    EXPECT_EQ(analyse->action, Action::analyse);
    EXPECT_EQ(analyse->category, ScanCategory::leftovers);
    ASSERT_TRUE(parse(u"--category duplicates --action open"_s));
    EXPECT_EQ(parse(u"--action free-space"_s)->action, Action::freeSpace);
    EXPECT_EQ(parse(u"--action diagnose"_s)->action, Action::diagnose);
    for (const QString& bad :
         {u"--action"_s, u"--action nettoyer"_s, u"--action analyse"_s, u"--action analyse --category SystemJunk"_s,
          u"--action analyse --category RAW"_s, u"--action analyse --category trashBins --category privacy"_s,
          u"--action diagnose --action diagnose"_s, u"--action free-space --category systemJunk"_s,
          u"--action free-space extra"_s, u"--action open --category smartScan --verbose x"_s, u"--category privacy"_s})
        EXPECT_EQ(parse(bad), std::nullopt) << bad.toStdString();
    EXPECT_FALSE(Shortcuts::asksForAction({}));
    EXPECT_TRUE(Shortcuts::asksForAction({u"--category"_s}));
}

TEST(ShortcutsActions, theUsageTextShowsTheMetadata)
{
    const QString usage = Shortcuts::usage();
    for (const QString& expected :
         {u"Analyser une catégorie"_s, u"Analyser catégorie"_s, u"Diagnostiquer le Mac"_s, u"Espace disque libre"_s,
          u"Ouvrir une catégorie"_s, u"Les données restées derrière des apps que vous n'avez plus."_s,
          u"Combien de place me reste-t-il avec Quorvane Pro"_s, u"Diagnostiquer : "_s})
        EXPECT_TRUE(usage.contains(expected)) << expected.toStdString();
    // The symbols are the Shortcuts app's business: their names mean nothing on a command line.
    for (const QString& symbol : {u"folder.badge.questionmark"_s, u"stethoscope"_s, u"[sparkles]"_s})
        EXPECT_FALSE(usage.contains(symbol)) << symbol.toStdString();
}

namespace {

// The demonstration Mac, laid out once for the tests of the real executable.
QString demoMac()
{
    static const QString root = [] {
        const QString folder = TestSupport::temporary() + u"/demo-mac"_s;
        QProcess script;
        script.start(u"bash"_s, {QStringLiteral(QP_SOURCE_DIR "/scripts/make-demo-mac.sh"), folder});
        EXPECT_TRUE(script.waitForFinished(TestSupport::waitBound));
        EXPECT_EQ(script.exitCode(), 0) << script.readAllStandardError().toStdString();
        return folder;
    }();
    return root;
}

struct ProcessAnswer {
    int exitCode = -1;
    QString out;
    QString err;
};

// The executable on the demonstration Mac, as a copy outside the test runner would start, with no display
// it could open: making any GUI object would end it at once. Its runtime folder must stay empty (no
// single-instance socket).
ProcessAnswer runAction(const QStringList& arguments, const QProcessEnvironment& extra = {})
{
    const QString runtime = TestSupport::temporary() + u"/runtime-actions"_s;
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(u"XCTestConfigurationFilePath"_s);
    environment.remove(u"DISPLAY"_s);
    environment.remove(u"WAYLAND_DISPLAY"_s);
    environment.insert(u"QT_QPA_PLATFORM"_s, u"no-display-here"_s);
    environment.insert(u"XDG_RUNTIME_DIR"_s, runtime);
    environment.insert(u"QUORVANE_ROOT"_s, demoMac());
    environment.insert(u"HOME"_s, demoMac() + u"/Users/demo"_s);
    environment.insert(u"TMPDIR"_s, demoMac() + u"/private/var/folders/qp/T"_s);
    environment.insert(extra);
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(QP_APPLICATION), arguments);
    EXPECT_TRUE(process.waitForFinished(TestSupport::waitBound));
    EXPECT_TRUE(QDir(runtime).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System | QDir::Hidden));
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

} // namespace

TEST(ShortcutsExecutable, answersTheActionsOnTheDemonstrationMacWithoutAWindow)
{
    const ProcessAnswer freeSpace = runAction({u"--action"_s, u"free-space"_s});
    EXPECT_EQ(freeSpace.exitCode, 0) << freeSpace.err.toStdString();
    EXPECT_TRUE(QRegularExpression(u"^[0-9][0-9 ,]* [KMGT]o libres, soit [0-9]+ % du disque\\.\\n[0-9]+\\.[0-9]\\n$"_s)
                    .match(freeSpace.out)
                    .hasMatch())
        << freeSpace.out.toStdString();

    // The same scan in this process gives the same answer, byte for byte.
    const ProcessAnswer analyse = runAction({u"--action"_s, u"analyse"_s, u"--category"_s, u"systemJunk"_s});
    EXPECT_EQ(analyse.exitCode, 0) << analyse.err.toStdString();
    {
        const TestSupport::ScopedEnvironment root("QUORVANE_ROOT", demoMac());
        const TestSupport::ScopedEnvironment home("HOME", demoMac() + u"/Users/demo"_s);
        const TestSupport::ScopedEnvironment tmp("TMPDIR", demoMac() + u"/private/var/folders/qp/T"_s);
        const TestSupport::TestServices kit;
        const Shortcuts::NumberAnswer expected =
            Shortcuts::analyse(ScanCategory::systemJunk, Shortcuts::Services::standard(kit.exclusions));
        EXPECT_TRUE(expected.dialog.endsWith(u" à examiner dans «\u00A0Fichiers système\u00A0»."_s))
            << expected.dialog.toStdString();
        EXPECT_EQ(analyse.out, expected.dialog + u'\n' + QString::number(expected.value, 'f', 1) + u'\n');
    }

    const ProcessAnswer diagnose = runAction({u"--action"_s, u"diagnose"_s});
    EXPECT_EQ(diagnose.exitCode, 0) << diagnose.err.toStdString();
    EXPECT_FALSE(diagnose.out.section(u'\n', 0, 0).isEmpty());

    // The answer comes from the health probes of that Mac's tools; with no service listed by launchctl
    // nothing can restart, so there is no respawn finding and no wait for a second listing.
    QFile loaded(demoMac() + u"/private/var/db/launchd/loaded"_s);
    ASSERT_TRUE(loaded.open(QIODevice::WriteOnly | QIODevice::Truncate));
    loaded.close();
    QProcessEnvironment serious;
    serious.insert(u"QUORVANE_DIAGNOSIS"_s, u"serious"_s);
    const ProcessAnswer findings = runAction({u"--action"_s, u"diagnose"_s}, serious);
    EXPECT_EQ(findings.exitCode, 0) << findings.err.toStdString();
    const QStringList lines = findings.out.split(u'\n');
    ASSERT_EQ(lines.size(), 5) << findings.out.toStdString();
    EXPECT_TRUE(lines[0].startsWith(u"La mémoire vive ne suffit pas — "_s)) << lines[0].toStdString();
    EXPECT_EQ(lines[1], lines[0]);
    EXPECT_EQ(lines[2], u"Le processeur est bridé par la chaleur — Vitesse limitée à 55 % de la puissance nominale."_s);
    EXPECT_TRUE(lines[3].startsWith(u"L'indexation Spotlight est désactivée — "_s)) << lines[3].toStdString();
    EXPECT_EQ(lines[4], QString());
}

TEST(ShortcutsExecutable, refusesBadInputWithTheFrenchUsage)
{
    const QStringList cases[] = {
        {u"--action"_s, u"nettoyer"_s},
        {u"--action"_s, u"analyse"_s},
        {u"--action"_s, u"analyse"_s, u"--category"_s, u"SystemJunk"_s},
        {u"--action"_s, u"analyse"_s, u"--category"_s, u"privacy"_s, u"--category"_s, u"privacy"_s},
        {u"--action"_s, u"free-space"_s, u"encore"_s},
        {u"--category"_s, u"privacy"_s},
    };
    for (const QStringList& arguments : cases) {
        const ProcessAnswer run = runAction(arguments);
        EXPECT_NE(run.exitCode, 0) << arguments.join(u' ').toStdString();
        EXPECT_TRUE(run.out.isEmpty());
        EXPECT_TRUE(run.err.startsWith(u"Utilisation : "_s)) << run.err.toStdString();
    }
}
