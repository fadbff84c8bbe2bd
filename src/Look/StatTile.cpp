#include "Look/StatTile.h"

#include "Look/CardModifier.h"
#include "Look/Paint.h"
#include "Look/SoftIconTile.h"
#include "Look/TextLabel.h"
#include "Look/Theme.h"

#include <algorithm>

#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

class StatTile::Bar final : public QWidget
{
public:
    Bar()
    {
        setFixedHeight(barHeight);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }

    void set(double fraction, const QColor& tint)
    {
        m_fraction = fraction;
        m_tint = tint;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF track = rect();
        painter.fillPath(Paint::capsule(track), Paint::ink(this, Paint::Ink::primary, 0.08));
        const QRectF filled(track.topLeft(), QSizeF(barWidth(track.width(), m_fraction), track.height()));
        painter.fillPath(Paint::capsule(filled), m_tint);
    }

private:
    double m_fraction = 0;
    QColor m_tint;
};

qreal StatTile::barWidth(qreal available, double fraction)
{
    if (!(fraction > 0))
        return minimumBarWidth;
    return std::max(minimumBarWidth, available * std::min(fraction, 1.0));
}

StatTile::StatTile(const Fields& fields, QWidget* parent)
    : QWidget(parent), m_tile(new SoftIconTile(fields.symbol, fields.tint, 20)),
      m_label(new TextLabel(fields.label, Theme::systemFont(11, QFont::DemiBold), Paint::Ink::secondary)),
      m_value(new TextLabel(fields.value, Theme::systemFont(20, QFont::DemiBold, Theme::Design::rounded))),
      m_heading(new QHBoxLayout), m_bar(new Bar),
      m_detail(new TextLabel(QString(), Theme::systemFont(11), Paint::Ink::tertiary))
{
    // As tall as its lines: beside taller tiles it keeps its own height.
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Maximum);
    m_label->setObjectName(u"statLabel"_s);
    m_value->setObjectName(u"statValue"_s);
    m_bar->setObjectName(u"statBar"_s);
    m_detail->setObjectName(u"statDetail"_s);
    // In a narrow row of tiles a long caption ends in "…" rather than being cut through a glyph.
    for (TextLabel* text : {m_label, m_value, m_detail})
        text->setElideMode(Qt::ElideRight);

    auto* content = new QWidget;
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(8);
    m_heading->setSpacing(7);
    m_heading->addWidget(m_tile, 0, Qt::AlignVCenter);
    m_heading->addWidget(m_label, 1, Qt::AlignVCenter);
    column->addLayout(m_heading);
    column->addWidget(m_value);
    column->addWidget(m_bar);
    column->addWidget(m_detail);
    // Made taller than its lines (beside a taller tile, by a screen that aligns a row), it keeps them at the top.
    column->addStretch(1);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(card(content, 14));
    m_fields.tint = fields.tint;
    m_fields.symbol = fields.symbol;
    setFields(fields);
}

void StatTile::setFields(const Fields& fields)
{
    if (fields.symbol != m_fields.symbol) {
        auto* tile = new SoftIconTile(fields.symbol, fields.tint, 20);
        delete m_heading->replaceWidget(m_tile, tile);
        delete m_tile;
        m_tile = tile;
    }
    m_fields = fields;
    m_tile->setTint(fields.tint);
    m_label->setText(fields.label);
    m_value->setText(fields.value);
    m_bar->setVisible(fields.fraction.has_value());
    m_bar->set(fields.fraction.value_or(0), fields.tint);
    m_detail->setVisible(fields.detail.has_value());
    m_detail->setText(fields.detail.value_or(QString()));
}
