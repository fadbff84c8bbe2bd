#pragma once

#include "Core/SystemSnapshot.h"
#include "Look/StatTile.h"

#include <QList>
#include <QString>
#include <QWidget>

#include <array>

namespace Modules {
class AppFigures;
}

// The column of machine figures beside the smart scan's summary card, 300 points wide: the startup disk
// ("storageTile"), the memory ("memoryTile"), the processor ("processorTile") and, only while some cleaning of
// this run freed something, the freed total ("freedTile"). refresh() reads the figures again and shows them in
// the same tiles.
class SmartScanFigures final : public QWidget
{
    Q_OBJECT

public:
    static constexpr int columnWidth = 300;
    static constexpr int spacing = 12;

    // The tiles for a reading, in order: three, and the freed total's fourth when `totalFreedBytes` is above 0.
    static QList<StatTile::Fields> tiles(const SystemSnapshot& snapshot, qint64 totalFreedBytes,
                                         const QString& hardwareModel);
    // Whether more than nine tenths of the disk are used, worked out without rounding.
    static bool diskNearlyFull(const SystemSnapshot& snapshot);
    // The whole percent of memory in use, truncated; 0 without a total.
    static qint64 memoryPercent(const SystemSnapshot& snapshot);

    SmartScanFigures(const Modules::AppFigures& figures, QString hardwareModel, QWidget* parent = nullptr);

    void refresh();

private:
    const Modules::AppFigures& m_figures;
    QString m_hardwareModel;
    std::array<StatTile*, 4> m_tiles{};
};
