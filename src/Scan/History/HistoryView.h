#pragma once

#include "Scan/History/AftermathBlock.h"
#include "Scan/History/SessionCard.h"

#include <QHash>
#include <QList>
#include <QUuid>
#include <QWidget>

class FailureCard;
class History;
class HistoryViewModel;
class QLabel;
class QScrollArea;
class QStackedWidget;
class QVBoxLayout;
class StyledButton;
class WorkInFlight;

namespace Platform {
class Workspace;
}

// The whole content of the cleaning-history window.
class HistoryView final : public QWidget
{
    Q_OBJECT

public:
    static constexpr int contentMinimumWidth = 620;
    static constexpr int contentMinimumHeight = 460;

    HistoryView(History& history, WorkInFlight& inFlight, Platform::Workspace& workspace, QWidget* parent = nullptr);

    HistoryViewModel& model() const { return *m_model; }
    QLabel* subtitle() const { return m_subtitle; }
    StyledButton* clearButton() const { return m_clear; }
    QLabel* notice() const { return m_notice; }
    // Under the notice: the files a put-back from the Trash left where they were.
    FailureCard* notPutBack() const { return m_notPutBack; }
    bool showsEmptyState() const;
    AftermathBlock* aftermath() const { return m_aftermath; }
    QScrollArea* scrollArea() const { return m_scroll; }
    // The cards in the order shown.
    QList<SessionCard*> cards() const;
    SessionCard* card(const QUuid& id) const { return m_cards.value(id); }

    // Draws everything again from the model and the file system: after each change, and whenever the window
    // comes forward (the Trash may have been emptied meanwhile).
    void refresh();

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // Brings the cards in line with the journal; `onlyNewCards` makes the cards still missing and leaves the
    // others as they are.
    void sync(bool onlyNewCards);
    void refreshCard(const QUuid& id);

    Platform::Workspace& m_workspace;
    HistoryViewModel* m_model;
    QLabel* m_subtitle;
    StyledButton* m_clear;
    QStackedWidget* m_body;
    QScrollArea* m_scroll;
    QVBoxLayout* m_list;
    AftermathBlock* m_aftermath;
    QWidget* m_noticeDivider;
    QLabel* m_notice;
    FailureCard* m_notPutBack;
    QHash<QUuid, SessionCard*> m_cards;
    QList<QUuid> m_order;
    bool m_refreshQueued = false;
};
