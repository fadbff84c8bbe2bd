#include "Look/DisclosureChevron.h"

#include "Look/Motion.h"
#include "Look/Paint.h"
#include "Platform/Symbols.h"

#include <QPainter>
#include <QVariantAnimation>

DisclosureChevron::DisclosureChevron(bool expanded, QWidget* parent)
    : QWidget(parent), m_expanded(expanded), m_angle(expanded ? 90 : 0), m_turn(new QVariantAnimation(this))
{
    setFixedSize(14, 14);
    m_turn->setDuration(turnMilliseconds);
    m_turn->setEasingCurve(Motion::easeOut());
    connect(m_turn, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_angle = value.toDouble();
        update();
    });
}

DisclosureChevron::~DisclosureChevron() = default;

void DisclosureChevron::setExpanded(bool expanded)
{
    if (m_expanded == expanded)
        return;
    m_expanded = expanded;
    const qreal target = expanded ? 90 : 0;
    m_turn->stop();
    if (!isVisible()) {
        m_angle = target;
        update();
        return;
    }
    m_turn->setStartValue(m_angle);
    m_turn->setEndValue(target);
    m_turn->start();
}

void DisclosureChevron::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(QRectF(rect()).center());
    painter.rotate(m_angle);
    Paint::drawSymbol(painter, sfSymbol(u"chevron.right"), QPointF(0, 0), 10, Paint::ink(this, Paint::Ink::tertiary));
}
