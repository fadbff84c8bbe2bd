#include "Scan/History/HistoryView.h"

#include "Core/History.h"
#include "Look/Divider.h"
#include "Look/EmptyArt.h"
#include "Look/IconTile.h"
#include "Look/Paint.h"
#include "Look/StyledButton.h"
#include "Look/TextLabel.h"
#include "Look/Theme.h"
#include "Scan/History/HistoryViewModel.h"
#include "Scan/Screen/FailureCard.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QScrollArea>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

// Cards made per pass of the event loop while a long journal is first shown.
constexpr int kCardsPerPass = 24;

} // namespace

HistoryView::HistoryView(History& history, WorkInFlight& inFlight, Platform::Workspace& workspace, QWidget* parent)
    : QWidget(parent), m_workspace(workspace), m_model(new HistoryViewModel(history, inFlight, this))
{
    setObjectName(u"historyView"_s);
    setMinimumSize(contentMinimumWidth, contentMinimumHeight);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    auto* header = new QWidget;
    auto* headerRow = new QHBoxLayout(header);
    headerRow->setContentsMargins(16, 16, 16, 16);
    headerRow->setSpacing(14);
    headerRow->addWidget(new IconTile(u"clock.arrow.circlepath"_s, Theme::slate(), 40, true));
    auto* titles = new QVBoxLayout;
    titles->setSpacing(2);
    titles->addWidget(new TextLabel(u"Historique de nettoyage"_s, Theme::systemFont(15, QFont::DemiBold)));
    m_subtitle = new TextLabel(QString(), Theme::systemFont(11.5), Paint::Ink::secondary);
    m_subtitle->setObjectName(u"historySubtitle"_s);
    titles->addWidget(m_subtitle);
    headerRow->addLayout(titles);
    headerRow->addSpacing(8);
    headerRow->addStretch(1);
    m_clear = new StyledButton(u"Vider l'historique"_s, QuietButtonStyle{});
    m_clear->setToolTip(u"Efface le journal. Ne touche pas à la corbeille."_s);
    connect(m_clear, &StyledButton::clicked, m_model, &HistoryViewModel::clearHistory);
    headerRow->addWidget(m_clear);
    column->addWidget(header);
    column->addWidget(new Divider);

    m_body = new QStackedWidget;
    auto* empty = new QWidget;
    auto* emptyColumn = new QVBoxLayout(empty);
    emptyColumn->setSpacing(14);
    emptyColumn->addStretch(1);
    emptyColumn->addWidget(new EmptyArt(u"clock"_s, Theme::slate(), 96), 0, Qt::AlignHCenter);
    emptyColumn->addWidget(new TextLabel(u"Aucun nettoyage enregistré"_s, Theme::systemFont(13, QFont::Medium)), 0,
                           Qt::AlignHCenter);
    auto* message = new TextLabel(u"Chaque passage sera consigné ici : ce qui est parti, quand, et combien.\n"_s
                                  u"Ce qui va à la corbeille reste récupérable depuis cette fenêtre."_s,
                                  Theme::systemFont(11.5), Paint::Ink::secondary);
    message->setAlignment(Qt::AlignHCenter);
    emptyColumn->addWidget(message, 0, Qt::AlignHCenter);
    emptyColumn->addStretch(1);
    m_body->addWidget(empty);

    m_scroll = new QScrollArea;
    m_scroll->setWidgetResizable(true);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff); // the cards give way instead
    m_scroll->viewport()->setAutoFillBackground(false);
    auto* content = new QWidget;
    content->setAutoFillBackground(false);
    m_list = new QVBoxLayout(content);
    m_list->setContentsMargins(14, 14, 14, 14);
    m_list->setSpacing(8);
    m_aftermath = new AftermathBlock;
    m_list->addWidget(m_aftermath);
    m_list->addStretch(1);
    m_scroll->setWidget(content);
    m_body->addWidget(m_scroll);
    column->addWidget(m_body, 1);

    m_noticeDivider = new Divider;
    column->addWidget(m_noticeDivider);
    m_notice = new TextLabel(QString(), Theme::systemFont(11.5), Paint::Ink::secondary);
    m_notice->setObjectName(u"historyNotice"_s);
    m_notice->setContentsMargins(16, 9, 16, 9);
    m_notice->setWordWrap(true);
    column->addWidget(m_notice);
    m_notPutBack = new FailureCard(&FailureCard::notPutBackHeader, u"notPutBack"_s);
    auto* notPutBackRow = new QHBoxLayout;
    notPutBackRow->setContentsMargins(16, 0, 16, 9);
    notPutBackRow->addWidget(m_notPutBack);
    column->addLayout(notPutBackRow);

    connect(m_model, &HistoryViewModel::changed, this, &HistoryView::refresh);
    connect(m_model, &HistoryViewModel::expansionChanged, this, &HistoryView::refreshCard);
    connect(m_model, &HistoryViewModel::measured, this, [this] {
        // Only the figures: the block and each card's details line.
        m_aftermath->show(m_model->verdicts(), m_model->blockFreed(), m_model->blockReturned());
        for (auto it = m_cards.cbegin(); it != m_cards.cend(); ++it)
            it.value()->showRegrowth(m_model->regrowth(it.key()));
    });
    refresh();
    m_model->start();
}

