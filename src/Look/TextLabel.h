#pragma once

#include "Look/Paint.h"

#include <QLabel>

// A label in one of the theme's fonts and one of the platform's label colours (primary, secondary, tertiary),
// which follows the application's palette when it changes (light and dark appearance).
class TextLabel final : public QLabel
{
    Q_OBJECT

public:
    TextLabel(const QString& text, const QFont& font, Paint::Ink ink = Paint::Ink::primary, QWidget* parent = nullptr);

    Paint::Ink ink() const { return m_ink; }

protected:
    void changeEvent(QEvent* event) override;

private:
    void applyInk();

    Paint::Ink m_ink;
};
