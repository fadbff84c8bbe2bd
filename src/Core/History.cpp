#include "Core/History.h"

#include "Core/FileUtils.h"
#include "Core/HistoryFile.h"
#include "Core/LegacyImport.h"
#include "Platform/FileOperations.h"
#include "Platform/FileSystem.h"
#include "Platform/SystemRoot.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <latch>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QThread>

using namespace Qt::StringLiterals;

namespace {

bool exists(const QString& path)
{
    return Platform::fileInfo(path).has_value();
}

// Saves by every instance in the process: another instance's save may land on a recycled inode with the same
// size within one clock tick, which the file's own stamp would not tell apart.
std::atomic<quint64> savesInProcess{0};

bool isMissing(int error)
{
    return error == ENOENT || error == ENOTDIR;
}

// Whether the date is as the file keeps it: UTC, whole seconds. An invalid date is left for the save to refuse.
bool isKeptAsIs(const QDateTime& date)
{
    return !date.isValid() || (date.timeSpec() == Qt::UTC && date.toMSecsSinceEpoch() % 1000 == 0);
}

// The date as the file keeps it, fractions of a second rounded down.
QDateTime wholeSecond(const QDateTime& date)
{
    const qint64 msecs = date.toMSecsSinceEpoch();
    return QDateTime::fromSecsSinceEpoch(msecs / 1000 - (msecs % 1000 < 0 ? 1 : 0), Qt::UTC);
}

// The journal's folder, open and locked for one save: saves of every instance and process take turns, so
// that a temporary file found while holding the lock is one a killed save left behind.
class SaveLock final
{
public:
    explicit SaveLock(const QString& folder)
        : m_fd(::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))
    {
        if (m_fd < 0)
            return;
        while (::flock(m_fd, LOCK_EX) != 0 && errno == EINTR) {
        }
    }
    ~SaveLock()
    {
        if (m_fd >= 0)
            ::close(m_fd); // releases the lock
    }
    SaveLock(const SaveLock&) = delete;
    SaveLock& operator=(const SaveLock&) = delete;

    bool held() const { return m_fd >= 0; }

    // After the rename: the folder's new entry reaches the disk, so a committed save survives a power loss.
    void syncFolder() const
    {
        if (m_fd >= 0)
            ::fsync(m_fd);
    }

private:
    int m_fd = -1;
};

// The temporary files of earlier saves that were killed before their rename: "<journal>.XXXXXX", as
// writeFileAtomically names them.
void removeLeftoverTemporaries(const QString& journal)
{
    const QString folder = Platform::parentOf(journal);
    const QString prefix = journal.mid(folder.size() + 1) + u'.';
    for (const Platform::FileInfo& entry : Platform::listFolder(folder)) {
        if (!entry.isRegular() || entry.name.size() != prefix.size() + 6 || !entry.name.startsWith(prefix))
            continue;
        const QStringView suffix = QStringView(entry.name).mid(prefix.size());
        const bool random = std::all_of(suffix.begin(), suffix.end(), [](QChar c) {
            return c.unicode() < 0x80 && std::isalnum(static_cast<unsigned char>(c.unicode()));
        });
        if (random)
            Platform::removeItem(entry.path);
    }
}

} // namespace

QString History::defaultFileURL()
{
    // Before the folder is used, so that a journal in the earlier product's folder has been moved in.
    LegacyImport::importOnce();
    const QString folder = FileUtils::libraryURL({u"Application Support"_s, u"QuorvanePro"_s});
    Platform::createFolder(folder); // a failure shows later as a failed save
    return folder + u"/history.json"_s;
}

History::History(const std::optional<QString>& fileURL, QObject* parent)
    : QObject(parent), m_fileURL(fileURL ? QDir::cleanPath(*fileURL) : defaultFileURL())
{
    m_working = load();
    m_sessions = m_working;
    m_queue.setMaxThreadCount(1); // one cycle at a time, in the order they were asked for
}

History::~History()
{
    m_queue.waitForDone();
}

void History::onQueue(const std::function<void()>& work)
{
    std::latch done(1);
    m_queue.start([&] {
        work();
        done.count_down();
    });
    done.wait();
}

void History::waitUntilIdle()
{
    m_queue.waitForDone();
}

std::optional<History::FileStamp> History::currentStamp(int* errorNumber) const
{
    const std::optional<Platform::FileInfo> info = Platform::fileInfo(m_fileURL, errorNumber);
    if (!info)
        return std::nullopt;
    return FileStamp{info->device,   info->inode,         info->logicalSize,
                     info->modified, info->statusChanged, savesInProcess.load()};
}

