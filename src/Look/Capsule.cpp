#include "Look/Capsule.h"

#include "Look/Theme.h"

#include <QFontMetrics>
#include <QPainter>

namespace {

QFont fontOf(const Capsule::Style& style)
{
    return Theme::systemFont(style.fontSize, style.weight);
}

QSize measured(const QFontMetrics& metrics, const Capsule::Style& style, const QString& text)
{
    return {metrics.horizontalAdvance(text) + 2 * style.horizontalPadding,
            metrics.height() + 2 * style.verticalPadding};
}

} // namespace

Capsule::Capsule(const QString& text, QWidget* parent) : Capsule(text, Style{}, parent)
{
}

Capsule::Capsule(const QString& text, const Style& style, QWidget* parent)
    : QWidget(parent), m_text(text), m_style(style)
{
    setFont(fontOf(style));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QColor Capsule::textColor() const
{
    return m_style.tint.value_or(Paint::ink(this, m_style.ink));
}

QColor Capsule::fillColor() const
{
    if (m_style.tint)
        return Paint::withOpacity(*m_style.tint, m_style.fillOpacity);
    return Paint::ink(this, Paint::Ink::primary, m_style.fillOpacity);
}

QSize Capsule::sizeFor(const Style& style, const QString& text)
{
    return measured(QFontMetrics(fontOf(style)), style, text);
}

QSize Capsule::sizeHint() const
{
    return measured(fontMetrics(), m_style, m_text);
}

void Capsule::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(Paint::capsule(QRectF(rect())), fillColor());
    painter.setPen(textColor());
    painter.drawText(rect(), Qt::AlignCenter, m_text);
}
