#pragma once

#include <QList>
#include <QWidget>

class GroupCard;
class QScrollArea;
class QVBoxLayout;
class ScanViewModel;
class SummaryBar;
struct ScreenServices;

// The review of a scan's results: the summary bar over a scrolling list (objectName "resultsList") of one
// group card per group, in the model's order. Redrawn from the model on each of its changes; cards are kept
// by group id across changes, and their rows are built only near the visible part of the list.
class ResultsState final : public QWidget
{
    Q_OBJECT

public:
    static constexpr int cardSpacing = 8;
    static constexpr int listPadding = 14;

    ResultsState(ScanViewModel& model, const ScreenServices& services, QWidget* parent = nullptr);

    void refresh();

    const QList<GroupCard*>& cards() const { return m_cards; }
    QScrollArea* list() const { return m_scroll; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showVisibleRows();

    ScanViewModel& m_model;
    const ScreenServices& m_services;
    SummaryBar* m_summary;
    QScrollArea* m_scroll;
    QVBoxLayout* m_cardColumn;
    QList<GroupCard*> m_cards;
};
