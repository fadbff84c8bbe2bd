#pragma once

#include "Platform/OpenPanel.h"

#include <QDialog>
#include <QString>
#include <QStringList>

class QFileSystemModel;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class QTreeView;

// The desktop's panel for choosing files and folders, in French whatever the system's locale. A list of one
// folder at a time of the Mac, never above its root (double-click or Enter goes into a folder, the arrow goes up,
// the field shows and takes the folder's Mac path),
// a message above and the caller's title on the accept button. For files and folders together, any mix of the
// listed entries is chosen with Ctrl and Shift, and the accept button stays off until something is. For one
// folder, only folders are listed and one is chosen: the selected one, else the folder listed. GUI thread only.
class FileChooser final : public QDialog
{
    Q_OBJECT

public:
    // Opens on `directory`, or on the home folder when it is empty, no folder or outside the Mac.
    FileChooser(const QString& directory, const QString& prompt, const QString& message,
                Platform::OpenPanel::Mode mode = Platform::OpenPanel::Mode::filesAndFolders, QWidget* parent = nullptr);

    // The folder whose entries are listed. It stays within the Mac's root (Platform::systemRoot()): a folder
    // outside it, or a link that leads out of it, is refused and the listed folder stays.
    QString directory() const { return m_directory; }
    void setDirectory(const QString& folder);
    // The listed folder as the Mac names it ("/Users/demo"), as the location field shows it.
    QString location() const;
    // The chosen entries, absolute and cleaned, in the list's order.
    QStringList selectedPaths() const;
    // Chooses these entries of the listed folder (the others are left out); they must have been listed already.
    void selectPaths(const QStringList& paths);

    QTreeView* list() const { return m_list; }
    QPushButton* acceptButton() const { return m_accept; }
    // Goes to the listed folder's parent; unavailable at the Mac's root.
    QToolButton* upButton() const { return m_up; }
    QLineEdit* locationField() const { return m_location; }
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
    QToolButton* m_up;
    QTreeView* m_list;
    QPushButton* m_accept;
};
