#include "Core/PathSafety.h"

#include "Core/FileUtils.h"
#include "Platform/FileReading.h"
#include "Platform/FileSystem.h"
#include "Platform/SystemRoot.h"

#include <array>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>

using namespace Qt::StringLiterals;

namespace PathSafety {

namespace {

constexpr std::array<QStringView, 11> kSystemPrefixes{
    u"/System",        u"/bin",    u"/sbin",           u"/usr/bin",         u"/usr/sbin",         u"/usr/lib",
    u"/Library/Apple", u"/var/db", u"/private/var/db", u"/Volumes/Preboot", u"/Volumes/Recovery",
};

constexpr std::array<QStringView, 7> kPersonalItems{
    u"Library/Keychains",
    u"Library/Application Support/AddressBook",
    u"Library/Calendars",
    u"Library/Messages",
    u"Library/Mobile Documents",
    u"Library/Photos",
    u"Pictures/Photos Library.photoslibrary",
};

constexpr std::array<QStringView, 3> kPrivateTwins{u"/var", u"/tmp", u"/etc"};

// Either lies within the other: the path is protected, or removing it would remove the protected location.
bool overlaps(QStringView path, QStringView location)
{
    return isEqualOrUnder(path, location) || isEqualOrUnder(location, path);
}

bool hasFewerThanTwoComponents(QStringView path)
{
    // Counted without splitting: this runs for every path a scan offers.
    int components = 0;
    bool inComponent = false;
    for (const QChar c : path) {
        if (c == u'/') {
            inComponent = false;
        } else if (!inComponent) {
            inComponent = true;
            if (++components == 2)
                return false;
        }
    }
    return true;
}

bool matchesSystemRules(const QString& path)
{
    for (const QString& alias : aliases(path)) {
        if (hasFewerThanTwoComponents(alias))
            return true;
        for (const QStringView prefix : kSystemPrefixes) {
            if (overlaps(alias, prefix))
                return true;
        }
    }
    return false;
}

// Only a regular file counts, opened where it stands: a link (even to a readable file, or to /dev/null), a FIFO
// or a device at the path says nothing of what the application may read, and is never waited on.
bool opensForReading(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    const int fd = Platform::openRegularFile(AT_FDCWD, name.constData(), O_RDONLY);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

// Anything at the path, a link included (not followed).
bool exists(const QString& path)
{
    return Platform::fileInfo(path).has_value();
}

} // namespace

QStringList aliases(const QString& path)
{
    if (path.startsWith(u"/private/"))
        return {path, path.mid(8)};
    for (const QStringView twin : kPrivateTwins) {
        if (path == twin || (path.startsWith(twin) && path.at(twin.size()) == u'/'))
            return {path, u"/private"_s + path};
    }
    return {path};
}

bool isEqualOrUnder(QStringView path, QStringView location)
{
    if (location.endsWith(u'/'))
        return path.startsWith(location);
    return path == location || (path.startsWith(location) && path.at(location.size()) == u'/');
}

bool isProtected(const QString& url)
{
    const std::optional<QString> standardized = Platform::standardizedPath(url);
    if (!standardized)
        return true;
    const QString& path = *standardized;

    // The home folder and what holds it; what lies under it is judged by the personal items.
    const QString home = Platform::homeFolder();
    if (isEqualOrUnder(home, path))
        return true;
    const QString homePrefix = home == u"/" ? home : home + u'/';
    for (const QStringView item : kPersonalItems) {
        if (overlaps(path, QString(homePrefix + item)))
            return true;
    }

    // The system root holds the whole Mac; its own place is "/" there.
    if (isEqualOrUnder(Platform::systemRoot(), path))
        return true;
    if (matchesSystemRules(path))
        return true;
    const QString macPath = Platform::macPathOf(path);
    return !macPath.isEmpty() && macPath != path && matchesSystemRules(macPath);
}

namespace {

// Whether `path` (absolute) is what standardizedPath() would make of it: no empty, "." or ".." component and
// no "/" at the end.
bool isClean(QStringView path)
{
    if (path.size() > 1 && path.endsWith(u'/'))
        return false;
    for (qsizetype i = 0; i < path.size(); ++i) {
        if (path[i] != u'/' || i + 1 >= path.size())
            continue;
        const QStringView rest = path.mid(i + 1);
        if (rest.startsWith(u'/'))
            return false;
        if (rest == u"." || rest.startsWith(u"./") || rest == u".." || rest.startsWith(u"../"))
            return false;
    }
    return true;
}

// Whether `alias` overlaps a system prefix. Both start with "/": they can only overlap when their first
// components are the same, so most paths are told apart by their second character alone.
bool overlapsSystemPrefix(QStringView alias)
{
    if (alias.size() < 2)
        return false;
    for (const QStringView prefix : kSystemPrefixes) {
        if (prefix[1] == alias[1] && overlaps(alias, prefix))
            return true;
    }
    return false;
}

// matchesSystemRules() without a list or a copy. The second name of "/var", "/tmp" and "/etc" paths starts
// with "/private/", which only the "/private/var/db" prefix shares: it overlaps that prefix exactly when the
// path overlaps "/var/db".
bool matchesSystemRulesOf(QStringView path)
{
    if (hasFewerThanTwoComponents(path) || overlapsSystemPrefix(path))
        return true;
    if (path.startsWith(u"/private/")) {
        const QStringView other = path.mid(8);
        return hasFewerThanTwoComponents(other) || overlapsSystemPrefix(other);
    }
    for (const QStringView twin : kPrivateTwins) {
        if (path == twin || (path.startsWith(twin) && path.at(twin.size()) == u'/'))
            return overlaps(path, u"/var/db");
    }
    return false;
}

} // namespace

ProtectedPaths::ProtectedPaths()
    : m_home(Platform::homeFolder()), m_homePrefix(m_home == u"/" ? m_home : m_home + u'/'),
      m_root(Platform::systemRoot())
{
    if (m_root != u"/")
        m_rootPrefix = m_root + u'/';
}

bool ProtectedPaths::contains(const QString& url) const
{
    if (!url.startsWith(u'/'))
        return true;
    QString cleaned;
    QStringView path = url;
    if (!isClean(path)) {
        cleaned = *Platform::standardizedPath(url);
        path = cleaned;
    }
    if (isEqualOrUnder(m_home, path))
        return true;
    // A path holding a personal item holds the home too (answered above): only paths inside the home are
    // compared with the items, by what follows the home.
    if (path.startsWith(m_homePrefix)) {
        const QStringView inside = path.mid(m_homePrefix.size());
        for (const QStringView item : kPersonalItems) {
            if (overlaps(inside, item))
                return true;
        }
    }
    if (isEqualOrUnder(m_root, path))
        return true;
    if (matchesSystemRulesOf(path))
        return true;
    // The path's place on the Mac, when it lies inside the system root.
    if (m_rootPrefix.isEmpty())
        return false;
    if (path == m_root)
        return matchesSystemRulesOf(u"/");
    if (path.startsWith(m_rootPrefix))
        return matchesSystemRulesOf(path.mid(m_root.size()));
    return false;
}

bool hasFullDiskAccess()
{
    const QString probes[] = {
        FileUtils::libraryURL({u"Application Support"_s, u"com.apple.TCC"_s, u"TCC.db"_s}),
        FileUtils::libraryURL({u"Safari"_s, u"CloudTabs.db"_s}),
    };
    bool anyExists = false;
    for (const QString& probe : probes) {
        if (opensForReading(probe))
            return true;
        anyExists = anyExists || exists(probe);
    }
    return !anyExists;
}

} // namespace PathSafety
