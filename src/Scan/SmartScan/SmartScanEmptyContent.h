#pragma once

#include "Scan/SmartScan/SmartScanContent.h"

// The smart scan's summary card after a scan that found nothing ("emptyContent"): the success picture, "Rien à
// nettoyer pour l'instant." ("emptyMessage") and the button that scans again ("rescanButton").
class SmartScanEmptyContent final : public SmartScanContent
{
public:
    explicit SmartScanEmptyContent(ScanViewModel& model);
};
