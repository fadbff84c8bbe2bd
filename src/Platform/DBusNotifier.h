#pragma once

#include "Platform/Notifier.h"

#include <QDBusConnection>
#include <QHash>
#include <QObject>
#include <QString>

#include <optional>

namespace Platform {

// The desktop's notifications: org.freedesktop.Notifications on the session bus. Every call is sent without
// waiting for the answer, so a missing, slow or failing service never holds up the caller; nothing shows then,
// and nothing is said. The answer to a post, when it comes, is the service's number for the notification, kept
// so that a later post under the same identifier replaces it. GUI thread.
class DBusNotifier final : public Notifier
{
public:
    // The session bus, reached at the first post: a run that never posts (a test) never connects.
    DBusNotifier();
    // A bus of the caller's (tests).
    explicit DBusNotifier(const QDBusConnection& bus);
    ~DBusNotifier() override;
    DBusNotifier(const DBusNotifier&) = delete;
    DBusNotifier& operator=(const DBusNotifier&) = delete;

    // The desktop asks nobody: notifications are allowed or muted in its own settings.
    void requestAuthorization() override {}
    void post(const QString& identifier, const QString& title, const QString& body) override;

    // The service's number for what was last shown under `identifier`, once it has answered; 0 before.
    uint shownAs(const QString& identifier) const { return m_shown.value(identifier, 0u); }

    static constexpr int callTimeoutMs = 10000;

private:
    std::optional<QDBusConnection> m_bus;
    QHash<QString, uint> m_shown;
    // Owns the watchers of calls under way; ends them, first of all, with the notifier.
    QObject m_calls;
};

} // namespace Platform
