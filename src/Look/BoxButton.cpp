#include "Look/BoxButton.h"

#include "Look/TriStateBox.h"

#include <QHBoxLayout>

BoxButton::BoxButton(std::optional<bool> state, const QColor& tint, int leading, QWidget* parent)
    : QAbstractButton(parent), m_box(new TriStateBox(state, tint)), m_leading(leading)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setFocusPolicy(Qt::TabFocus);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(leading, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_box, 0, Qt::AlignVCenter);
}

std::optional<bool> BoxButton::state() const
{
    return m_box->state();
}

QColor BoxButton::tint() const
{
    return m_box->tint();
}

void BoxButton::setState(std::optional<bool> state)
{
    m_box->setState(state);
}

void BoxButton::setTint(const QColor& tint)
{
    m_box->setTint(tint);
}

QSize BoxButton::sizeHint() const
{
    return {m_leading + TriStateBox::side, TriStateBox::side};
}

void BoxButton::paintEvent(QPaintEvent*)
{
    // The box is the whole face; a plain button draws nothing of its own.
}
