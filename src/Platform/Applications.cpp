#include "Platform/Applications.h"

#include "Platform/FileSystem.h"
#include "Platform/PropertyList.h"
#include "Platform/SystemRoot.h"

#include <stop_token>

#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <QVariantMap>

using namespace Qt::StringLiterals;

namespace Platform {

namespace {

bool isBundleName(const QString& name)
{
    return name.endsWith(u".app"_s) && name.size() > 4;
}

} // namespace

std::optional<BundleInfo> readBundle(const QString& bundle)
{
    if (!QFileInfo(bundle).isDir())
        return std::nullopt;
    BundleInfo result;
    const auto info = PropertyList::readFile(bundle + u"/Contents/Info.plist"_s);
    if (info && info->typeId() == QMetaType::QVariantMap)
        result.dictionary = info->toMap();
    const QVariant identifier = result.dictionary.value(u"CFBundleIdentifier"_s);
    if (identifier.typeId() == QMetaType::QString)
        result.identifier = identifier.toString();
    return result;
}

std::optional<QString> applicationForBundleIdentifier(const QString& bundleIdentifier)
{
    if (bundleIdentifier.isEmpty())
        return std::nullopt;
    const QString roots[] = {systemPath(u"/Applications"_s), systemPath(u"/System/Applications"_s),
                             QDir::cleanPath(homeFolder() + u"/Applications"_s)};
    for (const QString& root : roots) {
        std::optional<QString> found;
        std::stop_source stop;
        walkTree(
            root,
            [&](const FileInfo& entry, int) {
                if (!isBundleName(entry.name))
                    return WalkStep::Continue;
                // A link is read through only when it leads to a folder, and never walked.
                if (entry.isDirectory() || entry.isSymlink()) {
                    const auto bundle = readBundle(entry.path);
                    if (bundle && bundle->identifier.compare(bundleIdentifier, Qt::CaseInsensitive) == 0) {
                        found = entry.path;
                        stop.request_stop();
                    }
                }
                return WalkStep::SkipDescendants;
            },
            stop.get_token());
        if (found)
            return found;
    }
    return std::nullopt;
}

QString displayName(const QString& path)
{
    const QString cleaned = QDir::cleanPath(path);
    const qsizetype slash = cleaned.lastIndexOf(u'/');
    return slash < 0 || cleaned == u"/"_s ? cleaned : cleaned.mid(slash + 1);
}

} // namespace Platform
