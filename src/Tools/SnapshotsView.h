#pragma once

#include "Core/SnapshotService.h"

#include <QList>
#include <QPointer>
#include <QWidget>

class EmptyStateView;
class QLabel;
class QStackedWidget;
class QVBoxLayout;
class StatTile;
class StyledButton;
class SnapshotsViewModel;

// The local-snapshots screen: three figures, why they matter, and the snapshots of the startup disk newest
// first, each deletable, with "Tout supprimer" under them. Everything shown comes from the model; the first
// showing loads it unless it has loaded already.
class SnapshotsView final : public QWidget
{
    Q_OBJECT

public:
    explicit SnapshotsView(SnapshotsViewModel& model, QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* makeListPage();
    void refresh();
    void rebuildRows();
    void showEmptyState(bool configured);

    QPointer<SnapshotsViewModel> m_model;
    StyledButton* m_refresh;
    StatTile* m_count;
    StatTile* m_purgeable;
    StatTile* m_free;
    QStackedWidget* m_content;
    QWidget* m_emptyPage;
    EmptyStateView* m_empty = nullptr;
    std::optional<bool> m_emptyConfigured;
    QWidget* m_rows = nullptr;
    QVBoxLayout* m_rowsLayout = nullptr;
    QList<SnapshotService::Snapshot> m_shownRows;
    QList<StyledButton*> m_rowButtons;
    QWidget* m_noticeLine = nullptr;
    QLabel* m_noticeText = nullptr;
    QWidget* m_errorLine = nullptr;
    QLabel* m_errorText = nullptr;
    StyledButton* m_deleteAll = nullptr;
};
