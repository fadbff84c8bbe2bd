#include "Platform/SystemRoot.h"

#include <QDir>

using namespace Qt::StringLiterals;

namespace Platform {

namespace {

QString environmentPath(const char* name)
{
    const QString value = qEnvironmentVariable(name);
    return value.isEmpty() ? QString() : absolutePath(value);
}

} // namespace

QString absolutePath(const QString& path)
{
    if (path.isEmpty())
        return u"/"_s;
    QString cleaned = QDir::cleanPath(path);
    if (!cleaned.startsWith(u'/'))
        cleaned = QDir::cleanPath(QDir::currentPath() + u'/' + cleaned);
    return cleaned;
}

QString systemRoot()
{
    const QString root = environmentPath("QUORVANE_ROOT");
    return root.isEmpty() ? u"/"_s : root;
}

QString systemPath(const QString& macPath)
{
    const QString root = systemRoot();
    const QString location = absolutePath(macPath.startsWith(u'/') ? macPath : u'/' + macPath);
    if (root == u"/")
        return location;
    if (location == u"/")
        return root;
    return root + location;
}

QString macPathOf(const QString& path)
{
    const QString root = systemRoot();
    const QString cleaned = absolutePath(path);
    if (root == u"/")
        return cleaned;
    if (cleaned == root)
        return u"/"_s;
    if (cleaned.startsWith(root + u'/'))
        return cleaned.mid(root.size());
    return QString();
}

QString homeFolder()
{
    const QString home = environmentPath("HOME");
    return home.isEmpty() ? u"/"_s : home;
}

QString temporaryFolder()
{
    const QString tmp = environmentPath("TMPDIR");
    return tmp.isEmpty() ? systemPath(u"/tmp"_s) : tmp;
}

std::optional<QString> standardizedPath(const QString& path)
{
    if (!path.startsWith(u'/'))
        return std::nullopt;
    QString cleaned = QDir::cleanPath(path);
    // cleanPath keeps the ".." that climb above the root; the system stays at the root instead.
    while (cleaned.startsWith(u"/.."_s) && (cleaned.size() == 3 || cleaned.at(3) == u'/'))
        cleaned = cleaned.size() == 3 ? u"/"_s : cleaned.mid(3);
    return cleaned;
}

bool isEqualOrUnder(const QString& path, const QString& location)
{
    const QString p = absolutePath(path);
    const QString l = absolutePath(location);
    if (l == u"/")
        return p.startsWith(u'/');
    return p == l || p.startsWith(l + u'/');
}

QString parentOf(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    return slash <= 0 ? u"/"_s : path.left(slash);
}

} // namespace Platform
