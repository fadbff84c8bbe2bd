#include "Core/CleaningSession.h"

#include "Core/FileUtils.h"
#include "Platform/FileSystem.h"

#include <algorithm>

namespace {

size_t hashOptional(const std::optional<QString>& text, size_t seed)
{
    return text ? qHashMulti(seed, true, *text) : qHashMulti(seed, false);
}

} // namespace

bool RemovedFile::isStillInTrash() const
{
    if (!trashPath)
        return false;
    const std::optional<Platform::FileInfo> there = Platform::fileInfo(*trashPath);
    return there && (!trashIdentity || Platform::identityOf(*there) == *trashIdentity);
}

bool RemovedFile::canRestore() const
{
    return !restored && isStillInTrash() && !Platform::fileInfo(originalPath);
}

int CleaningSession::restorableFiles() const
{
    return int(std::count_if(files.cbegin(), files.cend(), [](const RemovedFile& file) { return file.canRestore(); }));
}

int CleaningSession::unrestoredFiles() const
{
    return int(std::count_if(files.cbegin(), files.cend(), [](const RemovedFile& file) { return !file.restored; }));
}

qint64 CleaningSession::keptBytes() const
{
    qint64 restoredBytes = 0;
    int restored = 0;
    for (const RemovedFile& file : files) {
        if (file.restored) {
            ++restored;
            restoredBytes = FileUtils::addBytes(restoredBytes, std::max<qint64>(file.bytes, 0));
        }
    }
    if (restored == 0)
        return freedBytes;
    if (restored == files.size() || freedBytes <= restoredBytes)
        return 0;
    return freedBytes - restoredBytes;
}

size_t qHash(const RemovedFile& file, size_t seed) noexcept
{
    seed = qHashMulti(hashOptional(file.trashPath, seed), file.id, file.originalPath, file.bytes, file.restored);
    if (const std::optional<Platform::ItemIdentity>& identity = file.trashIdentity)
        seed = qHashMulti(seed, identity->device, identity->inode, int(identity->kind));
    return seed;
}

size_t qHash(const CleaningSession& session, size_t seed) noexcept
{
    seed = qHashMulti(hashOptional(session.snapshotStamp, seed), session.id, session.date, session.moduleID,
                      session.moduleTitle, session.freedBytes, session.failureCount);
    return qHashRange(session.files.cbegin(), session.files.cend(), seed);
}
