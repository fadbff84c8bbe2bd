#include "Scan/SmartScan/SmartScanResultsContent.h"

#include "Core/FileUtils.h"
#include "Look/GaugeRing.h"
#include "Look/TextLabel.h"
#include "Look/Theme.h"
#include "Scan/Screen/ScanViewModel.h"
#include "Scan/SmartScan/SmartScanView.h"

#include <algorithm>

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

// `font`, or smaller when `text` would be wider than `width` in it: a figure keeps inside its ring.
QFont fitted(const QFont& font, const QString& text, int width)
{
    const int natural = QFontMetrics(font).horizontalAdvance(text);
    if (natural <= width || font.pixelSize() <= 0)
        return font;
    QFont smaller = font;
    smaller.setPixelSize(std::max(1, font.pixelSize() * width / natural));
    return smaller;
}

} // namespace

SmartScanResultsContent::SmartScanResultsContent(ScanViewModel& model)
    : SmartScanContent(u"resultsContent"_s, model), m_value(new TextLabel(QString(), valueFont())),
      m_unit(new TextLabel(QString(), Theme::systemFont(14, QFont::DemiBold), Paint::Ink::secondary)),
      m_recoverable(new TextLabel(QString(), Theme::systemFont(12), Paint::Ink::secondary)),
      m_clean(button(u"Tout nettoyer"_s, primary(), u"cleanButton"_s))
{
    auto* figure = new QWidget;
    auto* stack = new QVBoxLayout(figure);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(0);
    m_value->setObjectName(u"gaugeValue"_s);
    m_unit->setObjectName(u"gaugeUnit"_s);
    stack->addWidget(m_value, 0, Qt::AlignHCenter);
    stack->addWidget(m_unit, 0, Qt::AlignHCenter);
    auto* gauge = new GaugeRing(1, Theme::accentGradient(), SmartScanView::ringLineWidth);
    gauge->setObjectName(u"resultsGauge"_s);
    add(ring(gauge, figure));

    m_recoverable->setObjectName(u"recoverableLine"_s);
    m_recoverable->setWordWrap(true);
    m_recoverable->setAlignment(Qt::AlignCenter);
    addStretched(m_recoverable);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(10);
    buttons->addStretch(1);
    buttons->addWidget(m_clean, 0, Qt::AlignVCenter);
    auto* again = button(u"Relancer"_s, QuietButtonStyle{}, u"rescanButton"_s);
    buttons->addWidget(again, 0, Qt::AlignVCenter);
    buttons->addStretch(1);
    m_column->addLayout(buttons);

    // Cleans what is selected at the moment of the click, exactly as the user left it.
    connect(m_clean, &QAbstractButton::clicked, this, [this] { m_model.clean(); });
    connect(again, &QAbstractButton::clicked, this, [this] { m_model.scan(); });
    refresh();
}

void SmartScanResultsContent::refresh()
{
    const FileUtils::SplitByteCount split = FileUtils::splitByteCount(m_model.selectedBytes());
    m_value->setText(split.value);
    m_value->setFont(fitted(valueFont(), split.value,
                            SmartScanView::ringSide - 2 * static_cast<int>(SmartScanView::ringLineWidth) - 24));
    m_unit->setText(split.unit);
    m_recoverable->setText(SmartScanView::recoverableText(m_model.totalItemCount()));
    const bool any = m_model.selectedCount() > 0;
    m_clean->setButtonStyle(primary(any));
    // The look only dims the button; it must not take clicks either.
    m_clean->setEnabled(any);
}

QFont SmartScanResultsContent::valueFont()
{
    return Theme::systemFont(42, QFont::Bold, Theme::Design::rounded);
}
