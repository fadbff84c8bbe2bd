#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

// The empty state of a screen, centred in all the room it is given: the empty-state picture (126 points), the
// title, and the message centred line by line, at most 340 points wide.
class EmptyStateView final : public QWidget
{
    Q_OBJECT

public:
    static constexpr qreal artDiameter = 126;
    static constexpr int messageWidth = 340;

    EmptyStateView(const QString& symbol, const QString& title, const QString& message, const QColor& tint,
                   QWidget* parent = nullptr);
};
