#pragma once

#include "Platform/FileSystem.h"

#include <QDateTime>
#include <QHashFunctions>
#include <QList>
#include <QString>
#include <QUuid>

#include <optional>
#include <string_view>

// The entries of the cleaning journal: one CleaningSession per cleaning, one RemovedFile per item it removed.

struct RemovedFile {
    // The member names of a file object in history.json.
    struct CodingKeys {
        static constexpr std::string_view id = "id";
        static constexpr std::string_view originalPath = "originalPath";
        static constexpr std::string_view trashPath = "trashPath";
        static constexpr std::string_view bytes = "bytes";
        static constexpr std::string_view restored = "restored";
        // What stood at `trashPath` when the item was moved there; written together, and only then.
        static constexpr std::string_view trashDevice = "trashDevice";
        static constexpr std::string_view trashInode = "trashInode";
        static constexpr std::string_view trashKind = "trashKind";
    };

    QUuid id;
    QString originalPath;             // where the item was before removal
    std::optional<QString> trashPath; // its place in the Trash; absent when it was deleted outright
    qint64 bytes = 0;                 // its size as the removal engine reported it
    bool restored = false;            // only ever goes from false to true
    // The item as it lay at `trashPath`: absent in entries written before it was kept, which are put back on the
    // strength of the path alone.
    std::optional<Platform::ItemIdentity> trashIdentity = std::nullopt;

    // Not yet put back, still in the Trash, and nothing in its old place. Neither test follows a link: a
    // trashed link is an item, and a link at the old place is something that would be overwritten.
    bool canRestore() const;
    // Whether what stands at `trashPath` now (not followed) is the item that went there; true for an entry
    // without a kept identity once something stands there.
    bool isStillInTrash() const;

    friend bool operator==(const RemovedFile&, const RemovedFile&) = default;
};

struct CleaningSession {
    // The member names of a session object in history.json.
    struct CodingKeys {
        static constexpr std::string_view id = "id";
        static constexpr std::string_view date = "date";
        static constexpr std::string_view moduleID = "moduleID";
        static constexpr std::string_view moduleTitle = "moduleTitle";
        static constexpr std::string_view freedBytes = "freedBytes";
        static constexpr std::string_view failureCount = "failureCount";
        static constexpr std::string_view files = "files";
        static constexpr std::string_view snapshotStamp = "snapshotStamp";
    };

    QUuid id;
    QDateTime date;      // when the entry was recorded, UTC
    QString moduleID;    // the module's raw text, kept as text so that an unknown name survives reading
    QString moduleTitle; // the module's French title when the entry was recorded
    qint64 freedBytes = 0;
    int failureCount = 0;
    QList<RemovedFile> files; // in the removal report's order
    std::optional<QString> snapshotStamp;

    // The files that can still be put back from the Trash (RemovedFile::canRestore).
    int restorableFiles() const;
    // The files not yet put back: what a snapshot restore could still bring back.
    int unrestoredFiles() const;
    // What the cleaning still frees: `freedBytes` less the files put back since, never below 0, and nothing
    // once every file is back. Derived, so that journals keep the figure the cleaning reported.
    qint64 keptBytes() const;

    friend bool operator==(const CleaningSession&, const CleaningSession&) = default;
};

// Both are moved in memory as they stand when a list grows, as their members are.
Q_DECLARE_TYPEINFO(RemovedFile, Q_RELOCATABLE_TYPE);
Q_DECLARE_TYPEINFO(CleaningSession, Q_RELOCATABLE_TYPE);

size_t qHash(const RemovedFile& file, size_t seed = 0) noexcept;
size_t qHash(const CleaningSession& session, size_t seed = 0) noexcept;

template <> struct std::hash<RemovedFile> {
    size_t operator()(const RemovedFile& file) const noexcept { return qHash(file); }
};

template <> struct std::hash<CleaningSession> {
    size_t operator()(const CleaningSession& session) const noexcept { return qHash(session); }
};
