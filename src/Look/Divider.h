#pragma once

#include <QWidget>

// The platform's thin separator line: one point of the primary label colour at 10 %, across the widget's width
// after `indent` points, or, made by vertical(), down its height between two groups of a bar.
class Divider final : public QWidget
{
    Q_OBJECT

public:
    static constexpr qreal opacity = 0.1;

    explicit Divider(int indent = 0, QWidget* parent = nullptr);
    static Divider* vertical(int height, QWidget* parent = nullptr);

    int indent() const { return m_indent; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_indent;
    Qt::Orientation m_orientation = Qt::Horizontal;
};
