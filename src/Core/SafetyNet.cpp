#include "Core/SafetyNet.h"

#include "Core/PathSafety.h"
#include "Core/ProcessRunner.h"
#include "Core/SnapshotService.h"
#include "Platform/SystemRoot.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>

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

QString script(const QStringList& paths, const QString& stamp, const QString& workFolder, uint owner)
{
    const QString mount = workFolder + u"/mnt"_s;
    const QString report = workFolder + u"/report.txt"_s;
    const QString M = Q(mount);
    const QString R = Q(report);
    const QString uid = QString::number(owner);
    const QString handOver = u"chown "_s + uid + u' ' + Q(workFolder) + u' ' + R;
    QStringList lines{
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
    };
    for (const QString& path : paths) {
        const QString P = Q(path);
        const QString S = Q(mount + Platform::macPathOf(path));
        const QString parent = Platform::parentOf(path);
        const auto fail = [&](const QString& reason) -> QString {
            return u"printf "_s + Q(u"FAIL\\t%s\\t"_s + reason + u"\\n"_s) + u' ' + P + u" >> "_s + R;
        };
        lines << u"if [ -e "_s + S + u" ] || [ -L "_s + S + u" ]; then"_s;
        lines << u"  if [ -e "_s + P + u" ] || [ -L "_s + P + u" ]; then"_s;
        lines << u"    "_s + fail(u"déjà présent"_s);
        lines << u"  elif [ \"$(cd -P "_s + Q(parent) + u" 2>/dev/null && pwd)\" != "_s + Q(parent) + u" ]; then"_s;
        lines << u"    "_s + fail(kRefused);
        lines << u"  elif "_s + Q(Platform::systemPath(u"/usr/bin/ditto"_s)) + u" --rsrc --extattr "_s + S + u' ' + P +
                     u" 2>/dev/null; then"_s;
        lines << u"    printf 'OK\\t%s\\n' "_s + P + u" >> "_s + R;
        lines << u"  else"_s;
        lines << u"    "_s + fail(u"copie refusée"_s);
        lines << u"  fi"_s;
        lines << u"else"_s;
        lines << u"  "_s + fail(u"absent de l instantané"_s);
        lines << u"fi"_s;
    }
    // The folder goes to the user only once nothing is mounted in it.
    lines << Q(Platform::systemPath(u"/sbin/umount"_s)) + u' ' + M + u" 2>/dev/null && rmdir "_s + M;
    lines << u"chmod 644 "_s + R;
    lines << handOver;
    lines << u"exit 0"_s;
    return lines.join(u'\n');
}

Outcome readReport(const QString& reportPath)
{
    QFile file(reportPath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QString text = QString::fromUtf8(file.readAll());
    Outcome outcome;
    for (const QStringView line : QStringView(text).split(u'\n', Qt::SkipEmptyParts)) {
        const QList<QStringView> fields = line.split(u'\t');
        if (fields.size() < 2)
            continue;
        if (fields[0] == u"OK")
            outcome.restored.append(fields[1].toString());
        else
            outcome.failures.append({fields[1].toString(), fields.size() == 2 ? u"échec"_s : fields[2].toString()});
    }
    return outcome;
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
    if (!snapshotExists(stamp))
        return Failure{Failure::Kind::snapshotGone, stamp};

    QList<ItemFailure> refused;
    QStringList accepted;
    for (const QString& path : paths) {
        if (const std::optional<QString> reason = refusal(path)) {
            refused.append({path, *reason});
            continue;
        }
        accepted.append(path);
        // Made as the user, before the prompt: root never makes a folder in the user's place.
        QDir().mkpath(Platform::parentOf(path));
    }
    if (accepted.isEmpty())
        return Outcome{{}, refused};

    const QString temporary = Platform::systemPath(u"/private/tmp"_s);
    if (!QFileInfo(temporary).isDir())
        return Failure{Failure::Kind::preparationFailed, u"le dossier temporaire du système est introuvable."_s};
    const QString workFolder =
        temporary + u"/quorvanepro-restore-"_s + QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    const QString command = u"/bin/sh -c "_s + Q(script(accepted, stamp, workFolder, ::getuid()));

    const std::optional<QString> message = runner ? runner(command) : OptimizationService::runAsAdministrator(command);
    if (message) {
        removeWorkDirectory(workFolder);
        return Failure{Failure::Kind::elevationFailed, *message};
    }
    Outcome outcome = readReport(workFolder + u"/report.txt"_s);
    removeWorkDirectory(workFolder);
    outcome.failures = refused + outcome.failures;
    return outcome;
}

} // namespace SafetyNet
