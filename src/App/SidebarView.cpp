#include "App/SidebarView.h"

#include "App/AppState.h"
#include "App/DiskFooter.h"
#include "Look/OverlayScrollBar.h"
#include "Look/Paint.h"
#include "Look/Theme.h"
#include "Scan/Screen/ScanViewModel.h"

#include <algorithm>
#include <cmath>

#include <QFontMetricsF>
#include <QListWidget>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

constexpr int kModuleRole = Qt::UserRole + 1;
constexpr int kBadgeRole = Qt::UserRole + 2;
constexpr int kHeaderRole = Qt::UserRole + 3;

// Draws section headings and module rows: symbol, one-line title, and a badge when the count is above 0.
class RowDelegate final : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex& index) const override
    {
        return {200, index.data(kHeaderRole).toBool() ? 30 : 28};
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        const QRectF r = option.rect;
        const QColor text = option.palette.color(QPalette::WindowText);
        if (index.data(kHeaderRole).toBool()) {
            QColor secondary = text;
            secondary.setAlphaF(0.5);
            painter->setPen(secondary);
            painter->setFont(Theme::systemFont(11, QFont::DemiBold));
            painter->drawText(r.adjusted(12, 8, -8, 0), Qt::AlignLeft | Qt::AlignVCenter, index.data().toString());
            painter->restore();
            return;
        }
        const auto module = static_cast<ModuleID>(index.data(kModuleRole).toInt());
        const bool selected = option.state & QStyle::State_Selected;
        if (selected) {
            QColor highlight = text;
            highlight.setAlphaF(0.1);
            painter->fillPath(Paint::continuousRoundedRect(r.adjusted(6, 1, -6, -1), 6), highlight);
        }
        Paint::drawSymbol(*painter, symbol(module), QPointF(r.left() + 24, r.center().y()), 15,
                          selected ? text : Theme::tint(module));
        painter->setPen(text);
        painter->setFont(SidebarView::titleFont());
        const int badge = index.data(kBadgeRole).toInt();
        const QRectF titleRect = r.adjusted(
            SidebarView::titleLeading, 0, -(badge > 0 ? SidebarView::badgeRoom(badge) : SidebarView::titleTrailing), 0);
        painter->drawText(
            titleRect, Qt::AlignLeft | Qt::AlignVCenter,
            painter->fontMetrics().elidedText(index.data().toString(), Qt::ElideRight, int(titleRect.width())));
        if (badge > 0) {
            QColor secondary = text;
            secondary.setAlphaF(0.55);
            painter->setPen(secondary);
            painter->setFont(SidebarView::badgeFont());
            painter->drawText(r.adjusted(0, 0, -SidebarView::badgeTrailing, 0), Qt::AlignRight | Qt::AlignVCenter,
                              QString::number(badge));
        }
        painter->restore();
    }
};

} // namespace

SidebarView::SidebarView(AppState& state, QWidget* parent)
    : QWidget(parent), m_state(state), m_list(new QListWidget(this)), m_footer(new DiskFooter(this))
{
    setObjectName(u"sidebar"_s);
    m_list->setObjectName(u"sidebarList"_s);
    m_list->setItemDelegate(new RowDelegate(m_list));
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    OverlayScrollBar::install(m_list);
    for (const ModuleSection s : Modules::allSections()) {
        auto* header = new QListWidgetItem(toRaw(s), m_list);
        header->setFlags(Qt::NoItemFlags);
        header->setData(kHeaderRole, true);
        for (const ModuleID module : Modules::allModules()) {
            if (section(module) != s)
                continue;
            auto* row = new QListWidgetItem(title(module), m_list);
            row->setData(kModuleRole, static_cast<int>(module));
            row->setData(Qt::AccessibleTextRole, title(module));
        }
    }
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_list, 1);
    layout->addWidget(m_footer);
    // Wide enough for every title whole beside a three-digit count; the bar scrolls over the rows, not beside them.
    int longest = 0;
    for (const ModuleID module : Modules::allModules())
        longest = std::max(longest, int(std::ceil(QFontMetricsF(titleFont()).horizontalAdvance(title(module)))));
    setMinimumWidth(std::max(218, titleLeading + longest + badgeRoom(999)));
    setMaximumWidth(280);

    connect(m_list, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
        // Clicking where no module is keeps the current one.
        if (item == nullptr || item->data(kHeaderRole).toBool()) {
            m_state.setSelection(m_state.selection());
            return;
        }
        m_state.setSelection(static_cast<ModuleID>(item->data(kModuleRole).toInt()));
    });
    connect(&m_state, &AppState::selectionChanged, this, &SidebarView::refresh);
    connect(&m_state, &AppState::snapshotChanged, this, &SidebarView::refresh);
    refresh();
}

const QFont& SidebarView::titleFont()
{
    static const QFont font = Theme::systemFont(13);
    return font;
}

const QFont& SidebarView::badgeFont()
{
    static const QFont font = Theme::systemFont(11, QFont::DemiBold);
    return font;
}

int SidebarView::badgeRoom(int count)
{
    // The count at the trailing edge, and a gap before it.
    const int digits = int(std::ceil(QFontMetricsF(badgeFont()).horizontalAdvance(QString::number(count))));
    return 8 + digits + badgeTrailing;
}

int SidebarView::badgeCount(AppState& state, ModuleID module)
{
    ScanViewModel* model = state.model(module);
    if (model == nullptr || model->phase() != ScanViewModel::Phase::results)
        return 0;
    return int(model->totalItemCount());
}

void SidebarView::refresh()
{
    const QSignalBlocker blocker(m_list);
    for (int i = 0; i < m_list->count(); ++i) {
        QListWidgetItem* item = m_list->item(i);
        if (item->data(kHeaderRole).toBool())
            continue;
        const auto module = static_cast<ModuleID>(item->data(kModuleRole).toInt());
        item->setData(kBadgeRole, badgeCount(m_state, module));
        if (module == m_state.selection() && m_list->currentItem() != item)
            m_list->setCurrentItem(item);
    }
    m_footer->setSnapshot(m_state.snapshot());
}
