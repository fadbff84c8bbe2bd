#include "Platform/FileOperations.h"

#include "Platform/ErrorText.h"
#include "Platform/SafeReach.h"
#include "Platform/SystemRoot.h"
#include "Platform/TestGuard.h"

#include <cerrno>
#include <cstdio>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>

using namespace Qt::StringLiterals;

namespace Platform {

namespace {

QString lastComponent(const QString& cleaned)
{
    return cleaned.section(u'/', -1);
}

QByteArray encoded(const QString& path)
{
    return QFile::encodeName(path);
}

// Removes `name` inside the folder open at `parentFd`, descending into folders without following links.
// Returns 0 or the errno of the first failure.
int removeAt(int parentFd, const char* name)
{
    if (::unlinkat(parentFd, name, 0) == 0)
        return 0;
    if (errno != EISDIR && errno != EPERM)
        return errno;
    const int unlinkError = errno;
    const int fd = ::openat(parentFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOTDIR || errno == ELOOP ? unlinkError : errno;
    DIR* dir = ::fdopendir(fd);
    if (dir == nullptr) {
        const int error = errno;
        ::close(fd);
        return error;
    }
    int error = 0;
    while (dirent* entry = ::readdir(dir)) {
        const char* child = entry->d_name;
        if (child[0] == '.' && (child[1] == '\0' || (child[1] == '.' && child[2] == '\0')))
            continue;
        error = removeAt(::dirfd(dir), child);
        if (error != 0)
            break;
    }
    ::closedir(dir);
    if (error != 0)
        return error;
    return ::unlinkat(parentFd, name, AT_REMOVEDIR) == 0 ? 0 : errno;
}

// "rapport.pdf" → "rapport 2.pdf", "Projets" → "Projets 2", ".profile" → ".profile 2".
QString numberedName(const QString& name, int number)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot <= 0)
        return name + u' ' + QString::number(number);
    return name.left(dot) + u' ' + QString::number(number) + name.mid(dot);
}

} // namespace

namespace {

// The move itself; `error` receives the errno behind a failure (0 for a refusal that has no errno).
std::optional<QString> moveNoReplace(const QString& from, const QString& to, int* error)
{
    *error = 0;
    if (auto refusal = TestGuard::check(from, u"déplacer"_s))
        return refusal;
    if (auto refusal = TestGuard::check(to, u"écrire"_s))
        return refusal;
    const QByteArray source = encoded(from);
    const QByteArray target = encoded(to);
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) == 0)
        return std::nullopt;
    if (errno != EINVAL && errno != ENOSYS) {
        *error = errno;
        return errorText(*error);
    }

    // The file system does not know the no-replace flag.
    struct stat st {
    };
    if (::lstat(source.constData(), &st) != 0) {
        *error = errno;
        return errorText(*error);
    }
    if (S_ISDIR(st.st_mode))
        return u"Ce volume ne permet pas de déplacer un dossier sans risquer d'écraser un élément existant."_s;
    if (::linkat(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), 0) != 0) {
        *error = errno;
        return errorText(*error);
    }
    if (::unlink(source.constData()) != 0) {
        *error = errno;
        ::unlink(target.constData());
        return errorText(*error);
    }
    return std::nullopt;
}

// The same for an entry reached safely, into the open folder `toFd` under `toName`.
std::optional<QString> moveNoReplaceAt(const ReachedItem& item, int toFd, const QByteArray& toName, int* error)
{
    *error = 0;
    const int fromFd = item.parentFd();
    const char* from = item.name().constData();
    if (::renameat2(fromFd, from, toFd, toName.constData(), RENAME_NOREPLACE) == 0)
        return std::nullopt;
    if (errno != EINVAL && errno != ENOSYS) {
        *error = errno;
        return errorText(*error);
    }
    // The file system does not know the no-replace flag.
    if (S_ISDIR(item.status().st_mode))
        return u"Ce volume ne permet pas de déplacer un dossier sans risquer d'écraser un élément existant."_s;
    if (::linkat(fromFd, from, toFd, toName.constData(), 0) != 0) {
        *error = errno;
        return errorText(*error);
    }
    if (::unlinkat(fromFd, from, 0) != 0) {
        *error = errno;
        ::unlinkat(toFd, toName.constData(), 0);
        return errorText(*error);
    }
    return std::nullopt;
}

} // namespace

