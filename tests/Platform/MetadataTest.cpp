#include "Platform/Metadata.h"
#include "Platform/ExtendedAttributes.h"

#include "MacFixtures.h"
#include "TempTree.h"

#include <cerrno>

#include <unistd.h>

#include <QDateTime>
#include <QFile>
#include <QVariantList>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(ExtendedAttributes, readsTheEntryItselfAndTellsWhyNothingCame)
{
    const TempTree tree(u"file 10\nlink -> file\n"_s);
    QP_SET_ATTRIBUTE_OR_SKIP(
        TestSupport::setExtendedAttribute(tree.path(u"file"_s), u"user.test"_s, QByteArray("a\0b", 3)));
    EXPECT_EQ(Platform::extendedAttribute(tree.path(u"file"_s), u"user.test"_s), QByteArray("a\0b", 3));

    int error = 0;
    EXPECT_EQ(Platform::extendedAttribute(tree.path(u"file"_s), u"user.other"_s, &error), std::nullopt);
    EXPECT_EQ(error, ENODATA);
    EXPECT_EQ(Platform::extendedAttribute(tree.path(u"link"_s), u"user.test"_s, &error), std::nullopt);
    EXPECT_EQ(Platform::extendedAttribute(tree.path(u"missing"_s), u"user.test"_s, &error), std::nullopt);
    EXPECT_EQ(error, ENOENT);

    QP_SET_ATTRIBUTE_OR_SKIP(TestSupport::setExtendedAttribute(tree.path(u"file"_s), u"user.empty"_s, {}));
    EXPECT_EQ(Platform::extendedAttribute(tree.path(u"file"_s), u"user.empty"_s), QByteArray());
}

TEST(Metadata, downloadSourcesComeFromTheMacAttributeElseTheFreedesktopOrigin)
{
    const TempTree tree(u"both 1\nxdg 1\nmac 1\ngarbage 1\nnone 1\n"_s);
    const QVariantList mac{u"https://www.ondine.io/Ondine.dmg"_s, u"https://www.ondine.io/"_s};
    const QByteArray origin = "https://partage.example.fr/photos.zip";
    QP_SET_ATTRIBUTE_OR_SKIP(TestSupport::setMetadataAttribute(tree.path(u"both"_s), u"kMDItemWhereFroms"_s, mac));
    QP_SET_ATTRIBUTE_OR_SKIP(TestSupport::setExtendedAttribute(tree.path(u"both"_s), u"user.xdg.origin.url"_s, origin));
    QP_SET_ATTRIBUTE_OR_SKIP(
        TestSupport::setExtendedAttribute(tree.path(u"xdg"_s), u"user.xdg.origin.url"_s, origin + '\0'));
    QP_SET_ATTRIBUTE_OR_SKIP(TestSupport::setMetadataAttribute(tree.path(u"mac"_s), u"kMDItemWhereFroms"_s, mac));
    QP_SET_ATTRIBUTE_OR_SKIP(TestSupport::setExtendedAttribute(
        tree.path(u"garbage"_s), u"user.com.apple.metadata:kMDItemWhereFroms"_s, "not a plist"));
    QP_SET_ATTRIBUTE_OR_SKIP(
        TestSupport::setExtendedAttribute(tree.path(u"garbage"_s), u"user.xdg.origin.url"_s, origin));

    using Platform::Metadata::value;
    using Platform::Metadata::whereFroms;
    const QVariant fromXdg(QVariantList{QString::fromUtf8(origin)});
    EXPECT_EQ(value(tree.path(u"both"_s), whereFroms), QVariant(mac));
    EXPECT_EQ(value(tree.path(u"mac"_s), whereFroms), QVariant(mac));
    EXPECT_EQ(value(tree.path(u"xdg"_s), whereFroms), fromXdg);
    EXPECT_EQ(value(tree.path(u"garbage"_s), whereFroms), fromXdg);
    EXPECT_EQ(value(tree.path(u"none"_s), whereFroms), std::nullopt);
    EXPECT_EQ(value(tree.path(u"missing"_s), whereFroms), std::nullopt);
}

TEST(Metadata, lastUseIsRecordedOnlyByTheMacAttribute)
{
    const TempTree tree(u"opened 1\nxdg 1\n"_s);
    const QDateTime date = QDateTime::fromSecsSinceEpoch(1710410000, Qt::UTC);
    QP_SET_ATTRIBUTE_OR_SKIP(TestSupport::setMetadataAttribute(tree.path(u"opened"_s), u"kMDItemLastUsedDate"_s, date));
    QP_SET_ATTRIBUTE_OR_SKIP(
        TestSupport::setExtendedAttribute(tree.path(u"xdg"_s), u"user.xdg.origin.url"_s, "https://a.fr/"));

    using Platform::Metadata::lastUsedDate;
    EXPECT_EQ(Platform::Metadata::value(tree.path(u"opened"_s), lastUsedDate), QVariant(date));
    EXPECT_EQ(Platform::Metadata::value(tree.path(u"xdg"_s), lastUsedDate), std::nullopt);
}
