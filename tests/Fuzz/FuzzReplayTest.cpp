// Every input kept in tests/fixtures/fuzz (seeds, and the inputs that once made a fuzz target fail) through
// the same checks as the fuzz programs, so that a fault found once stays mended.
#include "Targets.h"

#include "TempTree.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

void replay(const QString& target, const std::function<QString(QByteArrayView)>& check)
{
    const QDir folder(QString::fromUtf8(QP_SOURCE_DIR "/tests/fixtures/fuzz/") + target);
    const QStringList names = folder.entryList(QDir::Files, QDir::Name);
    EXPECT_FALSE(names.isEmpty()) << target.toStdString();
    for (const QString& name : names) {
        QFile file(folder.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
        const QByteArray input = file.readAll();
        EXPECT_EQ(check(input), QString()) << target.toStdString() << "/" << name.toStdString();
    }
}

} // namespace

TEST(FuzzReplay, propertyList)
{
    replay(u"property_list"_s, FuzzTargets::propertyList);
}

TEST(FuzzReplay, userDefaults)
{
    const TempTree tree;
    replay(u"user_defaults"_s, [&tree](QByteArrayView input) { return FuzzTargets::userDefaults(input, tree.root()); });
}

TEST(FuzzReplay, journal)
{
    replay(u"journal"_s, FuzzTargets::journal);
}

TEST(FuzzReplay, procText)
{
    replay(u"proc_text"_s, FuzzTargets::procText);
}

TEST(FuzzReplay, browserFiles)
{
    const TempTree tree;
    replay(u"browser_files"_s, [&tree](QByteArrayView input) { return FuzzTargets::browserFiles(input, tree.root()); });
}

TEST(FuzzReplay, toolOutput)
{
    replay(u"tool_output"_s, FuzzTargets::toolOutput);
}
