#pragma once

#include <QColor>
#include <QPen>
#include <QStringList>
#include <QWidget>

class QAbstractButton;
class QDragEnterEvent;
class QDragLeaveEvent;
class QDragMoveEvent;
class QDropEvent;
class QProgressBar;
class ElidedLabel;
class SymbolView;
class TextLabel;

// Where files and folders are dropped on the shredder, or chosen through "Parcourir…"; while a job runs it shows
// its progress instead. Only drags that carry local file URLs are taken, job or not; the zone lights up while
// one hovers over it.
class ShredderDropZone final : public QWidget
{
    Q_OBJECT

public:
    explicit ShredderDropZone(QWidget* parent = nullptr);

    // The job's state: its fraction done and the item it is on.
    void setWorking(bool working, double progress, const QString& status);

    bool isTargeted() const { return m_targeted; }
    QAbstractButton* browseButton() const { return m_browse; }
    // The zone's fill and dashed outline as painted now.
    QColor fill() const;
    QPen outline() const;
    // The symbol above the title and its colour as drawn now.
    const SymbolView* symbol() const { return m_symbol; }

signals:
    // The local files and folders of a drop, in the drag's order; never empty.
    void dropped(const QStringList& paths);
    void browseRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void setTargeted(bool targeted);
    void restyle();

    bool m_targeted = false;
    bool m_working = false;
    SymbolView* m_symbol;
    TextLabel* m_title;
    QProgressBar* m_progress;
    ElidedLabel* m_status;
    QAbstractButton* m_browse;
};
