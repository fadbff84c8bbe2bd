#include "Platform/SystemRoot.h"

#include <array>
#include <cstdlib>
#include <string>

#include <QDir>
#include <QFile>

using namespace Qt::StringLiterals;

namespace Platform {

namespace {

QString environmentPath(const char* name)
{
    // Read for every path a scan judges, from many threads: each thread keeps the last cleaned value of each
    // variable and cleans again only when the variable's text changed. getenv takes no lock, unlike
    // qEnvironmentVariable, whose one process-wide lock made the threads queue.
    struct Cached {
        const char* name = nullptr;
        std::string raw;
        QString cleaned;
    };
    thread_local std::array<Cached, 4> cache;
    const char* raw = std::getenv(name);
    if (raw == nullptr || *raw == '\0')
        return QString();
    if (raw[0] != '/')
        return absolutePath(QFile::decodeName(raw)); // relative to the working folder, which may change
    for (Cached& entry : cache) {
        if (entry.name == name && entry.raw == raw)
            return entry.cleaned;
    }
    Cached* slot = &cache[0];
    for (Cached& entry : cache) {
        if (entry.name == name || entry.name == nullptr) {
            slot = &entry;
            break;
        }
    }
    slot->name = name;
    slot->raw = raw;
    slot->cleaned = absolutePath(QFile::decodeName(raw));
    return slot->cleaned;
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

QString displayPath(const QString& path)
{
    return displayPath(path, homeFolder());
}

QString displayPath(const QString& path, const QString& homeFolder)
{
    // The home first: on a demonstration Mac it lies under the system root too.
    const QString home = QDir::cleanPath(homeFolder);
    if (home != u"/" && !home.isEmpty()) {
        if (path == home)
            return u"~"_s;
        if (path.startsWith(home + u'/'))
            return u'~' + path.mid(home.size());
    }
    if (!QDir::isAbsolutePath(path))
        return path;
    const QString root = systemRoot();
    if (root == u"/")
        return path;
    if (path == root)
        return u"/"_s;
    if (path.startsWith(root + u'/'))
        return path.mid(root.size());
    return path;
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
