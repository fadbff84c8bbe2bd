#pragma once

#include "Core/Progress.h"
#include "Core/RemovalMode.h"
#include "Core/ScanModel.h"
#include "Platform/FileSystem.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <optional>
#include <stop_token>

class Exclusions;

// The one place that deletes what the user chose. The engine removes each item by its mode, refuses
// protected and excluded locations whatever the caller says, and reports what was freed, what was removed
// and what failed, with a French reason per failure. The report is what the screens show and the journal
// records.
namespace Platform {
class SafeReach;
class WriteAccess;
} // namespace Platform

namespace Removal {

struct Failure {
    QString url;
    QString reason; // French

    friend bool operator==(const Failure&, const Failure&) = default;
};

struct Removed {
    QString origin;                 // where the item was
    std::optional<QString> trashed; // its place in the Trash, when it went there and the place is known
    qint64 bytes = 0;               // the item's size as the scanner measured it
    // What stood at `trashed` once it was moved there, so that a later put-back takes that item and no other.
    std::optional<Platform::ItemIdentity> trashedIdentity = std::nullopt;

    friend bool operator==(const Removed&, const Removed&) = default;
};

struct Report {
    qint64 freedBytes = 0;
    QList<Failure> failures; // in the order they happened
    QList<Removed> removed;  // in the order of removal

    friend bool operator==(const Report&, const Report&) = default;
};

// Removes the items one after another, in order: first the threats through removeThreats() (ThreatBatch.h) (unless an
// override mode is given), then every other item by the override or its own mode. Before each item it
// checks, in this order, `stop`, then reports progress (its position over the number of items given, its
// name), then reaches the item through folders opened without following links (Platform::SafeReach): a
// link above it, or a path that does not name one entry faithfully, fails the item; a missing item (a
// link counts as itself) is passed over. Then whether the place reached is protected, whether it is
// excluded or holds an exclusion. The item is removed relative to the folder reached. After the loop
// `progress` receives (1.0, ""). Blocks the calling thread; a stop ends the call before the next item.
// Refuses what `exclusions` covers, and asks `access` which folders the user can write (Removal::Engine calls
// this with its own).
Report remove(const Exclusions& exclusions, const Platform::WriteAccess& access, const QList<ScanItem>& items,
              std::optional<Mode> mode = std::nullopt, const Progress& progress = {}, std::stop_token stop = {});

// Whether remove(), left to the item's own mode, would put the item in the Trash: a trash item always, a
// threat when threatGoesToTrash() says so with `access`, a shredded or deleted item never.
bool goesToTrash(const Platform::WriteAccess& access, const ScanItem& item);

// The reason the engine refuses to touch `path`, or nothing.
std::optional<QString> refusalFor(const Exclusions& exclusions, const QString& path);

// The same for a place known under several names: refused when any of them is.
std::optional<QString> refusalFor(const Exclusions& exclusions, const QStringList& places);

} // namespace Removal
