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
    const QFontMetricsF metrics(font());
    const QMargins pad = paddingOf(m_style);
    return {static_cast<int>(std::ceil(metrics.horizontalAdvance(text()))) + pad.left() + pad.right(),
            static_cast<int>(std::ceil(metrics.height())) + pad.top() + pad.bottom()};
}

QSize StyledButton::minimumSizeHint() const
{
    return sizeHint();
}

void StyledButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF frame = rect();
    QColor textColor;
    if (const auto* primary = std::get_if<PrimaryButtonStyle>(&m_style)) {
        painter.translate(frame.center());
        painter.scale(m_scale, m_scale);
        painter.translate(-frame.center());
        // A faded gradient is laid over the window's own colour, so the button never shows what happens to be
        // beneath it (nothing, on a window without an alpha channel: black).
        const QPainterPath capsule = Paint::capsule(frame);
        if (primary->fillOpacity() < 1)
            painter.fillPath(capsule, palette().color(QPalette::Window));
        painter.setOpacity(primary->fillOpacity());
        painter.fillPath(capsule, Paint::placed(primary->gradient, frame));
        painter.setOpacity(1);
        textColor = Qt::white;
    } else {
        painter.fillPath(Paint::capsule(frame),
                         Paint::ink(this, Paint::Ink::primary, QuietButtonStyle::fillOpacity(isDown())));
        textColor = Paint::ink(this);
    }
    painter.setPen(textColor);
    painter.drawText(frame, Qt::AlignCenter, text());
}
