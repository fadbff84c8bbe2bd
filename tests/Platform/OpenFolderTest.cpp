#include "Platform/OpenFolder.h"
#include "Platform/FileContents.h"
#include "Platform/FileReading.h"
#include "Platform/FileSystem.h"
#include "Platform/FolderSize.h"
#include "Platform/PropertyList.h"

#include "TempTree.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

// A folder is counted before it is read, so that its list is made once: in one step of reading, or, for a folder
// larger than a step, counted to its end and read again from its start. Each name comes once either way, and the
// lean listing built on it keeps every name.
TEST(OpenFolder, aFolderIsCountedBeforeItsNamesAtEverySize)
{
    for (const int count : {0, 3, 2000}) {
        SCOPED_TRACE(count);
        const TempTree tree;
        QStringList expected;
        for (int i = 0; i < count; ++i) {
            // Long names, so that 2,000 of them take several steps of reading.
            const QString name = u"%1-"_s.arg(i, 4, 10, QChar(u'0')) + QString(120, u'n');
            QFile file(tree.path(name));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            expected << name;
        }
        const int fd = Platform::openFolderForReading(AT_FDCWD, QFile::encodeName(tree.path(u""_s)).constData());
        ASSERT_GE(fd, 0);
        std::vector<std::size_t> told;
        QStringList names;
        const int error = Platform::readFolderNames(
            fd, [&told](std::size_t counted) { told.push_back(counted); },
            [&names](const char* name, unsigned char) { return names << QFile::decodeName(name), true; });
        ::close(fd);
        EXPECT_EQ(error, 0);
        EXPECT_EQ(told, std::vector<std::size_t>{std::size_t(count)});
        names.sort();
        EXPECT_EQ(names, expected);

        QStringList lean;
        for (const Platform::LeanEntry& entry : Platform::listFolderLean(tree.path(u""_s))) {
            EXPECT_EQ(entry.kind, Platform::EntryKind::Regular);
            EXPECT_EQ(entry.linkCount, 1u);
            lean << QFile::decodeName(entry.name.c_str());
        }
        EXPECT_EQ(lean, expected);
    }
}
