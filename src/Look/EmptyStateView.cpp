#include "Look/EmptyStateView.h"

#include "Look/EmptyArt.h"
#include "Look/TextLabel.h"
#include "Look/Theme.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

EmptyStateView::EmptyStateView(const QString& symbol, const QString& title, const QString& message, const QColor& tint,
                               QWidget* parent)
    : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(14);
    column->addStretch(1);
    column->addWidget(new EmptyArt(symbol, tint, artDiameter), 0, Qt::AlignHCenter);
    column->addSpacing(4); // under the picture, before the layout's own spacing
    auto* titleLabel = new TextLabel(title, Theme::systemFont(17, QFont::DemiBold));
    titleLabel->setObjectName(u"emptyTitle"_s);
    auto* messageLabel = new TextLabel(message, Theme::systemFont(13), Paint::Ink::secondary);
    messageLabel->setObjectName(u"emptyMessage"_s);
    messageLabel->setWordWrap(true);
    messageLabel->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    messageLabel->setMaximumWidth(messageWidth);
    column->addWidget(titleLabel, 0, Qt::AlignHCenter);
    // Centred by stretches rather than by alignment: an aligned item loses its height-for-width, and the
    // wrapped message its last lines.
    auto* messageRow = new QHBoxLayout;
    messageRow->addStretch(1);
    messageRow->addWidget(messageLabel, 100);
    messageRow->addStretch(1);
    column->addLayout(messageRow);
    column->addStretch(1);
}
