#include "Look/HaloArt.h"

#include "Look/IconTile.h"
#include "Look/Motion.h"
#include "Look/Paint.h"
#include "Look/Sparkle.h"
#include "Platform/MotionSetting.h"

#include <cmath>
#include <numbers>

#include <QPainter>
#include <QVariantAnimation>

const std::array<HaloArt::Disc, 3>& HaloArt::discs()
{
    static constexpr std::array<Disc, 3> table{{{1.0, 0.09}, {0.8, 0.14}, {0.6, 0.21}}};
    return table;
}

const std::array<HaloArt::SparkleRow, 4>& HaloArt::sparkles()
{
    static constexpr std::array<SparkleRow, 4> table{{{-32, 0.5, 15}, {58, 0.56, 10}, {156, 0.47, 8}, {232, 0.53, 12}}};
    return table;
}

QPointF HaloArt::sparkleOffset(const SparkleRow& row, qreal diameter)
{
    const qreal radians = row.angleDegrees * std::numbers::pi / 180;
    return {std::cos(radians) * diameter * row.radius, std::sin(radians) * diameter * row.radius};
}

qreal HaloArt::sparklesScale(qreal breathe)
{
    return 0.86 + 0.14 * breathe;
}

qreal HaloArt::sparklesOpacity(qreal breathe)
{
    return 0.6 + 0.4 * breathe;
}

HaloArt::HaloArt(const QString& symbol, const QColor& tint, qreal diameter, bool animated, QWidget* parent)
    : QWidget(parent), m_symbol(symbol), m_tint(tint), m_diameter(diameter), m_animated(animated),
      m_animation(new QVariantAnimation(this))
{
    Paint::requireSymbol(symbol);
    const int side = static_cast<int>(std::lround(diameter * 1.25));
    setFixedSize(side, side);
    m_animation->setStartValue(0.0);
    m_animation->setEndValue(1.0);
    m_animation->setDuration(700);
    m_animation->setEasingCurve(Motion::easeInOut());
    connect(m_animation, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_progress = value.toDouble();
        update();
    });
}

HaloArt::~HaloArt() = default;

bool HaloArt::isAnimating() const
{
    return m_animation->state() == QAbstractAnimation::Running;
}

void HaloArt::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_breathe)
        return;
    m_breathe = true;
    if (m_animated && !Platform::reduceMotion()) {
        m_animation->start();
    } else {
        m_progress = 1;
        update();
    }
}

void HaloArt::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPointF centre = QRectF(rect()).center();
    const auto square = [&centre](qreal side) { return Paint::centredSquare(centre, side); };

    for (const Disc& disc : discs()) {
        painter.fillPath(Paint::centredCircle(centre, m_diameter * disc.scale),
                         Paint::withOpacity(m_tint, disc.opacity));
    }
    const auto ring = [&](qreal side, qreal opacity) {
        painter.strokePath(Paint::insetRoundedRect(square(side), side / 2, 1),
                           QPen(Paint::withOpacity(m_tint, opacity), 1));
    };
    ring(m_diameter, 0.34);
    ring(m_diameter * 0.8, 0.22);

    painter.save();
    painter.setOpacity(sparklesOpacity(m_progress));
    painter.translate(centre);
    painter.scale(sparklesScale(m_progress), sparklesScale(m_progress));
    for (const SparkleRow& row : sparkles()) {
        const QPointF at = sparkleOffset(row, m_diameter);
        painter.fillPath(Sparkle::path(QRectF(at - QPointF(row.size, row.size) / 2, QSizeF(row.size, row.size))),
                         Paint::withOpacity(m_tint, 0.9));
    }
    painter.restore();

    IconTile::paint(painter, square(m_diameter * tileScale), m_symbol, m_tint, true, true);
}
