#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

class Exclusions;
class QMimeData;

namespace Platform {
class OpenPanel;
class Workspace;
} // namespace Platform

// What the exclusions pane shows and does: the excluded locations as the shared list holds them, the row last
// clicked, and the ways in (the open panel, a drop of files) and out (one row, the selected row, all of them).
// A location the list refuses (the root, one already covered) is dropped without a word, as the list itself
// says nothing; adding a folder that holds entries replaces them. changed() follows every change of the list,
// whoever made it, and of the selection. GUI thread only.
class ExclusionsPaneViewModel final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ExclusionsPaneViewModel)

public:
    ExclusionsPaneViewModel(Exclusions& exclusions, Platform::OpenPanel& openPanel, Platform::Workspace& workspace,
                            QObject* parent = nullptr);

    QStringList paths() const;
    // The row last clicked; it stays set when its path leaves the list another way.
    std::optional<QString> selection() const { return m_selection; }
    void select(const QString& path);
    // "Retirer" shows only while the selected path is still listed.
    bool showsRemoveSelected() const;
    // "1 emplacement", "3 emplacements"; empty for an empty list, which shows no count.
    QString countText() const;

    // "Ajouter…": asks the open panel for files and folders, several at once, and adds each chosen one in order.
    void addThroughPanel();
    // A drop: adds each local file or folder among `urls`, in order; other addresses are ignored.
    void addDropped(const QList<QUrl>& urls);
    // Whether a drag carries at least one local file or folder: only such a drag outlines the pane.
    static bool carriesFileURLs(const QMimeData* data);

    // "Retirer": removes the selected path and clears the selection.
    void removeSelected();
    // A row's own button: removes its path, leaving the selection as it was.
    void remove(const QString& path);
    // "Tout retirer": empties the list at once, leaving the selection as it was.
    void removeAll();
    // Shows the path in the file manager.
    void reveal(const QString& path);

    // What a row shows of its path, asked afresh at each drawing: whether anything is there now (following
    // links, so that a dangling one reads as absent), its last component and its "~" form.
    static bool exists(const QString& path);
    static QString name(const QString& path);
    static QString abbreviated(const QString& path);

    // The open panel's request for "Ajouter…".
    static QString panelPrompt();
    static QString panelMessage();

signals:
    void changed();

private:
    Exclusions& m_exclusions;
    Platform::OpenPanel& m_openPanel;
    Platform::Workspace& m_workspace;
    std::optional<QString> m_selection;
};
