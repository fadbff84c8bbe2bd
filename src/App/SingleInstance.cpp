#include "App/SingleInstance.h"

#include "Platform/Access.h"
#include "Platform/Sha256.h"
#include "Platform/SystemRoot.h"

#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>

using namespace Qt::StringLiterals;

namespace {

QString runtimeFolder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return runtime.isEmpty() ? u"/tmp"_s : QDir::cleanPath(runtime);
}

// The socket's name: the bundle identifier and the user id, and, under a system root other than "/", a short
// digest of that root's real path, so that copies on two demonstration Macs never meet, even in one runtime
// folder. On a Mac the name is the identifier and the user id alone.
QString socketName(const QString& bundleIdentifier)
{
    QString name = bundleIdentifier + u'.' + QString::number(Platform::userID());
    const QString root = Platform::systemRoot();
    if (root != u"/"_s) {
        const QString real = QFileInfo(root).canonicalFilePath();
        name += u'.' + Platform::Sha256::hex((real.isEmpty() ? root : real).toUtf8()).left(12);
    }
    return name;
}

constexpr qint64 maxRequest = 64;

// "activate", or "activate " and a module's exact raw value, on a line of its own; nothing for anything else.
std::optional<std::optional<ModuleID>> parseRequest(const QByteArray& line)
{
    if (!line.endsWith('\n'))
        return std::nullopt;
    const QByteArray text = line.chopped(1);
    if (text == "activate")
        return std::optional<ModuleID>();
    if (!text.startsWith("activate "))
        return std::nullopt;
    const std::optional<ModuleID> module = fromRaw<ModuleID>(QString::fromUtf8(text.mid(9)));
    if (!module)
        return std::nullopt;
    return std::optional<std::optional<ModuleID>>(module);
}

} // namespace

SingleInstance::SingleInstance(const QString& bundleIdentifier, QObject* parent)
    : QObject(parent), m_path(runtimeFolder() + u'/' + socketName(bundleIdentifier))
{
}

SingleInstance::~SingleInstance()
{
    if (m_server != nullptr)
        m_server->close(); // removes the socket file
}

bool SingleInstance::claim(std::optional<ModuleID> module)
{
    QLocalSocket probe;
    probe.connectToServer(m_path);
    if (probe.waitForConnected(500)) {
        probe.write(module ? "activate " + toRaw(*module).toUtf8() + '\n' : QByteArray("activate\n"));
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
                // One request is one whole line; anything longer than a request can be is not one.
                if (!socket->canReadLine()) {
                    if (socket->bytesAvailable() > maxRequest)
                        socket->abort();
                    return;
                }
                const std::optional<std::optional<ModuleID>> request = parseRequest(socket->readLine(maxRequest + 1));
                if (!request) {
                    socket->abort();
                    return;
                }
                if (*request)
                    emit moduleRequested(**request);
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
