#include "Core/SafetyNet.h"
#include "Core/SnapshotService.h"

#include "Core/ProcessRunner.h"
#include "Platform/SystemRoot.h"
#include "Sandbox.h"
#include "ScopedEnvironment.h"
#include "TempTree.h"
#include "WaitFor.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

#include <fcntl.h>
#include <stdio.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using SafetyNet::Failure;
using SafetyNet::ItemFailure;
using SafetyNet::Outcome;
using TestSupport::contentOf;
using TestSupport::exists;

namespace {

void write(const QString& path, const QByteArray& content, QFile::Permissions permissions = {})
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(content);
    file.close();
    if (permissions)
        file.setPermissions(permissions);
}

// A home on the demonstration Mac, a snapshot of its Library taken by the tmutil stand-in, and a folder
// outside the home that nothing may touch.
class SnapshotRestore : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TestSupport::installStandIns();
        QDir().mkpath(TestSupport::systemRoot() + u"/private/tmp"_s);
        m_home = TestSupport::systemRoot() + u"/Users/demo"_s;
        QDir().mkpath(m_home + u"/Library/Caches"_s);
        m_homeEnv.emplace("HOME", m_home);
        m_outside = TestSupport::sandbox() + u"/outside"_s;
        QDir().mkpath(m_outside);
        write(m_outside + u"/keep.txt"_s, "mine");
    }
    void TearDown() override { qunsetenv("QUORVANE_OSASCRIPT_CANCEL"); }

    QString cache(const QString& relative) const { return m_home + u"/Library/Caches/"_s + relative; }

    QString takeSnapshot()
    {
        const auto result = OptimizationService::run(u"/usr/bin/tmutil"_s, {u"localsnapshot"_s}, true);
        EXPECT_EQ(result.status, 0);
        static const QRegularExpression stamp(u"\\d{4}-\\d{2}-\\d{2}-\\d{6}"_s);
        return stamp.match(result.output).captured();
    }

    QStringList workFolders() const
    {
        return QDir(TestSupport::systemRoot() + u"/private/tmp"_s).entryList({u"quorvanepro-restore-*"_s});
    }

    static Outcome outcomeOf(const SafetyNet::Result& result)
    {
        EXPECT_TRUE(std::holds_alternative<Outcome>(result))
            << std::get<Failure>(result).errorDescription().toStdString();
        return std::holds_alternative<Outcome>(result) ? std::get<Outcome>(result) : Outcome{};
    }

    QString m_home;
    QString m_outside;
    std::optional<TestSupport::ScopedEnvironment> m_homeEnv;
};

} // namespace

