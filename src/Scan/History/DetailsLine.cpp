#include "Scan/History/DetailsLine.h"

#include "Look/Paint.h"
#include "Look/Theme.h"

#include <algorithm>

#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

using namespace Qt::StringLiterals;

namespace {

constexpr int kDetailsSpacing = 6;

} // namespace

DetailsLine::DetailsLine(QWidget* parent) : QWidget(parent)
{
    setFont(Theme::systemFont(11));
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void DetailsLine::setPieces(const QList<Piece>& pieces)
{
    m_pieces = pieces;
    updateGeometry();
    update();
}

QSize DetailsLine::sizeHint() const
{
    const QFontMetrics metrics = fontMetrics();
    int width = 0;
    for (const Piece& piece : m_pieces)
        width += metrics.horizontalAdvance(piece.text);
    width += kDetailsSpacing * int(std::max<qsizetype>(0, m_pieces.size() - 1));
    return {width, metrics.height()};
}

QSize DetailsLine::minimumSizeHint() const
{
    return {0, fontMetrics().height()};
}

QList<int> DetailsLine::givenWidths(int excess) const
{
    const QFontMetrics metrics = fontMetrics();
    QList<int> widths;
    for (const Piece& piece : m_pieces)
        widths.append(metrics.horizontalAdvance(piece.text));
    // Short of room the date gives way first, down to its day and month, so that it still reads as a date.
    if (!widths.isEmpty() && excess > 0) {
        const QString& date = m_pieces.front().text;
        const int least = std::min(widths[0], metrics.horizontalAdvance(date.left(6) + u"…"_s) + 1);
        const int given = std::max(least, widths[0] - excess);
        excess -= widths[0] - given;
        widths[0] = given;
    }
    // Then the plain pieces after it go, last first, each with the separator before it, so that the coloured ones
    // (the failures, what came back) stay whole.
    for (qsizetype i = m_pieces.size() - 1; i >= 2 && excess > 0; --i) {
        if (m_pieces[i].colour || m_pieces[i].text == u"·"_s || m_pieces[i - 1].text != u"·"_s)
            continue;
        excess -= widths[i] + widths[i - 1] + 2 * kDetailsSpacing;
        widths[i] = 0;
        widths[i - 1] = 0;
    }
    return widths;
}

QList<QRect> DetailsLine::layoutPieces(QStringList* shown) const
{
    const QFontMetrics metrics = fontMetrics();
    const QList<int> widths = givenWidths(sizeHint().width() - width());
    QList<QRect> rects;
    int x = 0;
    for (qsizetype i = 0; i < m_pieces.size(); ++i) {
        const QString& text = m_pieces[i].text;
        // What still does not fit is shortened from the line's end.
        const int room = std::max(0, width() - x);
        const int w = std::min(widths[i], room);
        rects.append(QRect(x, 0, w, height()));
        if (shown != nullptr)
            shown->append(w <= 0                                ? QString()
                          : w < metrics.horizontalAdvance(text) ? metrics.elidedText(text, Qt::ElideRight, w)
                                                                : text);
        if (widths[i] > 0)
            x += w + kDetailsSpacing;
    }
    // A separator goes with the piece after it.
    for (qsizetype i = 1; shown != nullptr && i < m_pieces.size(); ++i) {
        if ((*shown)[i].isEmpty() && m_pieces[i - 1].text == u"·"_s)
            (*shown)[i - 1].clear();
    }
    return rects;
}

void DetailsLine::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QStringList shown;
    const QList<QRect> rects = layoutPieces(&shown);
    for (qsizetype i = 0; i < m_pieces.size(); ++i) {
        if (rects[i].width() <= 0 || shown[i].isEmpty())
            continue;
        painter.setPen(m_pieces[i].colour.value_or(Paint::ink(this, Paint::Ink::secondary)));
        painter.drawText(rects[i], Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown[i]);
    }
}

bool DetailsLine::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const QList<QRect> rects = layoutPieces(nullptr);
        QString tip;
        for (qsizetype i = 0; i < m_pieces.size(); ++i) {
            if (rects[i].contains(help->pos()))
                tip = m_pieces[i].toolTip;
        }
        if (tip.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), tip, this);
        return true;
    }
    return QWidget::event(event);
}
