#include "Scan/SmartScan/SmartScanFigures.h"

#include "Core/FileUtils.h"
#include "Look/Theme.h"
#include "Platform/Symbols.h"
#include "Scan/Screen/ScanningState.h"
#include "Scanners/ModuleRegistry.h"

#include <algorithm>
#include <limits>

#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

QString bytes(qint64 count)
{
    return FileUtils::byteFormatter().string(count);
}

struct DiskUse {
    qint64 used = 0;
    qint64 total = 0; // 0 or less: no reading
};

DiskUse diskUse(const SystemSnapshot& snapshot)
{
    if (snapshot.diskTotal <= 0)
        return {};
    const qint64 free = std::clamp<qint64>(snapshot.diskFree, 0, snapshot.diskTotal);
    return {snapshot.diskTotal - free, snapshot.diskTotal};
}

} // namespace

bool SmartScanFigures::diskNearlyFull(const SystemSnapshot& snapshot)
{
    // used / total > 0.9  ⇔  used > 9 × (total − used), in whole bytes: a disk exactly 90 % full is not nearly full,
    // one byte more is, whatever the disk's size.
    const DiskUse disk = diskUse(snapshot);
    if (disk.total <= 0)
        return false;
    const qint64 rest = disk.total - disk.used;
    return rest <= std::numeric_limits<qint64>::max() / 9 && disk.used > 9 * rest;
}

qint64 SmartScanFigures::memoryPercent(const SystemSnapshot& snapshot)
{
    if (snapshot.memoryTotal <= 0)
        return 0;
    const qint64 used = std::clamp<qint64>(snapshot.memoryUsed, 0, snapshot.memoryTotal);
    if (used <= std::numeric_limits<qint64>::max() / 100)
        return used * 100 / snapshot.memoryTotal;
    return static_cast<qint64>(static_cast<double>(used) / static_cast<double>(snapshot.memoryTotal) * 100.0);
}

QList<StatTile::Fields> SmartScanFigures::tiles(const SystemSnapshot& snapshot, qint64 totalFreedBytes,
                                                const QString& hardwareModel)
{
    const DiskUse disk = diskUse(snapshot);
    const double diskFraction = disk.total > 0 ? static_cast<double>(disk.used) / static_cast<double>(disk.total) : 0.0;
    const double memoryFraction =
        snapshot.memoryTotal > 0
            ? static_cast<double>(std::clamp<qint64>(snapshot.memoryUsed, 0, snapshot.memoryTotal)) /
                  static_cast<double>(snapshot.memoryTotal)
            : 0.0;
    QList<StatTile::Fields> tiles{
        {sfSymbol(u"internaldrive"), u"Stockage"_s, bytes(snapshot.diskFree),
         u"libres sur "_s + bytes(snapshot.diskTotal), diskNearlyFull(snapshot) ? Theme::coral() : Theme::indigo(),
         diskFraction},
        {sfSymbol(u"memorychip"), u"Mémoire"_s, QString::number(memoryPercent(snapshot)) + u" %"_s,
         bytes(snapshot.memoryUsed) + u" sur "_s + bytes(snapshot.memoryTotal),
         snapshot.memoryPressure > 0.75 ? Theme::amber() : Theme::violet(), memoryFraction},
        {sfSymbol(u"cpu"), u"Processeur"_s, ScanningState::percentText(snapshot.cpuLoad), hardwareModel, Theme::cyan(),
         snapshot.cpuLoad},
    };
    if (totalFreedBytes > 0)
        tiles.append({sfSymbol(u"sparkles"), u"Depuis l'ouverture"_s, bytes(totalFreedBytes), u"libérés au total"_s,
                      Theme::mint(), std::nullopt});
    return tiles;
}

SmartScanFigures::SmartScanFigures(const Modules::AppFigures& figures, QString hardwareModel, QWidget* parent)
    : QWidget(parent), m_figures(figures), m_hardwareModel(std::move(hardwareModel))
{
    setObjectName(u"figuresColumn"_s);
    setFixedWidth(columnWidth);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Maximum);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(spacing);
    const QList<StatTile::Fields> all = tiles(SystemSnapshot{}, 1, m_hardwareModel);
    const char16_t* names[] = {u"storageTile", u"memoryTile", u"processorTile", u"freedTile"};
    for (std::size_t i = 0; i < m_tiles.size(); ++i) {
        m_tiles[i] = new StatTile(all[static_cast<qsizetype>(i)]);
        m_tiles[i]->setObjectName(QString::fromUtf16(names[i]));
        column->addWidget(m_tiles[i]);
    }
    refresh();
}

void SmartScanFigures::refresh()
{
    const QList<StatTile::Fields> shown = tiles(m_figures.snapshot(), m_figures.totalFreedBytes(), m_hardwareModel);
    for (std::size_t i = 0; i < m_tiles.size(); ++i) {
        const auto index = static_cast<qsizetype>(i);
        if (index < shown.size())
            m_tiles[i]->setFields(shown[index]);
        m_tiles[i]->setVisible(index < shown.size());
    }
}
