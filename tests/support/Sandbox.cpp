#include "Sandbox.h"

#include "Platform/FileOperations.h"
#include "Platform/TestGuard.h"
#include "WaitFor.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>

#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace TestSupport {

namespace {

QString& sandboxPath()
{
    static QString path;
    return path;
}

bool& sandboxIsAdopted()
{
    static bool adopted = false;
    return adopted;
}

void failOnViolation(const QString& message)
{
    std::fprintf(stderr, "TEST GUARD: %s\n", message.toUtf8().constData());
    ADD_FAILURE() << message.toStdString();
}

void makeFolder(const std::string& path)
{
    if (::mkdir(path.c_str(), 0755) != 0) {
        std::perror(path.c_str());
        std::abort();
    }
}

std::string resolvedOrAbort(const char* path, const char* what)
{
    char resolved[PATH_MAX];
    if (path == nullptr || *path == '\0' || ::realpath(path, resolved) == nullptr) {
        std::fprintf(stderr, "test sandbox: %s is missing or does not exist\n", what);
        std::abort();
    }
    return resolved;
}

// A child process started by a test: the parent laid out the folder and pointed the environment into it.
void adoptSandbox(const char* folder)
{
    const std::string root = resolvedOrAbort(folder, "QP_TEST_SANDBOX");
    if (root == "/") {
        std::fprintf(stderr, "test sandbox: refusing to adopt the root folder\n");
        std::abort();
    }
    for (const char* name : {"HOME", "QUORVANE_ROOT", "TMPDIR"}) {
        const std::string value = resolvedOrAbort(std::getenv(name), name);
        if (value != root && value.rfind(root + "/", 0) != 0) {
            std::fprintf(stderr, "test sandbox: %s lies outside %s\n", name, root.c_str());
            std::abort();
        }
    }
    sandboxPath() = QFile::decodeName(root.c_str());
    sandboxIsAdopted() = true;
    Platform::TestGuard::install(sandboxPath(), failOnViolation);
}

} // namespace

void prepareSandbox()
{
    if (const char* adopted = std::getenv("QP_TEST_SANDBOX")) {
        adoptSandbox(adopted);
        return;
    }
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/qp-test-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::perror("mkdtemp");
        std::abort();
    }
    char resolved[PATH_MAX];
    if (::realpath(pattern.c_str(), resolved) == nullptr) {
        std::perror("realpath");
        std::abort();
    }
    const std::string root = resolved;
    makeFolder(root + "/home");
    makeFolder(root + "/root");
    makeFolder(root + "/tmp");
    ::setenv("HOME", (root + "/home").c_str(), 1);
    ::setenv("QUORVANE_ROOT", (root + "/root").c_str(), 1);
    ::setenv("TMPDIR", (root + "/tmp").c_str(), 1);
    ::setenv("XCTestConfigurationFilePath", (root + "/test-run").c_str(), 1);
    sandboxPath() = QFile::decodeName(root.c_str());
    Platform::TestGuard::install(sandboxPath(), failOnViolation);
}

void removeSandbox()
{
    if (sandboxPath().isEmpty())
        return;
    if (!sandboxIsAdopted())
        Platform::removeItem(sandboxPath());
    Platform::TestGuard::uninstall();
}

QProcessEnvironment childEnvironment(const QString& folder)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(u"XCTestConfigurationFilePath"_s);
    environment.insert(u"QP_TEST_SANDBOX"_s, folder);
    const std::pair<QString, QString> places[] = {
        {u"HOME"_s, u"/home"_s}, {u"QUORVANE_ROOT"_s, u"/root"_s}, {u"TMPDIR"_s, u"/tmp"_s}};
    for (const auto& [name, child] : places) {
        Platform::createFolder(folder + child);
        environment.insert(name, folder + child);
    }
    return environment;
}

QString sandbox()
{
    return sandboxPath();
}

QString home()
{
    return sandboxPath() + u"/home"_s;
}

QString systemRoot()
{
    return sandboxPath() + u"/root"_s;
}

QString temporary()
{
    return sandboxPath() + u"/tmp"_s;
}

void installStandIns()
{
    QProcess script;
    script.start(u"bash"_s, {QStringLiteral(QP_SOURCE_DIR "/scripts/install-standins.sh"), systemRoot()});
    ASSERT_TRUE(script.waitForFinished(TestSupport::waitBound));
    ASSERT_EQ(script.exitCode(), 0) << script.readAllStandardError().toStdString();
    const QByteArray shell = QFile::encodeName(systemRoot() + u"/bin/sh"_s);
    if (::access(shell.constData(), F_OK) != 0) {
        ASSERT_EQ(::symlink("/bin/sh", shell.constData()), 0);
    }
}

QList<QStringList> launchctlCalls()
{
    QList<QStringList> calls;
    QFile log(systemRoot() + u"/private/var/log/launchctl.log"_s);
    if (!log.open(QIODevice::ReadOnly))
        return calls;
    for (const QByteArray& line : log.readAll().split('\n')) {
        if (line.isEmpty())
            continue;
        QStringList arguments = QString::fromUtf8(line).split(QChar(0x1F));
        arguments.removeLast(); // every argument ends with the separator
        calls.append(arguments);
    }
    return calls;
}

GuardRefusals::GuardRefusals()
{
    Platform::TestGuard::install(sandboxPath(), [this](const QString& message) {
        const std::lock_guard lock(m_mutex);
        m_messages.append(message);
    });
}

GuardRefusals::~GuardRefusals()
{
    Platform::TestGuard::install(sandboxPath(), failOnViolation);
}

QStringList GuardRefusals::messages() const
{
    const std::lock_guard lock(m_mutex);
    return m_messages;
}

} // namespace TestSupport
