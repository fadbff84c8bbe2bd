#include "Scan/Screen/CleaningState.h"

#include "Look/ElidedLabel.h"
#include "Look/GaugeRing.h"
#include "Look/IconTile.h"
#include "Look/TextLabel.h"
#include "Look/Theme.h"
#include "Platform/Symbols.h"
#include "Scan/Screen/ScanningState.h"

#include <QVBoxLayout>

using namespace Qt::StringLiterals;

CleaningState::CleaningState(double progress, const QString& status, const QColor& tint, QWidget* parent)
    : QWidget(parent),
      m_gauge(new GaugeRing(progress, Theme::tintGradient(tint), 12, new IconTile(sfSymbol(u"trash"), tint, 62, true))),
      m_status(new ElidedLabel(ScanningState::statusText(status), Theme::monoFont(), Paint::Ink::tertiary))
{
    setObjectName(u"cleaningState"_s);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(22);
    column->addStretch(1);
    m_gauge->setObjectName(u"cleaningGauge"_s);
    m_gauge->setFixedSize(gaugeSide, gaugeSide);
    column->addWidget(m_gauge, 0, Qt::AlignHCenter);
    column->addWidget(new TextLabel(u"Suppression…"_s, Theme::systemFont(15, QFont::Medium)), 0, Qt::AlignHCenter);
    m_status->setObjectName(u"cleaningStatus"_s);
    m_status->setAlignment(Qt::AlignCenter);
    // No width limit of its own: the line takes the screen's width and is shortened only there.
    auto* statusRow = new QHBoxLayout;
    statusRow->addWidget(m_status);
    column->addLayout(statusRow);
    column->addStretch(1);
}

void CleaningState::setProgress(double progress, const QString& status)
{
    m_gauge->setFraction(progress);
    m_status->setText(ScanningState::statusText(status));
}
