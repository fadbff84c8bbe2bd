#pragma once

#include "Platform/FileSystem.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

// Every change the program makes to the file system goes through these calls. Each asks the test guard
// first, never follows a symbolic link at the path it acts on, and reports failure as a French sentence
// (nothing on success).
namespace Platform {

class SafeReach;
class ReachedItem;

// Moves `from` to `to`, never replacing an existing entry at `to`. Where the file system cannot promise
// that for a rename, a file (or link) is linked to its new name and then unlinked; a folder is refused.
// Moves across volumes are refused: nothing is ever copied and deleted behind the caller's back.
std::optional<QString> moveItem(const QString& from, const QString& to);

// Moves the entry at `from` to `to` as moveItem() does, only when that entry is the item `expected` names: it is
// looked at in its folder, opened without passing through a link, and not followed itself. What then stands at
// `to` is looked at again; when another item slipped in between the look and the move, it goes back to `from`.
// `notTheSame` tells a refusal for that reason (with no failure text) from any other failure.
std::optional<QString> moveItemIfSame(const QString& from, const QString& to, const ItemIdentity& expected,
                                      bool* notTheSame);

struct TrashResult {
    std::optional<QString> trashedPath;                         // the item's new place, on success
    std::optional<QString> failure;                             // French reason, on failure
    std::optional<ItemIdentity> trashedIdentity = std::nullopt; // what stands there once moved, on success
};

// Moves an item to the user's Trash (~/.Trash, created when missing). A name already taken there gets a
// unique one in the Finder's manner ("rapport 2.pdf"). An item on another device goes to that volume's
// ".Trashes/<uid>" when it is a volume mounted under the system root's "/Volumes"; otherwise it is refused.
// The item is reached through SafeReach: a link above it fails the move, and the Trash is reached the same way.
TrashResult trashItem(const QString& path);

// The same for an item already reached, from the anchors of `anchors`.
TrashResult trashItem(SafeReach& anchors, const ReachedItem& item);

// Deletes a file, a link (not its target) or a whole folder tree, links inside never followed. Stops at
// the first entry that cannot be removed.
// The item is reached through SafeReach: a link above it fails the removal.
std::optional<QString> removeItem(const QString& path);

// The same for an item already reached.
std::optional<QString> removeItem(const ReachedItem& item);

// Deletes a folder only when it is empty (a link is not followed); a folder that still holds anything,
// whatever its entries are called, is refused and left as it is.
std::optional<QString> removeEmptyFolder(const QString& path);

// Creates a folder and any missing parents; an existing folder is success.
std::optional<QString> createFolder(const QString& path, unsigned permissions = 0755);

// Replaces the file at `path` with `data` atomically: a temporary file beside it, synchronised, then
// renamed over it, so a reader sees either the old or the new content.
std::optional<QString> writeFileAtomically(const QString& path, const QByteArray& data, unsigned permissions = 0644);

// Appends bytes to the file being written; false once a write has failed.
using ByteSink = std::function<bool(QByteArrayView bytes)>;

// The same, for contents too large to hold at once: `produce` writes them through the sink it is given.
// When it returns false, or a write failed, the temporary file is discarded and the old file stays.
std::optional<QString> writeFileAtomically(const QString& path,
                                           const std::function<bool(const ByteSink& sink)>& produce,
                                           unsigned permissions = 0644);

} // namespace Platform
