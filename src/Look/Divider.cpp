#include "Look/Divider.h"

#include "Look/Paint.h"

#include <algorithm>

#include <QPainter>

Divider::Divider(int indent, QWidget* parent) : QWidget(parent), m_indent(indent)
{
    setFixedHeight(1);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

Divider* Divider::vertical(int height, QWidget* parent)
{
    auto* divider = new Divider(0, parent);
    divider->m_orientation = Qt::Vertical;
    divider->setFixedSize(1, height);
    return divider;
}

void Divider::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QColor color = Paint::ink(this, Paint::Ink::primary, opacity);
    if (m_orientation == Qt::Vertical)
        painter.fillRect(QRect(0, m_indent, 1, std::max(0, height() - m_indent)), color);
    else
        painter.fillRect(QRect(m_indent, 0, std::max(0, width() - m_indent), 1), color);
}
