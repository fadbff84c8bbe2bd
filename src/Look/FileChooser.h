#pragma once

#include "Platform/OpenPanel.h"

#include <QDialog>
#include <QString>
#include <QStringList>

class QFileSystemModel;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeView;

// The desktop's panel for choosing files and folders, in French whatever the system's locale. A list of one
// folder at a time (double-click or Enter goes into a folder, the arrow goes up, the field takes a folder's path),
// a message above and the caller's title on the accept button. For files and folders together, any mix of the
// listed entries is chosen with Ctrl and Shift, and the accept button stays off until something is. For one
// folder, only folders are listed and one is chosen: the selected one, else the folder listed. GUI thread only.
class FileChooser final : public QDialog
{
    Q_OBJECT

public:
    // Opens on `directory`, or on the home folder when it is empty or no folder.
    FileChooser(const QString& directory, const QString& prompt, const QString& message,
                Platform::OpenPanel::Mode mode = Platform::OpenPanel::Mode::filesAndFolders, QWidget* parent = nullptr);

    // The folder whose entries are listed.
    QString directory() const { return m_directory; }
    void setDirectory(const QString& folder);
    // The chosen entries, absolute and cleaned, in the list's order.
    QStringList selectedPaths() const;
    // Chooses these entries of the listed folder (the others are left out); they must have been listed already.
    void selectPaths(const QStringList& paths);

    QTreeView* list() const { return m_list; }
    QPushButton* acceptButton() const { return m_accept; }
    QFileSystemModel* model() const { return m_model; }

signals:
    // The listed folder was read to its end (the list fills in the background).
    void directoryLoaded(const QString& folder);

private:
    void follow();
    void enter(const QModelIndex& index);

    Platform::OpenPanel::Mode m_mode;
    QFileSystemModel* m_model;
    QString m_directory;
    QLineEdit* m_location;
    QTreeView* m_list;
    QPushButton* m_accept;
};
