#pragma once

#include "Scanners/ModuleScanner.h"

class Exclusions;

// The scanner of the privacy module: the traces that Safari, Google Chrome, Firefox and the system keep of
// what the user did (histories, cookies, caches, recent items, shell histories, the persistent pasteboard),
// one group per source, from a fixed table of places. Sensitive traces start unticked and are risky.
class PrivacyScanner final : public ModuleScanner
{
public:
    PrivacyScanner(const Exclusions& exclusions, ModuleID module) : m_exclusions(&exclusions), m_moduleID(module) {}

    ModuleID moduleID() const override { return m_moduleID; }
    QString actionTitle() const override;
    QString emptyTitle() const override;
    QString emptyMessage() const override;
    bool requiresFullDiskAccess() const override { return true; }
    QList<ScanGroup> scan(const Progress& progress, std::stop_token stop) const override;

private:
    const Exclusions* m_exclusions; // what the scan leaves out
    ModuleID m_moduleID;
};
