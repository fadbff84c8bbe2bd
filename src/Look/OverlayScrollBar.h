#pragma once

#include <optional>

#include <QPointer>
#include <QWidget>

class QAbstractScrollArea;
class QScrollBar;

// A thin vertical scroll bar laid over the right edge of a scroll area's content, in the look's label colours,
// without arrow buttons. The area's own bar stays hidden and keeps the range and the position, so the viewport
// keeps its width whether a bar is needed or not. The page of a QScrollArea gives the bar its own strip while the
// bar shows, so that cards and tiles are never drawn under it; an item view's delegate keeps clear of the last
// `thickness` points itself.
class OverlayScrollBar final : public QWidget
{
    Q_OBJECT

public:
    // Hides the area's own vertical bar and lays one over its content; an area that has one keeps it.
    static OverlayScrollBar* install(QAbstractScrollArea* area);
    // The bar laid on every scroll area of the application as it is first shown (a combo box's popup list aside),
    // so that no list keeps the platform's bar with its arrows, a list added later included. Call once the
    // application object exists; calling it again changes nothing.
    static void installEverywhere();

    static constexpr int thickness = 10; // the part that takes the mouse
    static constexpr int thumbWidth = 6;
    static constexpr int hoveredThumbWidth = 8;
    static constexpr int minimumThumb = 24;

    // The thumb's frame in this widget; empty while the content fits.
    QRect thumbRect() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    explicit OverlayScrollBar(QAbstractScrollArea* area);
    void follow();
    void reserveStrip(bool shown);

    QAbstractScrollArea* m_area;
    QPointer<QWidget> m_page; // the scroll area's page that holds the strip
    int m_reserved = 0;
    QScrollBar* m_bar;
    bool m_hovered = false;
    std::optional<int> m_grab; // where in the thumb the drag took it
};
