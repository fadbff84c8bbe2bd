#include "Platform/UserDefaults.h"

#include "Platform/FileOperations.h"
#include "Platform/FileSystem.h"
#include "Platform/PropertyList.h"
#include "Platform/SystemRoot.h"
#include "TempTree.h"

#include <thread>
#include <vector>

#include <QDateTime>
#include <QFile>
#include <QSize>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using Platform::UserDefaults;

namespace {

QVariantMap fileContents(const QString& path)
{
    return Platform::PropertyList::readFile(path).value_or(QVariant()).toMap();
}

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

TEST(UserDefaults, valuesKeepTheirTypesInTheDomainFile)
{
    const QDateTime when(QDate(2025, 3, 14), QTime(9, 26, 53), Qt::UTC);
    const QVariantMap values{
        {u"flag"_s, false},
        {u"ratio"_s, 0.85},
        {u"count"_s, qint64(12)},
        {u"name"_s, u"Préférences « été »"_s},
        {u"when"_s, when},
        {u"blob"_s, QByteArray("\x00\xff", 2)},
        {u"list"_s, QStringList{u"/Users/al/Downloads"_s}},
        {u"nested"_s, QVariantMap{{u"k"_s, true}}},
    };
    const QString domain = u"com.example.types"_s;
    const QString file = Platform::homeFolder() + u"/Library/Preferences/com.example.types.plist"_s;
    {
        const std::shared_ptr<UserDefaults> store = UserDefaults::forDomain(domain);
        EXPECT_EQ(store->filePath(), file);
        for (auto it = values.cbegin(); it != values.cend(); ++it)
            EXPECT_FALSE(store->setValue(it.key(), it.value()).has_value()) << it.key().toStdString();
        // Read back as a fresh read would give it.
        EXPECT_EQ(store->value(u"list"_s)->typeId(), QMetaType::QVariantList);
    }
    // Nobody holds the store any more: it is read again from its file.
    const std::shared_ptr<UserDefaults> reopened = UserDefaults::forDomain(domain);
    EXPECT_EQ(reopened->value(u"flag"_s)->typeId(), QMetaType::Bool);
    EXPECT_EQ(reopened->value(u"ratio"_s)->typeId(), QMetaType::Double);
    EXPECT_EQ(reopened->value(u"count"_s)->typeId(), QMetaType::LongLong);
    EXPECT_EQ(reopened->value(u"when"_s)->toDateTime(), when);
    EXPECT_EQ(reopened->string(u"name"_s), u"Préférences « été »"_s);
    EXPECT_EQ(reopened->value(u"blob"_s)->toByteArray(), QByteArray("\x00\xff", 2));
    EXPECT_EQ(reopened->value(u"list"_s)->toStringList(), QStringList{u"/Users/al/Downloads"_s});
    EXPECT_TRUE(reopened->value(u"nested"_s)->toMap().value(u"k"_s).toBool());
    EXPECT_EQ(reopened->dictionary().size(), values.size());
    EXPECT_TRUE(bytesOf(file).startsWith("bplist00"));

    EXPECT_FALSE(reopened->removeValue(u"flag"_s).has_value());
    EXPECT_FALSE(reopened->value(u"flag"_s).has_value());
    EXPECT_FALSE(fileContents(file).contains(u"flag"_s));
}

TEST(UserDefaults, everyUserOfAFileSharesOneStoreSoNoWriteLosesAnotherKey)
{
    const TempTree tree;
    const QString file = tree.path(u"shared.plist"_s);
    const std::shared_ptr<UserDefaults> first = UserDefaults::atPath(file);
    const std::shared_ptr<UserDefaults> second = UserDefaults::atPath(tree.root() + u"/./shared.plist"_s);
    EXPECT_EQ(first, second);

    constexpr int kThreads = 8;
    constexpr int kKeys = 25;
    std::vector<std::thread> writers;
    for (int t = 0; t < kThreads; ++t) {
        writers.emplace_back([&, t] {
            for (int k = 0; k < kKeys; ++k)
                (t % 2 ? first : second)->setValue(u"key-%1-%2"_s.arg(t).arg(k), qint64(k));
        });
    }
    for (std::thread& writer : writers)
        writer.join();
    EXPECT_EQ(fileContents(file).size(), kThreads * kKeys);
    EXPECT_EQ(Platform::listFolder(tree.root()).size(), 1u); // no temporary file left behind
}

TEST(UserDefaults, anUnreadableFileReadsEmptyAndIsKeptAsideBeforeItIsReplaced)
{
    const QByteArray binary = *Platform::PropertyList::serialize(QVariantMap{{u"a"_s, true}, {u"b"_s, u"x"_s}});
    const QByteArray cases[] = {
        binary.left(binary.size() / 2),                                 // truncated
        QByteArray("\x89PNG\r\n\x1a\n\x00\x01 garbage", 18),            // binary garbage
        *Platform::PropertyList::serialize(QVariantList{u"a"_s}),       // not a dictionary
        QByteArray(),                                                   // empty
        QByteArray("<?xml version=\"1.0\"?><plist><dict><key>a</key>"), // cut-off XML
    };
    for (const QByteArray& bytes : cases) {
        const TempTree tree;
        const QString file = tree.path(u"broken.plist"_s);
        ASSERT_FALSE(Platform::writeFileAtomically(file, bytes).has_value());

        const std::shared_ptr<UserDefaults> store = UserDefaults::atPath(file);
        EXPECT_TRUE(store->dictionary().isEmpty());
        EXPECT_FALSE(store->value(u"a"_s).has_value());
        EXPECT_FALSE(store->setValue(u"fresh"_s, true).has_value());

        EXPECT_EQ(fileContents(file), (QVariantMap{{u"fresh"_s, true}}));
        const std::vector<Platform::FileInfo> entries = Platform::listFolder(tree.root());
        ASSERT_EQ(entries.size(), 2u);
        EXPECT_TRUE(entries[1].name.startsWith(u"broken.plist.unreadable-"_s)) << entries[1].name.toStdString();
        EXPECT_EQ(bytesOf(entries[1].path), bytes);
    }
}

TEST(UserDefaults, aValueOfAnotherTypeIsNoTextAndUncarriableValuesAreRefused)
{
    const TempTree tree;
    const std::shared_ptr<UserDefaults> store = UserDefaults::atPath(tree.path(u"types.plist"_s));
    store->setValue(u"name"_s, QVariantList{u"not"_s, u"text"_s});
    store->setValue(u"other"_s, u"kept"_s);
    EXPECT_FALSE(store->string(u"name"_s).has_value());
    EXPECT_TRUE(store->value(u"name"_s).has_value());

    EXPECT_TRUE(store->setValue(u"size"_s, QVariant::fromValue(QSize(1, 2))).has_value());
    EXPECT_FALSE(store->value(u"size"_s).has_value());
    EXPECT_EQ(store->string(u"other"_s), u"kept"_s);
    EXPECT_EQ(fileContents(store->filePath()).size(), 2);
}

TEST(UserDefaults, aDateBeyond2038IsKeptExactlyWhileOtherKeysAreWritten)
{
    const TempTree tree;
    const QString file = tree.path(u"dates.plist"_s);
    const QDateTime late(QDate(2070, 6, 1), QTime(12, 0, 0), Qt::UTC);
    const QDateTime early(QDate(1850, 1, 2), QTime(3, 4, 5), Qt::UTC);
    ASSERT_FALSE(Platform::writeFileAtomically(
                     file, *Platform::PropertyList::serialize(QVariantMap{{u"late"_s, late}, {u"early"_s, early}}))
                     .has_value());
    {
        const std::shared_ptr<UserDefaults> store = UserDefaults::atPath(file);
        EXPECT_EQ(store->value(u"late"_s)->toDateTime(), late);
        EXPECT_FALSE(store->setValue(u"other"_s, true).has_value());
    }
    EXPECT_EQ(fileContents(file), (QVariantMap{{u"late"_s, late}, {u"early"_s, early}, {u"other"_s, true}}));
}
