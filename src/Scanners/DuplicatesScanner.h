#pragma once

#include "Platform/FileReading.h"
#include "Scanners/ModuleScanner.h"

#include <QDateTime>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

class Exclusions;

// The scanner of the duplicates module: files of identical content, at least 1 MiB each, in the user's
// personal folders. Content is compared in stages that read as little as possible: equal lengths, then a
// fingerprint of the first and last 64 KiB, then SHA-256 of the whole file. Each set of copies is one
// group, oldest copy first and kept when the whole group is selected (keepsFirst); nothing is ticked, every
// copy is risky and goes to the Trash.
class DuplicatesScanner final : public ModuleScanner
{
public:
    // One candidate file, as the walk found it.
    struct Entry {
        QString url;
        qint64 size = 0; // logical length
        std::optional<QDateTime> modified;
        quint64 device = 0; // with `inode`, the file's identity: two paths of one file count once
        quint64 inode = 0;
        friend bool operator==(const Entry&, const Entry&) = default;
    };
    using Copies = QList<Entry>;

    // `customRoots`: the folders to search instead of the personal folders of the home; `reads`: how the files
    // are opened and read, to be compared.
    DuplicatesScanner(const Exclusions& exclusions, ModuleID module,
                      std::optional<QStringList> customRoots = std::nullopt,
                      const Platform::FileReads& reads = Platform::systemFileReads());

    // Names of folders whose contents are never searched (build products, caches, repositories, …).
    static const QSet<QString>& skippedNames();
    static constexpr qint64 minimumSize = 1024 * 1024;
    static constexpr int maximumGroups = 250;

    const std::optional<QStringList>& customRoots() const { return m_customRoots; }
    void setCustomRoots(std::optional<QStringList> roots) { m_customRoots = std::move(roots); }

    // Whether folders are walked and files read several at a time on the platform's walk pool (the
    // default) or one after another; both give the same result.
    void setReadsInParallel(bool parallel) { m_readsInParallel = parallel; }

    // The folders searched, in order: the custom roots or ~/Desktop, Documents, Downloads, Movies, Music and
    // Pictures, keeping those that are folders.
    QStringList roots() const;

    ModuleID moduleID() const override { return m_moduleID; }
    QString actionTitle() const override;
    QString emptyTitle() const override;
    QString emptyMessage() const override;
    bool requiresFullDiskAccess() const override { return false; }
    QList<ScanGroup> scan(const Progress& progress, std::stop_token stop) const override;

    // The stages, in the order the scan runs them. A stop ends each stage early with what it completed.
    QList<Entry> enumerate(const Progress& progress, std::stop_token stop) const;
    static QList<Copies> groupBySize(const QList<Entry>& entries); // sizes met twice or more, in walk order
    QList<Copies> samePartialFingerprint(const QList<Copies>& sameSize, std::stop_token stop) const;
    QList<Copies> sameContent(const QList<Copies>& candidates, std::stop_token stop) const;
    static QList<ScanGroup> shaped(const Exclusions& exclusions, QList<Copies> duplicates);

    // Hex SHA-256 of the first 64 KiB and, for longer files, of the last 64 KiB; of the whole content. Nothing
    // when the file cannot be opened or read, is no longer the regular file of that identity and length that
    // the walk found, or `stop` came before one of its reads.
    std::optional<QString> partialFingerprint(const Entry& entry, std::stop_token stop = {}) const;
    std::optional<QString> fullFingerprint(const Entry& entry, std::stop_token stop = {}) const;

    // Largest waste first ((copies − 1) × size), stable; oldest first, an undated copy before any dated one.
    static void sortByWaste(QList<Copies>& lists);
    static bool olderFirst(const Entry& a, const Entry& b);

private:
    using Fingerprint = std::optional<QString> (DuplicatesScanner::*)(const Entry&, std::stop_token) const;
    QList<Copies> sameFingerprint(const QList<Copies>& lists, std::stop_token stop, Fingerprint fingerprint) const;

    const Exclusions* m_exclusions; // what the scan leaves out
    const Platform::FileReads* m_reads;
    ModuleID m_moduleID;
    std::optional<QStringList> m_customRoots;
    bool m_readsInParallel = true;
};
