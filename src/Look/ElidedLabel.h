#pragma once

#include "Look/Paint.h"

#include <QFont>
#include <QString>
#include <QWidget>

#include <optional>

// One line of plain text in a theme font and a label colour (or a colour of its own), shortened with "…" where
// it does not fit: in the middle by default, where paths and file names lose the least. It asks for the width
// of the whole text and accepts any narrower one. A control character in the text (a file name may hold a line
// feed or a tab) is shown as its visible picture, so the text never runs onto a second line.
class ElidedLabel final : public QWidget
{
    Q_OBJECT

public:
    ElidedLabel(const QString& text, const QFont& font, Paint::Ink ink = Paint::Ink::primary,
                QWidget* parent = nullptr);

    const QString& text() const { return m_text; }
    void setText(const QString& text);
    // The text as drawn at the current width.
    QString shownText() const;
    // `text` on one line: each control character, and each line or paragraph separator, replaced by a visible
    // mark (the Unicode control pictures: "␊" for a line feed, "␉" for a tab, …).
    static QString oneLine(const QString& text);

    void setElideMode(Qt::TextElideMode mode);
    void setAlignment(Qt::Alignment alignment);
    // A colour instead of the label colour; nothing goes back to the label colour.
    void setColor(const std::optional<QColor>& color);
    const std::optional<QColor>& color() const { return m_color; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_text;
    Paint::Ink m_ink;
    std::optional<QColor> m_color;
    Qt::TextElideMode m_mode = Qt::ElideMiddle;
    Qt::Alignment m_alignment = Qt::AlignLeft | Qt::AlignVCenter;
};
