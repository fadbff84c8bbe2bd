#pragma once

#include <QList>
#include <QWidget>

#include <functional>
#include <vector>

class QAbstractScrollArea;

// A column of rows in an area of which only those meeting a band are widgets: a list of thousands costs a
// screenful of rows, and every other row is only a height. The rows are the area's children; the owner says
// where each row stands and which band to build, and makes each row on request.
class BandedRows final
{
public:
    // Makes row `index`, or null to leave it unbuilt.
    using RowMaker = std::function<QWidget*(int index)>;

    // A stretch of a scrolled list, in the list's coordinates.
    struct Band {
        int top;
        int bottom;
    };
    // The visible part of `scroll` with a screenful above and below, so that scrolling rarely waits for rows.
    static Band aroundView(const QAbstractScrollArea& scroll);

    BandedRows(QWidget* area, RowMaker makeRow);
    BandedRows(const BandedRows&) = delete;
    BandedRows& operator=(const BandedRows&) = delete;

    // The top of each row in the area and, last, the bottom of the last row. Built rows past the new count go.
    void setRowTops(std::vector<int> tops);
    const std::vector<int>& rowTops() const { return m_tops; }
    int rowCount() const { return static_cast<int>(m_tops.size()) - 1; }
    // Moves every row by `dy`, as when what stands above them grows or shrinks.
    void shift(int dy);

    // Builds the rows that meet [top, bottom) (the area's coordinates), drops the others and places the built
    // ones `width` wide.
    void showBand(int top, int bottom, int width);
    // Places each built row at its top, `width` wide.
    void place(int width);

    // Row `index` while it is built, else null.
    QWidget* builtRow(int index) const { return m_rows[static_cast<std::size_t>(index)]; }
    // The rows built now, in order.
    template <typename Row> QList<Row*> builtRows() const
    {
        QList<Row*> built;
        for (QWidget* row : m_rows) {
            if (row)
                built.append(static_cast<Row*>(row));
        }
        return built;
    }

private:
    void drop(std::size_t index);

    QWidget* m_area;
    RowMaker m_makeRow;
    std::vector<int> m_tops{0};
    std::vector<QWidget*> m_rows; // one a laid-out row, null where the row is not built
};
