#pragma once

#include "Core/Aftermath.h"
#include "Core/CleaningSession.h"

#include <QDateTime>
#include <QHash>
#include <QUuid>
#include <QWidget>

#include <functional>
#include <optional>

class CardModifier;
class DisclosureChevron;
class History;
class HistoryModel;
class IconTile;
class QHBoxLayout;
class QLabel;
class QScrollArea;
class QStackedWidget;
class QVBoxLayout;
class StyledButton;

namespace Platform {
class Workspace;
}

// One journaled file inside an open session card: icon, name and path, what became of it, and its size.
// Painted as one widget (a card can hold 200 of them); its state is read from the file system at every
// drawing, so a Trash emptied meanwhile shows on the next one.
class FileRow final : public QWidget
{
    Q_OBJECT

public:
    FileRow(const RemovedFile& file, Platform::Workspace& workspace, QWidget* parent = nullptr);

    const RemovedFile& file() const { return m_file; }
    void setFile(const RemovedFile& file);
    bool isHovering() const { return m_hovering; }

    // "remis en place", "définitif", "corbeille vidée", or nothing while the item waits in the Trash.
    QString stateText() const;
    QString stateToolTip() const;
    qreal iconOpacity() const { return m_file.restored ? 1.0 : 0.75; }
    // Whether the "Voir dans la corbeille" button shows now.
    bool showsRevealButton() const;
    void revealInTrash();
    QRect revealButtonRect() const;

    QSize sizeHint() const override;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QRect stateRect() const;

    RemovedFile m_file;
    Platform::Workspace& m_workspace;
    bool m_hovering = false;
};

// One journaled cleaning: a header line that opens and closes it, its two ways back, and once open its first
// 200 files. It keeps no state: the history screen gives it everything again after each change.
class SessionCard final : public QWidget
{
    Q_OBJECT

public:
    struct Actions {
        std::function<void()> toggle;
        std::function<void()> restore;
        std::function<void()> restoreFromSnapshot;
    };

    SessionCard(Platform::Workspace& workspace, Actions actions, QWidget* parent = nullptr);

    void show(const CleaningSession& session, bool expanded, const std::optional<Aftermath::Regrowth>& regrowth);

    const CleaningSession& session() const { return m_session; }
    bool isExpanded() const { return m_expanded; }
    QWidget* header() const { return m_header; }
    StyledButton* restoreButton() const { return m_restore; }
    StyledButton* snapshotButton() const { return m_snapshot; }
    QList<FileRow*> rows() const;
    // The "… et N autres éléments." line, while shown.
    QLabel* moreLine() const { return m_more; }
    IconTile* tile() const { return m_tile; }
    // The texts of the details line, in order.
    QStringList details() const;

private:
    void rebuildDetails(const std::optional<Aftermath::Regrowth>& regrowth);
    void rebuildRows();

    // What the details line shows, to rebuild it only when it changes.
    struct DetailsKey {
        QDateTime date;
        qsizetype files;
        int failures;
        int pathsBack;
        qint64 returned;
        friend bool operator==(const DetailsKey&, const DetailsKey&) = default;
    };

    Platform::Workspace& m_workspace;
    Actions m_actions;
    std::optional<DetailsKey> m_details;
    CleaningSession m_session;
    bool m_expanded = false;
    bool m_built = false;
    QVBoxLayout* m_column;
    QWidget* m_header;
    QHBoxLayout* m_headerRow;
    IconTile* m_tile = nullptr;
    QString m_tileModule;
    QLabel* m_title;
    QHBoxLayout* m_detailsRow;
    StyledButton* m_restore;
    StyledButton* m_snapshot;
    QLabel* m_freed;
    DisclosureChevron* m_chevron;
    QWidget* m_content = nullptr; // the divider and the rows, while open
    QLabel* m_more = nullptr;
    qsizetype m_rowCount = 0; // the number of files the rows were built for
};

// What has come back since the cleanings, per module: totals, a bar and one row per verdict.
class AftermathBlock final : public QWidget
{
    Q_OBJECT

public:
    explicit AftermathBlock(QWidget* parent = nullptr);

    void show(const QList<Aftermath::Verdict>& verdicts, qint64 freed, qint64 returned);

    QString netLine() const;
    // The share of what came back that the bar fills, 0 to 1.
    qreal barFraction() const { return m_fraction; }
    // Each row's title, sentence and share, in order.
    QList<QStringList> rows() const;

private:
    CardModifier* m_card;
    QLabel* m_net;
    QWidget* m_bar;
    QVBoxLayout* m_rows;
    qreal m_fraction = 0;
};

// The whole content of the cleaning-history window.
class HistoryView final : public QWidget
{
    Q_OBJECT

public:
    static constexpr int contentMinimumWidth = 620;
    static constexpr int contentMinimumHeight = 460;

    HistoryView(History& history, Platform::Workspace& workspace, QWidget* parent = nullptr);

    HistoryModel& model() const { return *m_model; }
    QLabel* subtitle() const { return m_subtitle; }
    StyledButton* clearButton() const { return m_clear; }
    QLabel* notice() const { return m_notice; }
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
    void refreshCard(const QUuid& id);

    Platform::Workspace& m_workspace;
    HistoryModel* m_model;
    QLabel* m_subtitle;
    StyledButton* m_clear;
    QStackedWidget* m_body;
    QScrollArea* m_scroll;
    QVBoxLayout* m_list;
    AftermathBlock* m_aftermath;
    QWidget* m_noticeDivider;
    QLabel* m_notice;
    QHash<QUuid, SessionCard*> m_cards;
    QList<QUuid> m_order;
    bool m_refreshQueued = false;
};
