#pragma once

#include "Sandbox.h"
#include "TempTree.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QString>

#include <optional>

#include <sys/time.h>

#include <gtest/gtest.h>

// Simulators as the xcrun stand-in (scripts/standins/xcrun) knows them: one fixture folder per device and per
// runtime under the sandbox's system root, and the real folders they describe.
namespace SimulatorFixtures {

using TestSupport::writeFile;

inline QString store()
{
    return TestSupport::systemRoot() + QStringLiteral("/Library/Developer/CoreSimulator/StandIn");
}

inline void setModified(const QString& path, const QDateTime& when)
{
    const timeval times[2] = {{time_t(when.toSecsSinceEpoch()), 0}, {time_t(when.toSecsSinceEpoch()), 0}};
    ASSERT_EQ(::utimes(QFile::encodeName(path).constData(), times), 0) << path.toStdString();
}

inline QDateTime daysAgo(int days)
{
    return QDateTime::currentDateTimeUtc().addSecs(-qint64(days) * 86400);
}

// Installs the stand-ins and forgets every simulator an earlier test left.
inline void reset()
{
    TestSupport::installStandIns();
    ASSERT_TRUE(QDir(store()).removeRecursively());
    ASSERT_TRUE(QDir(TestSupport::home() + QStringLiteral("/Library/Developer")).removeRecursively());
    ASSERT_TRUE(QDir().mkpath(store() + QStringLiteral("/devices")));
    ASSERT_TRUE(QDir().mkpath(store() + QStringLiteral("/runtimes")));
}

inline QString runtimeIdentifier(const QString& version)
{
    return QStringLiteral("com.apple.CoreSimulator.SimRuntime.iOS-") + QString(version).replace(u'.', u'-');
}

// An iOS runtime image of `bytes`, under the listing key `key`.
inline void addRuntime(const QString& key, const QString& version, const QString& build, bool deletable, qint64 bytes,
                       std::optional<int> usedDaysAgo)
{
    const QString fixture = store() + QStringLiteral("/runtimes/") + key;
    const QString image =
        TestSupport::systemRoot() + QStringLiteral("/Library/Developer/CoreSimulator/Volumes/iOS_") + build;
    writeFile(image + QStringLiteral("/RuntimeRoot.img"), QByteArray(bytes, 'r'));
    writeFile(fixture + QStringLiteral("/runtimeIdentifier"), runtimeIdentifier(version).toUtf8());
    writeFile(fixture + QStringLiteral("/platformIdentifier"), "com.apple.platform.iphonesimulator");
    writeFile(fixture + QStringLiteral("/version"), version.toUtf8());
    writeFile(fixture + QStringLiteral("/build"), build.toUtf8());
    writeFile(fixture + QStringLiteral("/deletable"), deletable ? "true" : "false");
    writeFile(fixture + QStringLiteral("/image"), image.toUtf8());
    if (usedDaysAgo) {
        writeFile(fixture + QStringLiteral("/last-used"), {});
        setModified(fixture + QStringLiteral("/last-used"), daysAgo(*usedDaysAgo));
    }
}

// A device identifier of the tool's shape (8-4-4-4-12 hexadecimal digits) that reads as `label`: its
// UTF-8 bytes in hexadecimal, padded with zeros, so that identifiers sort as their labels do.
inline QString udid(const QString& label)
{
    const QString hex = QString::fromLatin1(label.toUtf8().toHex().toUpper()).leftJustified(32, u'0', true);
    return hex.left(8) + u'-' + hex.mid(8, 4) + u'-' + hex.mid(12, 4) + u'-' + hex.mid(16, 4) + u'-' + hex.mid(20);
}

// The data folder of a device.
inline QString deviceFolder(const QString& udid)
{
    return TestSupport::home() + QStringLiteral("/Library/Developer/CoreSimulator/Devices/") + udid;
}

inline void addDevice(const QString& udid, const QString& name, const QString& runtimeVersion, const QString& state,
                      qint64 bytes, std::optional<int> usedDaysAgo)
{
    const QString fixture = store() + QStringLiteral("/devices/") + udid;
    writeFile(deviceFolder(udid) + QStringLiteral("/data/app.db"), QByteArray(bytes, 'd'));
    writeFile(fixture + QStringLiteral("/name"), name.toUtf8());
    writeFile(fixture + QStringLiteral("/runtime"), runtimeIdentifier(runtimeVersion).toUtf8());
    writeFile(fixture + QStringLiteral("/state"), state.toUtf8());
    writeFile(fixture + QStringLiteral("/folder"), deviceFolder(udid).toUtf8());
    if (usedDaysAgo) {
        writeFile(fixture + QStringLiteral("/last-used"), {});
        setModified(fixture + QStringLiteral("/last-used"), daysAgo(*usedDaysAgo));
    }
}

inline bool deviceKnown(const QString& udid)
{
    return QFileInfo::exists(store() + QStringLiteral("/devices/") + udid);
}

inline bool runtimeKnown(const QString& key)
{
    return QFileInfo::exists(store() + QStringLiteral("/runtimes/") + key);
}

// An archive bundle in a date folder of ~/Library/Developer/Xcode/Archives.
inline QString addArchive(const QString& dateFolder, const QString& name, qint64 bytes, int daysOld)
{
    const QString bundle = TestSupport::home() + QStringLiteral("/Library/Developer/Xcode/Archives/") + dateFolder +
                           u'/' + name + QStringLiteral(".xcarchive");
    writeFile(bundle + QStringLiteral("/Info.plist"), QByteArray(bytes, 'a'));
    setModified(bundle, daysAgo(daysOld));
    return bundle;
}

} // namespace SimulatorFixtures
