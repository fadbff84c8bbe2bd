#include "Core/ThreatBatch.h"

#include "Core/Exclusions.h"
#include "Core/ProcessRunner.h"
#include "Platform/Access.h"
#include "Platform/FileSystem.h"
#include "Platform/SystemRoot.h"

#include <QStringList>

using namespace Qt::StringLiterals;

namespace Removal {

namespace {

// A label is data that a malicious property list controls: one that could end a shell line, or that a
// program argument cannot carry, is never written into a script.
bool isScriptSafeLabel(const QString& label)
{
    return !label.contains(u'\n') && !label.contains(u'\r') && !label.contains(QChar(u'\0'));
}

void bootOutOfUserSession(const QString& label)
{
    if (label.contains(QChar(u'\0')))
        return;
    OptimizationService::run(u"/bin/launchctl"_s, {u"bootout"_s, u"gui/%1/%2"_s.arg(Platform::userID()).arg(label)},
                             false);
}

} // namespace

bool threatGoesToTrash(const QString& path)
{
    return Platform::userCanWrite(Platform::parentOf(path));
}

QSet<QUuid> removeThreats(const QList<ScanItem>& items, Report& report)
{
    return removeThreats(Exclusions::shared(), items, report);
}

QSet<QUuid> removeThreats(const Exclusions& exclusions, const QList<ScanItem>& items, Report& report)
{
    QSet<QUuid> handled;
    QStringList lines;
    QList<ScanItem> batch;
    const QString launchctl = OptimizationService::shellQuoted(Platform::systemPath(u"/bin/launchctl"_s));
    const QString rm = OptimizationService::shellQuoted(Platform::systemPath(u"/bin/rm"_s));
    const QString userAgents = Platform::systemPath(u"/Library/LaunchAgents"_s);

    for (const ScanItem& item : items) {
        if (item.removalMode.kind != Mode::Kind::Threat)
            continue;
        if (std::optional<QString> refusal = refusalFor(exclusions, item.url)) {
            report.failures.append({item.url, *refusal});
            handled.insert(item.id);
            continue;
        }
        const bool writable = threatGoesToTrash(item.url);
        const std::optional<QString>& label = item.removalMode.launchdLabel;
        const bool labelled = label && !label->isEmpty();
        if (writable) {
            // The ordinary loop moves the item to the Trash once its job is unloaded.
            if (labelled)
                bootOutOfUserSession(*label);
            continue;
        }
        if (labelled) {
            // Agents of /Library/LaunchAgents run in the user's session, not in the system domain.
            if (Platform::isEqualOrUnder(item.url, userAgents))
                bootOutOfUserSession(*label);
            else if (isScriptSafeLabel(*label))
                lines.append(launchctl + u" bootout "_s + OptimizationService::shellQuoted(u"system/"_s + *label));
        }
        lines.append(rm + u" -rf "_s + OptimizationService::shellQuoted(item.url));
        batch.append(item);
    }

    if (batch.isEmpty())
        return handled;
    const std::optional<QString> failure = OptimizationService::runAsAdministrator(lines.join(u"; "_s));
    for (const ScanItem& item : batch) {
        handled.insert(item.id);
        // Judged by what is left: an item that is gone was removed, whatever the script said.
        if (!Platform::fileInfo(item.url)) {
            report.freedBytes += item.size;
            report.removed.append({item.url, std::nullopt, item.size});
        } else {
            report.failures.append({item.url, failure.value_or(u"Toujours présent après la suppression."_s)});
        }
    }
    return handled;
}

} // namespace Removal
