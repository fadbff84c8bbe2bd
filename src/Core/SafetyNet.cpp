#include "Core/SafetyNet.h"

#include "Core/PathSafety.h"
#include "Core/ProcessRunner.h"
#include "Core/SnapshotService.h"
#include "Platform/FileContents.h"
#include "Platform/FileOperations.h"
#include "Platform/SafeReach.h"
#include "Platform/SystemRoot.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QUuid>

#include <cerrno>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace SafetyNet {

namespace {

const QString kRefused = u"chemin refusé"_s;

QString Q(const QString& text)
{
    return OptimizationService::shellQuoted(text);
}

bool hasControlCharacter(const QString& path)
{
    for (const QChar c : path) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f || c.category() == QChar::Other_Control)
            return true;
    }
    return false;
}

} // namespace

QString Failure::errorDescription() const
{
    switch (kind) {
    case Kind::snapshotGone:
        return u"L'instantané du "_s + detail + u" n'existe plus : macOS l'a effacé pour "_s +
               u"récupérer de la place. Les instantanés locaux sont temporaires, "_s +
               u"ce filet rattrape une erreur constatée vite."_s;
    case Kind::preparationFailed:
        return u"Préparation de la restauration impossible : "_s + detail;
    case Kind::elevationFailed:
        return detail;
    }
    return detail;
}

QString snapshotName(const QString& stamp)
{
    return u"com.apple.TimeMachine."_s + stamp + u".local"_s;
}

bool snapshotExists(const QString& stamp)
{
    const QString name = snapshotName(stamp);
    for (const SnapshotService::Snapshot& snapshot : SnapshotService::listLocalSnapshots(dataVolume)) {
        if (snapshot.name == name)
            return true;
    }
    return false;
}

std::optional<QString> refusal(const QString& path)
{
    if (hasControlCharacter(path))
        return kRefused;
    const std::optional<QString> standard = Platform::standardizedPath(path);
    if (!standard || *standard != path)
        return kRefused;
    if (PathSafety::isProtected(path))
        return kRefused;
    const QString macPath = Platform::macPathOf(path);
    if (macPath.isEmpty() || macPath == u"/"_s)
        return kRefused;
    return std::nullopt;
}

