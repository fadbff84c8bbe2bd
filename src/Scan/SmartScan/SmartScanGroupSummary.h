#pragma once

#include "Core/ScanModel.h"

#include <QList>
#include <QString>
#include <QWidget>

class QVBoxLayout;
class ScanViewModel;

// The smart scan's result groups in brief, under its summary card: the heading "Détail", then one row per group
// ("groupRow") with its box ("groupCheckbox", which toggles the whole group's selection), icon, title
// ("groupTitle"), item count ("groupCount") and the size of all its items ("groupSize"). The rows neither expand
// nor list items. refresh() shows the model's groups again, keeping the rows of groups that stay.
class SmartScanGroupSummary final : public QWidget
{
    Q_OBJECT

public:
    static constexpr int rowSpacing = 10;
    static constexpr int sizeWidth = 76;

    // "N élément" below 2, "N éléments" from 2 on.
    static QString countText(qsizetype count);
    // The sizes of every item of the group, selected or not, whatever its metric; held at the 64-bit limit.
    static qint64 groupBytes(const ScanGroup& group);

    explicit SmartScanGroupSummary(ScanViewModel& model, QWidget* parent = nullptr);
    ~SmartScanGroupSummary() override;

    void refresh();

private:
    class Row;

    ScanViewModel& m_model;
    QVBoxLayout* m_column;
    QList<Row*> m_rows;
};
