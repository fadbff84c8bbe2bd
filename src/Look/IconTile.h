#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

class QPainter;

// A module's or a section's symbol in white on a rounded square filled with the tint's gradient, with a shadow
// in the tint when elevated. The widget is framed to `size` by `size`; its shadow falls outside that frame, as
// shadows do, without taking room in the layout.
class IconTile final : public QWidget
{
    Q_OBJECT

public:
    struct Metrics {
        qreal cornerRadius;  // size × 0.2237
        qreal symbolSize;    // size × 0.48
        qreal shadowRadius;  // size × 0.16
        qreal shadowOffsetY; // size × 0.07
    };
    static Metrics metrics(qreal size);
    static QColor shadowColor(const QColor& tint, bool elevated); // the tint at 34 %, or clear

    IconTile(const QString& symbol, const QColor& tint, qreal size, bool elevated, QWidget* parent = nullptr);

    QString symbol() const { return m_symbol; }
    QColor tint() const { return m_tint; }
    qreal tileSize() const { return m_size; }
    bool isElevated() const { return m_elevated; }

    // Paints a tile in `tile` (a square of the size), its shadow first when `withShadow` is true; the
    // illustrations draw their tiles with it.
    static void paint(QPainter& painter, const QRectF& tile, const QString& symbol, const QColor& tint, bool elevated,
                      bool withShadow);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_symbol;
    QColor m_tint;
    qreal m_size;
    bool m_elevated;
};