namespace {

// The piece that makes the work folder and mounts the snapshot in it.
QString openingPiece(const QString& stamp, const QString& workFolder, const QString& handOver)
{
    const QString M = Q(workFolder + u"/mnt"_s);
    const QString R = Q(workFolder + u"/report.txt"_s);
    return QStringList{
        u"#!/bin/sh"_s,
        u"set -u"_s,
        // Fails on anything already standing there, a link included: root then never works through it.
        u"mkdir -m 0700 "_s + Q(workFolder) + u" 2>/dev/null || { echo "_s +
            Q(u"Dossier de travail déjà présent : restauration arrêtée."_s) + u" >&2; exit 1; }"_s,
        u": > "_s + R,
        u"mkdir "_s + M,
        Q(Platform::systemPath(u"/sbin/mount_apfs"_s)) + u" -s "_s + Q(snapshotName(stamp)) + u' ' + Q(dataVolume) +
            u' ' + M + u" 2>/dev/null || { rmdir "_s + M + u"; "_s + handOver + u"; echo "_s +
            Q(u"Montage de l'instantané impossible."_s) + u" >&2; exit 1; }"_s,
        u"exit 0"_s,
    }
        .join(u'\n');
}

// What every item piece starts with: a check that the work folder is still the one root made, and the
// functions that put items back. Both run in the private staging folder, whose parent is the items' folder
// as reached with cd -P. `stage` refuses an item whose name is taken there or in the parent, copies at once
// what is no plain file (a folder would be merged into the staging folder by a copy of several items) and
// leaves a plain file to `files`, the one copy of the folder's files (status 3); when that copy fails, `again`
// copies each of them alone. `copy` puts an item there under a name nothing holds yet (status 2 when the copy
// is a link, as the snapshot's item is). Once one "mv -n" has renamed the staged copies into that parent (into
// the folder ".." names, so neither replacing nor following a link at the final name), `settle` reports an
// item restored only when its staged copy has left, marking the snapshot's links as such.
QString itemPreamble(const QString& workFolder)
{
    const QString W = Q(workFolder);
    const QString R = Q(workFolder + u"/report.txt"_s);
    const QString ditto = Q(Platform::systemPath(u"/usr/bin/ditto"_s));
    return QStringList{
        u"#!/bin/sh"_s,
        u"set -u"_s,
        u"[ -d "_s + W + u" ] && [ ! -L "_s + W + u" ] && [ -O "_s + W + u" ] || { echo "_s +
            Q(u"Dossier de travail introuvable : restauration arrêtée."_s) + u" >&2; exit 1; }"_s,
        u"ok() { if [ $# -gt 1 ]; then printf 'OK\\t%s\\tlien\\n' \"$1\"; else printf 'OK\\t%s\\n' \"$1\"; fi >> "_s +
            R + u"; }"_s,
        u"no() { printf 'FAIL\\t%s\\t%s\\n' \"$1\" \"$2\" >> "_s + R + u"; }"_s,
        u"stage() {"_s,
        u"  if [ ! -e \"$3\" ] && [ ! -L \"$3\" ]; then no \"$1\" "_s + Q(u"absent de l instantané"_s) +
            u"; return 1; fi"_s,
        u"  if [ -e \"../$2\" ] || [ -L \"../$2\" ]; then no \"$1\" "_s + Q(u"déjà présent"_s) + u"; return 1; fi"_s,
        u"  if [ -e \"./$2\" ] || [ -L \"./$2\" ]; then no \"$1\" "_s + Q(kRefused) + u"; return 1; fi"_s,
        u"  if [ -f \"$3\" ] && [ ! -L \"$3\" ]; then return 3; fi"_s,
        u"  copy \"$@\""_s,
        u"}"_s,
        u"files() { [ $# -eq 0 ] || "_s + ditto + u" --rsrc --extattr \"$@\" . 2>/dev/null; }"_s,
        u"again() { rm -rf \"./$2\"; copy \"$@\"; }"_s,
        u"copy() {"_s,
        u"  if ! "_s + ditto + u" --rsrc --extattr \"$3\" \"./$2\" 2>/dev/null; then rm -rf \"./$2\"; no \"$1\" "_s +
            Q(u"copie refusée"_s) + u"; return 1; fi"_s,
        u"  [ ! -L \"./$2\" ] || return 2"_s,
        u"}"_s,
        u"settle() {"_s,
        u"  if [ -e \"./$2\" ] || [ -L \"./$2\" ]; then rm -rf \"./$2\"; no \"$1\" "_s + Q(u"déjà présent"_s) +
            u"; elif [ \"$3\" -eq 2 ]; then ok \"$1\" lien; else ok \"$1\"; fi"_s,
        u"}"_s,
    }
        .join(u'\n');
}

// Holds in the folder just entered only when it is root's own (the running user's), mode 0700 and empty. The
// folder above belongs to the user, whose processes may rename root's fresh folder aside and put one of their
// own there under its name before root enters it: root then writes nothing there.
const QString kOwnEmptyFolder = uR"sh([ -O . ] && [ "$(find . -prune -perm 0700 -empty)" = . ])sh"_s;

// The items of one folder: root enters the folder as written, makes its staging folder there and enters that
// too, finds it its own, stages each item, moves the staged copies into place at once and settles each; when
// either folder cannot be entered so, each item fails.
QString folderLines(const QString& folder, const QStringList& paths, const QString& mount, const QString& staging)
{
    const QString stagingPath = (folder == u"/"_s ? folder : folder + u'/') + staging;
    QStringList lines{u"( "_s + OptimizationService::enterFolderAsWritten(folder) + u" && mkdir -m 0700 "_s +
                      Q(u"./"_s + staging) + u" 2>/dev/null && "_s +
                      OptimizationService::enterFolderAsWritten(stagingPath) + u" && "_s + kOwnEmptyFolder +
                      u" || exit 3"_s};
    lines << u"  set --"_s;
    QStringList alone;
    QStringList staged;
    QStringList settling;
    QStringList refusals;
    for (qsizetype i = 0; i < paths.size(); ++i) {
        const QString& path = paths[i];
        const QString name = path.section(u'/', -1);
        // Of one width, so that an item's share of a piece is the same at any place in it: a piece holds far
        // fewer than 10000 items, each item's lines being longer than its budget's ten-thousandth. The item's
        // path and source are written once, into variables, as the longest parts of its lines.
        const QString id = QString::number(i).rightJustified(4, u'0');
        const QString status = u"s"_s + id;
        const QString item = u"\"$p"_s + id + u'"';
        const QString source = u"\"$f"_s + id + u'"';
        // The plain files that pass their checks wait in the arguments for one copy.
        lines << u"  p"_s + id + u'=' + Q(path) + u"; f"_s + id + u'=' + Q(mount + Platform::macPathOf(path)) +
                     u"; stage "_s + item + u' ' + Q(name) + u' ' + source + u"; "_s + status + u"=$?; [ $"_s + status +
                     u" -ne 3 ] || set -- \"$@\" "_s + source;
        alone << u"    [ $"_s + status + u" -ne 3 ] || { again "_s + item + u' ' + Q(name) + u' ' + source + u"; "_s +
                     status + u"=$?; }"_s;
        staged << Q(u"./"_s + name);
        settling << u"  [ $"_s + status + u" -eq 1 ] || settle "_s + item + u' ' + Q(name) + u" $"_s + status;
        refusals << u"no "_s + Q(path) + u' ' + Q(kRefused);
    }
    lines << u"  if ! files \"$@\"; then"_s << alone << u"  fi"_s;
    lines << u"  mv -n "_s + staged.join(u' ') + u" .. 2>/dev/null"_s;
    lines << settling;
    lines << u"  cd -P .. && rmdir "_s + Q(u"./"_s + staging) + u"; exit 0"_s;
    lines << u") 2>/dev/null; [ $? -ne 3 ] || { "_s + refusals.join(u"; "_s) + u"; }"_s;
    return lines.join(u'\n');
}

// Makes the missing folders above `path` as the user, one at a time, and only while every folder on the way
// is a folder and not a link; false when one is (the script then refuses the item).
bool makeParentFolders(const QString& path)
{
    const QStringList parts = Platform::parentOf(path).split(u'/', Qt::SkipEmptyParts);
    QString current;
    for (const QString& part : parts) {
        current += u'/' + part;
        struct stat status {
        };
        if (::lstat(QFile::encodeName(current).constData(), &status) == 0) {
            if (!S_ISDIR(status.st_mode))
                return false;
            continue;
        }
        if (errno != ENOENT || Platform::createFolder(current, 0755))
            return false;
    }
    return true;
}

} // namespace

