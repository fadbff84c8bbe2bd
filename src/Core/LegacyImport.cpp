#include "Core/LegacyImport.h"

#include "Core/FileUtils.h"
#include "Platform/FileOperations.h"
#include "Platform/FileSystem.h"
#include "Platform/TestGuard.h"
#include "Platform/UserDefaults.h"

#include <mutex>

using namespace Qt::StringLiterals;

namespace LegacyImport {

namespace {

std::once_flag legacyImportDone;

} // namespace

void importOnce()
{
    std::call_once(legacyImportDone, [] {
        if (Platform::TestGuard::isTestRun())
            return;
        const QString support = FileUtils::libraryURL({u"Application Support"_s});
        migrateLegacyFolder(support + u"/Tessalinomark"_s, support + u"/QuorvanePro"_s);
        importLegacyDefaults(*Platform::UserDefaults::forDomain(QString::fromUtf16(kLegacySuite)),
                             *Platform::UserDefaults::standard());
    });
}

void migrateLegacyFolder(const QString& from, const QString& to)
{
    const std::optional<Platform::FileInfo> old = Platform::fileInfo(from);
    if (!old || !old->isDirectory())
        return;
    int error = 0;
    const std::vector<Platform::FileInfo> children = Platform::listFolder(from, &error);
    if (error != 0)
        return;
    Platform::createFolder(to);
    for (const Platform::FileInfo& child : children) {
        const QString destination = to + u'/' + child.name;
        if (!Platform::fileInfo(destination))
            Platform::moveItem(child.path, destination);
    }
    // Only an empty folder goes: one that still holds anything, even an entry that was never listed, stays.
    Platform::removeEmptyFolder(from);
}

void importLegacyDefaults(const Platform::UserDefaults& suite, Platform::UserDefaults& standard)
{
    const QVariantMap values = suite.dictionary();
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        const QString& key = it.key();
        if (key.startsWith(u"NS") || key.startsWith(u"Apple") || key.startsWith(u"com.apple"))
            continue;
        if (standard.value(key))
            continue;
        standard.setValue(key, it.value());
    }
}

} // namespace LegacyImport
