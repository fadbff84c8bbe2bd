#include "Scan/Screen/ItemRow.h"

#include "Core/FileUtils.h"
#include "Look/BoxButton.h"
#include "Look/ElidedLabel.h"
#include "Look/LookMenu.h"
#include "Look/SymbolButton.h"
#include "Look/SymbolView.h"
#include "Look/TextLabel.h"
#include "Look/Theme.h"
#include "Platform/Symbols.h"
#include "Platform/Workspace.h"
#include "Scan/Screen/ScanViewModel.h"
#include "Scan/Screen/ScreenServices.h"
#include "Scan/Screen/SeverityChip.h"

#include <algorithm>
#include <cmath>

#include <QContextMenuEvent>
#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

const QFont& nameFont()
{
    static const QFont font = Theme::systemFont(12.5);
    return font;
}

const QFont& detailFont()
{
    static const QFont font = Theme::systemFont(10.5);
    return font;
}

const QFont& sizeFont()
{
    static const QFont font = Theme::systemFont(11.5, QFont::Normal, Theme::Design::rounded);
    return font;
}

int lineHeight(const QFont& font)
{
    return static_cast<int>(std::ceil(QFontMetricsF(font).height()));
}

} // namespace

int ItemRow::heightFor(const ScanItem& item)
{
    // The same figures the row's own widgets ask for, so that the row laid out at this height is never cut.
    static const int nameLine =
        std::max(lineHeight(nameFont()), SeverityChip(ThreatSeverity::confirmed).sizeHint().height());
    static const int detailLine = lineHeight(detailFont());
    static const int controls = std::max({16, iconSide, lineHeight(sizeFont()), lineHeight(detailFont()),
                                          SymbolButton(sfSymbol(u"info.circle"), 11).sizeHint().height()});
    const int text = nameLine + (item.detail ? 1 + detailLine : 0);
    return 2 * verticalPadding + std::max(text, controls);
}

QString ItemRow::trailingText(const ScanViewModel& model, const ScanItem& item)
{
    if (item.threat)
        return model.goesToTrash(item) ? u"corbeille"_s : u"définitif"_s;
    return FileUtils::byteFormatter().string(item.size);
}

QString ItemRow::reasonsText(const ScanItem& item)
{
    return item.threat ? item.threat->reasons.join(u'\n') : QString();
}

QString ItemRow::riskyTip()
{
    return u"Contient des données personnelles — à cocher en connaissance de cause."_s;
}

ItemRow::ItemRow(ScanViewModel& model, const QUuid& groupID, const ScanItem& item, const ScreenServices& services,
                 QWidget* parent)
    : QWidget(parent), m_model(model), m_groupID(groupID), m_item(item), m_services(services),
      m_box(new BoxButton(item.isSelected, Theme::tint(model.scanner().moduleID()), boxLeading)), m_icon(new QLabel),
      m_name(new ElidedLabel(item.name, nameFont())), m_chip(new SeverityChip(ThreatSeverity::suspicious)),
      m_risky(new SymbolView(sfSymbol(u"exclamationmark.circle.fill"), 9, Theme::amber())),
      m_detail(new ElidedLabel(QString(), detailFont(), Paint::Ink::tertiary)), m_hoverButtons(new QWidget),
      m_info(new SymbolButton(sfSymbol(u"info.circle"), 11)),
      m_reveal(new SymbolButton(sfSymbol(u"arrow.up.forward.app"), 11)),
      m_route(new TextLabel(QString(), detailFont(), Paint::Ink::tertiary)),
      m_size(new TextLabel(QString(), sizeFont(), Paint::Ink::secondary))
{
    setObjectName(u"itemRow"_s);
    setAttribute(Qt::WA_Hover);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, verticalPadding, trailingPadding, verticalPadding);
    row->setSpacing(spacing);

    m_box->setObjectName(u"itemCheckbox"_s);
    connect(m_box, &QAbstractButton::clicked, this, [this] { m_model.toggleItem(m_item.id, m_groupID); });
    row->addWidget(m_box, 0, Qt::AlignVCenter);

    m_icon->setObjectName(u"itemIcon"_s);
    m_icon->setFixedSize(iconSide, iconSide);
    row->addWidget(m_icon, 0, Qt::AlignVCenter);

    auto* text = new QVBoxLayout;
    text->setSpacing(1);
    auto* nameLine = new QHBoxLayout;
    nameLine->setSpacing(5);
    m_name->setObjectName(u"itemName"_s);
    m_chip->setObjectName(u"severityChip"_s);
    m_risky->setObjectName(u"riskyMark"_s);
    m_risky->setToolTip(riskyTip());
    nameLine->addWidget(m_name, 0, Qt::AlignVCenter);
    nameLine->addWidget(m_chip, 0, Qt::AlignVCenter);
    nameLine->addWidget(m_risky, 0, Qt::AlignVCenter);
    nameLine->addStretch(1);
    text->addLayout(nameLine);
    m_detail->setObjectName(u"itemDetail"_s);
    text->addWidget(m_detail);
    row->addLayout(text, 1);

    row->addSpacing(10);

    auto* buttons = new QHBoxLayout(m_hoverButtons);
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->setSpacing(spacing);
    m_info->setObjectName(u"provenanceButton"_s);
    m_info->setToolTip(u"D'où vient ce fichier"_s);
    m_reveal->setObjectName(u"revealButton"_s);
    m_reveal->setToolTip(u"Afficher dans le Finder"_s);
    buttons->addWidget(m_info);
    buttons->addWidget(m_reveal);
    m_hoverButtons->setObjectName(u"hoverButtons"_s);
    m_hoverButtons->hide();
    connect(m_info, &QAbstractButton::clicked, this, &ItemRow::openProvenance);
    connect(m_reveal, &QAbstractButton::clicked, this, &ItemRow::revealInFinder);
    row->addWidget(m_hoverButtons, 0, Qt::AlignVCenter);

    m_route->setObjectName(u"itemRoute"_s);
    m_size->setObjectName(u"itemSize"_s);
    for (TextLabel* trailing : {m_route, m_size}) {
        trailing->setMinimumWidth(trailingWidth);
        trailing->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        row->addWidget(trailing, 0, Qt::AlignVCenter);
    }

    showItem(true);
}

