#include "Scan/SmartScan/SmartScanScanningContent.h"

#include "Look/ElidedLabel.h"
#include "Look/SpinnerRing.h"
#include "Look/TextLabel.h"
#include "Scan/Screen/ScanViewModel.h"
#include "Scan/Screen/ScanningState.h"
#include "Scan/SmartScan/SmartScanView.h"

using namespace Qt::StringLiterals;

SmartScanScanningContent::SmartScanScanningContent(ScanViewModel& model)
    : SmartScanContent(u"scanningContent"_s, model), m_percent(percentLabel(u"scanPercent"_s)),
      m_status(statusLabel(u"scanStatus"_s))
{
    add(ring(new SpinnerRing(SmartScanView::ringLineWidth), m_percent));
    addStretched(m_status);
    auto* stop = button(u"Arrêter"_s, QuietButtonStyle{}, u"cancelButton"_s);
    connect(stop, &QAbstractButton::clicked, this, [this] { m_model.cancel(); });
    add(stop);
    refresh();
}

void SmartScanScanningContent::refresh()
{
    m_percent->setText(ScanningState::percentText(m_model.progress()));
    m_status->setText(SmartScanView::statusText(m_model.status(), false));
}
