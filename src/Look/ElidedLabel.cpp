#include "Look/ElidedLabel.h"

#include <cmath>

#include <QFontMetricsF>
#include <QPainter>

ElidedLabel::ElidedLabel(const QString& text, const QFont& font, Paint::Ink ink, QWidget* parent)
    : QWidget(parent), m_text(text), m_ink(ink)
{
    setFont(font);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void ElidedLabel::setText(const QString& text)
{
    if (m_text == text)
        return;
    m_text = text;
    updateGeometry();
    update();
}

QString ElidedLabel::shownText() const
{
    return QFontMetricsF(font()).elidedText(oneLine(m_text), m_mode, width());
}

QString ElidedLabel::oneLine(const QString& text)
{
    QString line = text;
    for (QChar& c : line) {
        const char16_t code = c.unicode();
        if (code < 0x20)
            c = QChar(char16_t(0x2400 + code)); // the control pictures block, in the same order
        else if (code == 0x7f)
            c = QChar(u'\u2421'); // ␡
        else if ((code >= 0x80 && code < 0xa0) || code == 0x2028 || code == 0x2029)
            c = QChar(u'\ufffd');
    }
    return line;
}

void ElidedLabel::setElideMode(Qt::TextElideMode mode)
{
    m_mode = mode;
    update();
}

void ElidedLabel::setAlignment(Qt::Alignment alignment)
{
    m_alignment = alignment;
    update();
}

void ElidedLabel::setColor(const std::optional<QColor>& color)
{
    m_color = color;
    update();
}

QSize ElidedLabel::sizeHint() const
{
    const QFontMetricsF metrics(font());
    return {static_cast<int>(std::ceil(metrics.horizontalAdvance(oneLine(m_text)))),
            static_cast<int>(std::ceil(metrics.height()))};
}

QSize ElidedLabel::minimumSizeHint() const
{
    return {0, sizeHint().height()};
}

void ElidedLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setPen(m_color.value_or(Paint::ink(this, m_ink)));
    painter.drawText(rect(), static_cast<int>(m_alignment) | Qt::TextSingleLine, shownText());
}
