#pragma once

#include "Core/Removal.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QUuid>

class Exclusions;

namespace Platform {
class SafeReach;
class WriteAccess;
} // namespace Platform

// The threat batch of the removal engine: how threats leave the machine, before the ordinary loop.
namespace Removal {

// Labelled jobs are unloaded from the user's launchd session when the user can write the item's folder (the
// item is then left to the ordinary loop, which trashes it); items in folders the user cannot write are
// deleted by one administrator script, which also unloads their jobs; a long script is handed over in pieces
// that each fit one program argument, and a dismissed prompt stops the pieces after it. Adds to `report` and
// returns the ids of the items it dealt with. Refuses what `exclusions` covers; who can write a folder is asked of
// `access`. The script removes an item
// only after checking, as administrator and just before, that its folder resolves to itself (no link anywhere
// above it), and removes it relative to that folder; an item is reported removed only when it can be reached
// and is gone, else it fails with what its own piece of the script said.
QSet<QUuid> removeThreats(const Exclusions& exclusions, const Platform::WriteAccess& access,
                          const QList<ScanItem>& items, Report& report);

// The same, reaching items from the anchors of `anchors`.
QSet<QUuid> removeThreats(const Exclusions& exclusions, const Platform::WriteAccess& access,
                          const QList<ScanItem>& items, Report& report, Platform::SafeReach& anchors);

// Whether the threat batch leaves a threat at `path` to be moved to the Trash (the user can write its folder, as
// `access` says) rather than deleting it with administrator rights.
bool threatGoesToTrash(const Platform::WriteAccess& access, const QString& path);

} // namespace Removal
