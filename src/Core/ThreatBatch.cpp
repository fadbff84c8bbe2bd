#include "Core/ThreatBatch.h"

#include "Core/Exclusions.h"
#include "Core/ProcessRunner.h"
#include "Platform/Access.h"
#include "Platform/SafeReach.h"
#include "Platform/SystemRoot.h"

#include <QStringList>

#include <cerrno>
#include <vector>

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

// The script line that deletes `item` as administrator: in a subshell, it enters the item's folder as
// written (see enterFolderAsWritten) and removes the item relative to that folder.
QString guardedRemoval(const QString& rm, const QString& item)
{
    const QString name = item.section(u'/', -1);
    return u"( "_s + OptimizationService::enterFolderAsWritten(Platform::parentOf(item)) + u" && "_s + rm + u" -rf "_s +
           OptimizationService::shellQuoted(u"./"_s + name) + u" )"_s;
}

} // namespace

bool threatGoesToTrash(const Platform::WriteAccess& access, const QString& path)
{
    return access.userCanWrite(Platform::parentOf(path));
}

QSet<QUuid> removeThreats(const Exclusions& exclusions, const Platform::WriteAccess& access,
                          const QList<ScanItem>& items, Report& report)
{
    Platform::SafeReach anchors;
    return removeThreats(exclusions, access, items, report, anchors);
}

QSet<QUuid> removeThreats(const Exclusions& exclusions, const Platform::WriteAccess& access,
                          const QList<ScanItem>& items, Report& report, Platform::SafeReach& anchors)
{
    QSet<QUuid> handled;
    // Each item's lines stay together in one piece of the script, so that its verdict can name what went
    // wrong with that piece.
    OptimizationService::AdministratorPieces script({}, u"; "_s, {});
    std::vector<qsizetype> pieceOf;
    QList<ScanItem> batch;
    // The folders of batch items as reached before the script, kept open (up to a bound on descriptors) so
    // that the verdict looks in the very folder the item was in, wherever someone has moved it meanwhile.
    constexpr std::size_t kHeldFolders = 128;
    std::vector<Platform::Reach> before;
    const QString launchctl = OptimizationService::shellQuoted(Platform::systemPath(u"/bin/launchctl"_s));
    const QString rm = OptimizationService::shellQuoted(Platform::systemPath(u"/bin/rm"_s));
    const QString userAgents = Platform::systemPath(u"/Library/LaunchAgents"_s);

    for (const ScanItem& item : items) {
        if (item.removalMode.kind != Mode::Kind::Threat)
            continue;
        const auto fail = [&](const QString& reason) {
            report.failures.append({item.url, reason});
            handled.insert(item.id);
        };
        if (!Platform::pathSurvivesEncoding(item.url)) {
            fail(Platform::unfaithfulNameText());
            continue;
        }
        if (std::optional<QString> refusal = refusalFor(exclusions, item.url)) {
            fail(*refusal);
            continue;
        }
        // Where the item can be reached, the rules are checked on the place it actually is. A folder the
        // user cannot even pass through is left to the script's own check.
        Platform::Reach reached = anchors.reach(item.url);
        if (reached.outcome == Platform::Reach::Outcome::LinkOnTheWay) {
            fail(reached.failureText());
            continue;
        }
        if (reached.outcome == Platform::Reach::Outcome::Reached) {
            if (std::optional<QString> refusal = refusalFor(exclusions, reached.item.places())) {
                fail(*refusal);
                continue;
            }
        }
        const bool writable = threatGoesToTrash(access, item.url);
        const std::optional<QString>& label = item.removalMode.launchdLabel;
        const bool labelled = label && !label->isEmpty();
        QStringList lines;
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
        lines.append(guardedRemoval(rm, Platform::absolutePath(item.url)));
        pieceOf.push_back(script.add(lines.join(u"; "_s)));
        batch.append(item);
        before.push_back(before.size() < kHeldFolders ? std::move(reached) : Platform::Reach{});
    }

    if (batch.isEmpty())
        return handled;
    // A dismissed prompt stops the batch: the pieces after it are not tried, and their items carry the same
    // answer. Any other failure belongs to its own piece alone.
    const QStringList pieces = script.take();
    std::vector<std::optional<QString>> failures;
    std::optional<QString> dismissed;
    for (const QString& piece : pieces) {
        failures.push_back(dismissed ? dismissed : OptimizationService::runAsAdministrator(piece));
        if (failures.back() == OptimizationService::administratorPromptDismissed)
            dismissed = failures.back();
    }
    for (qsizetype i = 0; i < batch.size(); ++i) {
        const ScanItem& item = batch[i];
        const std::optional<QString>& failure = failures[std::size_t(pieceOf[std::size_t(i)])];
        handled.insert(item.id);
        // Judged by what is left, whatever the script said: gone means no longer in the folder it was
        // reached in, or (for an item not reached before) reached now without a link and not there.
        // Anything else leaves the item counted as present.
        const Platform::Reach& earlier = before[std::size_t(i)];
        Platform::Reach after;
        if (earlier.outcome == Platform::Reach::Outcome::Reached) {
            const int error = earlier.item.lookAgain();
            after.outcome = error == 0        ? Platform::Reach::Outcome::Reached
                            : error == ENOENT ? Platform::Reach::Outcome::Missing
                                              : Platform::Reach::Outcome::Failed;
            after.error = error;
        } else {
            after = anchors.reach(item.url);
        }
        switch (after.outcome) {
        case Platform::Reach::Outcome::Missing:
            report.freedBytes += item.size;
            report.removed.append({item.url, std::nullopt, item.size});
            break;
        case Platform::Reach::Outcome::Reached:
            report.failures.append({item.url, failure.value_or(u"Toujours présent après la suppression."_s)});
            break;
        case Platform::Reach::Outcome::LinkOnTheWay:
        case Platform::Reach::Outcome::Unfaithful:
        case Platform::Reach::Outcome::Failed:
            report.failures.append({item.url, failure.value_or(after.failureText())});
            break;
        }
    }
    return handled;
}

} // namespace Removal
