#include "Core/Removal.h"

#include "Core/Exclusions.h"
#include "Core/PathSafety.h"
#include "Core/Shredding.h"
#include "Core/ThreatBatch.h"
#include "Platform/FileOperations.h"
#include "Platform/SafeReach.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace Removal {

std::optional<QString> refusalFor(const Exclusions& exclusions, const QString& path)
{
    if (PathSafety::isProtected(path))
        return u"Emplacement protégé."_s;
    if (exclusions.isExcludedOrHoldsExclusion(path))
        return u"Exclu par vos réglages."_s;
    return std::nullopt;
}

std::optional<QString> refusalFor(const Exclusions& exclusions, const QStringList& places)
{
    for (const QString& place : places) {
        if (PathSafety::isProtected(place))
            return u"Emplacement protégé."_s;
    }
    for (const QString& place : places) {
        if (exclusions.isExcludedOrHoldsExclusion(place))
            return u"Exclu par vos réglages."_s;
    }
    return std::nullopt;
}

bool goesToTrash(const Platform::WriteAccess& access, const ScanItem& item)
{
    switch (item.removalMode.kind) {
    case Mode::Kind::Trash:
        return true;
    case Mode::Kind::Threat:
        return threatGoesToTrash(access, item.url);
    case Mode::Kind::Shred:
    case Mode::Kind::Delete:
        return false;
    }
    return false;
}

Report remove(const Exclusions& exclusions, const Platform::WriteAccess& access, const QList<ScanItem>& items,
              std::optional<Mode> mode, const Progress& progress, std::stop_token stop)
{
    Report report;
    // Every item is reached from these anchors without passing a link, and acted on in the folder reached.
    Platform::SafeReach anchors;
    QList<ScanItem> work = items;
    if (!mode) {
        QList<ScanItem> threats;
        for (const ScanItem& item : items) {
            if (item.removalMode.kind == Mode::Kind::Threat)
                threats.append(item);
        }
        if (!threats.isEmpty()) {
            const QSet<QUuid> handled = removeThreats(exclusions, access, threats, report, anchors);
            work.removeIf([&](const ScanItem& item) { return handled.contains(item.id); });
        }
    }

    const double count = double(std::max<qsizetype>(items.size(), 1));
    for (qsizetype i = 0; i < work.size(); ++i) {
        if (stop.stop_requested())
            break;
        const ScanItem& item = work[i];
        if (progress)
            progress(double(i) / count, item.name);
        Platform::Reach reached = anchors.reach(item.url);
        // A link is an item of its own: one whose target is gone is still removed, as a link.
        if (reached.outcome == Platform::Reach::Outcome::Missing)
            continue;
        if (reached.outcome != Platform::Reach::Outcome::Reached) {
            report.failures.append({item.url, reached.failureText()});
            continue;
        }
        const Platform::ReachedItem& target = reached.item;
        if (std::optional<QString> refusal = refusalFor(exclusions, target.places())) {
            report.failures.append({item.url, *refusal});
            continue;
        }

        const Mode how = mode.value_or(item.removalMode);
        std::optional<QString> failure;
        std::optional<QString> trashed;
        std::optional<Platform::ItemIdentity> trashedIdentity;
        switch (how.kind) {
        case Mode::Kind::Shred:
            failure = shred(target, how.passes, stop);
            break;
        case Mode::Kind::Threat:
        case Mode::Kind::Trash: {
            Platform::TrashResult result = Platform::trashItem(anchors, target);
            failure = std::move(result.failure);
            trashed = std::move(result.trashedPath);
            trashedIdentity = result.trashedIdentity;
            break;
        }
        case Mode::Kind::Delete:
            failure = Platform::removeItem(target);
            break;
        }
        if (failure) {
            report.failures.append({item.url, *failure});
            continue;
        }
        report.freedBytes += item.size;
        report.removed.append({item.url, trashed, item.size, trashedIdentity});
    }
    if (progress)
        progress(1.0, QString());
    return report;
}

} // namespace Removal
