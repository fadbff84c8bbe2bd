#include "Tools/ShredderView.h"

#include "Core/FileUtils.h"
#include "Core/Formatters.h"
#include "Look/CardModifier.h"
#include "Look/Divider.h"
#include "Look/ElidedLabel.h"
#include "Look/IconCache.h"
#include "Look/ModuleHeader.h"
#include "Look/NoticeBanner.h"
#include "Look/OverlayScrollBar.h"
#include "Look/StyledButton.h"
#include "Look/SymbolView.h"
#include "Look/TextLabel.h"
#include "Look/Theme.h"
#include "Platform/OpenPanel.h"
#include "Platform/Symbols.h"
#include "Platform/Workspace.h"
#include "Tools/ShredderDropZone.h"
#include "Tools/ShredderViewModel.h"

#include <algorithm>

#include <QAbstractListModel>
#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHash>
#include <QHelpEvent>
#include <QLabel>
#include <QListView>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QToolTip>

using namespace Qt::StringLiterals;

namespace {

QString sizeText(qint64 bytes)
{
    return bytes > 0 ? FileUtils::byteFormatter().string(bytes) : u"0 Ko"_s;
}

} // namespace

namespace Shredder {

Alert confirmationTexts(int count, qint64 bytes, int passes)
{
    return {u"Broyer "_s + QString::number(count) + u' ' + (count < 2 ? u"élément"_s : u"éléments"_s) + u" ?"_s,
            sizeText(bytes) + u" seront écrasés en "_s + QString::number(passes) + u" passe"_s +
                (passes >= 2 ? u"s"_s : QString()) + u" puis supprimés définitivement."_s};
}

// The queue as list rows. It follows the model by identity: rows appended are inserted, rows unchanged are
// redrawn, anything else resets the list; the rows' data is read from the model when a row is drawn.
class Rows final : public QAbstractListModel
{
public:
    Rows(ShredderViewModel& model, Platform::Workspace& workspace, QObject* parent)
        : QAbstractListModel(parent), m_model(&model), m_icons(workspace)
    {
        sync();
    }

    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : int(m_ids.size()); }

    QVariant data(const QModelIndex& index, int role) const override
    {
        const ScanItem* shown = item(index.row());
        if (!index.isValid() || !shown)
            return {};
        if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
            return shown->name;
        if (role == Qt::ToolTipRole)
            return FileUtils::abbreviatedPath(shown->url);
        if (role == failureRole) {
            if (const std::optional<QString> reason = m_model->failureReason(shown->id))
                return *reason;
        }
        return {};
    }

    const ScanItem* item(int row) const
    {
        if (!m_model || row < 0 || row >= m_model->items().size())
            return nullptr;
        return &m_model->items().at(row);
    }
    bool isMeasuring(int row) const
    {
        const ScanItem* shown = item(row);
        return shown && m_model->isMeasuring(shown->id);
    }
    bool isWorking() const { return m_model && m_model->isShredding(); }
    std::optional<QString> failureReason(int row) const
    {
        const ScanItem* shown = item(row);
        return shown ? m_model->failureReason(shown->id) : std::nullopt;
    }

    QIcon icon(const QString& url) const { return m_icons.icon(url); }

    void sync()
    {
        if (!m_model)
            return;
        const QList<ScanItem>& items = m_model->items();
        const bool kept = items.size() >= m_ids.size() &&
                          std::equal(m_ids.cbegin(), m_ids.cend(), items.cbegin(),
                                     [](const QUuid& id, const ScanItem& item) { return id == item.id; });
        if (!kept) {
            beginResetModel();
            m_ids.clear();
            for (const ScanItem& item : items)
                m_ids.append(item.id);
            endResetModel();
            return;
        }
        if (!m_ids.isEmpty())
            emit dataChanged(index(0), index(int(m_ids.size()) - 1));
        if (items.size() > m_ids.size()) {
            beginInsertRows({}, int(m_ids.size()), int(items.size()) - 1);
            for (qsizetype i = m_ids.size(); i < items.size(); ++i)
                m_ids.append(items.at(i).id);
            endInsertRows();
        }
    }

private:
    QPointer<ShredderViewModel> m_model;
    QList<QUuid> m_ids;
    IconCache m_icons;
};

} // namespace Shredder

