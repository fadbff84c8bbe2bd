#include "Platform/Access.h"

#include <mutex>

#include <unistd.h>

#include <QFile>

namespace Platform {

namespace {

std::mutex overrideMutex;
std::function<bool(const QString&)> overrideAnswer;

} // namespace

bool userCanWrite(const QString& folder)
{
    {
        const std::lock_guard lock(overrideMutex);
        if (overrideAnswer)
            return overrideAnswer(folder);
    }
    return ::access(QFile::encodeName(folder).constData(), W_OK) == 0;
}

unsigned userID()
{
    return ::getuid();
}

void setUserCanWriteOverride(std::function<bool(const QString& folder)> answer)
{
    const std::lock_guard lock(overrideMutex);
    overrideAnswer = std::move(answer);
}

} // namespace Platform