bool HistoryView::showsEmptyState() const
{
    return m_body->currentIndex() == 0;
}

QList<SessionCard*> HistoryView::cards() const
{
    QList<SessionCard*> cards;
    for (const QUuid& id : m_order)
        cards.append(m_cards.value(id));
    return cards;
}

void HistoryView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Paint::withOpacity(palette().color(QPalette::Base), 0.25));
}

void HistoryView::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        refresh();
}

void HistoryView::refreshCard(const QUuid& id)
{
    SessionCard* card = m_cards.value(id);
    const std::optional<CleaningSession> session = m_model->history().session(id);
    if (card != nullptr && session)
        card->show(*session, m_model->isExpanded(id), m_model->regrowth(id));
}

void HistoryView::refresh()
{
    sync(false);
}

void HistoryView::sync(bool onlyNewCards)
{
    const QList<CleaningSession>& sessions = m_model->sessions();
    m_subtitle->setText(m_model->subtitle());
    m_clear->setVisible(!sessions.isEmpty());
    m_body->setCurrentIndex(sessions.isEmpty() ? 0 : 1);
    m_noticeDivider->setVisible(m_model->notice().has_value());
    m_notice->setVisible(m_model->notice().has_value());
    m_notice->setText(m_model->notice().value_or(QString()));
    m_notPutBack->setFailures(m_model->notPutBack());
    m_aftermath->show(m_model->verdicts(), m_model->blockFreed(), m_model->blockReturned());

    // Cards are kept by session id, so an open card stays open and is not rebuilt when the journal changes.
    QList<QUuid> order;
    order.reserve(sessions.size());
    QHash<QUuid, SessionCard*> kept;
    int made = 0;
    bool more = false;
    for (const CleaningSession& session : sessions) {
        if (kept.contains(session.id))
            continue; // a hand-edited journal may repeat an id: one card for it
        SessionCard* card = m_cards.take(session.id);
        if (card == nullptr && made == kCardsPerPass) {
            more = true; // the rest on the next passes, so that a long journal never holds the window up
            continue;
        }
        if (card == nullptr) {
            ++made;
            const QUuid id = session.id;
            card = new SessionCard(
                m_workspace, {[this, id] { m_model->toggle(id); }, [this, id] { m_model->restoreFromTrash(id); },
                              [this, id] {
                                  if (const std::optional<CleaningSession> current = m_model->history().session(id))
                                      m_model->restoreFromSnapshot(*current);
                              }});
        }
        if (!onlyNewCards || !m_order.contains(session.id))
            card->show(session, m_model->isExpanded(session.id), m_model->regrowth(session.id));
        kept.insert(session.id, card);
        order.append(session.id);
    }
    qDeleteAll(m_cards);
    m_cards = kept;
    if (order != m_order && order.size() > m_order.size() && order.first(m_order.size()) == m_order) {
        // Only new cards after the ones shown: they are added below them.
        for (qsizetype i = m_order.size(); i < order.size(); ++i)
            m_list->insertWidget(int(i + 1), m_cards.value(order[i]));
        m_order = order;
    } else if (order != m_order) {
        for (const QUuid& id : order)
            m_list->removeWidget(m_cards.value(id));
        for (qsizetype i = 0; i < order.size(); ++i)
            m_list->insertWidget(int(i + 1), m_cards.value(order[i]));
        m_order = order;
    }
    if (more && !m_refreshQueued) {
        m_refreshQueued = true;
        QTimer::singleShot(0, this, [this] {
            m_refreshQueued = false;
            sync(true);
        });
    }
}
