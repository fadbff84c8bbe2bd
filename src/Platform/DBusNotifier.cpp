#include "Platform/DBusNotifier.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QStringList>
#include <QVariantMap>

using namespace Qt::StringLiterals;

namespace Platform {

DBusNotifier::DBusNotifier() = default;

DBusNotifier::DBusNotifier(const QDBusConnection& bus) : m_bus(bus)
{
}

DBusNotifier::~DBusNotifier() = default;

void DBusNotifier::post(const QString& identifier, const QString& title, const QString& body)
{
    if (!m_bus)
        m_bus = QDBusConnection::sessionBus();
    if (!m_bus->isConnected())
        return;
    QDBusMessage call =
        QDBusMessage::createMethodCall(u"org.freedesktop.Notifications"_s, u"/org/freedesktop/Notifications"_s,
                                       u"org.freedesktop.Notifications"_s, u"Notify"_s);
    // The body may be read as markup: a name with "<" or "&" must show as written.
    const QVariantMap hints{{u"sound-name"_s, u"message-new-instant"_s}};
    call << u"Quorvane Pro"_s << m_shown.value(identifier, 0u) << QString() << title << body.toHtmlEscaped()
         << QStringList() << hints << -1;
    auto* watcher = new QDBusPendingCallWatcher(m_bus->asyncCall(call, callTimeoutMs), &m_calls);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, &m_calls,
                     [this, identifier](QDBusPendingCallWatcher* finished) {
                         const QDBusPendingReply<uint> reply = *finished;
                         if (reply.isValid() && reply.value() != 0)
                             m_shown.insert(identifier, reply.value());
                         finished->deleteLater();
                     });
}

} // namespace Platform
