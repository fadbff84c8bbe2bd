#pragma once

#include "Scan/SmartScan/SmartScanContent.h"

class GaugeRing;

// The smart scan's summary card during a cleaning ("cleaningContent"): a gauge filling with the progress
// ("cleaningGauge") around the percentage ("cleaningPercent"), and the status line ("cleaningStatus"). It has no
// control: a cleaning is not stopped from here.
class SmartScanCleaningContent final : public SmartScanContent
{
public:
    explicit SmartScanCleaningContent(ScanViewModel& model);

    void refresh() override;

private:
    TextLabel* m_percent;
    GaugeRing* m_gauge;
    ElidedLabel* m_status;
};
