#include "App/AppStateFigures.h"

#include "App/AppState.h"

const SystemSnapshot& AppStateFigures::snapshot() const
{
    return m_state.snapshot();
}

bool AppStateFigures::hasFullDiskAccess() const
{
    return m_state.hasFullDiskAccess();
}

qint64 AppStateFigures::totalFreedBytes() const
{
    return m_state.totalFreedBytes();
}

void AppStateFigures::onChanged(QObject* context, std::function<void()> changed) const
{
    QObject::connect(&m_state, &AppState::snapshotChanged, context, std::move(changed));
}
