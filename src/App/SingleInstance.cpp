#include "App/SingleInstance.h"

#include "Platform/Access.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>

using namespace Qt::StringLiterals;

namespace {

QString runtimeFolder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return runtime.isEmpty() ? u"/tmp"_s : QDir::cleanPath(runtime);
}

} // namespace

SingleInstance::SingleInstance(const QString& bundleIdentifier, QObject* parent)
    : QObject(parent), m_path(runtimeFolder() + u'/' + bundleIdentifier + u'.' + QString::number(Platform::userID()))
{
}

SingleInstance::~SingleInstance()
{
    if (m_server != nullptr)
        m_server->close(); // removes the socket file
}

bool SingleInstance::claim()
{
    QLocalSocket probe;
    probe.connectToServer(m_path);
    if (probe.waitForConnected(500)) {
        probe.write("activate\n");
        probe.waitForBytesWritten(500);
        // The running copy answers once its window has come forward; a copy that hangs still holds the
        // socket, so this one gives way either way.
        while (!m_answered && probe.waitForReadyRead(2000))
            m_answered = probe.readAll().contains("shown");
        probe.disconnectFromServer();
        return false;
    }
    // Nobody answered: whatever socket file is there was left by a copy that died.
    QLocalServer::removeServer(m_path);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_path))
        return true; // cannot guard, but never refuse to start
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (!socket->readAll().contains("activate"))
                    return;
                emit activationRequested();
                socket->write("shown\n");
                socket->flush();
                socket->disconnectFromServer();
            });
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
    return true;
}
