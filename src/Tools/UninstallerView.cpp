#include "Tools/UninstallerView.h"

#include "Core/Formatters.h"
#include "Look/ElidedLabel.h"
#include "Look/EmptyStateView.h"
#include "Look/IconCache.h"
#include "Look/ModuleHeader.h"
#include "Look/NoticeBanner.h"
#include "Look/OverlayScrollBar.h"
#include "Look/Paint.h"
#include "Look/SpinnerRing.h"
#include "Look/StyledButton.h"
#include "Look/SymbolView.h"
#include "Look/TextLabel.h"
#include "Look/Theme.h"
#include "Platform/Ask.h"
#include "Platform/Symbols.h"
#include "Platform/Workspace.h"
#include "Tools/AppDetail.h"
#include "Tools/UninstallerRules.h"
#include "Tools/UninstallerViewModel.h"

#include <QAbstractListModel>
#include <QButtonGroup>
#include <QFrame>
#include <QHBoxLayout>
#include <QHash>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QSplitter>
#include <QStackedWidget>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

QString byteText(qint64 bytes)
{
    return ByteCountFormatter().string(bytes); // "0 Ko" at zero or less
}

QString filterName(Uninstaller::Filter filter)
{
    switch (filter) {
    case Uninstaller::Filter::all:
        return u"filter_all"_s;
    case Uninstaller::Filter::unused:
        return u"filter_unused"_s;
    case Uninstaller::Filter::large:
        return u"filter_large"_s;
    }
    return {};
}

} // namespace

namespace UninstallerList {

// The visible applications as list rows, so that hundreds of them cost one view and rows are drawn only when
// on screen. Each row's icon is asked of the workspace once.
class Rows final : public QAbstractListModel
{
public:
    explicit Rows(Platform::Workspace& workspace, QObject* parent) : QAbstractListModel(parent), m_icons(workspace) {}

    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : int(m_apps.size()); }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || index.row() >= m_apps.size())
            return {};
        const InstalledApp& app = m_apps.at(index.row());
        if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
            return app.name;
        return {};
    }

    const InstalledApp& app(int row) const { return m_apps.at(row); }
    bool isSelected(int row) const { return m_selected && m_apps.at(row).id == *m_selected; }
    bool isUnused(int row) const { return Uninstaller::keeps(Uninstaller::Filter::unused, m_apps.at(row), m_now); }

    QIcon icon(const QString& url) const { return m_icons.icon(url); }

    void set(const QList<InstalledApp>& apps, const std::optional<QUuid>& selected, const QDateTime& now)
    {
        m_now = now;
        const bool sameRows = apps.size() == m_apps.size() &&
                              std::equal(apps.cbegin(), apps.cend(), m_apps.cbegin(),
                                         [](const InstalledApp& a, const InstalledApp& b) { return a.id == b.id; });
        if (sameRows) {
            m_selected = selected;
            if (!m_apps.isEmpty())
                emit dataChanged(index(0), index(int(m_apps.size()) - 1));
            return;
        }
        beginResetModel();
        m_apps = apps;
        m_selected = selected;
        endResetModel();
    }

private:
    QList<InstalledApp> m_apps;
    std::optional<QUuid> m_selected;
    QDateTime m_now;
    IconCache m_icons;
};

