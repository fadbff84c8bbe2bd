#include "Platform/FileContents.h"
#include "Platform/FileReading.h"
#include "Platform/FileSystem.h"
#include "Platform/FolderSize.h"
#include "Platform/PropertyList.h"

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

// The files the program reads keep their access dates too, and the side-by-side walk and the measure of a single
// entry leave the folders' alone.
TEST(OpenFolder, readingFilesAndWalkingSideBySideLeaveAccessDatesAlone)
{
    const TempTree tree(u"Editor.app/Contents/Info.plist 64\nEditor.app/Contents/Resources/a 4096\n"_s);
    const QString bundle = tree.path(u"Editor.app"_s);
    const QString info = bundle + u"/Contents/Info.plist"_s;
    const QString resource = bundle + u"/Contents/Resources/a"_s;
    const QString entries[] = {bundle, bundle + u"/Contents"_s, bundle + u"/Contents/Resources"_s, info, resource};
    const time_t longAgo = 1000000000;
    for (const QString& entry : entries)
        setAccessDate(entry, longAgo);

    EXPECT_TRUE(Platform::readRegularFile(info, 1024).has_value());
    Platform::PropertyList::readFile(info);
    const Platform::FileInfo described = *Platform::fileInfo(resource);
    std::optional<Platform::CheckedReader> reader =
        Platform::CheckedReader::open(resource, described.device, described.inode, described.logicalSize);
    ASSERT_TRUE(reader.has_value());
    char buffer[4096];
    EXPECT_EQ(reader->next(buffer, sizeof buffer), 4096);
    reader.reset();
    Platform::walkTreeSideBySide(bundle, [](const Platform::WalkedFolder& folder, std::vector<char>& enter) {
        for (std::size_t i = 0; i < folder.entries.size(); ++i)
            enter[i] = 1;
    });
    EXPECT_GT(Platform::entryAllocatedBytes(bundle), 0);

    for (const QString& entry : entries)
        EXPECT_EQ(Platform::fileInfo(entry)->accessed.toSecsSinceEpoch(), longAgo) << entry.toStdString();
}
