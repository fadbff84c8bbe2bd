#pragma once

#include "Core/Aftermath.h"
#include "Core/CleaningSession.h"
#include "Scan/History/DetailsLine.h"
#include "Scan/History/FileList.h"

#include <QDateTime>
#include <QString>
#include <QWidget>

#include <functional>
#include <optional>

class DisclosureChevron;
class ElidedLabel;
class IconTile;
class QHBoxLayout;
class QLabel;
class QVBoxLayout;
class StyledButton;

namespace Platform {
class Workspace;
}

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