// One application row: its icon, its name, "v" and its version with the unused mark, and its total size, on a
// rounded indigo wash when selected.
class RowDelegate final : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // The scroll bar's strip and a little air: the bar is laid over the list's right edge, never over a row.
    static constexpr int trailing = OverlayScrollBar::thickness + 2;

    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override
    {
        const int lines = QFontMetrics(nameFont()).height() + 1 + QFontMetrics(Theme::systemFont(10.5)).height();
        return {280, 7 + qMax(28, lines) + 7};
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const auto* rows = static_cast<const Rows*>(index.model());
        const InstalledApp& app = rows->app(index.row());
        const bool selected = rows->isSelected(index.row());
        const QWidget* widget = option.widget;
        const QRect rect = option.rect.adjusted(0, 0, -trailing, 0);

        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        if (selected) {
            QPainterPath shape;
            shape.addRoundedRect(QRectF(rect), 9, 9);
            painter->fillPath(shape, Paint::withOpacity(Theme::indigo(), 0.16));
        }
        const QRect inner = rect.adjusted(10, 7, -10, -7);
        int left = inner.left();
        const QIcon icon = rows->icon(app.url);
        if (!icon.isNull()) {
            icon.paint(painter, QRect(left, inner.center().y() - 14, 28, 28));
            left += 28 + 10;
        }

        const QFont sizeFont = Theme::systemFont(11.5, QFont::Medium, Theme::Design::rounded);
        const QString size = byteText(Uninstaller::totalSize(app));
        const int sizeWidth = QFontMetrics(sizeFont).horizontalAdvance(size);
        painter->setFont(sizeFont);
        painter->setPen(Paint::ink(widget, selected ? Paint::Ink::primary : Paint::Ink::secondary));
        painter->drawText(QRect(inner.right() - sizeWidth, inner.top(), sizeWidth, inner.height()),
                          Qt::AlignRight | Qt::AlignVCenter, size);

        const int textRight = inner.right() - sizeWidth - 8;
        const QFontMetrics nameMetrics(nameFont());
        const QFont detailFont = Theme::systemFont(10.5);
        const QFontMetrics detailMetrics(detailFont);
        const int block = nameMetrics.height() + 1 + detailMetrics.height();
        const int top = inner.center().y() - block / 2;
        painter->setFont(nameFont());
        painter->setPen(Paint::ink(widget, Paint::Ink::primary));
        painter->drawText(QRect(left, top, textRight - left, nameMetrics.height()), Qt::AlignLeft | Qt::AlignVCenter,
                          nameMetrics.elidedText(ElidedLabel::oneLine(app.name), Qt::ElideRight, textRight - left));
        const int second = top + nameMetrics.height() + 1;
        const QString version = u"v"_s + app.version;
        painter->setFont(detailFont);
        painter->setPen(Paint::ink(widget, Paint::Ink::secondary));
        const QString shown = detailMetrics.elidedText(ElidedLabel::oneLine(version), Qt::ElideRight, textRight - left);
        painter->drawText(QRect(left, second, textRight - left, detailMetrics.height()),
                          Qt::AlignLeft | Qt::AlignVCenter, shown);
        if (rows->isUnused(index.row())) {
            const int markLeft = left + detailMetrics.horizontalAdvance(shown) + 5;
            if (markLeft < textRight) {
                painter->setPen(Theme::amber());
                painter->drawText(QRect(markLeft, second, textRight - markLeft, detailMetrics.height()),
                                  Qt::AlignLeft | Qt::AlignVCenter, u"· inutilisée"_s);
            }
        }
        painter->restore();
    }

private:
    static QFont nameFont() { return Theme::systemFont(12.5, QFont::Medium); }
};

} // namespace UninstallerList

