#pragma once

#include "Core/SystemSnapshot.h"

#include <QtGlobal>

#include <functional>

class QObject;

// The app-wide figures that a screen shows beside its own model (the smart scan's figures column), without
// reaching the app-wide state that keeps them: src/App hands the screen an adapter over that state. GUI thread.
class AppFigures
{
public:
    virtual ~AppFigures() = default;

    // The latest reading of the machine.
    virtual const SystemSnapshot& snapshot() const = 0;
    virtual bool hasFullDiskAccess() const = 0;
    // What the cleanings of this run freed, over every module's model.
    virtual qint64 totalFreedBytes() const = 0;
    // Calls `changed` on the GUI thread after each new reading of the machine, until `context` is gone.
    virtual void onChanged(QObject* context, std::function<void()> changed) const = 0;

protected:
    AppFigures() = default;
    AppFigures(const AppFigures&) = default;
    AppFigures& operator=(const AppFigures&) = default;
};