namespace {

// One queued item: its icon, its name over its folder (cut in the middle), under them why the last job left it
// in place if it did, its size, and the symbol that takes it out of the queue, which does nothing while a job
// runs.
class RowDelegate final : public QStyledItemDelegate
{
public:
    RowDelegate(std::function<void(int row)> remove, QObject* parent)
        : QStyledItemDelegate(parent), m_remove(std::move(remove))
    {
    }

    static constexpr int paddingX = 12;
    static constexpr int paddingY = 7;
    static constexpr int iconSide = 18;
    static constexpr int spacing = 10;
    static constexpr qreal removeSymbolSize = 13;
    static constexpr int removeSide = 19; // the symbol with a little room around it, as the look's symbol buttons

    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex& index) const override
    {
        return {240, paddingY + std::max(iconSide, textBlock(hasFailure(index))) + paddingY};
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const auto* rows = static_cast<const Shredder::Rows*>(index.model());
        const ScanItem* item = rows->item(index.row());
        if (!item)
            return;
        const QWidget* widget = option.widget;
        const QRect inner = option.rect.adjusted(paddingX, paddingY, -paddingX, -paddingY);
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);

        const QRect button = removeRect(option.rect);
        Paint::drawSymbol(*painter, sfSymbol(u"xmark.circle.fill"), QRectF(button).center(), removeSymbolSize,
                          Paint::ink(widget, Paint::Ink::tertiary, rows->isWorking() ? 0.4 : 1));

        int right = button.left() - spacing;
        const QString size = rows->isMeasuring(index.row()) ? QString() : sizeText(item->size);
        const QFont sizeFont = Theme::systemFont(11.5, QFont::Normal, Theme::Design::rounded);
        const int sizeWidth = QFontMetrics(sizeFont).horizontalAdvance(size);
        painter->setFont(sizeFont);
        painter->setPen(Paint::ink(widget, Paint::Ink::secondary));
        painter->drawText(QRect(right - sizeWidth, inner.top(), sizeWidth, inner.height()),
                          Qt::AlignRight | Qt::AlignVCenter, size);
        right -= sizeWidth + 8;

        int left = inner.left();
        rows->icon(item->url).paint(painter, QRect(left, inner.center().y() - iconSide / 2, iconSide, iconSide));
        left += iconSide + spacing;

        const int width = std::max(0, right - left);
        const QFontMetrics nameMetrics(nameFont());
        const QFontMetrics detailMetrics(Theme::monoFont());
        const std::optional<QString> reason = rows->failureReason(index.row());
        const int top = inner.center().y() - textBlock(reason.has_value()) / 2;
        painter->setFont(nameFont());
        painter->setPen(Paint::ink(widget, Paint::Ink::primary));
        painter->drawText(QRect(left, top, width, nameMetrics.height()), Qt::AlignLeft | Qt::AlignVCenter,
                          nameMetrics.elidedText(ElidedLabel::oneLine(item->name), Qt::ElideRight, width));
        painter->setFont(Theme::monoFont());
        painter->setPen(Paint::ink(widget, Paint::Ink::tertiary));
        painter->drawText(
            QRect(left, top + nameMetrics.height() + 1, width, detailMetrics.height()),
            Qt::AlignLeft | Qt::AlignVCenter,
            detailMetrics.elidedText(ElidedLabel::oneLine(item->detail.value_or(QString())), Qt::ElideMiddle, width));
        if (reason) {
            const QFont reasonFont = Theme::systemFont(11);
            const QFontMetrics reasonMetrics(reasonFont);
            painter->setFont(reasonFont);
            painter->setPen(Theme::amber());
            painter->drawText(
                QRect(left, top + nameMetrics.height() + 1 + detailMetrics.height() + 1, width, reasonMetrics.height()),
                Qt::AlignLeft | Qt::AlignVCenter,
                reasonMetrics.elidedText(ElidedLabel::oneLine(*reason), Qt::ElideRight, width));
        }
        painter->restore();
    }

    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override
    {
        if (event->type() != QEvent::MouseButtonPress && event->type() != QEvent::MouseButtonRelease)
            return QStyledItemDelegate::editorEvent(event, model, option, index);
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton || !removeRect(option.rect).contains(mouse->position().toPoint()))
            return false;
        if (event->type() == QEvent::MouseButtonRelease && !static_cast<const Shredder::Rows*>(model)->isWorking())
            m_remove(index.row());
        return true;
    }

    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override
    {
        if (event->type() == QEvent::ToolTip && removeRect(option.rect).contains(event->pos())) {
            QToolTip::showText(event->globalPos(), u"Retirer de la liste"_s, view);
            return true;
        }
        // A reason cut short reads whole on hovering its row.
        if (event->type() == QEvent::ToolTip && hasFailure(index)) {
            QToolTip::showText(
                event->globalPos(),
                index.data(Qt::ToolTipRole).toString() + u'\n' + index.data(Shredder::failureRole).toString(), view);
            return true;
        }
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    }

    static QRect removeRect(const QRect& row)
    {
        return {row.right() - paddingX - removeSide + 1, row.center().y() - removeSide / 2, removeSide, removeSide};
    }

