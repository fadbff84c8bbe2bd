#include "Sandbox.h"

#include "Platform/FileOperations.h"
#include "Platform/TestGuard.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include <QFile>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace TestSupport {

namespace {

QString& sandboxPath()
{
    static QString path;
    return path;
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

} // namespace

void prepareSandbox()
{
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
    Platform::removeItem(sandboxPath());
    Platform::TestGuard::uninstall();
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
