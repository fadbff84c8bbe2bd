#pragma once

#include <QString>

namespace Platform {

// The desktop's notifications, as the scheduler and the settings panes use them. The desktop's own talks to the
// session's notification service; tests give a recording one. Neither call reports failure: a missing or silent
// service means nothing shows, and callers have nothing to do either way.
class Notifier
{
public:
    virtual ~Notifier();

    // Asks the system for permission to show notifications.
    virtual void requestAuthorization() = 0;
    // Shows a notification; a later post under the same identifier replaces the earlier one.
    virtual void post(const QString& identifier, const QString& title, const QString& body) = 0;

protected:
    Notifier() = default;
    Notifier(const Notifier&) = default;
    Notifier& operator=(const Notifier&) = default;
};

} // namespace Platform
