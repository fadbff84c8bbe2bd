#pragma once

#include "Scanners/ModuleScanner.h"

class Exclusions;

// The scanner of the trash bins module and the second stage of the smart scan: one group for the user's
// Trash and one for each mounted volume's trash of this user, one item per child of a trash, sized whole.
// Every item is deleted for good when cleaned, never moved to the Trash.
class TrashScanner final : public ModuleScanner
{
public:
    TrashScanner(const Exclusions& exclusions, ModuleID module) : m_exclusions(&exclusions), m_moduleID(module) {}

    ModuleID moduleID() const override { return m_moduleID; }
    QString actionTitle() const override;
    QString emptyTitle() const override;
    QString emptyMessage() const override;
    bool requiresFullDiskAccess() const override { return false; }
    QList<ScanGroup> scan(const Progress& progress, std::stop_token stop) const override;

private:
    const Exclusions* m_exclusions; // what the scan leaves out
    ModuleID m_moduleID;
};
