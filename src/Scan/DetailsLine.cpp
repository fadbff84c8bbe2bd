#include "Scan/DetailsLine.h"

#include "Look/Paint.h"
#include "Look/Theme.h"

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

QList<QRect> DetailsLine::layoutPieces(QStringList* shown) const
{
    const QFontMetrics metrics = fontMetrics();
    // Short of room the date gives way first, then the line is shortened from its end.
    int excess = sizeHint().width() - width();
    QList<QRect> rects;
    int x = 0;
    for (qsizetype i = 0; i < m_pieces.size(); ++i) {
        const QString& text = m_pieces[i].text;
        int wanted = metrics.horizontalAdvance(text);
        if (i == 0 && excess > 0) {
            // It keeps its first characters (the day and the month), so that it still reads as a date.
            const int least = std::min(wanted, metrics.horizontalAdvance(text.left(6) + u"…"_s) + 1);
            const int given = std::max(least, wanted - excess);
            excess -= wanted - given;
            wanted = given;
        }
        const int room = std::max(0, width() - x);
        const int w = std::min(wanted, room);
        rects.append(QRect(x, 0, w, height()));
        if (shown != nullptr)
            shown->append(w < metrics.horizontalAdvance(text) ? metrics.elidedText(text, Qt::ElideRight, w) : text);
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
