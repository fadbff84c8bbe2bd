#include "Platform/DBusNotifier.h"

#include "Sandbox.h"
#include "WaitFor.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using TestSupport::waitFor;

namespace {

// The desktop's notification service as the test plays it: it writes down every Notify call and answers with
// a new number, unless told to stay silent.
class FakeNotifications final : public QDBusVirtualObject
{
public:
    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override
    {
        if (message.interface() != u"org.freedesktop.Notifications" || message.member() != u"Notify")
            return false;
        calls.append(message.arguments());
        if (!silent)
            connection.send(message.createReply(QVariant::fromValue(++lastID)));
        return true;
    }

    QList<QVariantList> calls;
    bool silent = false;
    uint lastID = 40;
};

// A private session bus for the test, in the sandbox's temporary folder, ended with the test.
class PrivateBus final
{
public:
    PrivateBus()
    {
        m_daemon.start(u"dbus-daemon"_s, {u"--session"_s, u"--print-address"_s, u"--nofork"_s,
                                          u"--address=unix:dir="_s + TestSupport::temporary()});
        if (!m_daemon.waitForStarted(TestSupport::waitBound))
            return;
        while (!m_daemon.canReadLine() && m_daemon.waitForReadyRead(TestSupport::waitBound)) {
        }
        address = QString::fromUtf8(m_daemon.readLine()).trimmed();
    }
    ~PrivateBus()
    {
        for (const QString& name : m_names)
            QDBusConnection::disconnectFromBus(name);
        m_daemon.terminate();
        m_daemon.waitForFinished(TestSupport::waitBound);
    }
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    QDBusConnection connect(const QString& name)
    {
        m_names.append(name);
        return QDBusConnection::connectToBus(address, name);
    }

    QString address;

private:
    QProcess m_daemon;
    QStringList m_names;
};

} // namespace

TEST(DBusNotifierTest, postsToTheSessionServiceWithoutWaitingAndReplacesByIdentifier)
{
    if (QStandardPaths::findExecutable(u"dbus-daemon"_s).isEmpty())
        GTEST_SKIP() << "dbus-daemon is not installed";
    PrivateBus bus;
    ASSERT_FALSE(bus.address.isEmpty());
    QDBusConnection service = bus.connect(u"service"_s);
    ASSERT_TRUE(service.isConnected());
    FakeNotifications fake;
    ASSERT_TRUE(service.registerVirtualObject(u"/org/freedesktop/Notifications"_s, &fake));
    Platform::DBusNotifier notifier(bus.connect(u"client"_s));

    // No service on the bus yet: the error answer changes nothing.
    notifier.post(u"disk-pressure"_s, u"Titre"_s, u"Corps"_s);
    QTest::qWait(100);
    EXPECT_EQ(notifier.shownAs(u"disk-pressure"_s), 0u);
    ASSERT_TRUE(service.registerService(u"org.freedesktop.Notifications"_s));

    notifier.requestAuthorization(); // nothing to ask on this desktop
    notifier.post(u"disk-pressure"_s, u"Votre disque se remplit"_s, u"Fichiers <système> & co"_s);
    EXPECT_TRUE(fake.calls.isEmpty()); // the call went out without waiting for the service
    ASSERT_TRUE(waitFor([&] { return notifier.shownAs(u"disk-pressure"_s) != 0; }));
    ASSERT_EQ(fake.calls.size(), 1);
    const QVariantList first = fake.calls.first();
    ASSERT_EQ(first.size(), 8);
    EXPECT_EQ(first[0].toString(), u"Quorvane Pro"_s);
    EXPECT_EQ(first[1].toUInt(), 0u);
    EXPECT_EQ(first[2].toString(), QString());
    EXPECT_EQ(first[3].toString(), u"Votre disque se remplit"_s);
    EXPECT_EQ(first[4].toString(), u"Fichiers &lt;système&gt; &amp; co"_s);
    EXPECT_TRUE(first[5].toStringList().isEmpty());
    const QVariantMap hints = qdbus_cast<QVariantMap>(first[6]);
    EXPECT_EQ(hints.value(u"sound-name"_s).toString(), u"message-new-instant"_s);
    EXPECT_EQ(first[7].toInt(), -1);

    // The same identifier replaces what it showed; another one shows anew.
    notifier.post(u"disk-pressure"_s, u"Votre disque se remplit"_s, u"Encore"_s);
    notifier.post(u"schedule-trashBins"_s, u"Nettoyage planifié terminé"_s, u"Corbeilles"_s);
    ASSERT_TRUE(waitFor([&] { return fake.calls.size() == 3; }));
    EXPECT_EQ(fake.calls[1][1].toUInt(), 41u);
    EXPECT_EQ(fake.calls[2][1].toUInt(), 0u);

    // A service that never answers holds nothing up.
    fake.silent = true;
    notifier.post(u"schedule-systemJunk"_s, u"A"_s, u"B"_s);
    ASSERT_TRUE(waitFor([&] { return fake.calls.size() == 4; }));
    EXPECT_EQ(notifier.shownAs(u"schedule-systemJunk"_s), 0u);
}

TEST(DBusNotifierTest, withoutABusNothingHappens)
{
    Platform::DBusNotifier notifier(QDBusConnection(u"nowhere"_s));
    notifier.post(u"disk-pressure"_s, u"A"_s, u"B"_s);
    EXPECT_EQ(notifier.shownAs(u"disk-pressure"_s), 0u);
}
