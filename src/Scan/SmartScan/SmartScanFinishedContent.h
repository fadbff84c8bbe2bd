#pragma once

#include "Scan/SmartScan/SmartScanContent.h"

class FailureCard;
class QLabel;

// The smart scan's summary card once a cleaning is over ("finishedContent"): the success picture, what it freed
// ("freedLine"), how many items stayed ("ignoredLine") and why (a FailureCard), the line saying that no
// safety-net snapshot could be taken ("safetyNetNotice"), each only when it applies, and the button that starts a
// new scan ("newScanButton").
class SmartScanFinishedContent final : public SmartScanContent
{
public:
    explicit SmartScanFinishedContent(ScanViewModel& model);

    void refresh() override;

private:
    TextLabel* m_freed;
    QLabel* m_ignored;
    FailureCard* m_failures;
    QLabel* m_safetyNet;
};
