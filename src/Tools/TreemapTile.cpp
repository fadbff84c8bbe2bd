#include "Tools/TreemapTile.h"

#include "Look/Paint.h"
#include "Look/Theme.h"
#include "Tools/SpaceMapViewModel.h"
#include "Tools/SpaceNode.h"

#include <algorithm>

#include <QFontMetricsF>
#include <QPainter>

using namespace Qt::StringLiterals;

namespace TreemapTile {

QRectF frame(const QRectF& rect)
{
    return QRectF(rect.x() + 1, rect.y() + 1, std::max(1.0, rect.width() - 2), std::max(1.0, rect.height() - 2));
}

bool showsLabel(const QRectF& rect)
{
    return rect.width() > 62 && rect.height() > 30;
}

QString tooltip(const SpaceNode& node)
{
    return node.name() + u" — "_s + spaceSizeText(node.size());
}

void paint(QPainter& painter, const Treemap::Tile& tile, bool isHovered, const QColor& color)
{
    const QRectF block = frame(tile.rect);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(Paint::continuousRoundedRect(block, cornerRadius), color);

    const qreal lineWidth = isHovered ? 2 : 1;
    QPen border(Paint::withOpacity(Qt::white, isHovered ? 0.9 : 0.18), lineWidth);
    painter.setPen(border);
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(Paint::insetRoundedRect(block, cornerRadius, lineWidth));

    if (showsLabel(tile.rect)) {
        const QRectF room = block.adjusted(labelPadding, labelPadding, -labelPadding, -labelPadding);
        painter.setClipRect(block);
        const QFont nameFont = Theme::systemFont(10.5, QFont::DemiBold);
        const QFont sizeFont = Theme::systemFont(9.5, QFont::Normal, Theme::Design::rounded);
        const QFontMetricsF nameMetrics(nameFont);
        const QFontMetricsF sizeMetrics(sizeFont);
        painter.setFont(nameFont);
        painter.setPen(Qt::white);
        const QString name = nameMetrics.elidedText(tile.node->name(), Qt::ElideRight, std::max(0.0, room.width()));
        painter.drawText(QPointF(room.left(), room.top() + nameMetrics.ascent()), name);
        painter.setFont(sizeFont);
        painter.setPen(Paint::withOpacity(Qt::white, 0.85));
        const qreal sizeTop = room.top() + nameMetrics.height() + 1;
        painter.drawText(QPointF(room.left(), sizeTop + sizeMetrics.ascent()), spaceSizeText(tile.node->size()));
    }
    painter.restore();
}

} // namespace TreemapTile
