#include "Platform/SafeReach.h"

#include "Platform/ErrorText.h"
#include "Platform/SystemRoot.h"
#include "Platform/TestGuard.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <utility>

#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <QFile>

using namespace Qt::StringLiterals;

namespace Platform {

namespace {

std::atomic<bool> componentWalkOnly{false};
std::atomic<bool> kernelLacksOpenat2{false};

constexpr int kFolderFlags = O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// Whether `path` lies strictly below `folder` (both cleaned and absolute).
bool isStrictlyUnder(const QString& path, const QString& folder)
{
    if (folder == u"/")
        return path.size() > 1;
    return path.size() > folder.size() && path.startsWith(folder) && path.at(folder.size()) == u'/';
}

// Tells a link from anything else that stopped a walk at `name` inside `fd`.
int classifyStop(int fd, const char* name, int error)
{
    if (error != ELOOP && error != ENOTDIR)
        return error;
    struct stat st {
    };
    if (::fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode))
        return ELOOP;
    return error == ELOOP ? ELOOP : ENOTDIR;
}

// One folder at a time, each opened without following it. Returns the folder or -1 with errno set.
int walkComponents(int anchorFd, const QByteArray& relative)
{
    int fd = ::fcntl(anchorFd, F_DUPFD_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    for (const QByteArray& component : relative.split('/')) {
        if (component.isEmpty())
            continue;
        const int next = ::openat(fd, component.constData(), kFolderFlags);
        if (next < 0) {
            const int error = classifyStop(fd, component.constData(), errno);
            ::close(fd);
            errno = error;
            return -1;
        }
        ::close(fd);
        fd = next;
    }
    return fd;
}

// The whole relative path in one call that refuses every link; -1 with errno set, or -2 where the kernel
// lacks the call.
int openBeneath(int anchorFd, const QByteArray& relative)
{
    open_how how{};
    how.flags = O_PATH | O_DIRECTORY | O_CLOEXEC;
    how.resolve = RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS;
    const long fd = ::syscall(SYS_openat2, anchorFd, relative.constData(), &how, sizeof how);
    if (fd >= 0)
        return int(fd);
    if (errno == ENOSYS || errno == EPERM || errno == E2BIG || errno == EINVAL)
        return -2; // not offered here, or filtered out: walk instead
    return -1;
}

int openParent(int anchorFd, const QByteArray& relative)
{
    if (relative.isEmpty())
        return ::fcntl(anchorFd, F_DUPFD_CLOEXEC, 0);
    if (!componentWalkOnly.load() && !kernelLacksOpenat2.load()) {
        const int fd = openBeneath(anchorFd, relative);
        if (fd != -2 && (fd >= 0 || errno != ENAMETOOLONG))
            return fd;
        if (fd == -2)
            kernelLacksOpenat2.store(true);
        // Past the system's path limit the folders are still reached, one at a time.
    }
    return walkComponents(anchorFd, relative);
}

// The path of an open folder on this system; empty when the system cannot tell.
QString pathOfOpenFolder(int fd)
{
    char buffer[PATH_MAX + 1];
    const QByteArray link = "/proc/self/fd/" + QByteArray::number(fd);
    const ssize_t length = ::readlink(link.constData(), buffer, PATH_MAX);
    if (length <= 0 || buffer[0] != '/')
        return QString();
    const QByteArray path(buffer, length);
    if (path.endsWith(" (deleted)"))
        return QString();
    return QFile::decodeName(path);
}

// The root of the volume mounted in `volumes` that holds `path`; empty when it lies on none.
QString volumeRootOf(const QString& path, const QString& volumes)
{
    if (!isStrictlyUnder(path, volumes))
        return QString();
    const qsizetype end = path.indexOf(u'/', volumes.size() + 1);
    return end > 0 ? path.left(end) : QString();
}

QString joined(const QString& folder, const QString& name)
{
    return folder == u"/" ? QString(folder + name) : QString(folder + u'/' + name);
}

} // namespace

QString linkOnTheWayText()
{
    return u"Le chemin a changé depuis l'analyse : non supprimé."_s;
}

QString unfaithfulNameText()
{
    return u"Le nom de cet élément n'est pas lisible tel quel (octets hors UTF-8) : non supprimé."_s;
}

bool pathSurvivesEncoding(const QString& path)
{
    if (path.contains(QChar(u'\0')) || path.contains(QChar(0xFFFD)))
        return false;
    return QFile::decodeName(QFile::encodeName(path)) == path;
}

ReachedItem::ReachedItem(ReachedItem&& other) noexcept
    : m_parentFd(std::exchange(other.m_parentFd, -1)), m_name(std::move(other.m_name)), m_path(std::move(other.m_path)),
      m_actualPath(std::move(other.m_actualPath)), m_places(std::move(other.m_places)), m_status(other.m_status)
{
}

ReachedItem& ReachedItem::operator=(ReachedItem&& other) noexcept
{
    if (this != &other) {
        if (m_parentFd >= 0)
            ::close(m_parentFd);
        m_parentFd = std::exchange(other.m_parentFd, -1);
        m_name = std::move(other.m_name);
        m_path = std::move(other.m_path);
        m_actualPath = std::move(other.m_actualPath);
        m_places = std::move(other.m_places);
        m_status = other.m_status;
    }
    return *this;
}

ReachedItem::~ReachedItem()
{
    if (m_parentFd >= 0)
        ::close(m_parentFd);
}

int ReachedItem::lookAgain() const
{
    struct stat st {
    };
    if (m_parentFd < 0)
        return EBADF;
    return ::fstatat(m_parentFd, m_name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 ? 0 : errno;
}

QString Reach::failureText() const
{
    switch (outcome) {
    case Outcome::Reached:
        return QString();
    case Outcome::Missing:
        return errorText(ENOENT);
    case Outcome::LinkOnTheWay:
        return linkOnTheWayText();
    case Outcome::Unfaithful:
        return unfaithfulNameText();
    case Outcome::Failed:
        return errorText(error);
    }
    return errorText(error);
}

SafeReach::SafeReach() : m_home(homeFolder()), m_root(systemRoot())
{
    // Deepest first: an entry is reached from the nearest of them.
    m_fixed = {m_home,
               temporaryFolder(),
               systemPath(u"/private/var"_s),
               systemPath(u"/private/tmp"_s),
               systemPath(u"/private/etc"_s),
               systemPath(u"/var"_s),
               systemPath(u"/tmp"_s),
               systemPath(u"/etc"_s),
               m_root,
               u"/"_s};
}

SafeReach::~SafeReach()
{
    for (const int fd : std::as_const(m_fds)) {
        if (fd >= 0)
            ::close(fd);
    }
}

void SafeReach::setComponentWalkOnly(bool only)
{
    componentWalkOnly.store(only);
}

int SafeReach::anchorFd(const QString& anchor)
{
    const auto known = m_fds.constFind(anchor);
    if (known != m_fds.cend())
        return *known;
    // Links above an anchor are the system's own (a Mac's /var, a volume's entry): followed, once.
    // A failure is kept as -errno, so that a later call reports the same error.
    const int opened = ::open(QFile::encodeName(anchor).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    const int fd = opened >= 0 ? opened : -errno;
    m_fds.insert(anchor, fd);
    if (fd >= 0)
        m_realPaths.insert(anchor, pathOfOpenFolder(fd));
    return fd;
}

QString SafeReach::anchorFor(const QString& path) const
{
    QString best = volumeRootOf(path, systemPath(u"/Volumes"_s));
    for (const QString& anchor : m_fixed) {
        if (anchor.size() > best.size() && isStrictlyUnder(path, anchor))
            best = anchor;
    }
    return best;
}

Reach SafeReach::reach(const QString& path)
{
    Reach result;
    if (!pathSurvivesEncoding(path)) {
        result.outcome = Reach::Outcome::Unfaithful;
        return result;
    }
    const QString cleaned = absolutePath(path);
    if (cleaned == u"/") {
        result.error = EBUSY;
        return result;
    }
    // From the nearest anchor that opens; one that does not exist here hands over to the next one up.
    QString anchor = anchorFor(cleaned);
    int fromFd = anchorFd(anchor);
    while (fromFd < 0 && anchor != u"/") {
        anchor = anchorFor(anchor);
        fromFd = anchorFd(anchor);
    }
    if (fromFd < 0) {
        result.error = -fromFd;
        return result;
    }

    const QString parent = parentOf(cleaned);
    const QString relative = parent == anchor ? QString() : parent.mid(anchor == u"/" ? 1 : anchor.size() + 1);
    const int parentFd = openParent(fromFd, QFile::encodeName(relative));
    if (parentFd < 0) {
        const int error = errno;
        if (error == ELOOP)
            result.outcome = Reach::Outcome::LinkOnTheWay;
        else if (error == ENOENT || error == ENOTDIR)
            result.outcome = Reach::Outcome::Missing;
        else
            result.error = error;
        return result;
    }

    ReachedItem& item = result.item;
    item.m_parentFd = parentFd;
    item.m_name = QFile::encodeName(cleaned.section(u'/', -1));
    item.m_path = cleaned;
    if (::fstatat(parentFd, item.m_name.constData(), &item.m_status, AT_SYMLINK_NOFOLLOW) != 0) {
        const int error = errno;
        result.item = ReachedItem();
        if (error == ENOENT)
            result.outcome = Reach::Outcome::Missing;
        else
            result.error = error;
        return result;
    }
    collectPlaces(item);
    result.outcome = Reach::Outcome::Reached;
    return result;
}

void SafeReach::collectPlaces(ReachedItem& item)
{
    item.m_places = {item.m_path};
    item.m_actualPath = item.m_path;
    const QString folder = pathOfOpenFolder(item.m_parentFd);
    if (folder.isEmpty())
        return;
    const QString actual = joined(folder, QFile::decodeName(item.m_name));
    item.m_actualPath = actual;
    if (!item.m_places.contains(actual))
        item.m_places.append(actual);
    // The same place under the usual names of the folders that hold it.
    anchorFd(m_home);
    anchorFd(m_root);
    for (auto it = m_realPaths.cbegin(); it != m_realPaths.cend(); ++it) {
        const QString& real = it.value();
        if (real.isEmpty() || real == it.key() || !isStrictlyUnder(actual, real))
            continue;
        const QString named = joined(it.key(), actual.mid(real == u"/" ? 1 : real.size() + 1));
        if (!item.m_places.contains(named))
            item.m_places.append(named);
    }
}

std::optional<QString> SafeReach::openTrashFor(const ReachedItem& item, int* fd, QString* folder)
{
    *fd = -1;
    struct stat anchorStat {
    };
    QString base;
    QList<std::pair<QString, unsigned>> chain;
    const int homeFd = anchorFd(m_home);
    if (homeFd >= 0 && ::fstat(homeFd, &anchorStat) == 0 && anchorStat.st_dev == item.status().st_dev) {
        base = m_home;
        chain = {{u".Trash"_s, 0700}};
    } else {
        // A volume mounted in /Volumes keeps a Trash of its own at its root.
        const QString volumes = systemPath(u"/Volumes"_s);
        const QString anchor = volumeRootOf(item.path(), volumes);
        struct stat volumesStat {
        };
        if (anchor.isEmpty() || anchorFd(anchor) < 0 || ::fstat(anchorFd(anchor), &anchorStat) != 0 ||
            anchorStat.st_dev != item.status().st_dev ||
            ::stat(QFile::encodeName(volumes).constData(), &volumesStat) != 0 ||
            volumesStat.st_dev == anchorStat.st_dev)
            return u"L'élément se trouve sur un volume sans corbeille : il n'a pas été déplacé."_s;
        base = anchor;
        chain = {{u".Trashes"_s, 0755}, {QString::number(::getuid()), 0700}};
    }

    const int baseFd = anchorFd(base);
    int current = baseFd < 0 ? -1 : ::fcntl(baseFd, F_DUPFD_CLOEXEC, 0);
    if (current < 0)
        return errorText(baseFd < 0 ? -baseFd : errno);
    QString path = base;
    for (const auto& [name, permissions] : chain) {
        path = joined(path, name);
        const QByteArray raw = QFile::encodeName(name);
        int next = ::openat(current, raw.constData(), kFolderFlags);
        if (next < 0 && errno == ENOENT) {
            if (auto refusal = TestGuard::check(path, u"créer le dossier"_s)) {
                ::close(current);
                return refusal;
            }
            if (::mkdirat(current, raw.constData(), permissions) != 0 && errno != EEXIST) {
                const int error = errno;
                ::close(current);
                return errorText(error);
            }
            next = ::openat(current, raw.constData(), kFolderFlags);
        }
        if (next < 0) {
            const int error = classifyStop(current, raw.constData(), errno);
            ::close(current);
            if (error == ELOOP)
                return u"La corbeille n'est pas un dossier ordinaire : l'élément n'a pas été déplacé."_s;
            return errorText(error);
        }
        ::close(current);
        current = next;
    }
    *fd = current;
    *folder = path;
    return std::nullopt;
}

} // namespace Platform
