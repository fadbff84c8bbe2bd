#include "Look/BandedRows.h"

#include <QAbstractScrollArea>
#include <QScrollBar>

BandedRows::Band BandedRows::aroundView(const QAbstractScrollArea& scroll)
{
    const int viewport = scroll.viewport()->height();
    const int value = scroll.verticalScrollBar()->value();
    return {value - viewport, value + 2 * viewport};
}

BandedRows::BandedRows(QWidget* area, RowMaker makeRow) : m_area(area), m_makeRow(std::move(makeRow))
{
}

void BandedRows::setRowTops(std::vector<int> tops)
{
    m_tops = tops.empty() ? std::vector<int>{0} : std::move(tops);
    const auto count = static_cast<std::size_t>(rowCount());
    for (std::size_t i = count; i < m_rows.size(); ++i)
        drop(i);
    m_rows.resize(count, nullptr);
}

void BandedRows::shift(int dy)
{
    for (int& top : m_tops)
        top += dy;
}

void BandedRows::showBand(int top, int bottom, int width)
{
    for (int i = 0; i < rowCount(); ++i) {
        const auto at = static_cast<std::size_t>(i);
        const bool wanted = m_tops[at] < bottom && m_tops[at + 1] > top;
        QWidget*& row = m_rows[at];
        if (wanted && !row) {
            row = m_makeRow(i);
            if (!row)
                continue;
            if (row->parentWidget() != m_area)
                row->setParent(m_area);
            row->setGeometry(0, m_tops[at], width, m_tops[at + 1] - m_tops[at]);
            row->show();
        } else if (!wanted && row) {
            drop(at);
        } else if (row) {
            row->setGeometry(0, m_tops[at], width, m_tops[at + 1] - m_tops[at]);
        }
    }
}

void BandedRows::place(int width)
{
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        if (m_rows[i])
            m_rows[i]->setGeometry(0, m_tops[i], width, m_tops[i + 1] - m_tops[i]);
    }
}

void BandedRows::drop(std::size_t index)
{
    // A row may be the sender of the change that drops it: it goes once the change is over.
    if (QWidget* row = m_rows[index]) {
        row->hide();
        row->deleteLater();
        m_rows[index] = nullptr;
    }
}