private:
    static QFont nameFont() { return Theme::systemFont(12.5); }
    static bool hasFailure(const QModelIndex& index) { return index.data(Shredder::failureRole).isValid(); }
    static int textBlock(bool withReason)
    {
        // Asked for every row when the list lays out; the fonts never change.
        static const int height = QFontMetrics(nameFont()).height() + 1 + QFontMetrics(Theme::monoFont()).height();
        static const int reasonHeight = 1 + QFontMetrics(Theme::systemFont(11)).height();
        return withReason ? height + reasonHeight : height;
    }

    std::function<void(int row)> m_remove;
};

} // namespace

ShredderView::ShredderView(ShredderViewModel& model, Platform::Workspace& workspace, Platform::OpenPanel& openPanel,
                           Shredder::Confirm confirm, QWidget* parent)
    : QWidget(parent), m_model(&model), m_workspace(workspace), m_openPanel(openPanel), m_confirm(std::move(confirm))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(ModuleHeader::screenMargins());
    layout->setSpacing(16);

    m_clear = new StyledButton(u"Vider la liste"_s, QuietButtonStyle{});
    m_clear->setObjectName(u"clearButton"_s);
    connect(m_clear, &QAbstractButton::clicked, this, [this] {
        if (m_model)
            m_model->clear();
    });
    layout->addWidget(new ModuleHeader(ModuleID::shredder, m_clear));

    layout->addWidget(new NoticeBanner(
        NoticeBanner::Kind::warning, u"Suppression irréversible"_s,
        u"Le contenu est réécrit puis délié — ni corbeille, ni annulation. Sur SSD, le wear-leveling peut laisser "
        u"des fragments physiques : c'est une barrière contre la récupération logicielle, pas une garantie face à "
        u"une analyse forensique du contrôleur."_s));

    m_dropZone = new ShredderDropZone;
    connect(m_dropZone, &ShredderDropZone::browseRequested, this, &ShredderView::browse);
    // The local files of a drop are queued in one call, so that a drop of thousands changes the queue once.
    connect(m_dropZone, &ShredderDropZone::dropped, this, [this](const QStringList& paths) {
        if (m_model)
            m_model->add(paths);
    });
    layout->addWidget(m_dropZone);

    m_list = new QListView;
    m_list->setObjectName(u"shredQueue"_s);
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setSelectionMode(QAbstractItemView::NoSelection);
    m_list->setFocusPolicy(Qt::NoFocus);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_list->viewport()->setAutoFillBackground(false);
    m_rows = new Shredder::Rows(model, m_workspace, this);
    m_list->setModel(m_rows);
    // Taken out after the click has been handled, as the list changes under the delegate.
    m_list->setItemDelegate(new RowDelegate(
        [this](int row) {
            const ScanItem* item = m_rows->item(row);
            if (!item)
                return;
            QMetaObject::invokeMethod(
                this,
                [this, id = item->id] {
                    if (m_model)
                        m_model->remove(id);
                },
                Qt::QueuedConnection);
        },
        m_list));
    OverlayScrollBar::install(m_list);
    m_listCard = card(m_list, 0);
    m_listCard->setObjectName(u"queueCard"_s);
    layout->addWidget(m_listCard);

    auto* barContent = new QWidget;
    auto* bar = new QHBoxLayout(barContent);
    bar->setContentsMargins(0, 0, 0, 0);
    bar->setSpacing(16);
    auto* totals = new QVBoxLayout;
    totals->setSpacing(2);
    m_total = new TextLabel(QString(), Theme::systemFont(20, QFont::Bold, Theme::Design::rounded));
    m_total->setObjectName(u"queueTotal"_s);
    totals->addWidget(m_total);
    totals->addWidget(new TextLabel(u"dans la file"_s, Theme::systemFont(11), Paint::Ink::secondary));
    bar->addLayout(totals);
    bar->addWidget(Divider::vertical(34));
    auto* passes = new QVBoxLayout;
    passes->setSpacing(3);
    passes->addWidget(
        new TextLabel(u"Passes de réécriture"_s, Theme::systemFont(11, QFont::DemiBold), Paint::Ink::secondary));
    m_passes = new QComboBox;
    m_passes->setObjectName(u"passesPicker"_s);
    m_passes->setAccessibleName(u"Passes de réécriture"_s);
    m_passes->setFixedWidth(170);
    m_passes->addItem(u"1 — rapide"_s, 1);
    m_passes->addItem(u"3 — standard"_s, 3);
    m_passes->addItem(u"7 — paranoïaque"_s, 7);
    connect(m_passes, &QComboBox::activated, this, [this](int index) {
        if (m_model)
            m_model->setPasses(m_passes->itemData(index).toInt());
    });
    passes->addWidget(m_passes);
    bar->addLayout(passes);
    bar->addStretch(1);
    m_report = new QWidget;
    m_report->setObjectName(u"shredReport"_s);
    auto* report = new QHBoxLayout(m_report);
    report->setContentsMargins(0, 0, 0, 0);
    report->setSpacing(5);
    report->addWidget(new SymbolView(sfSymbol(u"checkmark.circle.fill"), 12, Theme::mint()));
    m_reportText = new QLabel;
    m_reportText->setFont(Theme::systemFont(12));
    QPalette mint = m_reportText->palette();
    mint.setColor(QPalette::WindowText, Theme::mint());
    m_reportText->setPalette(mint);
    report->addWidget(m_reportText);
    bar->addWidget(m_report);
    m_shred = new StyledButton(u"Broyer"_s, PrimaryButtonStyle{Theme::dangerGradient()});
    m_shred->setObjectName(u"shredButton"_s);
    connect(m_shred, &QAbstractButton::clicked, this, &ShredderView::requestShred);
    bar->addWidget(m_shred);
    m_bar = card(barContent, 14);
    m_bar->setObjectName(u"queueBar"_s);
    layout->addWidget(m_bar);
    // The screen's parts keep their own heights at the top; the room left stays below them.
    layout->addStretch(1);

    connect(m_model, &ShredderViewModel::changed, this, &ShredderView::refresh);
    refresh();
}

