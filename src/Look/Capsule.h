#pragma once

#include "Look/Paint.h"

#include <QColor>
#include <QFont>
#include <QSize>
#include <QString>
#include <QWidget>

#include <optional>

// A small rounded label: one line of text in the look's font on a capsule-shaped fill. With a tint, the text is
// in the tint on the tint at the fill's opacity; without one, in a label colour on the primary label colour at
// that opacity, following the palette (light and dark appearance). It asks for its text's advance and line height
// plus its padding, and takes no less, so its text is never shortened or cut. The default style is the faint
// badge of a list row.
class Capsule final : public QWidget
{
    Q_OBJECT

public:
    struct Style {
        qreal fontSize = 10;
        QFont::Weight weight = QFont::Medium;
        int horizontalPadding = 7;
        int verticalPadding = 2;
        std::optional<QColor> tint;
        Paint::Ink ink = Paint::Ink::primary; // the text's colour when there is no tint
        qreal fillOpacity = 0.07;
    };

    // A capsule of the default style.
    explicit Capsule(const QString& text, QWidget* parent = nullptr);
    Capsule(const QString& text, const Style& style, QWidget* parent = nullptr);

    const QString& text() const { return m_text; }
    const Style& capsuleStyle() const { return m_style; }
    // The colours it draws with now.
    QColor textColor() const;
    QColor fillColor() const;

    // The size a capsule of `style` asks for to show `text`.
    static QSize sizeFor(const Style& style, const QString& text);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_text;
    Style m_style;
};
