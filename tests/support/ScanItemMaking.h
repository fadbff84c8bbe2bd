#pragma once

#include "Core/ScanModel.h"

#include <QUuid>

namespace TestSupport {

// An item to remove by `mode`, named after the last component of its path.
inline ScanItem scanItem(const QString& path, bool selected = true, qint64 size = 100,
                         Removal::Mode mode = Removal::Mode::trash())
{
    return ScanItem{
        QUuid::createUuid(), path, path.section(u'/', -1), size, std::nullopt, std::nullopt, selected, false, mode,
        std::nullopt};
}

// An expanded group of `items`.
inline ScanGroup scanGroup(const QList<ScanItem>& items, ScanGroup::Metric metric = ScanGroup::Metric::bytes)
{
    return ScanGroup{QUuid::createUuid(),
                     QStringLiteral("Groupe"),
                     QStringLiteral("folder.fill"),
                     std::nullopt,
                     items,
                     true,
                     metric};
}

} // namespace TestSupport