std::optional<QString> moveItem(const QString& fromPath, const QString& toPath)
{
    int error = 0;
    return moveNoReplace(absolutePath(fromPath), absolutePath(toPath), &error);
}

std::optional<QString> moveItemIfSame(const QString& fromPath, const QString& toPath, const ItemIdentity& expected,
                                      bool* notTheSame)
{
    *notTheSame = false;
    const QString from = absolutePath(fromPath);
    const QString to = absolutePath(toPath);
    if (auto refusal = TestGuard::check(from, u"déplacer"_s))
        return refusal;
    if (auto refusal = TestGuard::check(to, u"écrire"_s))
        return refusal;
    SafeReach anchors;
    Reach source = anchors.reach(from);
    if (source.outcome != Reach::Outcome::Reached)
        return source.failureText();
    if (identityOf(source.item.status()) != expected) {
        *notTheSame = true;
        return std::nullopt;
    }
    // The folder that receives it is opened by its path, as moveItem() reaches it.
    const int toFd = ::open(encoded(parentOf(to)).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (toFd < 0)
        return errorText(errno);
    const QByteArray toName = encoded(lastComponent(to));
    int error = 0;
    std::optional<QString> failure = moveNoReplaceAt(source.item, toFd, toName, &error);
    if (!failure) {
        struct stat arrived {
        };
        const bool same =
            ::fstatat(toFd, toName.constData(), &arrived, AT_SYMLINK_NOFOLLOW) == 0 && identityOf(arrived) == expected;
        if (!same) {
            // Swapped between the look and the move: what came is not ours to place there.
            ::renameat2(toFd, toName.constData(), source.item.parentFd(), source.item.name().constData(),
                        RENAME_NOREPLACE);
            *notTheSame = true;
        }
    }
    ::close(toFd);
    return failure;
}

TrashResult trashItem(const QString& path)
{
    const QString item = absolutePath(path);
    if (item == u"/")
        return TrashResult{std::nullopt, errorText(EBUSY)};
    if (auto refusal = TestGuard::check(item, u"mettre à la corbeille"_s))
        return TrashResult{std::nullopt, refusal};
    SafeReach anchors;
    Reach reached = anchors.reach(path);
    if (reached.outcome != Reach::Outcome::Reached)
        return TrashResult{std::nullopt, reached.failureText()};
    return trashItem(anchors, reached.item);
}

TrashResult trashItem(SafeReach& anchors, const ReachedItem& item)
{
    TrashResult result;
    for (const QString& place : {item.path(), item.actualPath()}) {
        if (auto refusal = TestGuard::check(place, u"mettre à la corbeille"_s)) {
            result.failure = refusal;
            return result;
        }
    }
    int trashFd = -1;
    QString trash;
    if (auto refusal = anchors.openTrashFor(item, &trashFd, &trash)) {
        result.failure = refusal;
        return result;
    }
    const QString name = lastComponent(item.path());
    for (int number = 1; number < 10000; ++number) {
        const QString candidate = number == 1 ? name : numberedName(name, number);
        const QByteArray raw = encoded(candidate);
        struct stat taken {
        };
        if (::fstatat(trashFd, raw.constData(), &taken, AT_SYMLINK_NOFOLLOW) == 0)
            continue;
        const QString target = trash + u'/' + candidate;
        if (auto refusal = TestGuard::check(target, u"écrire"_s)) {
            result.failure = refusal;
            break;
        }
        int error = 0;
        const std::optional<QString> failure = moveNoReplaceAt(item, trashFd, raw, &error);
        if (!failure) {
            result.trashedPath = target;
            // What arrived, so that putting it back later can tell it from another item given the same name.
            struct stat arrived {
            };
            result.trashedIdentity = ::fstatat(trashFd, raw.constData(), &arrived, AT_SYMLINK_NOFOLLOW) == 0
                                         ? identityOf(arrived)
                                         : identityOf(item.status());
            break;
        }
        if (error != EEXIST) {
            result.failure = failure;
            break;
        }
        // Taken between the look and the move: try the next name.
    }
    ::close(trashFd);
    if (!result.trashedPath && !result.failure)
        result.failure = errorText(EEXIST);
    return result;
}

std::optional<QString> removeItem(const QString& path)
{
    const QString item = absolutePath(path);
    if (item == u"/")
        return errorText(EBUSY);
    if (auto refusal = TestGuard::check(item, u"supprimer"_s))
        return refusal;
    Reach reached = SafeReach().reach(path);
    if (reached.outcome != Reach::Outcome::Reached)
        return reached.failureText();
    return removeItem(reached.item);
}

std::optional<QString> removeItem(const ReachedItem& item)
{
    for (const QString& place : {item.path(), item.actualPath()}) {
        if (auto refusal = TestGuard::check(place, u"supprimer"_s))
            return refusal;
    }
    const int error = removeAt(item.parentFd(), item.name().constData());
    return error == 0 ? std::nullopt : std::optional<QString>(errorText(error));
}

std::optional<QString> removeEmptyFolder(const QString& path)
{
    const QString folder = absolutePath(path);
    if (folder == u"/")
        return errorText(EBUSY);
    if (auto refusal = TestGuard::check(folder, u"supprimer"_s))
        return refusal;
    // rmdir itself refuses a folder with entries, so nothing that appeared since a listing can be lost.
    if (::rmdir(encoded(folder).constData()) != 0)
        return errorText(errno);
    return std::nullopt;
}

std::optional<QString> createFolder(const QString& path, unsigned permissions)
{
    const QString folder = absolutePath(path);
    struct stat st {
    };
    if (::stat(encoded(folder).constData(), &st) == 0)
        return S_ISDIR(st.st_mode) ? std::nullopt : std::optional<QString>(errorText(ENOTDIR));
    if (auto refusal = TestGuard::check(folder, u"créer le dossier"_s))
        return refusal;
    if (folder != u"/") {
        if (auto failure = createFolder(parentOf(folder), 0755))
            return failure;
    }
    if (::mkdir(encoded(folder).constData(), permissions) != 0 && errno != EEXIST)
        return errorText(errno);
    return std::nullopt;
}

std::optional<QString> writeFileAtomically(const QString& path, const QByteArray& data, unsigned permissions)
{
    return writeFileAtomically(
        path, [&data](const ByteSink& sink) { return sink(data); }, permissions);
}

std::optional<QString>
writeFileAtomically(const QString& path, const std::function<bool(const ByteSink& sink)>& produce, unsigned permissions)
{
    const QString file = absolutePath(path);
    if (auto refusal = TestGuard::check(file, u"écrire"_s))
        return refusal;
    QByteArray temporary = encoded(file) + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0)
        return errorText(errno);
    const auto fail = [&](int error) {
        ::close(fd);
        ::unlink(temporary.constData());
        return std::optional<QString>(errorText(error));
    };
    int writeError = 0;
    off_t total = 0;
    off_t flushed = 0;
    const ByteSink sink = [fd, &writeError, &total, &flushed](QByteArrayView bytes) {
        qsizetype written = 0;
        while (writeError == 0 && written < bytes.size()) {
            const ssize_t n = ::write(fd, bytes.data() + written, size_t(bytes.size() - written));
            if (n > 0)
                written += n;
            else if (n == 0)
                writeError = EIO; // no progress: never spin
            else if (errno != EINTR)
                writeError = errno;
        }
        total += written;
        // Start the disk on what is written while the rest is produced, so that the final sync waits less.
        constexpr off_t kFlushStep = 8 << 20;
        if (total - flushed >= kFlushStep) {
            ::sync_file_range(fd, flushed, total - flushed, SYNC_FILE_RANGE_WRITE);
            flushed = total;
        }
        return writeError == 0;
    };
    const bool produced = produce(sink);
    if (writeError != 0)
        return fail(writeError);
    if (!produced) {
        ::close(fd);
        ::unlink(temporary.constData());
        return u"Le contenu à écrire n'a pas pu être préparé : le fichier est resté tel quel."_s;
    }
    if (::fchmod(fd, permissions) != 0 || ::fsync(fd) != 0)
        return fail(errno);
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(temporary.constData());
        return errorText(error);
    }
    if (::rename(temporary.constData(), encoded(file).constData()) != 0) {
        const int error = errno;
        ::unlink(temporary.constData());
        return errorText(error);
    }
    return std::nullopt;
}

} // namespace Platform
