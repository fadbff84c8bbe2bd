#include "Performance/UpdaterService.h"

#include "Platform/SystemRoot.h"

#include <QFileInfo>

namespace OptimizationService {

std::optional<QString> brewPath()
{
    for (const QString& candidate : {QStringLiteral("/opt/homebrew/bin/brew"), QStringLiteral("/usr/local/bin/brew")}) {
        const QFileInfo file(Platform::systemPath(candidate));
        if (file.isFile() && file.isExecutable())
            return candidate;
    }
    return std::nullopt;
}

} // namespace OptimizationService
