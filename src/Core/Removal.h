#pragma once

#include "Core/RemovalMode.h"

#include <QList>
#include <QString>

#include <optional>

// What a removal did. The removal engine fills a report; the screens show it and the journal records it.
namespace Removal {

struct Failure {
    QString url;
    QString reason; // French

    friend bool operator==(const Failure&, const Failure&) = default;
};

struct Removed {
    QString origin;                 // where the item was
    std::optional<QString> trashed; // its place in the Trash, when it went there and the place is known
    qint64 bytes = 0;               // the item's size as the scanner measured it

    friend bool operator==(const Removed&, const Removed&) = default;
};

struct Report {
    qint64 freedBytes = 0;
    QList<Failure> failures; // in the order they happened
    QList<Removed> removed;  // in the order of removal

    friend bool operator==(const Report&, const Report&) = default;
};

} // namespace Removal
