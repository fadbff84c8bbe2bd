#include "Look/ModuleHeader.h"

#include "Look/IconTile.h"
#include "Look/TextLabel.h"
#include "Look/Theme.h"

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
    auto* titleLabel = new TextLabel(title(module), Theme::titleFont());
    titleLabel->setObjectName(u"moduleTitle"_s);
    // In a narrow window a long title beside the trailing buttons goes on to a second line rather than being cut.
    titleLabel->setWordWrap(true);
    auto* subtitleLabel = new TextLabel(subtitle(module), Theme::systemFont(13), Paint::Ink::secondary);
    subtitleLabel->setObjectName(u"moduleSubtitle"_s);
    subtitleLabel->setWordWrap(true);
    texts->addWidget(titleLabel);
    texts->addWidget(subtitleLabel);
    m_layout->addLayout(texts, 1);
    // Qt spaces only widgets, not spacers: the 14 before the trailing widget comes from the layout.
    m_layout->addSpacing(minimumGap - m_layout->spacing());
    setTrailing(trailing);
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
