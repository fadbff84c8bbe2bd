#include "Scan/Screen/ResultsState.h"

#include "Look/BandedRows.h"
#include "Look/OverlayScrollBar.h"
#include "Scan/Screen/GroupCard.h"
#include "Scan/Screen/ScanViewModel.h"
#include "Scan/Screen/SummaryBar.h"

#include <QEvent>
#include <QHash>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

ResultsState::ResultsState(ScanViewModel& model, const ScreenServices& services, QWidget* parent)
    : QWidget(parent), m_model(model), m_services(services), m_summary(new SummaryBar(model)), m_scroll(new QScrollArea)
{
    setObjectName(u"resultsState"_s);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(m_summary);

    m_scroll->setObjectName(u"resultsList"_s);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setWidgetResizable(true);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->viewport()->setAutoFillBackground(false);
    auto* cards = new QWidget;
    cards->setAutoFillBackground(false);
    m_cardColumn = new QVBoxLayout(cards);
    m_cardColumn->setContentsMargins(0, listPadding, 0, listPadding);
    m_cardColumn->setSpacing(cardSpacing);
    m_cardColumn->addStretch(1);
    m_scroll->setWidget(cards);
    column->addWidget(m_scroll, 1);
    OverlayScrollBar::install(m_scroll);

    m_scroll->viewport()->installEventFilter(this);
    connect(m_scroll->verticalScrollBar(), &QScrollBar::valueChanged, this, &ResultsState::showVisibleRows);
    connect(&m_model, &ScanViewModel::changed, this, &ResultsState::refresh);
    refresh();
}

void ResultsState::refresh()
{
    QHash<QUuid, GroupCard*> kept;
    for (GroupCard* card : m_cards)
        kept.insert(card->groupID(), card);
    QList<GroupCard*> cards;
    for (const ScanGroup& group : m_model.groups()) {
        GroupCard* card = kept.take(group.id);
        if (card)
            card->refresh(group);
        else
            card = new GroupCard(m_model, group, m_services);
        cards.append(card);
    }
    // A card may be the sender of the change that removes it: it goes once the change is over.
    for (GroupCard* gone : std::as_const(kept)) {
        m_cardColumn->removeWidget(gone);
        gone->hide();
        gone->deleteLater();
    }
    if (cards != m_cards) {
        for (GroupCard* card : std::as_const(cards))
            m_cardColumn->removeWidget(card);
        for (qsizetype i = 0; i < cards.size(); ++i) {
            m_cardColumn->insertWidget(static_cast<int>(i), cards[i]);
            cards[i]->show();
        }
        m_cards = cards;
    }
    showVisibleRows();
}

bool ResultsState::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_scroll->viewport() && event->type() == QEvent::Resize)
        showVisibleRows();
    return QWidget::eventFilter(watched, event);
}

void ResultsState::showVisibleRows()
{
    // Worked out from the cards' own heights rather than their geometry, which the layout sets only later.
    // Rows are built a screenful above and below what is visible, so that scrolling rarely waits for them.
    const BandedRows::Band band = BandedRows::aroundView(*m_scroll);
    int y = listPadding;
    for (GroupCard* card : std::as_const(m_cards)) {
        card->showBand(band.top - y, band.bottom - y);
        y += card->minimumHeight() + cardSpacing; // the fixed height it asked for
    }
}
