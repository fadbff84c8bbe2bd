#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

// One SF Symbols name drawn from the embedded icon font at a font size, in a colour, centred in its frame; a
// square of the font size unless the caller frames it otherwise. Without a colour it uses the primary label
// colour of its palette.
class SymbolView final : public QWidget
{
    Q_OBJECT

public:
    SymbolView(const QString& symbol, qreal size, const QColor& color = QColor(), QWidget* parent = nullptr);

    QString symbol() const { return m_symbol; }
    qreal symbolSize() const { return m_size; }
    QColor color() const { return m_color; }

    void setSymbol(const QString& symbol);
    void setColor(const QColor& color);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_symbol;
    qreal m_size;
    QColor m_color;
};