TEST_F(SnapshotRestore, bringsItemsBackThroughThePromptWithTheirModesWhateverTheirNames)
{
    const QString odd = cache(u"l'été 2 \"x\"/données d'été.bin"_s);
    const QString folder = cache(u"Dossier à garder"_s);
    write(odd, "payload", QFile::ReadOwner | QFile::WriteOwner);
    write(folder + u"/a/b.txt"_s, "tree");
    const QString stamp = takeSnapshot();
    ASSERT_FALSE(stamp.isEmpty());
    QDir(cache(u"l'été 2 \"x\""_s)).removeRecursively();
    QDir(folder).removeRecursively();

    const QString missing = cache(u"never-there.bin"_s);
    const Outcome outcome = outcomeOf(SafetyNet::restore({odd, missing, folder}, stamp));
    EXPECT_EQ(outcome.restored, (QStringList{odd, folder}));
    EXPECT_EQ(outcome.failures, (QList<ItemFailure>{{missing, u"absent de l instantané"_s}}));
    EXPECT_EQ(contentOf(odd), "payload");
    struct stat status {
    };
    ASSERT_EQ(::stat(QFile::encodeName(odd).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
    EXPECT_EQ(contentOf(folder + u"/a/b.txt"_s), "tree");
    // The parent made for the item belongs to the user, and the work folder is gone.
    EXPECT_EQ(QFileInfo(cache(u"l'été 2 \"x\""_s)).ownerId(), ::getuid());
    EXPECT_TRUE(workFolders().isEmpty());
}

TEST_F(SnapshotRestore, neverWritesOverAPlaceTakenAgainNorThroughALinkNorOutsideTheMac)
{
    write(cache(u"refilled.bin"_s), "old");
    write(cache(u"linked/item.bin"_s), "old");
    const QString stamp = takeSnapshot();
    write(cache(u"refilled.bin"_s), "newer"); // filled again since the cleaning
    QDir(cache(u"linked"_s)).removeRecursively();
    ASSERT_EQ(::symlink(QFile::encodeName(m_outside).constData(), QFile::encodeName(cache(u"linked"_s)).constData()),
              0);

    const QString dotted = cache(u"x/../refilled.bin"_s);
    const QString outsideMac = m_outside + u"/keep.txt"_s;
    const QString withNewline = cache(u"a\nb"_s);
    const Outcome outcome = outcomeOf(SafetyNet::restore(
        {cache(u"refilled.bin"_s), cache(u"linked/item.bin"_s), dotted, outsideMac, withNewline}, stamp));
    EXPECT_TRUE(outcome.restored.isEmpty());
    EXPECT_EQ(outcome.failures, (QList<ItemFailure>{{dotted, u"chemin refusé"_s},
                                                    {outsideMac, u"chemin refusé"_s},
                                                    {withNewline, u"chemin refusé"_s},
                                                    {cache(u"refilled.bin"_s), u"déjà présent"_s},
                                                    {cache(u"linked/item.bin"_s), u"chemin refusé"_s}}));
    EXPECT_EQ(contentOf(cache(u"refilled.bin"_s)), "newer");
    EXPECT_EQ(QDir(m_outside).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList{u"keep.txt"_s});
    EXPECT_FALSE(exists(cache(u"x"_s)));
}

TEST_F(SnapshotRestore, failsAsAWholeWithOneFrenchLine)
{
    write(cache(u"a.bin"_s), "a");
    const QString stamp = takeSnapshot();
    QFile::remove(cache(u"a.bin"_s));

    // Nothing asked: nothing listed, nothing prompted.
    {
        const TestSupport::ScopedEnvironment failing("QUORVANE_TMUTIL_FAIL", u"1"_s);
        EXPECT_EQ(outcomeOf(SafetyNet::restore({}, stamp)), Outcome{});
        const auto gone = SafetyNet::restore({cache(u"a.bin"_s)}, stamp);
        ASSERT_TRUE(std::holds_alternative<Failure>(gone));
        EXPECT_TRUE(std::get<Failure>(gone).errorDescription().startsWith(u"L'instantané du "_s + stamp +
                                                                          u" n'existe plus : macOS l'a effacé"_s));
    }
    {
        const TestSupport::ScopedEnvironment cancel("QUORVANE_OSASCRIPT_CANCEL", u"1"_s);
        const auto dismissed = SafetyNet::restore({cache(u"a.bin"_s)}, stamp);
        ASSERT_TRUE(std::holds_alternative<Failure>(dismissed));
        EXPECT_EQ(std::get<Failure>(dismissed).errorDescription(), u"Annulé."_s);
    }
    // Listed, but its content gone: the mount fails and the script stops before any item.
    QDir(TestSupport::systemRoot() + u"/private/var/db/fake-snapshots/"_s + SafetyNet::snapshotName(stamp))
        .removeRecursively();
    const auto unmountable = SafetyNet::restore({cache(u"a.bin"_s)}, stamp);
    ASSERT_TRUE(std::holds_alternative<Failure>(unmountable));
    EXPECT_EQ(std::get<Failure>(unmountable).errorDescription(), u"Montage de l'instantané impossible."_s);
    EXPECT_FALSE(exists(cache(u"a.bin"_s)));
    EXPECT_TRUE(workFolders().isEmpty());
    EXPECT_EQ(Failure({Failure::Kind::preparationFailed, u"disque plein"_s}).errorDescription(),
              u"Préparation de la restauration impossible : disque plein"_s);
}

TEST_F(SnapshotRestore, theScriptIsCommandTextAndRefusesAWorkFolderAlreadyThere)
{
    write(cache(u"a.bin"_s), "a");
    const QString stamp = takeSnapshot();
    QFile::remove(cache(u"a.bin"_s));
    QString command;
    const auto recorded = SafetyNet::restore({cache(u"a.bin"_s)}, stamp, [&](const QString& text) {
        command = text;
        // Someone plants the work folder before root makes it: the script stops, touching nothing there.
        const QString planted = QRegularExpression(u"quorvanepro-restore-[0-9A-F-]{36}"_s).match(text).captured();
        write(TestSupport::systemRoot() + u"/private/tmp/"_s + planted + u"/theirs.txt"_s, "theirs");
        return OptimizationService::runAsAdministrator(text);
    });
    EXPECT_TRUE(command.startsWith(u"/bin/sh -c '#!/bin/sh\n"_s));
    ASSERT_TRUE(std::holds_alternative<Failure>(recorded));
    EXPECT_EQ(std::get<Failure>(recorded).errorDescription(),
              u"Dossier de travail déjà présent : restauration arrêtée."_s);
    EXPECT_FALSE(exists(cache(u"a.bin"_s)));
    ASSERT_EQ(workFolders().size(), 1); // what was planted is not ours to remove
    EXPECT_EQ(contentOf(TestSupport::systemRoot() + u"/private/tmp/"_s + workFolders().first() + u"/theirs.txt"_s),
              "theirs");
}

TEST_F(SnapshotRestore, neverWritesThroughAFolderSwappedForALinkDuringTheRestore)
{
    const QString folder = cache(u"swapped"_s);
    const QStringList names{u"a.bin"_s, u"b.bin"_s, u"c.bin"_s};
    QStringList items;
    for (const QString& name : names) {
        items << folder + u'/' + name;
        write(items.last(), name.toUtf8());
    }
    const QString stamp = takeSnapshot();
    const QString link = cache(u"swapped-link"_s);
    ASSERT_EQ(::symlink(QFile::encodeName(m_outside).constData(), QFile::encodeName(link).constData()), 0);

    // Another process of the user exchanges the folder and a link to the outside every few milliseconds.
    const QStringList planted = workFolders(); // by an earlier test: not ours to remove
    int reportedAway = 0;
    for (int round = 0; round < 50; ++round) {
        for (const QString& item : items)
            QFile::remove(item);
        std::atomic<bool> stop = false;
        bool exchanged = false;
        std::thread swapper([&] {
            while (!stop) {
                if (::renameat2(AT_FDCWD, QFile::encodeName(folder).constData(), AT_FDCWD,
                                QFile::encodeName(link).constData(), RENAME_EXCHANGE) == 0)
                    exchanged = !exchanged;
                std::this_thread::sleep_for(std::chrono::milliseconds(1 + round % 3));
            }
        });
        const Outcome outcome = outcomeOf(SafetyNet::restore(items, stamp));
        stop = true;
        swapper.join();
        if (exchanged) {
            ASSERT_EQ(::renameat2(AT_FDCWD, QFile::encodeName(folder).constData(), AT_FDCWD,
                                  QFile::encodeName(link).constData(), RENAME_EXCHANGE),
                      0);
        }
        ASSERT_EQ(QDir(m_outside).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden),
                  QStringList{u"keep.txt"_s})
            << "round " << round;
        EXPECT_EQ(outcome.restored.size() + outcome.failures.size(), items.size());
        for (const QString& restored : outcome.restored) {
            if (contentOf(restored) != restored.section(u'/', -1).toUtf8())
                ++reportedAway;
        }
        EXPECT_EQ(workFolders(), planted);
    }
    EXPECT_EQ(reportedAway, 0);
}

// A session whose script is several times what one argument may carry (a system-junk cleaning of long
// names): one prompt's pieces, each well under the limit, and one report.
TEST_F(SnapshotRestore, restoresALargeSessionInPiecesThatEachFitOneArgument)
{
    constexpr int kFiles = 5000;
    QStringList items;
    for (int i = 0; i < kFiles; ++i)
        items << cache(u"session/dossier %1/fichier numéro %2 d'une longue session de nettoyage des caches, "
                       u"gardé dans l'instantané pour être remis en place.bin"_s.arg(i % 7)
                           .arg(i));
    for (const QString& item : items)
        write(item, "x");
    const QStringList planted = workFolders(); // by an earlier test: not ours to remove
    const QString stamp = takeSnapshot();
    QDir(cache(u"session"_s)).removeRecursively();

    qsizetype calls = 0;
    qsizetype longest = 0;
    qsizetype total = 0;
    const Outcome outcome = outcomeOf(SafetyNet::restore(items, stamp, [&](const QString& command) {
        ++calls;
        const qsizetype size = OptimizationService::appleScriptEscaped(command).toUtf8().size();
        longest = std::max(longest, size);
        total += size;
        return OptimizationService::runAsAdministrator(command);
    }));
    EXPECT_GT(total, 4 * 128 * 1024);
    EXPECT_LT(longest, 64 * 1024);
    EXPECT_GT(calls, 6);
    EXPECT_TRUE(outcome.failures.isEmpty());
    EXPECT_EQ(outcome.restored.size(), kFiles);
    EXPECT_EQ(QSet<QString>(outcome.restored.begin(), outcome.restored.end()),
              QSet<QString>(items.begin(), items.end()));
    EXPECT_EQ(contentOf(items.last()), "x");
    EXPECT_EQ(workFolders(), planted);
    QDir(cache(u"session"_s)).removeRecursively(); // later snapshots stay small
}

// The files of one folder go back with one copy, whatever their names; a folder and a link among them are
// copied alone, so that nothing of the folder is merged beside its items. When that one copy fails midway,
// each of its files is copied again alone.
TEST_F(SnapshotRestore, putsAFoldersFilesBackWithOneCopyAndEachAloneWhenThatCopyFails)
{
    const QString first = cache(u"lot"_s);
    const QString second = cache(u"autre lot"_s);
    const QStringList files{
        first + u"/-n"_s, first + u"/--rsrc"_s, first + u"/l'été \"x\" $(touch y).bin"_s, first + u"/ espace devant"_s,
        second + u"/-"_s, second + u"/b.bin"_s};
    const QString folder = first + u"/Sous-dossier"_s;
    const QString link = first + u"/lien"_s;
    const QString taken = first + u"/repris.bin"_s;
    for (const QString& file : files + QStringList{taken})
        write(file, file.section(u'/', -1).toUtf8());
    write(folder + u"/dedans.txt"_s, "dedans");
    ASSERT_EQ(::symlink("-n", QFile::encodeName(link).constData()), 0);
    const QString stamp = takeSnapshot();
    const QStringList items = QStringList{folder, link, taken} + files;

    // The stand-in is wrapped to count its runs; the failing one copies only the first of several files.
    const QString ditto = TestSupport::systemRoot() + u"/usr/bin/ditto"_s;
    const QString runs = TestSupport::sandbox() + u"/ditto-runs"_s;
    ASSERT_TRUE(QFile::rename(ditto, ditto + u".standin"_s));
    // Each run's count of arguments: four for one item, two more than its files for a folder's one copy.
    const struct {
        const char* name;
        const char* wrapper;
        QStringList runs;
    } cases[] = {
        {"one copy each folder", "exec \"$0.standin\" \"$@\"\n", {u"4"_s, u"4"_s, u"5"_s, u"7"_s}},
        {"the one copy fails midway",
         "if [ $# -gt 4 ]; then \"$0.standin\" \"$1\" \"$2\" \"$3\" \"$(for a do :; done; echo \"$a\")\"; exit 1; fi\n"
         "exec \"$0.standin\" \"$@\"\n",
         QStringList(8, u"4"_s) + QStringList{u"5"_s, u"7"_s}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const QString& item : items) {
            if (QFileInfo(item).isSymLink() || !QFileInfo(item).isDir())
                QFile::remove(item);
            else
                QDir(item).removeRecursively();
        }
        write(taken, "newer");
        QFile::remove(ditto);
        write(ditto,
              QByteArray("#!/bin/sh\necho \"$#\" >> ") + OptimizationService::shellQuoted(runs).toUtf8() + '\n' +
                  c.wrapper,
              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QFile::remove(runs);

        const Outcome outcome = outcomeOf(SafetyNet::restore(items, stamp));
        EXPECT_EQ(QSet<QString>(outcome.restored.begin(), outcome.restored.end()),
                  QSet<QString>(items.begin(), items.end()) - QSet<QString>{taken});
        EXPECT_EQ(outcome.failures, (QList<ItemFailure>{{taken, u"déjà présent"_s}}));
        for (const QString& file : files)
            EXPECT_EQ(contentOf(file), file.section(u'/', -1).toUtf8()) << file.toStdString();
        EXPECT_EQ(contentOf(taken), "newer");
        EXPECT_EQ(contentOf(folder + u"/dedans.txt"_s), "dedans");
        EXPECT_FALSE(exists(first + u"/dedans.txt"_s));
        EXPECT_EQ(QFileInfo(link).symLinkTarget(), first + u"/-n"_s);
        EXPECT_FALSE(exists(first + u"/y"_s));
        EXPECT_EQ(QDir(first).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden | QDir::System).size(),
                  7);

        // The folder and the link alone, then one copy of each folder's files; their own copies after a failure.
        QStringList counts = QString::fromUtf8(contentOf(runs)).split(u'\n', Qt::SkipEmptyParts);
        std::sort(counts.begin(), counts.end());
        EXPECT_EQ(counts, c.runs);
    }
    QFile::remove(ditto);
    ASSERT_TRUE(QFile::rename(ditto + u".standin"_s, ditto));
    QDir(first).removeRecursively(); // later snapshots stay small
    QDir(second).removeRecursively();
}

TEST_F(SnapshotRestore, makesMissingFoldersOnlyBelowNoLinkAndTakesOnlyAStampOfItsShape)
{
    write(cache(u"deep/er/item.bin"_s), "deep");
    const QString stamp = takeSnapshot();
    QDir(cache(u"deep"_s)).removeRecursively();
    // The grandparent is now a link to the outside: nothing is made where it points, and the item fails.
    ASSERT_EQ(::symlink(QFile::encodeName(m_outside).constData(), QFile::encodeName(cache(u"deep"_s)).constData()), 0);
    const Outcome outcome = outcomeOf(SafetyNet::restore({cache(u"deep/er/item.bin"_s)}, stamp));
    EXPECT_TRUE(outcome.restored.isEmpty());
    EXPECT_EQ(outcome.failures, (QList<ItemFailure>{{cache(u"deep/er/item.bin"_s), u"chemin refusé"_s}}));
    EXPECT_EQ(QDir(m_outside).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList{u"keep.txt"_s});

    bool asked = false;
    for (const QString& odd : QStringList{stamp + u"' ; touch x ; '"_s, stamp + u"\n"_s, u"2024-1-01-101500"_s}) {
        const auto result = SafetyNet::restore({cache(u"deep/er/item.bin"_s)}, odd, [&](const QString&) {
            asked = true;
            return std::optional<QString>();
        });
        ASSERT_TRUE(std::holds_alternative<Failure>(result));
        EXPECT_EQ(std::get<Failure>(result).errorDescription(),
                  u"Préparation de la restauration impossible : Nom d'instantané non reconnu."_s);
    }
    EXPECT_FALSE(asked);
}

// The items' folder belongs to another user who, the moment root has made its staging folder there, renames
// it aside and puts a folder of its own under that name, holding links to a file and a folder only root may
// write. A stand-in for mkdir, first on the PATH, gives that user the moment every time.
TEST_F(SnapshotRestore, writesNothingThroughAStagingFolderSwappedByTheFoldersOwner)
{
    const QString setpriv = QStandardPaths::findExecutable(u"setpriv"_s);
    const QString realMkdir = QStandardPaths::findExecutable(u"mkdir"_s);
    if (::geteuid() != 0 || setpriv.isEmpty())
        GTEST_SKIP() << "the attacker must run as another user: this needs root and setpriv";
    constexpr uid_t kAttacker = 65534;

    const QString folder = cache(u"theirs"_s);
    write(folder + u"/a.bin"_s, "snapshot bytes");
    write(folder + u"/tree/inner.txt"_s, "inner");
    const QString stamp = takeSnapshot();
    QFile::remove(folder + u"/a.bin"_s);
    QDir(folder + u"/tree"_s).removeRecursively();
    ASSERT_EQ(::chown(QFile::encodeName(folder).constData(), kAttacker, kAttacker), 0);

    const QString rootOnly = TestSupport::sandbox() + u"/root-only"_s;
    write(rootOnly + u"/secret.bin"_s, "root's own");
    QDir().mkpath(rootOnly + u"/den"_s);
    ASSERT_EQ(::chmod(QFile::encodeName(rootOnly).constData(), 0700), 0);

    const QString shims = TestSupport::sandbox() + u"/attacker-shims"_s;
    const auto q = [](const QString& text) { return OptimizationService::shellQuoted(text); };
    const QString attack = u"mv \"$1\" \"$1.aside\" && "_s + q(realMkdir) + u" \"$1\" && ln -s "_s +
                           q(rootOnly + u"/secret.bin"_s) + u" \"$1/a.bin\" && ln -s "_s + q(rootOnly + u"/den"_s) +
                           u" \"$1/tree\" && : > swapped"_s;
    write(shims + u"/mkdir"_s,
          (u"#!/bin/sh\n"_s + q(realMkdir) + u" \"$@\" || exit\nfor last do :; done\ncase \"$last\" in\n"_s +
           u"./.quorvanepro-restore-*) "_s + q(setpriv) +
           u" --reuid=%1 --regid=%1 --clear-groups /bin/sh -c "_s.arg(kAttacker) + q(attack) +
           u" sh \"$last\" ;;\nesac\nexit 0\n"_s)
              .toUtf8(),
          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    Outcome outcome;
    {
        const TestSupport::ScopedEnvironment path("PATH", shims + u':' + qEnvironmentVariable("PATH"));
        outcome = outcomeOf(SafetyNet::restore({folder + u"/a.bin"_s, folder + u"/tree"_s}, stamp));
    }
    ASSERT_TRUE(exists(folder + u"/swapped"_s)) << "the attacker never had its moment";
    EXPECT_TRUE(outcome.restored.isEmpty());
    EXPECT_EQ(outcome.failures, (QList<ItemFailure>{{folder + u"/a.bin"_s, u"chemin refusé"_s},
                                                    {folder + u"/tree"_s, u"chemin refusé"_s}}));
    EXPECT_EQ(contentOf(rootOnly + u"/secret.bin"_s), "root's own");
    EXPECT_TRUE(QDir(rootOnly + u"/den"_s).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
    EXPECT_FALSE(QFileInfo(folder + u"/a.bin"_s).isSymLink());
    QDir(folder).removeRecursively(); // later snapshots leave the links out
}

TEST_F(SnapshotRestore, countsAPlaceHoldingALinkRestoredOnlyWhenTheSnapshotsItemIsOne)
{
    write(cache(u"plain.bin"_s), "plain");
    ASSERT_EQ(::symlink("plain.bin", QFile::encodeName(cache(u"link.bin"_s)).constData()), 0);
    const QString stamp = takeSnapshot();
    QFile::remove(cache(u"plain.bin"_s));
    QFile::remove(cache(u"link.bin"_s));

    int calls = 0;
    const Outcome outcome =
        outcomeOf(SafetyNet::restore({cache(u"plain.bin"_s), cache(u"link.bin"_s)}, stamp, [&](const QString& command) {
            const std::optional<QString> answer = OptimizationService::runAsAdministrator(command);
            // Once the items are back, a link to the outside takes the plain file's place.
            if (++calls == 2) {
                QFile::remove(cache(u"plain.bin"_s));
                QFile::link(m_outside + u"/keep.txt"_s, cache(u"plain.bin"_s));
            }
            return answer;
        }));
    EXPECT_EQ(outcome.restored, QStringList{cache(u"link.bin"_s)});
    EXPECT_EQ(outcome.failures,
              (QList<ItemFailure>{{cache(u"plain.bin"_s), u"absent de sa place après la restauration"_s}}));
    EXPECT_EQ(QFileInfo(cache(u"link.bin"_s)).symLinkTarget(), cache(u"plain.bin"_s));
    QFile::remove(cache(u"plain.bin"_s));
    QFile::remove(cache(u"link.bin"_s));
}

// Once the work folder is handed over, another process of the user puts a FIFO at the report's name.
TEST_F(SnapshotRestore, aFifoAtTheReportHoldsNothingUp)
{
    write(cache(u"fifo.bin"_s), "f");
    const QString stamp = takeSnapshot();
    QFile::remove(cache(u"fifo.bin"_s));
    const QStringList planted = workFolders(); // by an earlier test: not ours to remove

    std::mutex mutex;
    QByteArray fifo;
    std::atomic<bool> done = false;
    SafetyNet::Result result;
    std::thread restoring([&] {
        result = SafetyNet::restore({cache(u"fifo.bin"_s)}, stamp, [&](const QString& command) {
            const std::optional<QString> answer = OptimizationService::runAsAdministrator(command);
            if (command.contains(u"chmod 644"_s)) {
                const QString work =
                    QRegularExpression(u"/[^']*/quorvanepro-restore-[0-9A-F-]{36}"_s).match(command).captured();
                const std::lock_guard lock(mutex);
                fifo = QFile::encodeName(work + u"/report.txt"_s);
                ::unlink(fifo.constData());
                EXPECT_EQ(::mkfifo(fifo.constData(), 0600), 0);
            }
            return answer;
        });
        done = true;
    });
    const bool returned = TestSupport::waitFor([&] { return done.load(); });
    if (!returned) {
        // Let a reader stuck on the FIFO go, so that the thread ends.
        const std::lock_guard lock(mutex);
        const int writer = ::open(fifo.constData(), O_WRONLY | O_NONBLOCK);
        if (writer >= 0)
            ::close(writer);
    }
    restoring.join();
    ASSERT_TRUE(returned);
    const Outcome outcome = outcomeOf(result);
    EXPECT_TRUE(outcome.restored.isEmpty());
    EXPECT_EQ(outcome.failures.size(), 1);
    EXPECT_EQ(workFolders(), planted);
    QFile::remove(cache(u"fifo.bin"_s));
}

// One item whose lines fit no piece (its path holds thousands of quotes, each many bytes once quoted twice and
// escaped) is refused alone; and when a piece fails, what it held carries its message while the items of the
// pieces never run say so.
TEST_F(SnapshotRestore, anItemTooLongForAnyPieceFailsAloneAndItemsNeverRunSayNotHandled)
{
    QString deep = cache(u"quotes"_s);
    for (int i = 0; i < 10; ++i)
        deep += u'/' + QString(240, u'\'');
    const QString tooLong = deep + u"/long.bin"_s;
    QStringList items{cache(u"before.bin"_s)};
    for (int i = 0; i < 12; ++i)
        items << cache(u"heavy/"_s + QString(120, u'\'') + QString::number(i));
    items << cache(u"later/after.bin"_s);
    for (const QString& item : items + QStringList{tooLong})
        write(item, "x");
    const QString stamp = takeSnapshot();
    const auto removeAll = [&] {
        for (const QString& item : items + QStringList{tooLong})
            QFile::remove(item);
    };
    removeAll();
    QStringList asked = items;
    asked.insert(1, tooLong);

    const Outcome whole = outcomeOf(SafetyNet::restore(asked, stamp));
    EXPECT_EQ(whole.restored, items);
    EXPECT_EQ(whole.failures, (QList<ItemFailure>{{tooLong, u"chemin refusé"_s}}));
    EXPECT_FALSE(exists(tooLong));
    removeAll();

    // The second item piece fails: the first one's items are back, the second one's carry its message and the
    // others were never tried.
    int calls = 0;
    const Outcome stopped = outcomeOf(SafetyNet::restore(items, stamp, [&](const QString& command) {
        if (++calls == 3 && !command.contains(u"chmod 644"_s))
            return std::optional<QString>(u"Échec (code 1)."_s);
        return OptimizationService::runAsAdministrator(command);
    }));
    ASSERT_FALSE(stopped.restored.isEmpty());
    EXPECT_EQ(stopped.restored, items.mid(0, stopped.restored.size()));
    QStringList reasons;
    for (qsizetype i = 0; i < stopped.failures.size(); ++i) {
        EXPECT_EQ(stopped.failures[i].path, items[stopped.restored.size() + i]);
        reasons << stopped.failures[i].reason;
    }
    EXPECT_EQ(stopped.restored.size() + stopped.failures.size(), items.size());
    const qsizetype failedInPiece = reasons.count(u"Échec (code 1)."_s);
    EXPECT_GT(failedInPiece, 0);
    EXPECT_GT(reasons.size(), failedInPiece);
    EXPECT_EQ(reasons.mid(failedInPiece), QStringList(reasons.size() - failedInPiece, u"non traité"_s));
    removeAll();
}

TEST(SnapshotReport, readsLinesAsTheScriptWritesThemAndSkipsGarbage)
{
    TempTree tree;
    write(tree.path(u"report.txt"_s),
          "OK\t/a\nFAIL\t/b\tcopie refusée\nFAIL\t/c\n\nno tab here\nFAIL\t/d\tdéjà présent\textra\n\xff\xfe\n");
    EXPECT_EQ(
        SafetyNet::readReport(tree.path(u"report.txt"_s)),
        (Outcome{{u"/a"_s}, {{u"/b"_s, u"copie refusée"_s}, {u"/c"_s, u"échec"_s}, {u"/d"_s, u"déjà présent"_s}}}));
    EXPECT_EQ(SafetyNet::readReport(tree.path(u"missing.txt"_s)), Outcome{});
}

TEST(SnapshotListing, keepsSnapshotLinesNewestFirstAndFailsEmpty)
{
    TestSupport::installStandIns();
    write(TestSupport::systemRoot() + u"/private/var/db/tmutil-snapshots"_s,
          "com.apple.TimeMachine.2024-05-01-101500.local\n"
          " \tcom.apple.TimeMachine.2024-06-01-101500.local\t\n"
          "com.apple.TimeMachine.nostamp.local\n"
          "com.apple.TimeMachine.2024-13-01-101500.local\n"
          "Some heading\n");
    const QList<SnapshotService::Snapshot> snapshots = SnapshotService::listLocalSnapshots(u"/"_s);
    ASSERT_EQ(snapshots.size(), 4);
    EXPECT_EQ(snapshots[0].name, u"com.apple.TimeMachine.2024-06-01-101500.local"_s);
    EXPECT_EQ(snapshots[1].date, QDateTime(QDate(2024, 5, 1), QTime(10, 15, 0)));
    EXPECT_EQ(snapshots[2].name, u"com.apple.TimeMachine.nostamp.local"_s);
    EXPECT_FALSE(snapshots[3].date.has_value());
    const TestSupport::ScopedEnvironment failing("QUORVANE_TMUTIL_FAIL", u"1"_s);
    EXPECT_TRUE(SnapshotService::listLocalSnapshots(u"/"_s).isEmpty());
}