Scripts scripts(const QStringList& paths, const QString& stamp, const QString& workFolder, uint owner,
                const QString& staging)
{
    const QString mount = workFolder + u"/mnt"_s;
    const QString R = Q(workFolder + u"/report.txt"_s);
    // The report first: once the folder is the user's, the user could put a link at the report's name for
    // root's chown to follow.
    const QString handOver = u"chown "_s + QString::number(owner) + u' ' + R + u' ' + Q(workFolder);
    Scripts plan{{openingPiece(stamp, workFolder, handOver)}, {}, {}};

    // Items grouped by folder, in the order their folders first appear.
    QStringList folders;
    QHash<QString, QStringList> byFolder;
    for (const QString& path : paths) {
        const QString folder = Platform::parentOf(path);
        if (!byFolder.contains(folder))
            folders.append(folder);
        byFolder[folder].append(path);
    }
    OptimizationService::AdministratorPieces items(itemPreamble(workFolder) + u'\n', u"\n"_s, u"\nexit 0"_s);
    for (const QString& folder : std::as_const(folders)) {
        // A folder's items go in chunks, each one folder's lines; a chunk's size is its frame's plus each
        // item's share.
        const qsizetype frame = items.sizeOf(folderLines(folder, {}, mount, staging));
        QStringList chunk;
        qsizetype chunkSize = frame;
        const auto flush = [&] {
            if (!chunk.isEmpty()) {
                const qsizetype piece =
                    plan.pieces.size() + items.append(folderLines(folder, chunk, mount, staging), chunkSize);
                for (const QString& path : std::as_const(chunk))
                    plan.pieceOf.insert(path, piece);
            }
            chunk.clear();
            chunkSize = frame;
        };
        for (const QString& path : byFolder.value(folder)) {
            const qsizetype share = items.sizeOf(folderLines(folder, {path}, mount, staging)) - frame + 8;
            // A piece that cannot start would fail every item after it too: such an item is left out alone.
            if (!items.fitsAlone(frame + share)) {
                plan.tooLong.append(path);
                continue;
            }
            if (!items.fits(chunkSize + share) && (!chunk.isEmpty() || !items.isEmpty())) {
                flush();
                items.close();
            }
            chunk.append(path);
            chunkSize += share;
        }
        flush();
    }
    plan.pieces << items.take();

    // The folder goes to the user only once nothing is mounted in it.
    plan.pieces.append(QStringList{
        u"#!/bin/sh"_s,
        Q(Platform::systemPath(u"/sbin/umount"_s)) + u' ' + Q(mount) + u" 2>/dev/null && rmdir "_s + Q(mount),
        u"chmod 644 "_s + R,
        handOver,
        u"exit 0"_s,
    }
                           .join(u'\n'));
    return plan;
}

