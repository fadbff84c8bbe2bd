#include "Tools/TreemapCanvas.h"

#include "Look/Paint.h"
#include "Look/Theme.h"
#include "Tools/SpaceMapViewModel.h"
#include "Tools/TreemapTile.h"

#include <algorithm>
#include <utility>

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

TreemapCanvas::TreemapCanvas(SpaceMapViewModel& model, QWidget* parent) : QWidget(parent), m_model(model)
{
    setObjectName(QStringLiteral("treemapCanvas"));
    setMouseTracking(true);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    connect(&m_model, &SpaceMapViewModel::changed, this, qOverload<>(&QWidget::update));
}

const std::vector<QColor>& TreemapCanvas::palette()
{
    static const std::vector<QColor> colors{Theme::indigo(), Theme::cyan(),  Theme::violet(),
                                            Theme::mint(),   Theme::amber(), Theme::coral()};
    return colors;
}

void TreemapCanvas::ensureLayout() const
{
    const SpaceNode* current = m_model.current();
    const quint64 id = current ? current->id() : 0;
    const QSizeF size = this->size();
    if (id == m_laidOutID && size == m_laidOutSize)
        return;
    m_laidOutID = id;
    m_laidOutSize = size;
    m_tiles.clear();
    m_colors.clear();
    if (!current)
        return;
    const auto children = current->children();
    const auto shown = children.first(std::min<std::size_t>(children.size(), maximumTiles));
    m_tiles = Treemap::layout(shown, QRectF(QPointF(0, 0), size));
    m_colors.reserve(m_tiles.size());
    for (const Treemap::Tile& tile : m_tiles) {
        // The rank among all the siblings, so that a folder always shows the same colours.
        const auto found = std::find(children.begin(), children.end(), tile.node);
        const std::size_t rank = found == children.end() ? 0 : std::size_t(found - children.begin());
        const QColor base = palette()[rank % palette().size()];
        m_colors.push_back(Paint::withOpacity(base, tile.node->isDirectory() ? 0.85 : 0.55));
    }
}

const std::vector<Treemap::Tile>& TreemapCanvas::tiles() const
{
    ensureLayout();
    return m_tiles;
}

const std::vector<QColor>& TreemapCanvas::colors() const
{
    ensureLayout();
    return m_colors;
}

const SpaceNode* TreemapCanvas::nodeAt(const QPointF& point) const
{
    for (const Treemap::Tile& tile : tiles()) {
        if (TreemapTile::frame(tile.rect).contains(point))
            return tile.node;
    }
    return nullptr;
}

bool TreemapCanvas::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        if (const SpaceNode* node = nodeAt(help->pos())) {
            QToolTip::showText(help->globalPos(), TreemapTile::tooltip(*node), this);
        } else {
            QToolTip::hideText();
            event->ignore();
        }
        return true;
    }
    return QWidget::event(event);
}

void TreemapCanvas::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setClipPath(Paint::continuousRoundedRect(QRectF(rect()), cornerRadius));
    const auto& hovered = m_model.hovered();
    const std::vector<Treemap::Tile>& laidOut = tiles();
    for (std::size_t i = 0; i < laidOut.size(); ++i)
        TreemapTile::paint(painter, laidOut[i], hovered && hovered->id == laidOut[i].id, m_colors[i]);
}

void TreemapCanvas::mouseMoveEvent(QMouseEvent* event)
{
    const SpaceNode* node = nodeAt(event->position());
    const auto& hovered = m_model.hovered();
    if (node ? !(hovered && hovered->id == node->id()) : hovered.has_value())
        m_model.hover(node);
    QWidget::mouseMoveEvent(event);
}

void TreemapCanvas::mousePressEvent(QMouseEvent* event)
{
    m_pressed = event->button() == Qt::LeftButton ? nodeAt(event->position()) : nullptr;
    QWidget::mousePressEvent(event);
}

void TreemapCanvas::mouseReleaseEvent(QMouseEvent* event)
{
    const SpaceNode* pressed = std::exchange(m_pressed, nullptr);
    if (event->button() == Qt::LeftButton && pressed && nodeAt(event->position()) == pressed)
        m_model.enter(pressed);
    QWidget::mouseReleaseEvent(event);
}

void TreemapCanvas::leaveEvent(QEvent* event)
{
    if (m_model.hovered())
        m_model.hover(nullptr);
    QWidget::leaveEvent(event);
}
