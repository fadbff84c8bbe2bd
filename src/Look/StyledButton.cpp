#include "Look/StyledButton.h"

#include "Look/Motion.h"
#include "Look/Paint.h"

#include <cmath>

#include <QFontMetricsF>
#include <QPainter>
#include <QVariantAnimation>

namespace {

QMargins paddingOf(const StyledButton::Style& style)
{
    return std::holds_alternative<PrimaryButtonStyle>(style) ? PrimaryButtonStyle::padding()
                                                             : QuietButtonStyle::padding();
}

QFont fontOf(const StyledButton::Style& style)
{
    return std::holds_alternative<PrimaryButtonStyle>(style) ? PrimaryButtonStyle::font() : QuietButtonStyle::font();
}

} // namespace

QLinearGradient PrimaryButtonStyle::greyed(const QLinearGradient& gradient)
{
    QLinearGradient grey = gradient;
    QGradientStops stops = gradient.stops();
    for (QGradientStop& stop : stops) {
        const int level = qGray(stop.second.rgb());
        stop.second = QColor(level, level, level, stop.second.alpha());
    }
    grey.setStops(stops);
    return grey;
}

StyledButton::StyledButton(const QString& title, const Style& style, QWidget* parent)
    : QAbstractButton(parent), m_style(style), m_press(new QVariantAnimation(this))
{
    setText(title);
    setFont(fontOf(style));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setCursor(Qt::ArrowCursor);
    m_press->setDuration(PrimaryButtonStyle::pressMilliseconds);
    m_press->setEasingCurve(Motion::easeOut());
    connect(m_press, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_scale = value.toDouble();
        update();
    });
    connect(this, &QAbstractButton::pressed, this, [this] { animatePress(true); });
    connect(this, &QAbstractButton::released, this, [this] { animatePress(false); });
}

StyledButton::~StyledButton() = default;

void StyledButton::setButtonStyle(const Style& style)
{
    m_style = style;
    setFont(fontOf(style));
    updateGeometry();
    update();
}

void StyledButton::animatePress(bool down)
{
    if (!isPrimary()) {
        update();
        return;
    }
    m_press->stop();
    m_press->setStartValue(m_scale);
    m_press->setEndValue(down ? PrimaryButtonStyle::pressedScale : 1.0);
    m_press->start();
}

QSize StyledButton::sizeHint() const
{
    return sizeFor(m_style, text());
}

QSize StyledButton::sizeFor(const Style& style, const QString& title)
{
    const QFontMetricsF metrics(fontOf(style));
    const QMargins pad = paddingOf(style);
    return {static_cast<int>(std::ceil(metrics.horizontalAdvance(title))) + pad.left() + pad.right(),
            static_cast<int>(std::ceil(metrics.height())) + pad.top() + pad.bottom()};
}

QSize StyledButton::minimumSizeHint() const
{
    return sizeHint();
}

void StyledButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    paintLook(painter, *this, m_style, text(), isDown(), m_scale);
}

void StyledButton::paintLook(QPainter& painter, const QWidget& button, const Style& style, const QString& title,
                             bool down, qreal scale)
{
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setFont(fontOf(style));
    const QRectF frame = button.rect();
    QColor textColor;
    if (const auto* primary = std::get_if<PrimaryButtonStyle>(&style)) {
        painter.translate(frame.center());
        painter.scale(scale, scale);
        painter.translate(-frame.center());
        // Disabled, the gradient loses its colours as well as its strength, and the title turns secondary: a faded
        // tint would read as another action. It is laid over the window's own colour, so the button never shows
        // what happens to be beneath it (nothing, on a window without an alpha channel: black).
        const QPainterPath capsule = Paint::capsule(frame);
        if (primary->fillOpacity() < 1)
            painter.fillPath(capsule, button.palette().color(QPalette::Window));
        painter.setOpacity(primary->fillOpacity());
        painter.fillPath(capsule, Paint::placed(primary->isEnabled ? primary->gradient
                                                                   : PrimaryButtonStyle::greyed(primary->gradient),
                                                frame));
        painter.setOpacity(1);
        textColor = primary->isEnabled ? QColor(Qt::white) : Paint::ink(&button, Paint::Ink::secondary);
    } else {
        painter.fillPath(Paint::capsule(frame),
                         Paint::ink(&button, Paint::Ink::primary, QuietButtonStyle::fillOpacity(down)));
        textColor = Paint::ink(&button);
    }
    painter.setPen(textColor);
    painter.drawText(frame, Qt::AlignCenter, title);
}
