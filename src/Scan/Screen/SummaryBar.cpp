#include "Scan/Screen/SummaryBar.h"

#include "Core/FileUtils.h"
#include "Look/CardModifier.h"
#include "Look/StyledButton.h"
#include "Look/TextLabel.h"
#include "Look/Theme.h"
#include "Scan/Screen/ScanViewModel.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

SummaryBar::SummaryBar(ScanViewModel& model, QWidget* parent)
    : QWidget(parent), m_model(model),
      m_figure(new TextLabel(QString(), Theme::systemFont(30, QFont::Bold, Theme::Design::rounded))),
      m_unit(new TextLabel(QString(), Theme::systemFont(15, QFont::DemiBold), Paint::Ink::secondary)),
      m_caption(new TextLabel(QString(), Theme::systemFont(12), Paint::Ink::secondary)),
      m_selection(new TextLabel(QString(), Theme::systemFont(12, QFont::Medium), Paint::Ink::secondary)),
      m_clean(new StyledButton(QString(), PrimaryButtonStyle{}))
{
    setObjectName(u"summaryBar"_s);
    auto* content = new QWidget;
    auto* row = new QHBoxLayout(content);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(18);

    auto* total = new QVBoxLayout;
    total->setSpacing(2);
    auto* figureLine = new QHBoxLayout;
    figureLine->setSpacing(4);
    m_figure->setObjectName(u"summaryFigure"_s);
    m_unit->setObjectName(u"summaryUnit"_s);
    figureLine->addWidget(m_figure, 0, Qt::AlignBaseline);
    figureLine->addWidget(m_unit, 0, Qt::AlignBaseline);
    figureLine->addStretch(1);
    total->addLayout(figureLine);
    m_caption->setObjectName(u"summaryCaption"_s);
    m_caption->setWordWrap(true);
    total->addWidget(m_caption);
    row->addLayout(total, 1);

    m_selection->setObjectName(u"selectionCount"_s);
    row->addWidget(m_selection, 0, Qt::AlignVCenter);
    m_clean->setObjectName(u"cleanButton"_s);
    row->addWidget(m_clean, 0, Qt::AlignVCenter);

    auto* frame = new QVBoxLayout(this);
    frame->setContentsMargins(0, 0, 0, 0);
    frame->addWidget(card(content, 16));

    connect(m_clean, &QAbstractButton::clicked, this, [this] { m_model.clean(); });
    connect(&m_model, &ScanViewModel::changed, this, &SummaryBar::refresh);
    refresh();
}

void SummaryBar::refresh()
{
    const qsizetype selected = m_model.selectedCount();
    if (m_model.isThreatResult()) {
        const qsizetype total = m_model.totalItemCount();
        m_figure->setText(QString::number(selected));
        m_unit->setText(selected < 2 ? u"menace"_s : u"menaces"_s);
        // Each participle agrees with its own count, singular below 2.
        m_caption->setText((selected < 2 ? u"sélectionnée sur "_s : u"sélectionnées sur "_s) + QString::number(total) +
                           (total < 2 ? u" détectée"_s : u" détectées"_s));
        m_selection->hide();
    } else {
        const FileUtils::SplitByteCount split = FileUtils::splitByteCount(m_model.selectedBytes());
        m_figure->setText(split.value);
        m_unit->setText(split.unit);
        m_caption->setText(u"sélectionnés sur "_s + FileUtils::byteFormatter().string(m_model.totalBytes()) +
                           u" trouvés"_s);
        m_selection->setText(QString::number(selected) + (selected < 2 ? u" élément"_s : u" éléments"_s));
        m_selection->show();
    }

    const bool any = selected > 0;
    m_clean->setText(m_model.scanner().actionTitle());
    m_clean->setButtonStyle(PrimaryButtonStyle{any ? Theme::accentGradient() : Theme::dangerGradient(), any});
    // The look only dims the button; it must not take clicks either.
    m_clean->setEnabled(any);
}
