#include "Look/SuccessArt.h"

#include "Look/Motion.h"
#include "Look/Paint.h"
#include "Look/Theme.h"
#include "Platform/MotionSetting.h"
#include "Platform/Symbols.h"

#include <algorithm>
#include <cmath>

#include <QPainter>
#include <QVariantAnimation>

namespace {

const Motion::Spring kBloom{0.55, 0.68};

} // namespace

SuccessArt::Ray SuccessArt::ray(int index, qreal diameter)
{
    return {3, diameter * (index % 2 == 0 ? 0.1 : 0.06), diameter * 0.56, index * 30.0};
}

qreal SuccessArt::raysScale(qreal bloom)
{
    return 0.86 + 0.14 * bloom;
}

qreal SuccessArt::raysOpacity(qreal bloom)
{
    return std::clamp(bloom, qreal(0), qreal(1));
}

SuccessArt::SuccessArt(qreal diameter, const QColor& tint, QWidget* parent)
    : QWidget(parent), m_diameter(diameter), m_tint(tint), m_animation(new QVariantAnimation(this))
{
    const int side = static_cast<int>(std::lround(diameter * 1.3));
    setFixedSize(side, side);
    // The animation runs on time; the spring turns elapsed time into the bloom.
    const int duration = Motion::settleMilliseconds(kBloom);
    m_animation->setStartValue(0);
    m_animation->setEndValue(duration);
    m_animation->setDuration(duration);
    connect(m_animation, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_progress = Motion::springValue(kBloom, value.toDouble() / 1000);
        update();
    });
    connect(m_animation, &QVariantAnimation::finished, this, [this] {
        m_progress = 1;
        update();
    });
}

SuccessArt::~SuccessArt() = default;

bool SuccessArt::isAnimating() const
{
    return m_animation->state() == QAbstractAnimation::Running;
}

void SuccessArt::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_bloom)
        return;
    m_bloom = true;
    if (Platform::reduceMotion()) {
        m_progress = 1;
        update();
    } else {
        m_animation->start();
    }
}

void SuccessArt::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPointF centre = QRectF(rect()).center();
    const auto circle = [&centre](qreal side) { return Paint::centredCircle(centre, side); };

    painter.save();
    painter.setOpacity(raysOpacity(m_progress));
    painter.translate(centre);
    painter.scale(raysScale(m_progress), raysScale(m_progress));
    for (int i = 0; i < rayCount; ++i) {
        const Ray r = ray(i, m_diameter);
        painter.save();
        painter.rotate(r.angleDegrees);
        const QRectF bar(-r.width / 2, -r.distance - r.height / 2, r.width, r.height);
        painter.fillPath(Paint::capsule(bar), Paint::withOpacity(m_tint, 0.3));
        painter.restore();
    }
    painter.restore();

    painter.fillPath(circle(m_diameter * 0.88), Paint::withOpacity(m_tint, 0.12));
    const QPainterPath disc = circle(m_diameter * 0.62);
    Paint::drawShadow(painter, disc, Paint::withOpacity(m_tint, 0.38), m_diameter * 0.08,
                      QPointF(0, m_diameter * 0.04));
    painter.fillPath(disc, Paint::placed(Theme::tintGradient(m_tint), disc.boundingRect()));
    Paint::drawSymbol(painter, sfSymbol(u"checkmark"), centre, m_diameter * 0.28, Qt::white);
}
