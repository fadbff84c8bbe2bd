#pragma once

#include "Scanners/ModuleScanner.h"

#include <QList>
#include <QSet>
#include <QString>

class Exclusions;

// The scanner of the large and old files module: every regular file of the home folder that takes at least
// `minimumSize` bytes on disk, in one group per kind (videos, archives, disk images, audio, documents,
// others). Age chooses nothing; the modification date is shown. Nothing is ticked; every file is risky and
// goes to the Trash.
class LargeOldFilesScanner final : public ModuleScanner
{
public:
    // In the order of the groups.
    enum class Kind { video, archive, diskImage, audio, document, other };

    LargeOldFilesScanner(const Exclusions& exclusions, ModuleID module, qint64 minimumSize,
                         QSet<QString> skippedDirectories);

    // The module's threshold (50 MiB) and the names of the folders whose contents are never visited.
    static constexpr qint64 standardMinimumSize = 52'428'800;
    static QSet<QString> standardSkippedDirectories();

    // The kind of a file by its last extension, in any letter case.
    static Kind kind(const QString& extension);

    qint64 minimumSize() const { return m_minimumSize; }
    void setMinimumSize(qint64 bytes) { m_minimumSize = bytes; }
    const QSet<QString>& skippedDirectories() const { return m_skippedDirectories; }

    ModuleID moduleID() const override { return m_moduleID; }
    QString actionTitle() const override;
    QString emptyTitle() const override;
    QString emptyMessage() const override;
    bool requiresFullDiskAccess() const override { return false; }
    QList<ScanGroup> scan(const Progress& progress, std::stop_token stop) const override;

private:
    const Exclusions* m_exclusions; // what the scan leaves out
    ModuleID m_moduleID;
    qint64 m_minimumSize;
    QSet<QString> m_skippedDirectories;
};