namespace {

// The report, with the restored items that are links in the snapshot, which the script marks so.
struct Report {
    Outcome outcome;
    QSet<QString> links;
};

Report readMarkedReport(const QString& reportPath, qint64 maxBytes)
{
    // The folder is the user's by now: whatever stands at the report's name is read only when it is a regular
    // file, and never waited on.
    const std::optional<QByteArray> bytes = Platform::readRegularFile(reportPath, maxBytes);
    if (!bytes)
        return {};
    const QString text = QString::fromUtf8(*bytes);
    Report report;
    for (const QStringView line : QStringView(text).split(u'\n', Qt::SkipEmptyParts)) {
        const QList<QStringView> fields = line.split(u'\t');
        if (fields.size() < 2)
            continue;
        if (fields[0] == u"OK") {
            report.outcome.restored.append(fields[1].toString());
            if (fields.size() > 2 && fields[2] == u"lien")
                report.links.insert(fields[1].toString());
        } else {
            report.outcome.failures.append(
                {fields[1].toString(), fields.size() == 2 ? u"échec"_s : fields[2].toString()});
        }
    }
    return report;
}

} // namespace

Outcome readReport(const QString& reportPath, qint64 maxBytes)
{
    return readMarkedReport(reportPath, maxBytes).outcome;
}

void removeWorkDirectory(const QString& workFolder)
{
    struct stat status {
    };
    const QByteArray folder = QFile::encodeName(workFolder);
    if (::lstat(folder.constData(), &status) != 0 || !S_ISDIR(status.st_mode) || status.st_uid != ::getuid())
        return;
    struct stat mount {
    };
    if (::lstat(QFile::encodeName(workFolder + u"/mnt"_s).constData(), &mount) == 0)
        return; // a snapshot may still be mounted there: removing through it is not ours to do
    ::unlink(QFile::encodeName(workFolder + u"/report.txt"_s).constData());
    ::rmdir(folder.constData());
}

