#include "Look/CardModifier.h"

#include "Look/Paint.h"

#include <QPainter>
#include <QVBoxLayout>

CardModifier::CardModifier(int padding, QWidget* parent)
    : QWidget(parent), m_padding(padding), m_layout(new QVBoxLayout(this))
{
    m_layout->setContentsMargins(padding, padding, padding, padding);
    m_layout->setSpacing(0);
}

void CardModifier::setContent(QWidget* content)
{
    if (m_content == content)
        return;
    if (m_content) {
        m_layout->removeWidget(m_content);
        m_content->deleteLater();
    }
    m_content = content;
    if (content)
        m_layout->addWidget(content);
}

void CardModifier::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF frame = rect();
    painter.fillPath(Paint::continuousRoundedRect(frame, cornerRadius),
                     Paint::ink(this, Paint::Ink::primary, fillOpacity));
    painter.strokePath(Paint::insetRoundedRect(frame, cornerRadius, borderWidth),
                       QPen(Paint::ink(this, Paint::Ink::primary, borderOpacity), borderWidth));
}

CardModifier* card(QWidget* content, int padding, QWidget* parent)
{
    auto* wrapper = new CardModifier(padding, parent);
    wrapper->setContent(content);
    return wrapper;
}
