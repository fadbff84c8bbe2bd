#include "Scan/SmartScan/SmartScanContent.h"

#include "Look/ElidedLabel.h"
#include "Look/Paint.h"
#include "Look/TextLabel.h"
#include "Look/Theme.h"
#include "Scan/SmartScan/SmartScanView.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

SmartScanContent::SmartScanContent(const QString& name, ScanViewModel& model)
    : m_model(model), m_column(new QVBoxLayout(this))
{
    setObjectName(name);
    m_column->setContentsMargins(0, 0, 0, 0);
    m_column->setSpacing(SmartScanView::contentSpacing);
}

QHBoxLayout* SmartScanContent::centred(QWidget* widget)
{
    auto* row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->addStretch(1);
    row->addWidget(widget, 100);
    row->addStretch(1);
    return row;
}

TextLabel* SmartScanContent::percentLabel(const QString& name)
{
    auto* label = new TextLabel(QString(), Theme::systemFont(36, QFont::DemiBold, Theme::Design::rounded));
    label->setObjectName(name);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

ElidedLabel* SmartScanContent::statusLabel(const QString& name)
{
    auto* label = new ElidedLabel(QString(), Theme::monoFont(), Paint::Ink::tertiary);
    label->setObjectName(name);
    label->setAlignment(Qt::AlignCenter);
    label->setMaximumWidth(SmartScanView::statusWidth);
    return label;
}

StyledButton* SmartScanContent::button(const QString& title, const StyledButton::Style& style, const QString& name)
{
    auto* made = new StyledButton(title, style);
    made->setObjectName(name);
    return made;
}

PrimaryButtonStyle SmartScanContent::primary(bool enabled)
{
    return PrimaryButtonStyle{Theme::accentGradient(), enabled};
}

void SmartScanContent::add(QWidget* widget)
{
    m_column->addWidget(widget, 0, Qt::AlignHCenter);
}

void SmartScanContent::addStretched(QWidget* widget)
{
    m_column->addLayout(centred(widget));
}

QWidget* SmartScanContent::ring(QWidget* round, QWidget* centre)
{
    auto* frame = new QWidget;
    frame->setFixedSize(SmartScanView::ringSide, SmartScanView::ringSide);
    auto* stack = new QGridLayout(frame);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->addWidget(round, 0, 0);
    if (centre)
        stack->addWidget(centre, 0, 0, Qt::AlignCenter);
    return frame;
}
