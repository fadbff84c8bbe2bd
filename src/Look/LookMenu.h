#pragma once

#include <QMenu>

// A pop-up menu drawn in the look: a rounded panel in the window's colour with a hairline edge, the look's font,
// and the highlighted entry in the accent colour. Where windows are not blended it is masked to its rounded
// shape, so that its corners never show black. Its colours are the palette's when it is made: a menu lives only
// while it is open.
class LookMenu final : public QMenu
{
    Q_OBJECT

public:
    explicit LookMenu(QWidget* parent = nullptr);

    static constexpr qreal cornerRadius = 8;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void applyLook();
};
