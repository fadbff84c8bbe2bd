#pragma once

#include "Core/ModuleID.h"
#include "Core/Progress.h"
#include "Core/ScanModel.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <stop_token>

// What every module's scanner offers: its module, the texts of its clean button and empty state, whether it
// needs Full Disk Access, the scan and its advisories. A scanner holds no state between scans: each field
// is set when it is built, so one scanner can be shared by any number of threads and scans.
class ModuleScanner
{
public:
    virtual ~ModuleScanner() = default;

    virtual ModuleID moduleID() const = 0;
    virtual QString actionTitle() const;  // "Nettoyer"
    virtual QString emptyTitle() const;   // "Rien à nettoyer"
    virtual QString emptyMessage() const; // "Cette catégorie est déjà au propre."
    virtual bool requiresFullDiskAccess() const = 0;

    // Runs on the caller's (background) thread and reports progress from it, closing with (1.0, "").
    // A stop returns the groups built from what was found so far.
    virtual QList<ScanGroup> scan(const Progress& progress, std::stop_token stop) const = 0;

    // Notices shown beside the results; independent of any scan.
    virtual QList<Advisory> advisories() const;

    // The immediate children of a folder, hidden ones included, in byte order of their names: nothing for a
    // path that does not exist, is no folder or cannot be read.
    static QStringList directoryContents(const QString& folder);

protected:
    ModuleScanner() = default;
    ModuleScanner(const ModuleScanner&) = default;
    ModuleScanner& operator=(const ModuleScanner&) = default;
};

using ScannerPtr = std::shared_ptr<const ModuleScanner>;

// The scanner of the tool modules, which have screens of their own: it finds nothing.
class NullScanner final : public ModuleScanner
{
public:
    explicit NullScanner(ModuleID module) : m_moduleID(module) {}

    ModuleID moduleID() const override { return m_moduleID; }
    bool requiresFullDiskAccess() const override { return false; }
    QList<ScanGroup> scan(const Progress& progress, std::stop_token stop) const override;

private:
    ModuleID m_moduleID;
};

// Orderings shared by the scanners.
namespace ScanOrder {

// Higher threat severity first (an item without a threat ranks as suspicious), then names in French
// collation order, case ignored.
bool severityThenName(const ScanItem& a, const ScanItem& b);

// Largest first; items of equal size keep the order in which they were found.
void sortBySize(QList<ScanItem>& items);
QList<ScanItem> sortedBySize(QList<ScanItem> items);

} // namespace ScanOrder
