#pragma once

#include "Scan/AppFigures.h"

class AppState;

// The app-wide figures as the screens read them, taken from the app-wide state, which must outlive the adapter.
// Readers hear of each new reading of the system monitor.
class AppStateFigures final : public AppFigures
{
public:
    explicit AppStateFigures(AppState& state) : m_state(state) {}

    const SystemSnapshot& snapshot() const override;
    bool hasFullDiskAccess() const override;
    qint64 totalFreedBytes() const override;
    void onChanged(QObject* context, std::function<void()> changed) const override;

private:
    AppState& m_state;
};
