#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

#include <optional>

class QHBoxLayout;
class SoftIconTile;
class TextLabel;

// One figure on a card: a soft icon tile and a label, the value, a thin bar filled to `fraction` when there is
// one, and a detail line when there is one. The tile takes the full width it is offered.
class StatTile final : public QWidget
{
    Q_OBJECT

public:
    struct Fields {
        QString symbol;
        QString label;
        QString value;
        std::optional<QString> detail;
        QColor tint;
        std::optional<double> fraction;
    };

    static constexpr int barHeight = 5;
    static constexpr qreal minimumBarWidth = 3;
    // The filled part of the bar: `available` × `fraction`, the whole width above 1, never below 3 points (also
    // for a fraction that is not a number).
    static qreal barWidth(qreal available, double fraction);

    explicit StatTile(const Fields& fields, QWidget* parent = nullptr);

    const Fields& fields() const { return m_fields; }
    // Shows new fields in place, as the screens do every time the system readings change.
    void setFields(const Fields& fields);

private:
    class Bar;

    Fields m_fields;
    SoftIconTile* m_tile;
    TextLabel* m_label;
    TextLabel* m_value;
    QHBoxLayout* m_heading;
    Bar* m_bar;
    TextLabel* m_detail;
};
