#pragma once

#include "Core/Removal.h"

class Exclusions;

namespace Removal {

// The removal engine as the models reach it: made once by the composition root over the user's exclusions and
// handed to every model that removes, so that what it refuses follows the list it was given. It keeps no
// state of its own; remove() may run on any thread (the exclusions' coverage tests are thread-safe).
class Engine final
{
public:
    explicit Engine(const Exclusions& exclusions) : m_exclusions(exclusions) {}

    // As Removal::remove(), refusing what the engine's exclusions cover.
    Report remove(const QList<ScanItem>& items, std::optional<Mode> mode = std::nullopt, const Progress& progress = {},
                  std::stop_token stop = {}) const;
    // As Removal::refusalFor(), with the engine's exclusions.
    std::optional<QString> refusalFor(const QString& path) const;

    const Exclusions& exclusions() const { return m_exclusions; }

private:
    const Exclusions& m_exclusions;
};

} // namespace Removal
