#include "Platform/FileSystem.h"
#include "Platform/FolderSize.h"

#include "TempTree.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <QFile>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

void setAccessDate(const QString& path, time_t seconds)
{
    const struct timespec times[2] = {{seconds, 0}, {0, UTIME_OMIT}};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, AT_SYMLINK_NOFOLLOW), 0);
}

} // namespace

// Reading a folder moves its access date on this system, unless the folder is opened not to: the walks would
// otherwise make every application read as just used.
TEST(OpenFolder, listingWalkingAndMeasuringLeaveAccessDatesAlone)
{
    const TempTree tree(u"Editor.app/Contents/MacOS/editor 4096\nEditor.app/Contents/Resources/a 4096\n"_s);
    const QString bundle = tree.path(u"Editor.app"_s);
    const QString folders[] = {bundle, bundle + u"/Contents"_s, bundle + u"/Contents/Resources"_s};
    const time_t longAgo = 1000000000; // 2001, older than every modification: the system would move it
    for (const QString& folder : folders)
        setAccessDate(folder, longAgo);

    Platform::listFolder(bundle);
    Platform::walkTree(bundle, [](const Platform::FileInfo&, int) { return Platform::WalkStep::Continue; });
    EXPECT_EQ(Platform::treeAllocatedBytes(bundle), 2 * 4096);

    for (const QString& folder : folders)
        EXPECT_EQ(Platform::fileInfo(folder)->accessed.toSecsSinceEpoch(), longAgo) << folder.toStdString();
}
