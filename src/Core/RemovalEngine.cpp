#include "Core/RemovalEngine.h"

namespace Removal {

Report Engine::remove(const QList<ScanItem>& items, std::optional<Mode> mode, const Progress& progress,
                      std::stop_token stop) const
{
    return Removal::remove(m_exclusions, m_access, items, mode, progress, std::move(stop));
}

std::optional<QString> Engine::refusalFor(const QString& path) const
{
    return Removal::refusalFor(m_exclusions, path);
}

} // namespace Removal
