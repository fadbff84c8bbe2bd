#pragma once

#include <QAbstractButton>
#include <QColor>

#include <optional>

class TriStateBox;

// A chrome-less button whose whole face is a TriStateBox, set `leading` points in from its left edge (that
// margin takes clicks too). It only reports clicks: whoever owns the state sets it back with setState().
class BoxButton final : public QAbstractButton
{
    Q_OBJECT

public:
    BoxButton(std::optional<bool> state, const QColor& tint, int leading = 0, QWidget* parent = nullptr);

    std::optional<bool> state() const;
    QColor tint() const;
    void setState(std::optional<bool> state);
    void setTint(const QColor& tint);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TriStateBox* m_box;
    int m_leading;
};
