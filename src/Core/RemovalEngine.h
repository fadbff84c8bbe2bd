#pragma once

#include "Core/Removal.h"
#include "Platform/Access.h"

class Exclusions;

namespace Removal {

// The removal engine as the models reach it: made once by the composition root over the user's exclusions and
// handed to every model that removes, so that what it refuses follows the list it was given; who can write a
// folder is asked of `access` (the system's unless a test hands its own), which outlives the engine. It keeps no
// state of its own; remove() may run on any thread (the exclusions' coverage tests are thread-safe).
class Engine final
{
public:
    explicit Engine(const Exclusions& exclusions, const Platform::WriteAccess& access = Platform::systemWriteAccess())
        : m_exclusions(exclusions), m_access(access)
    {
    }

    // As Removal::remove(), refusing what the engine's exclusions cover.
    Report remove(const QList<ScanItem>& items, std::optional<Mode> mode = std::nullopt, const Progress& progress = {},
                  std::stop_token stop = {}) const;
    // As Removal::refusalFor(), with the engine's exclusions.
    std::optional<QString> refusalFor(const QString& path) const;
    // As Removal::goesToTrash(), with the engine's access.
    bool goesToTrash(const ScanItem& item) const { return Removal::goesToTrash(m_access, item); }

    const Exclusions& exclusions() const { return m_exclusions; }

private:
    const Exclusions& m_exclusions;
    const Platform::WriteAccess& m_access;
};

} // namespace Removal
