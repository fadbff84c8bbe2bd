#pragma once

#include "Tools/Treemap.h"

#include <QColor>
#include <QWidget>

#include <vector>

class SpaceMapViewModel;
class SpaceNode;

// The disk map's treemap: one widget that lays out the first 60 children of the model's current folder in its
// own size, keeps the tiles and their colours until the folder or the size changes, paints them and finds the
// tile under the pointer for hovering, tooltips and clicks. No widget per tile.
class TreemapCanvas final : public QWidget
{
    Q_OBJECT

public:
    static constexpr int maximumTiles = 60;
    static constexpr qreal cornerRadius = 14;

    explicit TreemapCanvas(SpaceMapViewModel& model, QWidget* parent = nullptr);

    // The tiles as laid out for the current size, and the colour of each.
    const std::vector<Treemap::Tile>& tiles() const;
    const std::vector<QColor>& colors() const;
    // The node whose block is at `point`, or none (the gaps between blocks belong to no tile).
    const SpaceNode* nodeAt(const QPointF& point) const;

    // The tile colours in order of rank among the siblings.
    static const std::vector<QColor>& palette();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void ensureLayout() const;

    SpaceMapViewModel& m_model;
    const SpaceNode* m_pressed = nullptr;
    // The cache, rebuilt when the folder shown (by id: a new tree may reuse an address) or the size changes.
    mutable std::vector<Treemap::Tile> m_tiles;
    mutable std::vector<QColor> m_colors;
    mutable quint64 m_laidOutID = 0;
    mutable QSizeF m_laidOutSize;
};
