#pragma once

#include <QColor>
#include <QList>
#include <QString>
#include <QWidget>

#include <optional>

// The details line under a session card's title: its pieces in a row, 6 points apart, each in its own colour.
// Short of room the date gives way first, down to its day and month, then the plain pieces after it (the count),
// then the line is shortened from its end with "…". The coloured pieces (the failures, what came back) are
// the last to give way.
class DetailsLine final : public QWidget
{
    Q_OBJECT

public:
    struct Piece {
        QString text;
        std::optional<QColor> colour; // the secondary label colour when absent
        QString toolTip;
    };

    explicit DetailsLine(QWidget* parent = nullptr);

    void setPieces(const QList<Piece>& pieces);
    const QList<Piece>& pieces() const { return m_pieces; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // Each piece's width once `excess` points have been given up, before the line is cut at its end.
    QList<int> givenWidths(int excess) const;
    // Where each piece is drawn at the current width, and with `shown` the text drawn there.
    QList<QRect> layoutPieces(QStringList* shown) const;

    QList<Piece> m_pieces;
};