Result restore(const QStringList& paths, const QString& stamp, const AdministratorRunner& runner)
{
    if (paths.isEmpty())
        return Outcome{};
    // Only a stamp of the snapshots' own shape is ever written into the script.
    if (!SnapshotService::isStamp(stamp))
        return Failure{Failure::Kind::preparationFailed, SnapshotService::unrecognisedName()};
    if (!snapshotExists(stamp))
        return Failure{Failure::Kind::snapshotGone, stamp};

    QList<ItemFailure> refused;
    QStringList accepted;
    QSet<QString> seen;
    for (const QString& path : paths) {
        if (seen.contains(path))
            continue; // one place is restored once
        seen.insert(path);
        if (const std::optional<QString> reason = refusal(path))
            refused.append({path, *reason});
        else
            accepted.append(path);
    }
    if (accepted.isEmpty())
        return Outcome{{}, refused};

    const QString temporary = Platform::systemPath(u"/private/tmp"_s);
    if (!QFileInfo(temporary).isDir())
        return Failure{Failure::Kind::preparationFailed, u"le dossier temporaire du système est introuvable."_s};
    const auto unique = [] { return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper(); };
    const QString workFolder = temporary + u"/quorvanepro-restore-"_s + unique();
    const Scripts plan = scripts(accepted, stamp, workFolder, ::getuid(), u".quorvanepro-restore-"_s + unique());
    for (const QString& path : plan.tooLong)
        refused.append({path, kRefused});
    if (plan.pieceOf.isEmpty())
        return Outcome{{}, refused};
    qint64 reportBound = 0;
    for (const QString& path : std::as_const(accepted)) {
        // Made as the user, before the prompt: root never makes a folder in the user's place. Where a folder
        // on the way is a link nothing is made, and the script refuses the item.
        if (plan.pieceOf.contains(path))
            makeParentFolders(path);
        reportBound += path.toUtf8().size() + 64; // one line of the report at most
    }
    const auto run = [&](const QString& piece) {
        const QString command = u"/bin/sh -c "_s + Q(piece);
        return runner ? runner(command) : OptimizationService::runAsAdministrator(command);
    };

    // One prompt answers for the pieces that follow it. The last piece, which unmounts the snapshot and hands
    // the report over, runs whenever the first one has mounted it.
    const QStringList& pieces = plan.pieces;
    if (const std::optional<QString> message = run(pieces.first())) {
        removeWorkDirectory(workFolder);
        return Failure{Failure::Kind::elevationFailed, *message};
    }
    std::optional<QString> stopped;
    qsizetype failedPiece = 0;
    for (qsizetype i = 1; i + 1 < pieces.size() && !stopped; ++i) {
        stopped = run(pieces[i]);
        failedPiece = i;
    }
    const std::optional<QString> closing = run(pieces.last());
    const Report report = readMarkedReport(workFolder + u"/report.txt"_s, reportBound);
    const Outcome& outcome = report.outcome;
    removeWorkDirectory(workFolder);
    if (closing && outcome == Outcome{})
        return Failure{Failure::Kind::elevationFailed, stopped.value_or(*closing)};

    // Judged by what stands at each place now: an item is restored only where it can be reached, without a
    // link on the way, once the script is done, and where what stands there is no link unless the snapshot's
    // item was one.
    Platform::SafeReach anchors;
    QStringList restored;
    QList<ItemFailure> failures = refused;
    QSet<QString> reported;
    for (const QString& path : std::as_const(outcome.restored)) {
        reported.insert(path);
        const Platform::Reach reach = anchors.reach(path);
        if (reach.outcome == Platform::Reach::Outcome::Reached &&
            (!S_ISLNK(reach.item.status().st_mode) || report.links.contains(path)))
            restored.append(path);
        else
            failures.append({path, u"absent de sa place après la restauration"_s});
    }
    for (const ItemFailure& failure : std::as_const(outcome.failures)) {
        reported.insert(failure.path);
        failures.append(failure);
    }
    // What the failed piece did not report carries its message; the pieces after it were never run.
    for (const QString& path : std::as_const(accepted)) {
        if (!reported.contains(path) && plan.pieceOf.contains(path)) {
            const bool inFailedPiece = stopped && plan.pieceOf.value(path) == failedPiece;
            failures.append({path, inFailedPiece ? *stopped : u"non traité"_s});
        }
    }
    return Outcome{restored, failures};
}

} // namespace SafetyNet