UninstallerView::UninstallerView(UninstallerViewModel& model, Platform::Workspace& workspace, Platform::Ask& ask,
                                 QWidget* parent)
    : QWidget(parent), m_model(&model), m_workspace(workspace), m_ask(ask)
{
    setObjectName(u"uninstallerView"_s);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(ModuleHeader::screenMargins());
    column->setSpacing(16);

    m_refresh = new StyledButton(u"Actualiser"_s, QuietButtonStyle{});
    m_refresh->setObjectName(u"refreshButton"_s);
    connect(m_refresh, &QAbstractButton::clicked, this, [this] {
        if (m_model)
            m_model->refresh();
    });
    column->addWidget(new ModuleHeader(ModuleID::uninstaller, m_refresh));

    m_bannerSlot = new QVBoxLayout;
    m_bannerSlot->setContentsMargins(0, 0, 0, 0);
    column->addLayout(m_bannerSlot);

    m_pages = new QStackedWidget;
    column->addWidget(m_pages, 1);

    // Loading: a spinner, what is being done and the application file being looked at.
    m_loadingPage = new QWidget;
    m_loadingPage->setObjectName(u"loadingPage"_s);
    auto* loading = new QVBoxLayout(m_loadingPage);
    loading->setSpacing(16);
    loading->addStretch(1);
    auto* spinner = new SpinnerRing(9);
    spinner->setFixedSize(90, 90);
    loading->addWidget(spinner, 0, Qt::AlignHCenter);
    auto* doing = new TextLabel(u"Inventaire des applications…"_s, Theme::systemFont(13), Paint::Ink::secondary);
    loading->addWidget(doing, 0, Qt::AlignHCenter);
    m_status = new TextLabel(QString(), Theme::monoFont(), Paint::Ink::tertiary);
    m_status->setObjectName(u"inventoryStatus"_s);
    m_status->setTextFormat(Qt::PlainText);
    loading->addWidget(m_status, 0, Qt::AlignHCenter);
    loading->addStretch(1);
    m_pages->addWidget(m_loadingPage);

    m_emptyPage = new EmptyStateView(sfSymbol(u"app.dashed"), u"Aucune application recensée"_s,
                                     u"Rien n'a été trouvé dans /Applications ni dans votre dossier Applications."_s,
                                     Theme::mint());
    m_emptyPage->setObjectName(u"emptyPage"_s);
    m_pages->addWidget(m_emptyPage);

    m_listPage = new QWidget;
    m_listPage->setObjectName(u"listPage"_s);
    auto* listColumn = new QVBoxLayout(m_listPage);
    listColumn->setContentsMargins(0, 0, 0, 0);
    listColumn->setSpacing(16);

    auto* toolbar = new QHBoxLayout;
    toolbar->setSpacing(12);
    auto* searchBox = new QFrame;
    searchBox->setObjectName(u"searchBox"_s);
    searchBox->setMaximumWidth(260);
    const QColor wash = Paint::withOpacity(Paint::ink(this), 0.06);
    searchBox->setStyleSheet(u"QFrame#searchBox { background: rgba(%1, %2, %3, %4); border-radius: 14px; }"_s.arg(
        QString::number(wash.red()), QString::number(wash.green()), QString::number(wash.blue()),
        QString::number(wash.alphaF())));
    auto* search = new QHBoxLayout(searchBox);
    search->setContentsMargins(10, 6, 10, 6);
    search->setSpacing(6);
    search->addWidget(new SymbolView(sfSymbol(u"magnifyingglass"), 11, Paint::ink(this, Paint::Ink::secondary)));
    m_search = new QLineEdit;
    m_search->setObjectName(u"searchField"_s);
    m_search->setPlaceholderText(u"Rechercher"_s);
    m_search->setFrame(false);
    m_search->setFont(Theme::systemFont(12));
    m_search->setStyleSheet(u"background: transparent;"_s);
    connect(m_search, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (m_model)
            m_model->setQuery(text);
    });
    search->addWidget(m_search, 1);
    toolbar->addWidget(searchBox, 1);

    auto* segments = new QWidget;
    segments->setObjectName(u"filterControl"_s);
    segments->setFixedWidth(280);
    auto* segmentRow = new QHBoxLayout(segments);
    segmentRow->setContentsMargins(0, 0, 0, 0);
    segmentRow->setSpacing(0);
    auto* group = new QButtonGroup(segments);
    group->setExclusive(true);
    for (Uninstaller::Filter filter : Uninstaller::allFilters()) {
        auto* segment = new QPushButton(Uninstaller::label(filter));
        segment->setObjectName(filterName(filter));
        segment->setCheckable(true);
        segment->setFont(Theme::systemFont(12));
        group->addButton(segment);
        segmentRow->addWidget(segment, 1);
        m_filters.append(segment);
        connect(segment, &QPushButton::clicked, this, [this, filter] {
            if (m_model)
                m_model->setFilter(filter);
        });
    }
    toolbar->addWidget(segments);
    toolbar->addStretch(1);
    m_count = new TextLabel(QString(), Theme::systemFont(11), Paint::Ink::tertiary);
    m_count->setObjectName(u"appCount"_s);
    toolbar->addWidget(m_count);
    listColumn->addLayout(toolbar);

    auto* split = new QSplitter(Qt::Horizontal);
    split->setChildrenCollapsible(false);
    m_list = new QListView;
    m_list->setObjectName(u"appList"_s);
    m_list->setMinimumWidth(264);
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setSpacing(2); // 4 between rows: Qt puts the spacing on both sides of each
    m_list->setSelectionMode(QAbstractItemView::NoSelection);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setUniformItemSizes(true);
    m_list->viewport()->setAutoFillBackground(false);
    m_rows = new UninstallerList::Rows(m_workspace, this);
    m_list->setModel(m_rows);
    m_list->setItemDelegate(new UninstallerList::RowDelegate(m_list));
    connect(m_list, &QListView::clicked, this, [this](const QModelIndex& index) {
        if (m_model && index.isValid())
            m_model->setSelected(m_rows->app(index.row()).id);
    });
    split->addWidget(m_list);

    // At least 320 wide, and as wide as a detail's own minimum (its buttons side by side), which the splitter then
    // keeps: a narrow window takes the room from the list, never from the detail's buttons.
    m_detailStack = new QStackedWidget;
    m_placeholder = new EmptyStateView(sfSymbol(u"hand.point.up.left"), u"Sélectionnez une application"_s,
                                       u"Le détail de ses fichiers associés apparaîtra ici."_s, Theme::mint());
    m_placeholder->setMinimumWidth(320);
    m_placeholder->setObjectName(u"detailPlaceholder"_s);
    m_detailStack->addWidget(m_placeholder);
    split->addWidget(m_detailStack);
    split->setStretchFactor(0, 0);
    split->setStretchFactor(1, 1);
    split->setSizes({340, 600});
    listColumn->addWidget(split, 1);
    m_pages->addWidget(m_listPage);

    connect(m_model, &UninstallerViewModel::changed, this, &UninstallerView::refresh);
    refresh();
}

