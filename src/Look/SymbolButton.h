#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QString>

#include "Look/Paint.h"

// A chrome-less button that is one symbol in a label colour, as the small actions beside a list row are drawn.
// Give it an objectName and a tooltip; the tooltip says what it does.
class SymbolButton final : public QAbstractButton
{
    Q_OBJECT

public:
    SymbolButton(const QString& symbol, qreal size, Paint::Ink ink = Paint::Ink::secondary, QWidget* parent = nullptr);

    QString symbol() const { return m_symbol; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_symbol;
    qreal m_size;
    Paint::Ink m_ink;
};
