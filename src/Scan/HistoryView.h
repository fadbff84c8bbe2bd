#pragma once

#include "Core/Aftermath.h"
#include "Core/CleaningSession.h"

#include <QColor>
#include <QDateTime>
#include <QHash>
#include <QRect>
#include <QUuid>
#include <QWidget>

#include <functional>
#include <optional>

class CardModifier;
class DisclosureChevron;
class ElidedLabel;
class History;
class HistoryModel;
class IconTile;
class QHBoxLayout;
class QLabel;
class QPainter;
class QScrollArea;
class QStackedWidget;
class QVBoxLayout;
class StyledButton;
class WorkInFlight;

namespace Platform {
class Workspace;
}

// One journaled file inside an open session card: icon, name and path, what became of it, and its size. Its
// state is read from the file system at every drawing, so a Trash emptied meanwhile shows on the next one.
namespace FileRow {

// "remis en place", "définitif", "corbeille vidée", or nothing while the item waits in the Trash.
QString stateText(const RemovedFile& file);
QString stateToolTip(const RemovedFile& file);
qreal iconOpacity(const RemovedFile& file);
// Whether something stands at the file's Trash place: what "Voir dans la corbeille" would show.
bool isInTrash(const RemovedFile& file);
int height();
QRect revealButtonRect(const QRect& row);
QRect stateRect(const QRect& row, const RemovedFile& file, bool reveal);
void paint(QPainter& painter, const QRect& row, const RemovedFile& file, bool hovering, const QWidget* widget,
           const Platform::Workspace& workspace);

} // namespace FileRow

// The rows of an open card, drawn by one widget: a card holds up to 200 of them and a window 200 cards.
// While the pointer is over a row whose item lies in the Trash, the row offers "Voir dans la corbeille".
class FileList final : public QWidget
{
    Q_OBJECT

public:
    explicit FileList(Platform::Workspace& workspace, QWidget* parent = nullptr);

    void setFiles(const QList<RemovedFile>& files);
    const QList<RemovedFile>& files() const { return m_files; }

    QRect rowRect(int row) const;
    int rowAt(const QPoint& point) const;
    int hoveredRow() const { return m_hovered; }
    bool showsRevealButton(int row) const;
    void revealInTrash(int row);

    QSize sizeHint() const override;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void setHovered(int row);

    Platform::Workspace& m_workspace;
    QList<RemovedFile> m_files;
    int m_hovered = -1;
};

// The details line under a session card's title: its pieces in a row, 6 points apart, each in its own colour.
// Short of room the date gives way first, down to its day and month, then the line is shortened from its end with
// "…".
class DetailsLine final : public QWidget
{
    Q_OBJECT

public:
    struct Piece {
        QString text;
        std::optional<QColor> colour; // the secondary label colour when absent
        QString toolTip;
    };

    explicit DetailsLine(QWidget* parent = nullptr);

    void setPieces(const QList<Piece>& pieces);
    const QList<Piece>& pieces() const { return m_pieces; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // Where each piece is drawn at the current width, and with `shown` the text drawn there.
    QList<QRect> layoutPieces(QStringList* shown) const;

    QList<Piece> m_pieces;
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
    // A new measure of what came back, the session unchanged.
    void showRegrowth(const std::optional<Aftermath::Regrowth>& regrowth);

    const CleaningSession& session() const { return m_session; }
    bool isExpanded() const { return m_expanded; }
    QWidget* header() const { return m_header; }
    StyledButton* restoreButton() const { return m_restore; }
    StyledButton* snapshotButton() const { return m_snapshot; }
    // The open card's rows, or null while it is closed.
    FileList* fileList() const { return m_list; }
    // The "… et N autres éléments." line, while shown.
    QLabel* moreLine() const { return m_more; }
    IconTile* tile() const { return m_tile; }
    QLabel* freedLabel() const { return m_freed; }
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
    ElidedLabel* m_title;
    DetailsLine* m_detailsLine;
    StyledButton* m_restore;
    StyledButton* m_snapshot;
    QLabel* m_freed;
    DisclosureChevron* m_chevron;
    QWidget* m_content = nullptr; // the divider and the rows, while open
    FileList* m_list = nullptr;
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

    HistoryView(History& history, WorkInFlight& inFlight, Platform::Workspace& workspace, QWidget* parent = nullptr);

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
    // Brings the cards in line with the journal; `onlyNewCards` makes the cards still missing and leaves the
    // others as they are.
    void sync(bool onlyNewCards);
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