QList<CleaningSession> History::load()
{
    m_knownFile.reset();
    int error = 0;
    const std::optional<FileStamp> stamp = currentStamp(&error);
    if (!stamp && isMissing(error)) {
        m_unreadableFileInPlace = false;
        return {};
    }
    QFile file(m_fileURL);
    std::optional<QList<CleaningSession>> sessions;
    if (file.open(QIODevice::ReadOnly)) {
        // Mapped rather than copied: a full journal is tens of megabytes. We only ever replace the file by
        // renaming a new one over it, so the mapped one is never cut short under us.
        const qint64 size = file.size();
        if (uchar* mapped = size > 0 ? file.map(0, size) : nullptr) {
            sessions = HistoryFile::decode(QByteArrayView(mapped, size));
            file.unmap(mapped);
        } else {
            sessions = HistoryFile::decode(file.readAll());
        }
    }
    m_unreadableFileInPlace = !sessions.has_value();
    if (!sessions)
        return {};
    m_knownFile = stamp;
    return std::move(*sessions);
}

bool History::setAsideUnreadableFile()
{
    int error = 0;
    if (!Platform::fileInfo(m_fileURL, &error) && isMissing(error)) {
        m_unreadableFileInPlace = false; // gone meanwhile: nothing left to protect
        return true;
    }
    const QString stem =
        m_fileURL + u".corrupt-"_s + QDateTime::currentDateTimeUtc().toString(u"yyyyMMdd'T'HHmmss'Z'"_s);
    for (int number = 1; number <= 1000; ++number) {
        const QString candidate = number == 1 ? stem : stem + u'-' + QString::number(number);
        if (exists(candidate))
            continue;
        if (!Platform::moveItem(m_fileURL, candidate)) {
            m_unreadableFileInPlace = false;
            return true;
        }
        if (!exists(candidate))
            return false; // refused for another reason than the name
        // Taken between the look and the move: the move never replaces, so try the next name.
    }
    return false;
}

std::optional<QUuid> History::record(const Removal::Report& report, ModuleID module,
                                     const std::optional<QString>& snapshotStamp)
{
    if (report.removed.isEmpty())
        return std::nullopt;
    CleaningSession session;
    session.id = QUuid::createUuid();
    session.date = QDateTime::currentDateTimeUtc();
    session.moduleID = toRaw(module);
    session.moduleTitle = title(module);
    session.freedBytes = report.freedBytes;
    session.failureCount = int(report.failures.size());
    session.snapshotStamp = snapshotStamp;
    session.files.reserve(report.removed.size());
    for (const Removal::Removed& removed : report.removed)
        session.files.append(RemovedFile{QUuid::createUuid(), removed.origin, removed.trashed, removed.bytes, false,
                                         removed.trashed ? removed.trashedIdentity : std::nullopt});
    const QUuid id = session.id;
    update([&session](QList<CleaningSession>& sessions) { sessions.append(std::move(session)); });
    return id;
}

void History::update(const Change& change)
{
    std::pair<quint64, QList<CleaningSession>> result;
    onQueue([&] { result = cycle(change); });
    if (QThread::currentThread() == thread())
        publish(result.first, result.second);
}

void History::post(Change change)
{
    m_queue.start([this, change = std::move(change)] { cycle(change); });
}

void History::publish(quint64 number, const QList<CleaningSession>& sessions)
{
    if (number <= m_published)
        return;
    m_published = number;
    const bool changedSessions = sessions != m_sessions;
    m_sessions = sessions;
    // Told after the save, so that a receiver starting another cycle reads what this one wrote.
    if (changedSessions)
        emit changed();
}

std::pair<quint64, QList<CleaningSession>> History::cycle(const Change& change)
{
    QList<CleaningSession> sessions;
    if (m_lastSaveFailed || (m_knownFile && m_knownFile == currentStamp()))
        sessions = m_working;
    else
        sessions = load();
    change(sessions);
    sortNewestFirst(sessions);
    if (sessions.size() > sessionLimit)
        sessions.resize(sessionLimit);
    for (qsizetype i = 0; i < sessions.size(); ++i) {
        if (!isKeptAsIs(sessions.at(i).date))
            sessions[i].date = wholeSecond(sessions.at(i).date);
    }
    m_working = std::move(sessions);
    bool exact = false;
    m_lastSaveFailed = !write(m_working, &exact);
    m_knownFile = m_lastSaveFailed || !exact ? std::nullopt : currentStamp();
    const quint64 number = ++m_cycles;
    // Published on the GUI thread; a caller waiting there publishes it itself and this one finds it done.
    QMetaObject::invokeMethod(
        this, [this, number, published = m_working] { publish(number, published); }, Qt::QueuedConnection);
    return {number, m_working};
}

