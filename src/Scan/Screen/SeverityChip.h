#pragma once

#include "Core/ScanModel.h"

#include <QColor>
#include <QWidget>

// The small coloured label that names a threat's severity in its row: "À vérifier" in amber, "Probable" in
// orange, "Confirmé" in crimson, on a capsule of that colour at 16 %.
class SeverityChip final : public QWidget
{
    Q_OBJECT

public:
    static constexpr qreal washOpacity = 0.16;

    static QString text(ThreatSeverity severity);
    static const QColor& color(ThreatSeverity severity);

    explicit SeverityChip(ThreatSeverity severity, QWidget* parent = nullptr);

    ThreatSeverity severity() const { return m_severity; }
    void setSeverity(ThreatSeverity severity);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ThreatSeverity m_severity;
};
