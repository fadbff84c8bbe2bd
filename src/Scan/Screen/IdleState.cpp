#include "Scan/Screen/IdleState.h"

#include "Look/HaloArt.h"
#include "Look/StyledButton.h"
#include "Look/TextLabel.h"
#include "Look/Theme.h"

#include <QVBoxLayout>

using namespace Qt::StringLiterals;

IdleState::IdleState(ModuleID module, std::function<void()> action, QWidget* parent) : QWidget(parent)
{
    setObjectName(u"idleState"_s);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(22);
    column->addStretch(1);
    const QColor& tint = Theme::tint(module);
    column->addWidget(new HaloArt(symbol(module), tint, haloDiameter, true), 0, Qt::AlignHCenter);
    column->addWidget(new TextLabel(u"Prêt à analyser"_s, Theme::systemFont(16, QFont::Medium), Paint::Ink::secondary),
                      0, Qt::AlignHCenter);
    auto* scan = new StyledButton(u"Analyser"_s, PrimaryButtonStyle{Theme::tintGradient(tint), true});
    scan->setObjectName(u"scanButton"_s);
    connect(scan, &QAbstractButton::clicked, this, [action = std::move(action)] { action(); });
    column->addWidget(scan, 0, Qt::AlignHCenter);
    column->addStretch(1);
}
