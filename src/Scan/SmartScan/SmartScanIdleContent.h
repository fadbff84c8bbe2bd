#pragma once

#include "Scan/SmartScan/SmartScanContent.h"

// The smart scan's summary card before a scan ("idleContent"): the sparkles' halo, the line saying what the scan
// looks through ("invitationText") and the scan button ("scanButton"), which starts the model's scan.
class SmartScanIdleContent final : public SmartScanContent
{
public:
    explicit SmartScanIdleContent(ScanViewModel& model);
};
