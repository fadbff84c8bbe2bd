#include "Look/ModuleHeader.h"

#include "Look/IconTile.h"
#include "Look/TextLabel.h"
#include "Look/Theme.h"

#include <algorithm>

#include <QHBoxLayout>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

ModuleHeader::ModuleHeader(ModuleID module, QWidget* trailing, QWidget* parent)
    : QWidget(parent), m_module(module), m_layout(new QHBoxLayout(this))
{
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(14);
    m_layout->addWidget(new IconTile(symbol(module), Theme::tint(module), tileSize, true), 0, Qt::AlignVCenter);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(3);
    // One line each, shortened with "…" where the window is narrow: the header keeps one height on every screen,
    // so the title stands at the same place whichever module is shown, beside buttons or not.
    auto* titleLabel = new TextLabel(title(module), Theme::titleFont());
    titleLabel->setObjectName(u"moduleTitle"_s);
    titleLabel->setElideMode(Qt::ElideRight);
    auto* subtitleLabel = new TextLabel(subtitle(module), Theme::systemFont(13), Paint::Ink::secondary);
    subtitleLabel->setObjectName(u"moduleSubtitle"_s);
    subtitleLabel->setElideMode(Qt::ElideRight);
    texts->addWidget(titleLabel);
    texts->addWidget(subtitleLabel);
    m_layout->addLayout(texts, 1);
    // Qt spaces only widgets, not spacers: the 14 before the trailing widget comes from the layout.
    m_layout->addSpacing(minimumGap - m_layout->spacing());
    setTrailing(trailing);
    setFixedHeight(std::max(static_cast<int>(tileSize),
                            titleLabel->sizeHint().height() + texts->spacing() + subtitleLabel->sizeHint().height()));
}

void ModuleHeader::setTrailing(QWidget* trailing)
{
    if (m_trailing == trailing)
        return;
    if (m_trailing)
        m_trailing->deleteLater();
    m_trailing = trailing;
    if (trailing)
        m_layout->addWidget(trailing, 0, Qt::AlignVCenter);
}
