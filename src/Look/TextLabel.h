#pragma once

#include "Look/Paint.h"

#include <QLabel>

// A label in one of the theme's fonts and one of the platform's label colours (primary, secondary, tertiary),
// which follows the application's palette when it changes (light and dark appearance). Given an elide mode, it
// stays on one line and shortens its text with "…" where the text does not fit, showing the whole text as a tooltip
// while it is shortened (unless told not to); text() keeps the whole text.
class TextLabel final : public QLabel
{
    Q_OBJECT

public:
    TextLabel(const QString& text, const QFont& font, Paint::Ink ink = Paint::Ink::primary, QWidget* parent = nullptr);

    Paint::Ink ink() const { return m_ink; }

    // Qt::ElideNone (the default) lets the label be a plain QLabel again.
    void setElideMode(Qt::TextElideMode mode);
    Qt::TextElideMode elideMode() const { return m_elide; }
    // Whether a shortened text shows itself whole as a tooltip (the default).
    void setWholeTextToolTip(bool shown) { m_wholeTextToolTip = shown; }
    // The text as drawn at the current width: the whole text, or its shortened form.
    QString shownText() const;

    QSize minimumSizeHint() const override;

protected:
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void applyInk();

    Paint::Ink m_ink;
    Qt::TextElideMode m_elide = Qt::ElideNone;
    bool m_wholeTextToolTip = true;
};
