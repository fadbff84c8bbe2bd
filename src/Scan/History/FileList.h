#pragma once

#include "Core/CleaningSession.h"

#include <QList>
#include <QRect>
#include <QWidget>

class QPainter;

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
