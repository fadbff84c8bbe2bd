#pragma once

#include <QColor>
#include <QWidget>

class QVariantAnimation;

// The picture of a success: a check mark on a disc of the tint's gradient inside a soft halo, with twelve rays,
// long and short in turn, that bloom in once when the picture first comes on screen (a spring), or show at once
// when the system asks for reduced motion. Framed to 1.3 × `diameter`.
class SuccessArt final : public QWidget
{
    Q_OBJECT

public:
    static constexpr int rayCount = 12;
    struct Ray {
        qreal width;        // 3 points
        qreal height;       // d × 0.1 for even rays, d × 0.06 for odd ones
        qreal distance;     // d × 0.56, from the centre to the ray's centre
        qreal angleDegrees; // i × 30, clockwise from straight up
    };
    static Ray ray(int index, qreal diameter);
    // The rays' group at a bloom of 0 (before) to 1 (bloomed): scaled 0.86 → 1 about the centre, opacity 0 → 1.
    static qreal raysScale(qreal bloom);
    static qreal raysOpacity(qreal bloom);

    SuccessArt(qreal diameter, const QColor& tint, QWidget* parent = nullptr);
    ~SuccessArt() override;

    bool bloom() const { return m_bloom; }
    qreal bloomProgress() const { return m_progress; }
    bool isAnimating() const;

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    qreal m_diameter;
    QColor m_tint;
    bool m_bloom = false;
    qreal m_progress = 0;
    QVariantAnimation* m_animation;
};
