#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

#include <array>

class QVariantAnimation;

// The invitation picture of a module: soft discs and two thin rings of the tint around an elevated icon tile,
// with four sparkles that breathe in once (ease-in-out, 0.7 s) when the picture first comes on screen, if it
// is animated and the system does not ask for reduced motion; otherwise they show at once. The discs, rings and
// tile never move. Framed to 1.25 × `diameter`.
class HaloArt final : public QWidget
{
    Q_OBJECT

public:
    struct Disc {
        qreal scale;   // of the diameter
        qreal opacity; // of the tint
    };
    struct SparkleRow {
        qreal angleDegrees; // from the positive x axis toward positive y: clockwise on screen
        qreal radius;       // of the diameter, from the centre
        qreal size;         // points
    };
    static const std::array<Disc, 3>& discs();
    static const std::array<SparkleRow, 4>& sparkles();
    // Where a sparkle's centre lies relative to the picture's centre.
    static QPointF sparkleOffset(const SparkleRow& row, qreal diameter);
    // The sparkles' group at a breath of 0 (before) to 1: scaled 0.86 → 1 about the centre, opacity 0.6 → 1.
    static qreal sparklesScale(qreal breathe);
    static qreal sparklesOpacity(qreal breathe);
    static constexpr qreal tileScale = 0.42;

    HaloArt(const QString& symbol, const QColor& tint, qreal diameter, bool animated, QWidget* parent = nullptr);
    ~HaloArt() override;

    QString symbol() const { return m_symbol; }
    bool breathe() const { return m_breathe; }
    qreal breatheProgress() const { return m_progress; }
    bool isAnimating() const;

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_symbol;
    QColor m_tint;
    qreal m_diameter;
    bool m_animated;
    bool m_breathe = false;
    qreal m_progress = 0;
    QVariantAnimation* m_animation;
};