void History::restore(QList<CleaningSession>& sessions, const QUuid& sessionID, RestoreTally& tally)
{
    const auto found = std::find_if(sessions.begin(), sessions.end(),
                                    [&sessionID](const CleaningSession& session) { return session.id == sessionID; });
    if (found == sessions.end())
        return;
    for (RemovedFile& file : found->files) {
        if (file.restored || !file.trashPath)
            continue;
        const auto leave = [&](const QString& reason) { tally.left.append({file.originalPath, reason}); };
        const auto fail = [&](const QString& reason) {
            tally.failures.append({file.originalPath, reason});
            leave(reason);
        };
        if (!exists(*file.trashPath)) {
            leave(goneFromTrashText());
            continue;
        }
        if (!file.isStillInTrash()) {
            fail(notTheTrashedItemText());
            continue;
        }
        if (exists(file.originalPath)) {
            leave(placeTakenText());
            continue;
        }
        if (const std::optional<QString> failure = Platform::createFolder(Platform::parentOf(file.originalPath))) {
            fail(*failure);
            continue;
        }
        // The identity is looked at again at the move itself, so that an item swapped in since is not taken.
        bool notTheSame = false;
        const std::optional<QString> failure =
            file.trashIdentity
                ? Platform::moveItemIfSame(*file.trashPath, file.originalPath, *file.trashIdentity, &notTheSame)
                : Platform::moveItem(*file.trashPath, file.originalPath);
        if (failure || notTheSame) {
            fail(notTheSame ? notTheTrashedItemText() : *failure);
            continue;
        }
        file.restored = true;
        ++tally.restored;
    }
}

QStringList History::RestoreTally::leftLines() const
{
    QStringList lines;
    lines.reserve(left.size());
    for (const RestoreFailure& file : left)
        lines.append(FileUtils::itemLine(file.path, file.reason));
    return lines;
}

QString History::goneFromTrashText()
{
    return u"L'élément n'est plus dans la corbeille."_s;
}

QString History::placeTakenText()
{
    return u"Un autre élément occupe déjà son emplacement d'origine."_s;
}

QString History::notTheTrashedItemText()
{
    return u"L'élément de la corbeille n'est plus celui qui a été supprimé."_s;
}

void History::markRestored(const QSet<QString>& paths, const QUuid& sessionID, QList<CleaningSession>& sessions)
{
    if (paths.isEmpty())
        return;
    const auto found = std::find_if(sessions.begin(), sessions.end(),
                                    [&sessionID](const CleaningSession& session) { return session.id == sessionID; });
    if (found == sessions.end())
        return;
    for (RemovedFile& file : found->files) {
        if (!file.restored && paths.contains(file.originalPath))
            file.restored = true;
    }
}

void History::save(const QList<CleaningSession>& sessions)
{
    onQueue([&] {
        // The file may no longer hold the working sessions: the next cycle reads it.
        m_knownFile.reset();
        m_lastSaveFailed = !write(sessions, nullptr);
    });
}

bool History::write(const QList<CleaningSession>& sessions, bool* exact)
{
    if (m_unreadableFileInPlace && !setAsideUnreadableFile())
        return false;
    const SaveLock lock(Platform::parentOf(m_fileURL));
    if (lock.held())
        removeLeftoverTemporaries(m_fileURL);
    const std::optional<QString> failure =
        Platform::writeFileAtomically(m_fileURL, [&sessions, exact](const Platform::ByteSink& sink) {
            return HistoryFile::encode(sessions, sink, exact);
        });
    ++savesInProcess;
    if (!failure)
        lock.syncFolder();
    return !failure;
}

void History::sortNewestFirst(QList<CleaningSession>& sessions)
{
    std::stable_sort(sessions.begin(), sessions.end(),
                     [](const CleaningSession& a, const CleaningSession& b) { return a.date > b.date; });
}

qint64 History::totalFreed() const
{
    qint64 total = 0;
    for (const CleaningSession& session : m_sessions)
        total = FileUtils::addBytes(total, session.keptBytes()); // a hand-edited journal may hold anything
    return total;
}

std::optional<CleaningSession> History::session(const QUuid& id) const
{
    for (const CleaningSession& session : m_sessions) {
        if (session.id == id)
            return session;
    }
    return std::nullopt;
}