void UninstallerView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // A screen that comes back with a list keeps it; "Actualiser" reads anew.
    if (m_model && m_model->apps().isEmpty())
        m_model->refresh();
}

void UninstallerView::requestUninstall(const InstalledApp& app)
{
    if (!m_model)
        return;
    // What goes is what the question said: the choice and the ticks are taken now and handed to the uninstall
    // as they stood.
    const bool removeLeftovers = m_model->removeLeftovers();
    const InstalledApp asked = m_model->app(app.id).value_or(app);
    m_ask.ask(Uninstaller::confirmation(asked, removeLeftovers, m_model->isRunning(asked)),
              [model = m_model, asked, removeLeftovers](bool confirmed) {
                  if (confirmed && model)
                      model->uninstall(asked, removeLeftovers);
              });
}

void UninstallerView::refresh()
{
    if (!m_model)
        return;
    const UninstallerViewModel& model = *m_model;
    m_refresh->setVisible(!model.isLoading());

    // A warning when an uninstall fell short, else the word that the last one went through.
    const std::optional<UninstallerViewModel::Notice>& notice = model.notice() ? model.notice() : model.done();
    const QString bannerKey =
        notice ? QString(model.notice() ? u"!"_s : u"="_s) + notice->title + u'\n' + notice->message : QString();
    if (bannerKey != m_bannerKey) {
        m_bannerKey = bannerKey;
        if (m_banner) {
            m_bannerSlot->removeWidget(m_banner);
            delete m_banner;
            m_banner = nullptr;
        }
        if (notice) {
            const bool warning = model.notice().has_value();
            m_banner = new NoticeBanner(warning ? NoticeBanner::Kind::warning : NoticeBanner::Kind::info, notice->title,
                                        notice->message);
            m_banner->setObjectName(warning ? u"uninstallNotice"_s : u"uninstallDone"_s);
            m_bannerSlot->addWidget(m_banner);
        }
    }

    if (model.isLoading() && model.apps().isEmpty())
        m_pages->setCurrentWidget(m_loadingPage);
    else if (!model.apps().isEmpty())
        m_pages->setCurrentWidget(m_listPage);
    else
        m_pages->setCurrentWidget(m_emptyPage);
    m_status->setText(model.status());

    if (m_search->text() != model.query())
        m_search->setText(model.query());
    const QList<Uninstaller::Filter> filters = Uninstaller::allFilters();
    for (qsizetype i = 0; i < filters.size(); ++i)
        m_filters.at(i)->setChecked(filters.at(i) == model.filter());

    const QList<InstalledApp> shown = model.visibleApps();
    m_count->setText(QString::number(shown.size()) + (shown.size() < 2 ? u" application"_s : u" applications"_s));
    m_rows->set(shown, model.selected(), model.now());
    refreshDetail();
}

void UninstallerView::refreshDetail()
{
    const std::optional<InstalledApp> app = m_model->selectedApp();
    const std::optional<QUuid> id = app ? std::optional<QUuid>(app->id) : std::nullopt;
    if (id == m_detailID)
        return;
    m_detailID = id;
    if (m_detail) {
        m_detailStack->removeWidget(m_detail);
        m_detail->deleteLater();
        m_detail = nullptr;
    }
    if (!app) {
        m_detailStack->setCurrentWidget(m_placeholder);
        return;
    }
    m_detail = new AppDetail(*app, *m_model, m_workspace, [this, shown = *app] { requestUninstall(shown); });
    m_detailStack->addWidget(m_detail);
    m_detailStack->setCurrentWidget(m_detail);
}
