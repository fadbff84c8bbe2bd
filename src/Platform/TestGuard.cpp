#include "Platform/TestGuard.h"

#include "Platform/SystemRoot.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <mutex>

#include <QDir>
#include <QFile>

using namespace Qt::StringLiterals;

namespace Platform::TestGuard {

namespace {

struct State {
    std::mutex mutex;
    QString sandbox;
    ViolationHandler handler;
};

State& state()
{
    static State s;
    return s;
}

QString realPathOf(const QString& path)
{
    char buffer[PATH_MAX];
    if (::realpath(QFile::encodeName(path).constData(), buffer) == nullptr)
        return QString();
    return QFile::decodeName(buffer);
}

// The path with its existing ancestors resolved, the entry itself not followed: the operations act on the
// entry (a link is removed, never its target), but a link among the ancestors must not lead outside.
QString resolvedForCheck(const QString& path)
{
    const QString cleaned = absolutePath(path);
    if (cleaned == u"/")
        return cleaned;
    QString existing = cleaned.section(u'/', 0, -2);
    QString rest = cleaned.section(u'/', -1);
    while (true) {
        const QString resolved = realPathOf(existing.isEmpty() ? u"/"_s : existing);
        if (!resolved.isEmpty())
            return QDir::cleanPath(resolved + u'/' + rest);
        if (existing.isEmpty())
            return cleaned;
        rest = existing.section(u'/', -1) + u'/' + rest;
        existing = existing.section(u'/', 0, -2);
    }
}

} // namespace

void install(const QString& sandbox, ViolationHandler onViolation)
{
    State& s = state();
    const std::lock_guard lock(s.mutex);
    const QString resolved = realPathOf(sandbox);
    s.sandbox = resolved.isEmpty() ? QDir::cleanPath(sandbox) : resolved;
    s.handler = std::move(onViolation);
}

void uninstall()
{
    State& s = state();
    const std::lock_guard lock(s.mutex);
    s.sandbox.clear();
    s.handler = nullptr;
}

bool isTestRun()
{
    return qEnvironmentVariableIsSet("XCTestConfigurationFilePath");
}

std::optional<QString> check(const QString& path, const QString& operation)
{
    State& s = state();
    QString sandbox;
    ViolationHandler handler;
    {
        const std::lock_guard lock(s.mutex);
        sandbox = s.sandbox;
        handler = s.handler;
    }
    if (sandbox.isEmpty() && !isTestRun())
        return std::nullopt;
    if (!sandbox.isEmpty() && isEqualOrUnder(resolvedForCheck(path), sandbox))
        return std::nullopt;

    const QString message =
        u"Le garde-fou des tests refuse de %1 «\u00A0%2\u00A0» : ce chemin est hors du dossier de test."_s.arg(
            operation, path);
    if (handler) {
        handler(message);
    } else {
        // A test run without a sandbox: stop at once rather than let anything be changed.
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
        std::abort();
    }
    return message;
}

} // namespace Platform::TestGuard
