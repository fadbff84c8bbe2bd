#include "Look/Divider.h"

#include "Look/Paint.h"

#include <algorithm>

#include <QPainter>

Divider::Divider(int indent, QWidget* parent) : QWidget(parent), m_indent(indent)
{
    setFixedHeight(1);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void Divider::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(QRect(m_indent, 0, std::max(0, width() - m_indent), 1),
                     Paint::ink(this, Paint::Ink::primary, opacity));
}
