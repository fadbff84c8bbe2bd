#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

// A symbol in the tint on a rounded square washed with the tint at 16 %, framed to `size` by `size`, without a
// shadow. Its corners are those of an IconTile of the same size.
class SoftIconTile final : public QWidget
{
    Q_OBJECT

public:
    static constexpr qreal washOpacity = 0.16;
    static qreal cornerRadius(qreal size) { return size * 0.2237; }
    static qreal symbolSize(qreal size) { return size * 0.5; }

    SoftIconTile(const QString& symbol, const QColor& tint, qreal size, QWidget* parent = nullptr);

    QString symbol() const { return m_symbol; }
    QColor tint() const { return m_tint; }
    void setTint(const QColor& tint);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_symbol;
    QColor m_tint;
    qreal m_size;
};
