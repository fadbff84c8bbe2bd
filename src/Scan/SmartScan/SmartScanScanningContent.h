#pragma once

#include "Scan/SmartScan/SmartScanContent.h"

// The smart scan's summary card during a scan ("scanningContent"): a spinner with the percentage in its middle
// ("scanPercent"), the status line ("scanStatus") and the stop button ("cancelButton"), which cancels the scan.
class SmartScanScanningContent final : public SmartScanContent
{
public:
    explicit SmartScanScanningContent(ScanViewModel& model);

    void refresh() override;

private:
    TextLabel* m_percent;
    ElidedLabel* m_status;
};
