#pragma once

#include "Scanners/ModuleScanner.h"

#include <QList>
#include <QString>

class Exclusions;

// The scanner of the smart scan: system junk, the trash bins and known threats, one after the other, as
// weighted stages of one overall progress. Their groups come back in stage order, exactly as each stage
// built them; the malware stage's advisories are not gathered.
class SmartScanScanner final : public ModuleScanner
{
public:
    struct Stage {
        ScannerPtr scanner;
        double weight = 0;
        QString label; // shown while the stage reports no label of its own
    };

    // The three stages: system junk (0.6), trash bins (0.15) and known threats (0.25), each leaving out what
    // `exclusions` covers.
    explicit SmartScanScanner(const Exclusions& exclusions);
    // Other stages, for tests.
    explicit SmartScanScanner(QList<Stage> stages) : m_stages(std::move(stages)) {}

    const QList<Stage>& stages() const { return m_stages; }

    ModuleID moduleID() const override { return ModuleID::smartScan; }
    QString actionTitle() const override;
    QString emptyTitle() const override;
    QString emptyMessage() const override;
    bool requiresFullDiskAccess() const override { return false; }
    // A stop is looked at before each stage: a running stage ends by its own rules and its groups are kept,
    // and no further stage starts. Closes with (1.0, "") in every case.
    QList<ScanGroup> scan(const Progress& progress, std::stop_token stop) const override;

private:
    QList<Stage> m_stages;
};
