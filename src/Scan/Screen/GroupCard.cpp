#include "Scan/Screen/GroupCard.h"

#include "Core/FileUtils.h"
#include "Look/BoxButton.h"
#include "Look/CardModifier.h"
#include "Look/DisclosureChevron.h"
#include "Look/Divider.h"
#include "Look/ElidedLabel.h"
#include "Look/IconTile.h"
#include "Look/TextLabel.h"
#include "Look/Theme.h"
#include "Scan/Screen/ItemRow.h"
#include "Scan/Screen/ScanViewModel.h"

#include <algorithm>

#include <QHBoxLayout>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

constexpr int overflowPadding = 8;

} // namespace

// The header takes clicks on its whole rectangle, padding included; its box button takes its own first.
class GroupCard::Header final : public QAbstractButton
{
public:
    Header()
    {
        setFocusPolicy(Qt::TabFocus);
        // A button passes the button colours on to its children; the header's labels are drawn as on the card.
        setBackgroundRole(QPalette::Window);
        setForegroundRole(QPalette::WindowText);
    }

protected:
    void paintEvent(QPaintEvent*) override {}
};

QString GroupCard::overflowText(qint64 hidden)
{
    return u"… et "_s + QString::number(hidden) + u" éléments supplémentaires, inclus dans la sélection."_s;
}

QString GroupCard::countText(qsizetype count, ScanGroup::Metric metric)
{
    const bool one = count < 2;
    if (metric == ScanGroup::Metric::threats)
        return QString::number(count) + (one ? u" menace"_s : u" menaces"_s);
    return QString::number(count) + (one ? u" élément"_s : u" éléments"_s);
}

GroupCard::GroupCard(ScanViewModel& model, const ScanGroup& group, const ScreenServices& services, QWidget* parent)
    : QWidget(parent), m_model(model), m_groupID(group.id), m_services(services), m_body(new QWidget),
      m_header(new Header), m_box(new BoxButton(false, Theme::tint(model.scanner().moduleID()))),
      m_title(new ElidedLabel(QString(), Theme::systemFont(13.5, QFont::DemiBold))),
      m_note(new TextLabel(QString(), Theme::systemFont(11), Paint::Ink::secondary)),
      m_count(new TextLabel(QString(), Theme::systemFont(11), Paint::Ink::tertiary)),
      m_figure(new TextLabel(QString(), Theme::systemFont(13, QFont::DemiBold, Theme::Design::rounded))),
      m_chevron(new DisclosureChevron(group.isExpanded)), m_divider(new Divider(indent, m_body)),
      m_overflow(new TextLabel(QString(), Theme::systemFont(11), Paint::Ink::tertiary, m_body)),
      m_rows(m_body, [this](int index) -> QWidget* {
          const ScanGroup* current = currentGroup();
          if (!current || index >= current->items.size())
              return nullptr;
          return new ItemRow(m_model, m_groupID, current->items[index], m_services, m_body);
      })
{
    setObjectName(u"groupCard"_s);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    auto* frame = new QVBoxLayout(this);
    frame->setContentsMargins(0, 0, 0, 0);
    m_card = card(m_body, 0);
    frame->addWidget(m_card);

    const QColor& tint = Theme::tint(model.scanner().moduleID());
    m_header->setObjectName(u"groupHeader"_s);
    m_header->setParent(m_body);
    auto* row = new QHBoxLayout(m_header);
    row->setContentsMargins(14, 12, 14, 12);
    row->setSpacing(12);
    m_box->setObjectName(u"groupCheckbox"_s);
    row->addWidget(m_box, 0, Qt::AlignVCenter);
    row->addWidget(new IconTile(group.symbol, tint, 26, false), 0, Qt::AlignVCenter);
    auto* titles = new QVBoxLayout;
    titles->setSpacing(2);
    m_title->setObjectName(u"groupTitle"_s);
    m_note->setObjectName(u"groupNote"_s);
    // The title keeps one line and ends in "…" when the card is narrow; the note wraps instead.
    m_title->setElideMode(Qt::ElideRight);
    m_note->setWordWrap(true);
    titles->addWidget(m_title);
    titles->addWidget(m_note);
    row->addLayout(titles, 1);
    row->addSpacing(12);
    m_count->setObjectName(u"groupCount"_s);
    m_figure->setObjectName(u"groupFigure"_s);
    m_figure->setMinimumWidth(ItemRow::trailingWidth);
    m_figure->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    row->addWidget(m_count, 0, Qt::AlignVCenter);
    row->addWidget(m_figure, 0, Qt::AlignVCenter);
    m_chevron->setObjectName(u"groupChevron"_s);
    row->addWidget(m_chevron, 0, Qt::AlignVCenter);

    m_divider->setObjectName(u"groupDivider"_s);
    m_overflow->setObjectName(u"overflowLine"_s);

    connect(m_box, &QAbstractButton::clicked, this, [this] { m_model.toggleGroupSelection(m_groupID); });
    connect(m_header, &QAbstractButton::clicked, this, [this] { m_model.toggleExpanded(m_groupID); });
    refresh(group);
}