void ItemRow::setItem(const ScanItem& item)
{
    const bool newItem = item.id != m_item.id || item.url != m_item.url;
    m_item = item;
    showItem(newItem);
}

void ItemRow::showItem(bool newItem)
{
    const ScanItem& item = m_item;
    setFixedHeight(heightFor(item));
    m_box->setState(item.isSelected);
    m_box->setTint(item.isRisky ? Theme::amber() : Theme::tint(m_model.scanner().moduleID()));
    if (newItem) {
        const QIcon icon = m_services.workspace.icon(item.url);
        m_icon->setPixmap(icon.pixmap(QSize(iconSide, iconSide), devicePixelRatioF()));
    }
    m_name->setText(item.name);
    if (item.threat)
        m_chip->setSeverity(item.threat->severity);
    m_chip->setVisible(item.threat.has_value());
    m_risky->setVisible(!item.threat && item.isRisky);
    m_detail->setText(item.detail.value_or(QString()));
    m_detail->setVisible(item.detail.has_value());

    const QString reasons = reasonsText(item);
    setToolTip(reasons);
    m_route->setVisible(item.threat.has_value());
    m_size->setVisible(!item.threat);
    (item.threat ? m_route : m_size)->setText(trailingText(m_model, item));
    m_route->setToolTip(reasons);
}

void ItemRow::setHovering(bool hovering)
{
    if (m_hovering == hovering)
        return;
    m_hovering = hovering;
    // The info button needs a card to open; until the screen can open one, the row does not offer it.
    m_info->setVisible(static_cast<bool>(m_services.openProvenance));
    m_hoverButtons->setVisible(hovering);
    update();
}

QMenu* ItemRow::makeContextMenu(QWidget* parent)
{
    auto* menu = new LookMenu(parent);
    QAction* reveal = menu->addAction(u"Afficher dans le Finder"_s);
    reveal->setObjectName(u"revealAction"_s);
    menu->addSeparator();
    QAction* exclude = menu->addAction(u"Exclure de toutes les analyses"_s);
    exclude->setObjectName(u"excludeAction"_s);
    connect(reveal, &QAction::triggered, this, &ItemRow::revealInFinder);
    // The exclusion removes this row: the call takes values, never the row.
    connect(exclude, &QAction::triggered, this, [model = &m_model, id = m_item.id] { model->excludeFromAllScans(id); });
    return menu;
}

void ItemRow::revealInFinder()
{
    m_services.workspace.reveal(m_item.url);
}

void ItemRow::openProvenance()
{
    if (m_services.openProvenance)
        m_services.openProvenance(m_info, m_item);
}

void ItemRow::enterEvent(QEnterEvent* event)
{
    setHovering(true);
    QWidget::enterEvent(event);
}

void ItemRow::leaveEvent(QEvent* event)
{
    setHovering(false);
    QWidget::leaveEvent(event);
}

void ItemRow::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu* menu = makeContextMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void ItemRow::paintEvent(QPaintEvent*)
{
    if (!m_hovering)
        return;
    QPainter painter(this);
    painter.fillRect(rect(), Paint::ink(this, Paint::Ink::primary, hoverOpacity));
}
