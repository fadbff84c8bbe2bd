#include "Look/BandedRows.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

// Rows 10 points tall, each built row named by its index; `refused` rows are never built.
struct Column {
    explicit Column(int count, std::vector<int> refusing = {}) : refused(std::move(refusing))
    {
        std::vector<int> tops;
        for (int i = 0; i <= count; ++i)
            tops.push_back(i * 10);
        rows.setRowTops(std::move(tops));
    }

    std::vector<int> built() const
    {
        std::vector<int> indexes;
        for (int i = 0; i < rows.rowCount(); ++i) {
            if (rows.builtRow(i))
                indexes.push_back(i);
        }
        return indexes;
    }

    std::unique_ptr<QWidget> area = std::make_unique<QWidget>();
    std::vector<int> refused;
    int made = 0;
    BandedRows rows{area.get(), [this](int index) -> QWidget* {
                        if (std::find(refused.begin(), refused.end(), index) != refused.end())
                            return nullptr;
                        ++made;
                        auto* row = new QWidget; // parentless: the column takes it into its area
                        row->setObjectName(QString::number(index));
                        return row;
                    }};
};

} // namespace

// Only the rows meeting the band exist, each a child of the area at its own top and the width asked for; rows
// leaving the band go, and a row the maker refuses stays a height.
TEST(BandedRows, buildsOnlyTheRowsMeetingTheBand)
{
    struct Case {
        int top;
        int bottom;
        std::vector<int> built;
    };
    const Case cases[] = {
        {0, 30, {0, 1, 2}}, // the band's bottom edge is not inside row 3
        {15, 25, {1, 2}},   // rows cut by the band count
        {-50, 1, {0}},      // a band reaching above the first row
        {95, 500, {9}},     // and below the last
        {200, 300, {}},     // past the rows: nothing
        {30, 30, {}},       // an empty band
    };
    for (const Case& c : cases) {
        Column column(10);
        column.rows.showBand(c.top, c.bottom, 120);
        EXPECT_EQ(column.built(), c.built) << c.top << ".." << c.bottom;
        for (QWidget* row : column.rows.builtRows<QWidget>()) {
            const int index = row->objectName().toInt();
            EXPECT_EQ(row->parentWidget(), column.area.get());
            EXPECT_EQ(row->geometry(), QRect(0, index * 10, 120, 10)) << index;
        }
    }

    Column column(10, {2});
    column.rows.showBand(0, 40, 100);
    EXPECT_EQ(column.built(), (std::vector<int>{0, 1, 3}));
    column.rows.showBand(25, 60, 80); // 0 and 1 go, 3 stays and follows the width, 4 and 5 come
    EXPECT_EQ(column.built(), (std::vector<int>{3, 4, 5}));
    EXPECT_EQ(column.made, 5);
    EXPECT_EQ(column.rows.builtRow(3)->width(), 80);
}

// New tops move the built rows and drop those past the new count; a shift moves every row.
TEST(BandedRows, followsNewTopsAndShifts)
{
    Column column(6);
    column.rows.showBand(0, 60, 50);
    ASSERT_EQ(column.built().size(), 6u);
    QWidget* first = column.rows.builtRow(0);

    column.rows.setRowTops({5, 25, 45, 65});
    EXPECT_EQ(column.rows.rowCount(), 3);
    EXPECT_EQ(column.built(), (std::vector<int>{0, 1, 2}));
    column.rows.shift(10);
    column.rows.place(50);
    EXPECT_EQ(column.rows.builtRow(0), first); // the same row, moved rather than made again
    EXPECT_EQ(first->geometry(), QRect(0, 15, 50, 20));
    EXPECT_EQ(column.rows.builtRow(2)->geometry(), QRect(0, 55, 50, 20));
    EXPECT_EQ(column.made, 6);

    // The dropped rows are hidden at once and deleted once the event loop runs.
    const QList<QWidget*> children = column.area->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    int visible = 0;
    for (QWidget* child : children)
        visible += child->isVisibleTo(column.area.get()) ? 1 : 0;
    EXPECT_EQ(visible, 3);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(column.area->findChildren<QWidget*>(Qt::FindDirectChildrenOnly).size(), 3);
}
