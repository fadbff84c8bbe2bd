#include "Look/SpinnerRing.h"

#include "Look/Paint.h"
#include "Look/Theme.h"

#include <QPainter>
#include <QVariantAnimation>

SpinnerRing::SpinnerRing(qreal lineWidth, QWidget* parent)
    : QWidget(parent), m_lineWidth(lineWidth), m_animation(new QVariantAnimation(this))
{
    m_animation->setStartValue(0.0);
    m_animation->setEndValue(360.0);
    m_animation->setDuration(turnMilliseconds);
    m_animation->setLoopCount(-1);
    connect(m_animation, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_angle = value.toDouble();
        update();
    });
}

SpinnerRing::~SpinnerRing() = default;

bool SpinnerRing::isTurning() const
{
    return m_animation->state() == QAbstractAnimation::Running;
}

void SpinnerRing::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_animation->state() == QAbstractAnimation::Paused)
        m_animation->resume();
    else if (m_animation->state() == QAbstractAnimation::Stopped)
        m_animation->start();
}

void SpinnerRing::hideEvent(QHideEvent* event)
{
    // Nothing to turn while nobody sees it; it resumes where it was.
    if (m_animation->state() == QAbstractAnimation::Running)
        m_animation->pause();
    QWidget::hideEvent(event);
}

void SpinnerRing::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF ring = Paint::ringRect(rect(), m_lineWidth);
    painter.setPen(QPen(Paint::ink(this, Paint::Ink::primary, trackOpacity), m_lineWidth));
    painter.drawEllipse(ring);
    QPen arc(QBrush(Paint::placed(Theme::accentGradient(), ring)), m_lineWidth, Qt::SolidLine, Qt::RoundCap);
    // The platform rotates the trimmed circle about its centre, gradient and all.
    painter.translate(ring.center());
    painter.rotate(m_angle);
    painter.translate(-ring.center());
    painter.strokePath(Paint::ringArc(ring, 0, arcFraction), arc);
}
