#include "Platform/CodeSigning.h"

#include "MacFixtures.h"
#include "Platform/Sha256.h"
#include "TempTree.h"

#include <sys/stat.h>

#include <QFile>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using Platform::CodeSigning::Status;

namespace {

QByteArray signedRecord(const QString& authority, const QString& file)
{
    return Platform::CodeSigning::record(authority, TestSupport::contentOf(file));
}

} // namespace

TEST(CodeSigning, readsTheRecordThatSignsTheProgramContent)
{
    const TempTree tree(u"prog 5000\nlink -> prog\nfolder/\nempty\n"_s);
    const QString prog = tree.path(u"prog"_s);
    const QString name = Platform::CodeSigning::attributeName();
    EXPECT_EQ(name, u"user.quorvane.codesign"_s);
    EXPECT_EQ(Platform::CodeSigning::status(prog), Status::unsignedCode);
    EXPECT_EQ(Platform::CodeSigning::status(tree.path(u"missing"_s)), Status::unreadable);
    EXPECT_EQ(Platform::CodeSigning::status(tree.path(u"folder"_s)), Status::unreadable);

    const QByteArray digest = Platform::Sha256::hex(TestSupport::contentOf(prog)).toLatin1();
    const struct {
        QByteArray record;
        Status expected;
    } cases[] = {
        {"apple " + digest, Status::appleSigned},
        {"notarized " + digest, Status::notarized},
        {"developerID " + digest, Status::developerID},
        {"adhoc " + digest, Status::noAuthority},
        {"developerid " + digest, Status::invalid}, // authorities are exact
        {"apple  " + digest, Status::invalid},
        {"apple " + digest.toUpper(), Status::invalid},
        {"apple " + digest.left(63), Status::invalid},
        {"apple " + digest + "\n", Status::invalid},
        {"apple", Status::invalid},
        {"", Status::invalid},
        {"apple " + QByteArray(64, '0'), Status::invalid}, // signs some other content
        {QByteArray(300, 'a'), Status::invalid},
    };
    for (const auto& c : cases) {
        QP_SET_ATTRIBUTE_OR_SKIP(TestSupport::setExtendedAttribute(prog, name, c.record));
        EXPECT_EQ(Platform::CodeSigning::status(prog), c.expected) << c.record.toStdString();
    }

    // The program the system would run: a link is followed to the signed file.
    QP_SET_ATTRIBUTE_OR_SKIP(TestSupport::setExtendedAttribute(prog, name, signedRecord(u"apple"_s, prog)));
    EXPECT_EQ(Platform::CodeSigning::status(tree.path(u"link"_s)), Status::appleSigned);
    const QString empty = tree.path(u"empty"_s);
    QP_SET_ATTRIBUTE_OR_SKIP(TestSupport::setExtendedAttribute(empty, name, signedRecord(u"notarized"_s, empty)));
    EXPECT_EQ(Platform::CodeSigning::status(empty), Status::notarized);

    // Changed after signing.
    QFile file(prog);
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write("patched");
    file.close();
    EXPECT_EQ(Platform::CodeSigning::status(prog), Status::invalid);
}

TEST(CodeSigning, aFifoInTheProgramPlaceIsUnreadableAtOnce)
{
    const TempTree tree;
    const QString fifo = tree.path(u"fifo"_s);
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
    EXPECT_EQ(Platform::CodeSigning::status(fifo), Status::unreadable);
}