GroupCard::~GroupCard() = default;

const ScanGroup* GroupCard::currentGroup() const
{
    for (const ScanGroup& group : m_model.groups()) {
        if (group.id == m_groupID)
            return &group;
    }
    return nullptr;
}

void GroupCard::refresh(const ScanGroup& group)
{
    m_box->setState(group.selectionState());
    m_title->setText(group.title);
    m_note->setText(group.note.value_or(QString()));
    m_note->setVisible(group.note.has_value());

    const qsizetype count = group.items.size();
    if (group.metric == ScanGroup::Metric::threats) {
        m_figure->setText(countText(count, group.metric));
    } else {
        qint64 bytes = 0;
        for (const ScanItem& item : group.items)
            bytes += item.size;
        m_figure->setText(FileUtils::byteFormatter().string(bytes));
    }
    m_count->setText(countText(count, ScanGroup::Metric::bytes));
    m_count->setVisible(group.metric == ScanGroup::Metric::bytes);
    m_chevron->setExpanded(group.isExpanded);

    m_expanded = group.isExpanded;
    const int shown = m_expanded ? static_cast<int>(std::min<qsizetype>(count, rowCap)) : 0;
    const int headerHeight = headerHeightFor(width());
    std::vector<int> tops(1, headerHeight + (m_expanded ? 1 : 0));
    for (int i = 0; i < shown; ++i)
        tops.push_back(tops.back() + ItemRow::heightFor(group.items[i]));

    // Rows built for items that are no longer laid out go; the others show their item's new value.
    m_rows.setRowTops(std::move(tops));
    for (int i = 0; i < shown; ++i) {
        if (auto* row = static_cast<ItemRow*>(m_rows.builtRow(i)))
            row->setItem(group.items[i]);
    }

    const bool overflow = m_expanded && count > rowCap;
    m_overflow->setText(overflow ? overflowText(qint64(count) - rowCap) : QString());
    m_overflow->setVisible(overflow);
    m_divider->setVisible(m_expanded);

    int height = m_rows.rowTops().back();
    if (overflow)
        height += m_overflow->sizeHint().height() + 2 * overflowPadding;
    setFixedHeight(height);
    placeChildren();
}

void GroupCard::showBand(int top, int bottom)
{
    m_rows.showBand(top, bottom, width());
}

QList<ItemRow*> GroupCard::builtRows() const
{
    return m_rows.builtRows<ItemRow>();
}

void GroupCard::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    // A new width may wrap the note onto more or fewer lines: everything under the header moves with it.
    const int shift = headerHeightFor(width()) - (m_rows.rowTops().front() - (m_expanded ? 1 : 0));
    if (shift != 0) {
        m_rows.shift(shift);
        setFixedHeight(height() + shift);
    }
    placeChildren();
}

int GroupCard::headerHeightFor(int width) const
{
    const QLayout* layout = m_header->layout();
    if (width > 0 && layout->hasHeightForWidth())
        return layout->totalHeightForWidth(width);
    return m_header->sizeHint().height();
}

void GroupCard::placeChildren()
{
    // The card has no padding: its content's coordinates are the card's own.
    const int w = width();
    const int headerHeight = m_rows.rowTops().front() - (m_expanded ? 1 : 0);
    m_header->setGeometry(0, 0, w, headerHeight);
    m_divider->setGeometry(0, headerHeight, w, 1);
    m_rows.place(w);
    m_overflow->setGeometry(indent, m_rows.rowTops().back() + overflowPadding, std::max(0, w - 2 * indent),
                            m_overflow->sizeHint().height());
}
