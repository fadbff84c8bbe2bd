#include "Scan/SmartScan/SmartScanCleaningContent.h"

#include "Look/ElidedLabel.h"
#include "Look/GaugeRing.h"
#include "Look/TextLabel.h"
#include "Look/Theme.h"
#include "Scan/Screen/ScanViewModel.h"
#include "Scan/Screen/ScanningState.h"
#include "Scan/SmartScan/SmartScanView.h"

using namespace Qt::StringLiterals;

SmartScanCleaningContent::SmartScanCleaningContent(ScanViewModel& model)
    : SmartScanContent(u"cleaningContent"_s, model), m_percent(percentLabel(u"cleaningPercent"_s)),
      m_gauge(new GaugeRing(model.progress(), Theme::accentGradient(), SmartScanView::ringLineWidth)),
      m_status(statusLabel(u"cleaningStatus"_s))
{
    m_gauge->setObjectName(u"cleaningGauge"_s);
    add(ring(m_gauge, m_percent));
    addStretched(m_status);
    refresh();
}

void SmartScanCleaningContent::refresh()
{
    m_gauge->setFraction(m_model.progress());
    m_percent->setText(ScanningState::percentText(m_model.progress()));
    m_status->setText(SmartScanView::statusText(m_model.status(), true));
}