void ShredderView::requestShred()
{
    if (!m_model || !m_model->canShred())
        return;
    const Shredder::Alert alert =
        Shredder::confirmationTexts(int(m_model->items().size()), m_model->totalSize(), m_model->passes());
    m_confirm(alert.title, alert.message, u"Broyer"_s, [model = m_model](bool accepted) {
        if (accepted && model)
            model->shred();
    });
}

void ShredderView::browse()
{
    m_openPanel.choose({Platform::OpenPanel::Mode::filesAndFolders, u"Ajouter"_s, QString(), QString()},
                       [model = m_model](const QStringList& chosen) {
                           if (model && !chosen.isEmpty())
                               model->add(chosen);
                       });
}

void ShredderView::refresh()
{
    if (!m_model)
        return;
    const bool working = m_model->isShredding();
    m_dropZone->setWorking(working, m_model->progress(), m_model->status());

    const bool queued = !m_model->items().isEmpty();
    m_clear->setVisible(queued);
    m_listCard->setVisible(queued);
    m_bar->setVisible(queued);
    m_rows->sync();
    // A row that gains or loses its reason changes height, which the list learns only from a new layout.
    if (const qsizetype failures = m_model->failures().size(); failures != m_laidOutFailures) {
        m_laidOutFailures = failures;
        m_list->doItemsLayout();
    }
    // The list is as tall as its rows, up to 260 points, and scrolls beyond; only the rows that fill it are
    // measured.
    int height = 0;
    for (int row = 0; row < m_rows->rowCount() && height < 260; ++row)
        height += m_list->sizeHintForRow(row);
    m_list->setFixedHeight(std::min(260, height));
    m_total->setText(sizeText(m_model->totalSize()));
    m_passes->setCurrentIndex(m_passes->findData(m_model->passes()));
    m_report->setVisible(!working && m_model->shreddedCount() > 0);
    m_reportText->setText(QString::number(m_model->shreddedCount()) + u" broyés"_s);
    m_shred->setEnabled(m_model->canShred());
}
