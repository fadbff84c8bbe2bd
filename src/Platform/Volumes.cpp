#include "Platform/Volumes.h"

#include "Platform/FileSystem.h"
#include "Platform/SystemRoot.h"

using namespace Qt::StringLiterals;

namespace Platform {

QStringList mountedVolumes()
{
    QStringList volumes;
    for (const FileInfo& entry : listFolder(systemPath(u"/Volumes"_s))) {
        if (entry.isDirectory() && !entry.name.startsWith(u'.'))
            volumes.append(entry.path);
    }
    return volumes;
}

} // namespace Platform
