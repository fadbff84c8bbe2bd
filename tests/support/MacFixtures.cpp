#include "MacFixtures.h"

#include "Platform/FileOperations.h"
#include "WaitFor.h"

#include <sys/xattr.h>

#include <QFile>
#include <QProcess>
#include <QVariantMap>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace TestSupport {

void layOutDemoMac(const QString& folder)
{
    QProcess script;
    script.start(u"bash"_s, {QStringLiteral(QP_SOURCE_DIR "/scripts/make-demo-mac.sh"), folder});
    ASSERT_TRUE(script.waitForFinished(TestSupport::waitBound));
    ASSERT_EQ(script.exitCode(), 0) << script.readAllStandardError().toStdString();
}

void writeAppBundle(const QString& bundle, const QString& identifier, Platform::PropertyList::Format format)
{
    QVariantMap info{{u"CFBundlePackageType"_s, u"APPL"_s}};
    if (!identifier.isNull())
        info.insert(u"CFBundleIdentifier"_s, identifier);
    const auto bytes = Platform::PropertyList::serialize(info, format);
    ASSERT_TRUE(bytes.has_value());
    ASSERT_EQ(Platform::createFolder(bundle + u"/Contents/MacOS"_s), std::nullopt);
    ASSERT_EQ(Platform::writeFileAtomically(bundle + u"/Contents/Info.plist"_s, *bytes), std::nullopt);
}

int setExtendedAttribute(const QString& path, const QString& name, const QByteArray& value)
{
    const QByteArray file = QFile::encodeName(path);
    if (::lsetxattr(file.constData(), name.toUtf8().constData(), value.constData(), size_t(value.size()), 0) != 0)
        return errno;
    return 0;
}

int setMetadataAttribute(const QString& path, const QString& attribute, const QVariant& value)
{
    const auto bytes = Platform::PropertyList::serialize(value, Platform::PropertyList::Format::Binary);
    if (!bytes)
        return EINVAL;
    return setExtendedAttribute(path, u"user.com.apple.metadata:"_s + attribute, *bytes);
}

} // namespace TestSupport
