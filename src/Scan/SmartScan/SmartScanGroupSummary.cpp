#include "Scan/SmartScan/SmartScanGroupSummary.h"

#include "Core/FileUtils.h"
#include "Look/BoxButton.h"
#include "Look/CardModifier.h"
#include "Look/ElidedLabel.h"
#include "Look/IconTile.h"
#include "Look/TextLabel.h"
#include "Look/Theme.h"
#include "Scan/Screen/ScanViewModel.h"

#include <QHBoxLayout>
#include <QHash>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

class SmartScanGroupSummary::Row final : public QWidget
{
public:
    Row(ScanViewModel& model, const ScanGroup& group)
        : m_id(group.id), m_symbol(group.symbol), m_box(new BoxButton(false, Theme::indigo())),
          m_title(new ElidedLabel(QString(), Theme::systemFont(13))),
          m_count(new TextLabel(QString(), Theme::systemFont(11), Paint::Ink::tertiary)),
          m_size(new TextLabel(QString(), Theme::systemFont(12.5, QFont::DemiBold, Theme::Design::rounded)))
    {
        setObjectName(u"groupRow"_s);
        auto* content = new QWidget;
        auto* row = new QHBoxLayout(content);
        row->setContentsMargins(14, 10, 14, 10);
        row->setSpacing(12);
        m_box->setObjectName(u"groupCheckbox"_s);
        row->addWidget(m_box, 0, Qt::AlignVCenter);
        row->addWidget(new IconTile(group.symbol, Theme::indigo(), 24, false), 0, Qt::AlignVCenter);
        m_title->setObjectName(u"groupTitle"_s);
        m_title->setElideMode(Qt::ElideRight);
        // The title gives way first; the spacer after it takes what the title does not need.
        row->addWidget(m_title, 0, Qt::AlignVCenter);
        row->addStretch(1);
        m_count->setObjectName(u"groupCount"_s);
        row->addWidget(m_count, 0, Qt::AlignVCenter);
        m_size->setObjectName(u"groupSize"_s);
        m_size->setMinimumWidth(sizeWidth);
        m_size->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        row->addWidget(m_size, 0, Qt::AlignVCenter);

        auto* frame = new QVBoxLayout(this);
        frame->setContentsMargins(0, 0, 0, 0);
        frame->addWidget(card(content, 0));

        connect(m_box, &QAbstractButton::clicked, this, [&model, id = m_id] { model.toggleGroupSelection(id); });
        refresh(group);
    }

    const QUuid& id() const { return m_id; }
    const QString& symbol() const { return m_symbol; }

    void refresh(const ScanGroup& group)
    {
        m_box->setState(group.selectionState());
        m_title->setText(group.title);
        m_count->setText(countText(group.items.size()));
        m_size->setText(FileUtils::byteFormatter().string(groupBytes(group)));
    }

private:
    QUuid m_id;
    QString m_symbol;
    BoxButton* m_box;
    ElidedLabel* m_title;
    TextLabel* m_count;
    TextLabel* m_size;
};

QString SmartScanGroupSummary::countText(qsizetype count)
{
    return QString::number(count) + (count < 2 ? u" élément"_s : u" éléments"_s);
}

qint64 SmartScanGroupSummary::groupBytes(const ScanGroup& group)
{
    qint64 total = 0;
    for (const ScanItem& item : group.items)
        total = FileUtils::addBytes(total, item.size);
    return total;
}

SmartScanGroupSummary::SmartScanGroupSummary(ScanViewModel& model, QWidget* parent)
    : QWidget(parent), m_model(model), m_column(new QVBoxLayout(this))
{
    setObjectName(u"groupSummary"_s);
    m_column->setContentsMargins(0, 0, 0, 0);
    m_column->setSpacing(rowSpacing);
    auto* heading = new TextLabel(u"Détail"_s, Theme::captionFont(), Paint::Ink::secondary);
    heading->setObjectName(u"groupSummaryHeading"_s);
    m_column->addWidget(heading);
    refresh();
}

SmartScanGroupSummary::~SmartScanGroupSummary() = default;

void SmartScanGroupSummary::refresh()
{
    QHash<QUuid, Row*> kept;
    for (Row* row : std::as_const(m_rows))
        kept.insert(row->id(), row);
    QList<Row*> rows;
    for (const ScanGroup& group : m_model.groups()) {
        Row* row = kept.value(group.id);
        if (row && row->symbol() == group.symbol) {
            kept.remove(group.id);
            row->refresh(group);
        } else {
            row = new Row(m_model, group);
        }
        rows.append(row);
    }
    // A row may be the sender of the change that removes it: it goes once the change is over.
    for (Row* gone : std::as_const(kept)) {
        m_column->removeWidget(gone);
        gone->hide();
        gone->deleteLater();
    }
    if (rows != m_rows) {
        for (Row* row : std::as_const(rows))
            m_column->removeWidget(row);
        for (qsizetype i = 0; i < rows.size(); ++i) {
            m_column->insertWidget(static_cast<int>(i) + 1, rows[i]);
            rows[i]->show();
        }
        m_rows = rows;
    }
}
