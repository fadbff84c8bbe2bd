#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

// The picture of an empty state: a disc washed with the tint, a dashed ring inside it and the symbol drawn thin
// in the tint, framed to `diameter` by `diameter`.
class EmptyArt final : public QWidget
{
    Q_OBJECT

public:
    struct Metrics {
        qreal disc;       // d
        qreal ring;       // d × 0.78, across the ring's outer edge
        qreal symbolSize; // d × 0.3
    };
    static Metrics metrics(qreal diameter);
    static constexpr qreal discOpacity = 0.1;
    static constexpr qreal ringOpacity = 0.28;
    static constexpr qreal ringWidth = 1.5;
    static constexpr qreal dash = 5; // points drawn, then
    static constexpr qreal gap = 6;  // points left out

    EmptyArt(const QString& symbol, const QColor& tint, qreal diameter, QWidget* parent = nullptr);

    QString symbol() const { return m_symbol; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_symbol;
    QColor m_tint;
    qreal m_diameter;
};
