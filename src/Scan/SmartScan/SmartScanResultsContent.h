#pragma once

#include "Scan/SmartScan/SmartScanContent.h"

#include <QFont>

// The smart scan's summary card over results with groups ("resultsContent"): the gauge ("resultsGauge") around
// the selected size, its figure ("gaugeValue", made smaller to keep inside the ring) over its unit ("gaugeUnit"),
// the line counting the items found ("recoverableLine"), the button that cleans the selection ("cleanButton",
// dimmed and refusing clicks while nothing is selected) and the button that scans again ("rescanButton").
class SmartScanResultsContent final : public SmartScanContent
{
public:
    explicit SmartScanResultsContent(ScanViewModel& model);

    void refresh() override;

private:
    static QFont valueFont();

    TextLabel* m_value;
    TextLabel* m_unit;
    TextLabel* m_recoverable;
    StyledButton* m_clean;
};
