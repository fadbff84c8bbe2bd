#include "Platform/MainBundle.h"

#include "Platform/PropertyList.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace Platform::MainBundle {

namespace {

QString executableFolder()
{
    const QString executable = QFileInfo(u"/proc/self/exe"_s).symLinkTarget();
    return QFileInfo(executable).absolutePath();
}

} // namespace

QString path()
{
    const QString folder = QDir::cleanPath(executableFolder());
    if (folder.endsWith(u"/Contents/MacOS")) {
        const QString bundle = folder.chopped(int(qstrlen("/Contents/MacOS")));
        if (bundle.endsWith(u".app"))
            return bundle;
    }
    return folder;
}

QString applicationIdentifier()
{
    return u"com.ostrek.quorvanepro"_s;
}

std::optional<QString> identifier()
{
    const QString bundle = path();
    if (!bundle.endsWith(u".app"))
        return std::nullopt;
    const std::optional<QVariant> info = PropertyList::readFile(bundle + u"/Contents/Info.plist"_s);
    if (!info)
        return std::nullopt;
    const QVariant value = info->toMap().value(u"CFBundleIdentifier"_s);
    if (value.typeId() != QMetaType::QString || value.toString().isEmpty())
        return std::nullopt;
    return value.toString();
}

} // namespace Platform::MainBundle
