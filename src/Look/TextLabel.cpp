#include "Look/TextLabel.h"

#include <QApplication>
#include <QEvent>

TextLabel::TextLabel(const QString& text, const QFont& font, Paint::Ink ink, QWidget* parent)
    : QLabel(text, parent), m_ink(ink)
{
    setFont(font);
    setTextFormat(Qt::PlainText);
    applyInk();
}

void TextLabel::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ApplicationPaletteChange)
        applyInk();
    QLabel::changeEvent(event);
}

void TextLabel::applyInk()
{
    // Derived from the application's palette, not the label's own, which this very call replaces.
    QPalette p = palette();
    p.setColor(QPalette::WindowText, Paint::ink(nullptr, m_ink));
    setPalette(p);
}
