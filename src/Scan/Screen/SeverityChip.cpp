#include "Scan/Screen/SeverityChip.h"

#include "Look/Paint.h"
#include "Look/Theme.h"

#include <cmath>

#include <QFontMetricsF>
#include <QPainter>

namespace {

constexpr qreal horizontalPadding = 5;
constexpr qreal verticalPadding = 1.5;

} // namespace

QString SeverityChip::text(ThreatSeverity severity)
{
    return label(severity);
}

const QColor& SeverityChip::color(ThreatSeverity severity)
{
    switch (severity) {
    case ThreatSeverity::suspicious:
        return Theme::amber();
    case ThreatSeverity::likely:
        return Theme::orange();
    case ThreatSeverity::confirmed:
        return Theme::red();
    }
    return Theme::amber();
}

SeverityChip::SeverityChip(ThreatSeverity severity, QWidget* parent) : QWidget(parent), m_severity(severity)
{
    setFont(Theme::systemFont(9, QFont::DemiBold));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void SeverityChip::setSeverity(ThreatSeverity severity)
{
    if (m_severity == severity)
        return;
    m_severity = severity;
    updateGeometry();
    update();
}

QSize SeverityChip::sizeHint() const
{
    const QFontMetricsF metrics(font());
    return {static_cast<int>(std::ceil(metrics.horizontalAdvance(text(m_severity)) + 2 * horizontalPadding)),
            static_cast<int>(std::ceil(metrics.height() + 2 * verticalPadding))};
}

void SeverityChip::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor& tint = color(m_severity);
    painter.fillPath(Paint::capsule(rect()), Paint::withOpacity(tint, washOpacity));
    painter.setPen(tint);
    painter.drawText(rect(), Qt::AlignCenter, text(m_severity));
}
