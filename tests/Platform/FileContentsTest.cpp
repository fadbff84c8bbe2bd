#include "Platform/FileContents.h"

#include "TempTree.h"

#include <sys/stat.h>

#include <QFile>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(FileContents, readsOnlyARegularFileWithinTheLimit)
{
    const TempTree tree(u"small 100\nempty\nlink -> small\nfolder/\n"_s);
    ASSERT_EQ(::mkfifo(QFile::encodeName(tree.path(u"fifo"_s)).constData(), 0644), 0);

    EXPECT_EQ(Platform::readRegularFile(tree.path(u"small"_s), 100), QByteArray(100, 'x'));
    EXPECT_EQ(Platform::readRegularFile(tree.path(u"empty"_s), 0), QByteArray());
    EXPECT_EQ(Platform::readRegularFile(tree.path(u"small"_s), 99), std::nullopt);
    // Never followed, never waited on.
    for (const QString& name : {u"link"_s, u"folder"_s, u"fifo"_s, u"missing"_s})
        EXPECT_EQ(Platform::readRegularFile(tree.path(name), 1000), std::nullopt) << name.toStdString();
}
