#include "Look/TextLabel.h"

#include <QApplication>
#include <QEvent>
#include <QHelpEvent>
#include <QPainter>
#include <QStyle>
#include <QToolTip>

TextLabel::TextLabel(const QString& text, const QFont& font, Paint::Ink ink, QWidget* parent)
    : QLabel(text, parent), m_ink(ink)
{
    setFont(font);
    setTextFormat(Qt::PlainText);
    applyInk();
}

void TextLabel::setElideMode(Qt::TextElideMode mode)
{
    m_elide = mode;
    if (mode != Qt::ElideNone)
        setWordWrap(false);
    updateGeometry();
    update();
}

QString TextLabel::shownText() const
{
    if (m_elide == Qt::ElideNone)
        return text();
    return fontMetrics().elidedText(text(), m_elide, contentsRect().width());
}

QSize TextLabel::minimumSizeHint() const
{
    if (m_elide == Qt::ElideNone)
        return QLabel::minimumSizeHint();
    // Any width down to the ellipsis alone: the text shortens instead of pushing its neighbours out.
    const QMargins margins = contentsMargins();
    return {fontMetrics().horizontalAdvance(QStringLiteral("…")) + margins.left() + margins.right(),
            QLabel::minimumSizeHint().height()};
}

void TextLabel::changeEvent(QEvent* event)
{
    // Qt 6 tells a child widget of a new application palette (a change of appearance) only through the
    // PaletteChange of the roles it inherits; the window text is the label's own, so it is taken again here.
    // Setting the same ink again changes nothing and sends no further event.
    if (event->type() == QEvent::ApplicationPaletteChange || event->type() == QEvent::PaletteChange)
        applyInk();
    QLabel::changeEvent(event);
}

void TextLabel::paintEvent(QPaintEvent* event)
{
    if (m_elide == Qt::ElideNone) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    style()->drawItemText(&painter, contentsRect(), static_cast<int>(alignment()) | Qt::TextSingleLine, palette(),
                          isEnabled(), shownText(), foregroundRole());
}

bool TextLabel::event(QEvent* event)
{
    // A shortened text can still be read whole, as a tooltip; a caller's own tooltip comes first.
    if (event->type() == QEvent::ToolTip && m_elide != Qt::ElideNone && m_wholeTextToolTip && toolTip().isEmpty()) {
        if (shownText() != text())
            QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), text(), this);
        else
            QToolTip::hideText();
        return true;
    }
    return QLabel::event(event);
}

void TextLabel::applyInk()
{
    // Derived from the application's palette, not the label's own, which this very call replaces.
    QPalette p = palette();
    p.setColor(QPalette::WindowText, Paint::ink(nullptr, m_ink));
    setPalette(p);
}
