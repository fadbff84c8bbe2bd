#include "Scan/Screen/ScanningState.h"

#include "Look/ElidedLabel.h"
#include "Look/SpinnerRing.h"
#include "Look/StyledButton.h"
#include "Look/TextLabel.h"
#include "Look/Theme.h"

#include <algorithm>
#include <cmath>

#include <QGridLayout>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

QString ScanningState::percentText(double progress)
{
    const double percent = std::isnan(progress) ? 0.0 : std::clamp(progress, 0.0, 1.0) * 100.0;
    return QString::number(static_cast<int>(std::trunc(percent))) + u" %"_s;
}

QString ScanningState::statusText(const QString& status)
{
    return status.isEmpty() ? u" "_s : status;
}

ScanningState::ScanningState(double progress, const QString& status, std::function<void()> cancel, QWidget* parent)
    : QWidget(parent),
      m_percent(new TextLabel(percentText(progress), Theme::systemFont(34, QFont::DemiBold, Theme::Design::rounded))),
      m_status(new ElidedLabel(statusText(status), Theme::monoFont(), Paint::Ink::tertiary))
{
    setObjectName(u"scanningState"_s);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(24);
    column->addStretch(1);

    auto* ring = new QWidget;
    ring->setFixedSize(spinnerSide, spinnerSide);
    auto* stack = new QGridLayout(ring);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->addWidget(new SpinnerRing(12), 0, 0);
    m_percent->setObjectName(u"scanPercent"_s);
    stack->addWidget(m_percent, 0, 0, Qt::AlignCenter);
    column->addWidget(ring, 0, Qt::AlignHCenter);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(6);
    texts->addWidget(new TextLabel(u"Analyse en cours"_s, Theme::systemFont(15, QFont::Medium)), 0, Qt::AlignHCenter);
    m_status->setObjectName(u"scanStatus"_s);
    m_status->setMaximumWidth(statusWidth);
    m_status->setAlignment(Qt::AlignCenter);
    texts->addWidget(m_status, 0, Qt::AlignHCenter);
    column->addLayout(texts);

    auto* stop = new StyledButton(u"Arrêter"_s, QuietButtonStyle{});
    stop->setObjectName(u"cancelButton"_s);
    connect(stop, &QAbstractButton::clicked, this, [cancel = std::move(cancel)] { cancel(); });
    column->addWidget(stop, 0, Qt::AlignHCenter);
    column->addStretch(1);
}

void ScanningState::setProgress(double progress, const QString& status)
{
    m_percent->setText(percentText(progress));
    m_status->setText(statusText(status));
}
