#include "Look/GaugeRing.h"

#include "Look/Motion.h"
#include "Look/Paint.h"

#include <algorithm>

#include <QGridLayout>
#include <QPainter>
#include <QVariantAnimation>

std::optional<double> GaugeRing::arcFraction(double fraction)
{
    if (!(fraction > 0.001))
        return std::nullopt;
    return std::min(fraction, 1.0);
}

GaugeRing::GaugeRing(double fraction, const QLinearGradient& gradient, qreal lineWidth, QWidget* content,
                     QWidget* parent)
    : QWidget(parent), m_fraction(fraction), m_shown(fraction), m_gradient(gradient), m_lineWidth(lineWidth),
      m_animation(new QVariantAnimation(this))
{
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_animation->setDuration(animationMilliseconds);
    m_animation->setEasingCurve(Motion::easeOut());
    connect(m_animation, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_shown = value.toDouble();
        update();
    });
    setContent(content);
}

GaugeRing::~GaugeRing() = default;

void GaugeRing::setFraction(double fraction)
{
    if (fraction == m_fraction)
        return;
    m_fraction = fraction;
    m_animation->stop();
    // An arc that appears grows from nothing; one that goes away goes at once.
    const double from = arcFraction(m_shown).value_or(0);
    const double to = arcFraction(fraction).value_or(0);
    m_shown = from;
    m_animation->setStartValue(from);
    m_animation->setEndValue(to);
    m_animation->start();
    update();
}

void GaugeRing::setGradient(const QLinearGradient& gradient)
{
    m_gradient = gradient;
    update();
}

void GaugeRing::setContent(QWidget* content)
{
    if (m_content == content)
        return;
    if (m_content)
        m_content->deleteLater();
    m_content = content;
    if (content)
        static_cast<QGridLayout*>(layout())->addWidget(content, 0, 0, Qt::AlignCenter);
}

void GaugeRing::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF ring = Paint::ringRect(rect(), m_lineWidth);
    QPen track(Paint::ink(this, Paint::Ink::primary, trackOpacity), m_lineWidth, Qt::SolidLine, Qt::FlatCap);
    painter.setPen(track);
    painter.drawEllipse(ring);
    if (!arcFraction(m_fraction))
        return;
    const std::optional<double> shown = arcFraction(m_shown);
    if (!shown)
        return;
    QPen arc(QBrush(Paint::placed(m_gradient, ring)), m_lineWidth, Qt::SolidLine, Qt::RoundCap);
    painter.strokePath(Paint::ringArc(ring, -90, *shown), arc);
}
