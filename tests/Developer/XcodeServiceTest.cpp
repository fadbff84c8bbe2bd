#include "Developer/XcodeService.h"

#include "QtPrinters.h"
#include "SimulatorFixtures.h"

#include "Sandbox.h"
#include "TempTree.h"
#include "TestServices.h"

#include <QDir>
#include <QFile>

#include <sys/time.h>

#include <gtest/gtest.h>

using namespace XcodeService;

namespace {

QByteArray fixture(const char* name)
{
    QFile file(QStringLiteral(QP_SOURCE_DIR "/tests/fixtures/simctl/") + QLatin1String(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    return file.readAll();
}

const Device* findDevice(const QList<Device>& devices, const QString& id)
{
    for (const Device& device : devices)
        if (device.id == id)
            return &device;
    return nullptr;
}

} // namespace

TEST(XcodeListing, DevicesKeepWellFormedEntriesWithTheirDefaults)
{
    const DeviceListing listing = parseDevices(0, fixture("devices.json"));
    ASSERT_TRUE(listing.toolAnswered);
    // The number UDID and the tvOS list holding a non-object are dropped.
    ASSERT_EQ(listing.devices.size(), 3);
    EXPECT_EQ(listing.devices.first().id, QStringLiteral("CCCC-3")) << "largest first";

    const Device* full = findDevice(listing.devices, QStringLiteral("AAAA-1"));
    ASSERT_NE(full, nullptr);
    EXPECT_EQ(full->name, QStringLiteral("iPhone 15 \"Pro\"\nbis é"));
    EXPECT_EQ(full->runtimeName, QStringLiteral("iOS 17.2"));
    EXPECT_EQ(full->bytes, 1024);
    EXPECT_TRUE(full->isAvailable);
    ASSERT_TRUE(full->lastUsed.has_value());
    EXPECT_EQ(*full->lastUsed, QDateTime::fromString(QStringLiteral("2024-01-02T03:04:05Z"), Qt::ISODate));

    const Device* bare = findDevice(listing.devices, QStringLiteral("BBBB-2"));
    ASSERT_NE(bare, nullptr);
    EXPECT_EQ(bare->name, QStringLiteral("BBBB-2"));
    EXPECT_EQ(bare->state, QStringLiteral("Unknown"));
    EXPECT_EQ(bare->bytes, 0) << "fractional and negative sizes count as 0";
    EXPECT_FALSE(bare->isAvailable) << "a string is not a Boolean";
    EXPECT_FALSE(bare->lastUsed.has_value()) << "fractional seconds are refused";
    EXPECT_TRUE(bare->dataPath.isEmpty());

    const Device* huge = findDevice(listing.devices, QStringLiteral("CCCC-3"));
    ASSERT_NE(huge, nullptr);
    EXPECT_EQ(huge->bytes, 5000) << "a size beyond 64 bits reads as 0";
    EXPECT_EQ(huge->runtimeName, QStringLiteral("watchOS 10.0"));
}

TEST(XcodeListing, UnusableListingsMeanNoTools)
{
    const struct {
        const char* what;
        int status;
        QByteArray output;
    } cases[] = {
        {"non-zero exit", 1, fixture("devices.json")},
        {"not JSON", 0, "xcrun: error: unable to find utility \"simctl\""},
        {"truncated", 0, fixture("devices.json").left(200)},
        {"devices not an object", 0, R"({"devices": []})"},
        {"top level is a list", 0, "[]"},
    };
    for (const auto& c : cases) {
        const DeviceListing listing = parseDevices(c.status, c.output);
        EXPECT_FALSE(listing.toolAnswered) << c.what;
        EXPECT_TRUE(listing.devices.isEmpty()) << c.what;
    }
    EXPECT_TRUE(parseDevices(0, R"({"devices": {}})").toolAnswered) << "an empty device object still answers";
}

TEST(XcodeListing, RuntimesNamedByPlatformAndCounted)
{
    const QHash<QString, int> counts{{QStringLiteral("com.apple.CoreSimulator.SimRuntime.iOS-17-2"), 2}};
    const QList<Runtime> runtimes = parseRuntimes(0, fixture("runtimes.json"), counts);
    ASSERT_EQ(runtimes.size(), 3);
    EXPECT_EQ(runtimes[0].id, QStringLiteral("RT-XR"));
    EXPECT_EQ(runtimes[0].name, QStringLiteral("visionOS 1.0"));
    EXPECT_FALSE(runtimes[0].isDeletable);
    EXPECT_EQ(runtimes[0].deviceCount, 0);
    EXPECT_EQ(runtimes[1].id, QStringLiteral("RT-IOS"));
    EXPECT_EQ(runtimes[1].name, QStringLiteral("iOS 17.2"));
    EXPECT_EQ(runtimes[1].build, QStringLiteral("21C62"));
    EXPECT_EQ(runtimes[1].deviceCount, 2);
    EXPECT_TRUE(runtimes[1].isDeletable);
    EXPECT_TRUE(runtimes[1].lastUsed.has_value());
    EXPECT_EQ(runtimes[2].name, QStringLiteral("watchOS ?"));
    EXPECT_EQ(runtimes[2].bytes, 0);
    EXPECT_FALSE(runtimes[2].isDeletable);
    EXPECT_TRUE(parseRuntimes(0, "not json", {}).isEmpty());
    EXPECT_TRUE(parseRuntimes(3, fixture("runtimes.json"), {}).isEmpty());
}

TEST(XcodeListing, NameTables)
{
    const std::pair<const char*, const char*> runtimeNames[] = {
        {"com.apple.CoreSimulator.SimRuntime.iOS-17-2", "iOS 17.2"},
        {"com.apple.CoreSimulator.SimRuntime.watchOS-10-0", "watchOS 10.0"},
        {"com.apple.CoreSimulator.SimRuntime.xrOS-1-0", "xrOS 1.0"},
        {"a.b.iOS--17--2-", "iOS 17.2"},
        {"com.apple.Plain", "Plain"},
        {"...", "..."},
        {"", ""},
    };
    for (const auto& [key, name] : runtimeNames)
        EXPECT_EQ(readableRuntimeName(QString::fromUtf8(key)), QString::fromUtf8(name)) << key;

    const std::pair<const char*, const char*> platforms[] = {
        {"com.apple.platform.watchsimulator", "watchOS"},
        {"com.apple.platform.appletvsimulator", "tvOS"},
        {"com.apple.platform.xrsimulator", "visionOS"},
        {"com.apple.platform.iphonesimulator", "iOS"},
        {"", "iOS"},
        {"watch-tv", "watchOS"},
        {"TV", "iOS"},
    };
    for (const auto& [identifier, name] : platforms)
        EXPECT_EQ(platformName(QString::fromUtf8(identifier)), QString::fromUtf8(name)) << identifier;

    EXPECT_FALSE(parseLastUsed(QStringLiteral("2024-01-02")).has_value());
    EXPECT_FALSE(parseLastUsed(QStringLiteral("2024-01-02T03:04:05")).has_value());
    EXPECT_TRUE(parseLastUsed(QStringLiteral("2024-01-02T03:04:05-08:00")).has_value());
}

TEST(XcodeRecommendation, StrictThresholds)
{
    const QDateTime now = QDateTime::fromString(QStringLiteral("2026-06-01T00:00:00Z"), Qt::ISODate);
    const auto daysAgo = [&](int days) { return std::optional<QDateTime>(now.addDays(-days)); };
    const auto device = [](const char* id, std::optional<QDateTime> used, qint64 bytes, const char* state = "Shutdown",
                           bool available = true) {
        Device d;
        d.id = QString::fromUtf8(id);
        d.lastUsed = used;
        d.bytes = bytes;
        d.state = QString::fromUtf8(state);
        d.isAvailable = available;
        return d;
    };
    const QList<Device> devices{
        device("181 days", daysAgo(181), 1),
        device("179 days", daysAgo(179), 1),
        device("undated 20 MiB", std::nullopt, undatedDeviceThreshold),
        device("undated 20 MiB + 1", std::nullopt, undatedDeviceThreshold + 1),
        device("unavailable", daysAgo(1), 1, "Shutdown", false),
        device("booted old", daysAgo(400), 1, "bOOTED"),
        device("booted unavailable", std::nullopt, 1, "Booted", false),
    };
    Runtime free;
    free.id = QStringLiteral("free");
    free.isDeletable = true;
    free.bytes = 100;
    Runtime used = free;
    used.id = QStringLiteral("used");
    used.deviceCount = 1;
    Runtime recent = free;
    recent.id = QStringLiteral("recent");
    recent.lastUsed = daysAgo(10);
    Runtime locked = free;
    locked.id = QStringLiteral("locked");
    locked.isDeletable = false;
    Archive old{QStringLiteral("/a/old.xcarchive"), QStringLiteral("old"), daysAgo(200), 1000};
    Archive undated{QStringLiteral("/a/undated.xcarchive"), QStringLiteral("undated"), std::nullopt, 10};
    Archive fresh{QStringLiteral("/a/fresh.xcarchive"), QStringLiteral("fresh"), daysAgo(3), 5};

    const QList<Runtime> runtimes{free, used, recent, locked};
    const QList<Archive> archives{old, undated, fresh};
    const Recommendation r = recommendedSelection(devices, runtimes, archives, now);
    EXPECT_EQ(r.devices, (QSet<QString>{QStringLiteral("181 days"), QStringLiteral("undated 20 MiB + 1"),
                                        QStringLiteral("unavailable")}));
    EXPECT_EQ(r.runtimes, QSet<QString>{QStringLiteral("free")});
    EXPECT_EQ(r.archives, (QSet<QString>{old.path, undated.path}));
    EXPECT_EQ(recommendedBytes(devices, runtimes, archives, now), 1 + (undatedDeviceThreshold + 1) + 1 + 100 + 1010);

    // Totals saturate instead of wrapping around.
    const QList<Device> giants{device("g1", std::nullopt, std::numeric_limits<qint64>::max()),
                               device("g2", std::nullopt, std::numeric_limits<qint64>::max())};
    EXPECT_EQ(recommendedBytes(giants, {}, {}, now), std::numeric_limits<qint64>::max());
}

namespace {

void makeFolder(const QString& path, qint64 fileBytes, const QDateTime& modified)
{
    ASSERT_TRUE(QDir().mkpath(path)) << path.toStdString();
    if (fileBytes > 0) {
        QFile file(path + QStringLiteral("/Info.plist"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(fileBytes, 'x'));
    }
    const timeval times[2] = {{time_t(modified.toSecsSinceEpoch()), 0}, {time_t(modified.toSecsSinceEpoch()), 0}};
    ASSERT_EQ(::utimes(QFile::encodeName(path).constData(), times), 0);
}

} // namespace

TEST(XcodeArchives, OnlyBundlesInsideRealDateFolders)
{
    TestSupport::TestServices services;
    const QString root = TestSupport::home() + QStringLiteral("/Library/Developer/Xcode/Archives");
    const QDateTime old = QDateTime::fromString(QStringLiteral("2023-03-01T10:00:00Z"), Qt::ISODate);
    const QDateTime recent =
        QDateTime::currentDateTimeUtc().addDays(-2).addMSecs(-QDateTime::currentDateTimeUtc().time().msec());
    EXPECT_TRUE(XcodeService::listArchives(services.exclusions).isEmpty()) << "a missing folder gives none";

    makeFolder(root + QStringLiteral("/2023-03-01/Old App.xcarchive"), 5000, old);
    makeFolder(root + QStringLiteral("/2026-01-01/New \"App\".xcarchive"), 10, recent);
    makeFolder(root + QStringLiteral("/2026-01-01/Caps.XCARCHIVE"), 10, old);
    makeFolder(root + QStringLiteral("/Direct.xcarchive"), 10, old);
    makeFolder(root + QStringLiteral("/2026-01-01/Kept out.xcarchive"), 10, old);
    makeFolder(TestSupport::home() + QStringLiteral("/Elsewhere/2020-01-01/Linked.xcarchive"), 10, old);
    ASSERT_TRUE(QFile::link(TestSupport::home() + QStringLiteral("/Elsewhere/2020-01-01"),
                            root + QStringLiteral("/2020-01-01")));
    ASSERT_TRUE(services.exclusions.add(root + QStringLiteral("/2026-01-01/Kept out.xcarchive")));

    const QList<Archive> archives = XcodeService::listArchives(services.exclusions);
    ASSERT_EQ(archives.size(), 2);
    EXPECT_EQ(archives[0].name, QStringLiteral("New \"App\""));
    EXPECT_EQ(archives[0].date, recent);
    EXPECT_EQ(archives[1].name, QStringLiteral("Old App"));
    EXPECT_EQ(archives[1].path, root + QStringLiteral("/2023-03-01/Old App.xcarchive"));
    EXPECT_EQ(archives[1].date, old);
    EXPECT_GE(archives[1].bytes, 5000);

    // The archives folder itself as a link is not entered.
    ASSERT_TRUE(QDir(root).removeRecursively());
    ASSERT_TRUE(QFile::link(TestSupport::home() + QStringLiteral("/Elsewhere"), root));
    EXPECT_TRUE(XcodeService::listArchives(services.exclusions).isEmpty());
    QFile::remove(root);
}

namespace {

// A simulator tool that answers the two listings from the canned files, each with a warning on its error
// output, as xcrun does when a developer folder is half configured.
void installListingTool()
{
    const QString bin = TestSupport::systemRoot() + QStringLiteral("/usr/bin");
    ASSERT_TRUE(QDir().mkpath(bin));
    QFile tool(bin + QStringLiteral("/xcrun"));
    ASSERT_TRUE(tool.open(QIODevice::WriteOnly));
    tool.write("#!/bin/sh\n"
               "echo 'xcrun: warning: developer folder is a link' >&2\n"
               "case \"$*\" in\n"
               "'simctl list devices -j') cat '" QP_SOURCE_DIR "/tests/fixtures/simctl/devices.json' ;;\n"
               "'simctl runtime list -j') cat '" QP_SOURCE_DIR "/tests/fixtures/simctl/runtimes.json' ;;\n"
               "*) exit 2 ;;\n"
               "esac\n");
    tool.close();
    ASSERT_TRUE(tool.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
}

} // namespace

TEST(XcodeInventory, WarningsBesideTheListingsDoNotHideTheTool)
{
    TestSupport::TestServices services;
    QFile::remove(TestSupport::systemRoot() + QStringLiteral("/usr/bin/xcrun"));
    const Inventory missing = XcodeService::loadInventory(services.exclusions);
    EXPECT_FALSE(missing.hasSimulatorTools) << "no xcrun at all";
    EXPECT_TRUE(missing.devices.isEmpty());

    installListingTool();
    const Inventory inventory = XcodeService::loadInventory(services.exclusions);
    EXPECT_TRUE(inventory.hasSimulatorTools);
    EXPECT_EQ(inventory.devices.size(), 3);
    ASSERT_EQ(inventory.runtimes.size(), 3);
    // Only AAAA-1 is available under the iOS 17.2 runtime.
    EXPECT_EQ(inventory.runtimes[1].id, QStringLiteral("RT-IOS"));
    EXPECT_EQ(inventory.runtimes[1].deviceCount, 1);
}

namespace {

const QString kFailingDevice = QStringLiteral("FA11ED00-0000-4000-8000-000000000001");

// A simulator tool that records every call, one argument a line, refuses the device FAILED with blank output
// and lists no device.
QString installRecordingTool()
{
    const QString bin = TestSupport::systemRoot() + QStringLiteral("/usr/bin");
    const QString log = TestSupport::sandbox() + QStringLiteral("/xcrun-calls.txt");
    EXPECT_TRUE(QDir().mkpath(bin));
    QFile tool(bin + QStringLiteral("/xcrun"));
    EXPECT_TRUE(tool.open(QIODevice::WriteOnly));
    tool.write(QStringLiteral("#!/bin/sh\n"
                              "for a in \"$@\"; do printf '[%s]' \"$a\"; done >> '%1'\n"
                              "echo >> '%1'\n"
                              "for a in \"$@\"; do [ \"$a\" = %2 ] && { printf '\\n  \\n'; exit 1; }; done\n"
                              "[ \"$2\" = list ] && echo '{\"devices\":{}}'\n"
                              "[ \"$3\" = list ] && echo '{}'\n"
                              "exit 0\n")
                   .arg(log, kFailingDevice)
                   .toUtf8());
    tool.close();
    tool.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return log;
}

} // namespace

TEST(XcodeRemoval, ProgressOriginsAndFailures)
{
    TestSupport::TestServices services;
    const QString log = installRecordingTool();
    const QString archivePath =
        TestSupport::home() + QStringLiteral("/Library/Developer/Xcode/Archives/2023-01-01/App.xcarchive");
    makeFolder(archivePath, 4096, QDateTime::currentDateTimeUtc().addYears(-2));

    Device booted;
    booted.id = QStringLiteral("0b5e7c1a-3d2f-4e8b-9a6c-1f0e2d3c4b5a");
    booted.name = QStringLiteral("iPhone");
    booted.state = QStringLiteral("booted");
    booted.bytes = 100;
    Device failing;
    failing.id = kFailingDevice;
    failing.name = QStringLiteral("iPad");
    failing.state = QStringLiteral("Shutdown");
    failing.dataPath = QStringLiteral("/data/ipad");
    Runtime runtime;
    runtime.id = QStringLiteral("5A1E0000-0000-4000-8000-0000000000A1");
    runtime.name = QStringLiteral("iOS 17.2");
    runtime.build = QStringLiteral("21C62");
    runtime.bytes = 1000;
    const Archive archive{archivePath, QStringLiteral("App"), std::nullopt, 1};
    const Archive vanished{archivePath + QStringLiteral("-gone"), QStringLiteral("gone"), std::nullopt, 1};

    QList<std::pair<double, QString>> reports;
    const Outcome outcome = XcodeService::remove({booted, failing}, {runtime}, {archive, vanished}, services.removal,
                                                 [&](double f, const QString& text) {
                                                     reports.append({f, text});
                                                 });

    const QList<std::pair<double, QString>> expected{{0.0, QStringLiteral("iPhone")},
                                                     {0.2, QStringLiteral("iPad")},
                                                     {0.4, QStringLiteral("iOS 17.2")},
                                                     {0.6, QStringLiteral("App.xcarchive")},
                                                     {1.0, QString()},
                                                     {1.0, QString()}};
    ASSERT_EQ(reports.size(), expected.size());
    for (qsizetype i = 0; i < reports.size(); ++i) {
        EXPECT_NEAR(reports[i].first, expected[i].first, 1e-9) << i;
        EXPECT_EQ(reports[i].second, expected[i].second) << i;
    }

    EXPECT_EQ(TestSupport::contentOf(log),
              (QStringLiteral("[simctl][shutdown][%1]\n[simctl][delete][%1]\n"
                              "[simctl][delete][%2]\n[simctl][list][devices][-j]\n[simctl][runtime][delete][%3]\n"
                              "[simctl][runtime][list][-j]\n")
                   .arg(booted.id, kFailingDevice, runtime.id)
                   .toUtf8()));
    ASSERT_EQ(outcome.removed.size(), 3);
    EXPECT_EQ(outcome.removed[0], (Removal::Removed{QStringLiteral("/simulator/") + booted.id, std::nullopt, 100}));
    EXPECT_EQ(outcome.removed[1], (Removal::Removed{QStringLiteral("/runtime/iOS 17.2 (21C62)"), std::nullopt, 1000}));
    EXPECT_EQ(outcome.removed[2].origin, archivePath);
    EXPECT_TRUE(outcome.removed[2].trashed.has_value());
    EXPECT_FALSE(TestSupport::exists(archivePath));
    EXPECT_GE(outcome.freedBytes, 1100 + 4096);
    EXPECT_EQ(outcome.failures, (QList<Failure>{{QStringLiteral("iPad"), QStringLiteral("Refusé par simctl.")}}));

    const Removal::Report journal = XcodeService::journalReport(outcome);
    EXPECT_EQ(journal.freedBytes, outcome.freedBytes);
    EXPECT_EQ(journal.removed, outcome.removed);
    EXPECT_EQ(journal.failures,
              (QList<Removal::Failure>{{QStringLiteral("/iPad"), QStringLiteral("Refusé par simctl.")}}));
}

TEST(XcodeRemoval, NothingToDoAndAMissingTool)
{
    TestSupport::TestServices services;
    QList<double> fractions;
    const auto record = [&](double f, const QString&) { fractions.append(f); };
    EXPECT_EQ(XcodeService::remove({}, {}, {}, services.removal, record), Outcome{});
    EXPECT_EQ(fractions, QList<double>{1.0});

    QFile::remove(TestSupport::systemRoot() + QStringLiteral("/usr/bin/xcrun"));
    Device device;
    device.id = QStringLiteral("00000000-0000-0000-0000-00000000000A");
    device.name = QStringLiteral("iPhone");
    const Outcome outcome = XcodeService::remove({device}, {}, {}, services.removal, {});
    EXPECT_EQ(outcome.failures, (QList<Failure>{{QStringLiteral("iPhone"), QStringLiteral("Refusé par simctl.")}}));
    EXPECT_EQ(XcodeService::failureReason(QStringLiteral("\n  Unable to delete: busy \n")),
              QStringLiteral("Unable to delete: busy"));
}

// The tool reads some words as groups of devices: "unavailable" stands for every device whose runtime is gone.
TEST(XcodeRemoval, OnlyAnIdentifierOfADevicesShapeReachesTheToolAndOnlyAGoneDeviceCountsAsRemoved)
{
    using namespace SimulatorFixtures;
    reset();
    addRuntime(QStringLiteral("RT"), QStringLiteral("17.2"), QStringLiteral("21C62"), true, 5000, 3);
    const QString orphan = QStringLiteral("7e8d9c0b-1a2b-4c3d-8e4f-5a6b7c8d9e0f");
    const QString kept = QStringLiteral("0B5E7C1A-3D2F-4E8B-9A6C-1F0E2D3C4B5A");
    addDevice(QStringLiteral("unavailable"), QStringLiteral("iPhone piégé"), QStringLiteral("15.5"),
              QStringLiteral("Shutdown"), 1000, 10);
    addDevice(orphan, QStringLiteral("iPhone 8"), QStringLiteral("15.5"), QStringLiteral("Shutdown"), 2000, 10);
    addDevice(kept, QStringLiteral("iPhone 12"), QStringLiteral("17.2"), QStringLiteral("Shutdown"), 3000, 10);
    TestSupport::TestServices services;
    const DeviceListing listing = listSimulatorDevices();
    ASSERT_EQ(listing.devices.size(), 3);
    const auto device = [&](const QString& id) {
        return *std::find_if(listing.devices.begin(), listing.devices.end(),
                             [&](const Device& d) { return d.id == id; });
    };

    const Outcome trapped = XcodeService::remove({device(QStringLiteral("unavailable"))}, {}, {}, services.removal, {});
    EXPECT_EQ(trapped.failures,
              (QList<Failure>{{QStringLiteral("iPhone piégé"),
                               QStringLiteral("Identifiant de simulateur non reconnu : non supprimé.")}}));
    EXPECT_TRUE(trapped.removed.isEmpty());
    EXPECT_TRUE(deviceKnown(QStringLiteral("unavailable")));
    EXPECT_TRUE(deviceKnown(orphan));
    EXPECT_TRUE(deviceKnown(kept));

    // A device of the right shape, in either case, goes; one the tool says it deleted but still lists stays
    // counted as present.
    const Outcome outcome = XcodeService::remove({device(orphan)}, {}, {}, services.removal, {});
    EXPECT_TRUE(outcome.failures.isEmpty());
    EXPECT_EQ(outcome.removed.size(), 1);
    EXPECT_FALSE(deviceKnown(orphan));
    EXPECT_TRUE(deviceKnown(kept));

    const QString bin = TestSupport::systemRoot() + QStringLiteral("/usr/bin");
    ASSERT_TRUE(QFile::rename(bin + QStringLiteral("/xcrun"), bin + QStringLiteral("/xcrun-real")));
    QFile liar(bin + QStringLiteral("/xcrun"));
    ASSERT_TRUE(liar.open(QIODevice::WriteOnly));
    liar.write("#!/bin/sh\n[ \"$2\" = delete ] && exit 0\nexec \"$(dirname \"$0\")/xcrun-real\" \"$@\"\n");
    liar.close();
    liar.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const Outcome lied = XcodeService::remove({device(kept)}, {}, {}, services.removal, {});
    EXPECT_EQ(lied.failures, (QList<Failure>{{QStringLiteral("iPhone 12"),
                                              QStringLiteral("Toujours présent après la suppression.")}}));
    EXPECT_EQ(lied.freedBytes, 0);
    EXPECT_TRUE(deviceKnown(kept));
    ASSERT_TRUE(QFile::remove(bin + QStringLiteral("/xcrun")));
    ASSERT_TRUE(QFile::rename(bin + QStringLiteral("/xcrun-real"), bin + QStringLiteral("/xcrun")));
    for (const QString& id : {QStringLiteral("0B5E7C1A-3D2F-4E8B-9A6C-1F0E2D3C4B5A"),
                              QStringLiteral("0b5e7c1a-3d2f-4e8b-9a6c-1f0e2d3c4b5a")})
        EXPECT_TRUE(isDeviceIdentifier(id)) << id.toStdString();
    for (const QString& id : {QStringLiteral("unavailable"), QStringLiteral("all"), QStringLiteral("booted"),
                              QStringLiteral("0B5E7C1A-3D2F-4E8B-9A6C-1F0E2D3C4B5"),
                              QStringLiteral("0B5E7C1A-3D2F-4E8B-9A6C-1F0E2D3C4B5AA"),
                              QStringLiteral("0B5E7C1A3D2F-4E8B-9A6C-1F0E2D3C4B5A-"),
                              QStringLiteral("0B5E7C1A-3D2F-4E8B-9A6C-1F0E2D3C4B5G"),
                              QStringLiteral("0B5E7C1A-3D2F-4E8B-9A6C-1F0E2D3C4B5A\n"),
                              QStringLiteral("-B5E7C1A-3D2F-4E8B-9A6C-1F0E2D3C4B5A"),
                              QStringLiteral("\uFF10B5E7C1A-3D2F-4E8B-9A6C-1F0E2D3C4B5")})
        EXPECT_FALSE(isDeviceIdentifier(id)) << id.toStdString();
}

// `simctl runtime delete all` deletes every runtime image: only a key of the listing's shape reaches the tool, and
// a runtime counts as removed only when the next listing no longer holds it, whatever the tool said.
TEST(XcodeRemoval, OnlyAListedRuntimeIdentifierReachesTheToolAndOnlyAGoneRuntimeCountsAsRemoved)
{
    using namespace SimulatorFixtures;
    using namespace Qt::StringLiterals;
    reset();
    const QString gone = udid(u"RT-GONE"_s).toLower(); // either case is the listing's shape
    const QString stays = udid(u"RT-STAYS"_s);
    addRuntime(u"all"_s, u"15.5"_s, u"19F70"_s, true, 1000, 300);
    addRuntime(gone, u"16.4"_s, u"20E247"_s, true, 2000, 300);
    addRuntime(stays, u"17.2"_s, u"21C62"_s, true, 3000, 300);
    TestSupport::TestServices services;
    const QList<Runtime> listed = listSimulatorRuntimes({});
    ASSERT_EQ(listed.size(), 3);
    const auto runtime = [&](const QString& id) {
        return *std::find_if(listed.begin(), listed.end(), [&](const Runtime& r) { return r.id == id; });
    };

    const Outcome trapped = XcodeService::remove({}, {runtime(u"all"_s)}, {}, services.removal, {});
    EXPECT_EQ(trapped.failures,
              (QList<Failure>{{u"iOS 15.5"_s, u"Identifiant de simulateur non reconnu : non supprimé."_s}}));
    EXPECT_TRUE(trapped.removed.isEmpty());
    for (const QString& key : {u"all"_s, gone, stays})
        EXPECT_TRUE(runtimeKnown(key)) << key.toStdString();

    const Outcome outcome = XcodeService::remove({}, {runtime(gone)}, {}, services.removal, {});
    EXPECT_TRUE(outcome.failures.isEmpty());
    EXPECT_EQ(outcome.removed,
              (QList<Removal::Removed>{{u"/runtime/iOS 16.4 (20E247)"_s, std::nullopt, runtime(gone).bytes}}));
    EXPECT_FALSE(runtimeKnown(gone));

    // A tool that says it deleted and still lists the image, then one that no longer answers the listing.
    const QString bin = TestSupport::systemRoot() + u"/usr/bin"_s;
    ASSERT_TRUE(QFile::rename(bin + u"/xcrun"_s, bin + u"/xcrun-real"_s));
    const struct {
        QByteArray listing;
        QString reason;
    } liars[] = {
        {"exec \"$(dirname \"$0\")/xcrun-real\" \"$@\"", u"Toujours présent après la suppression."_s},
        {"exit 1", u"Suppression non confirmée par simctl."_s},
    };
    for (const auto& liar : liars) {
        TestSupport::writeFile(bin + u"/xcrun"_s, "#!/bin/sh\n[ \"$3\" = delete ] && exit 0\n" + liar.listing + "\n");
        ASSERT_TRUE(QFile::setPermissions(bin + u"/xcrun"_s, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        const Outcome lied = XcodeService::remove({}, {runtime(stays)}, {}, services.removal, {});
        EXPECT_EQ(lied.failures, (QList<Failure>{{u"iOS 17.2"_s, liar.reason}}));
        EXPECT_TRUE(lied.removed.isEmpty());
        EXPECT_EQ(lied.freedBytes, 0);
    }
    ASSERT_TRUE(QFile::remove(bin + u"/xcrun"_s));
    ASSERT_TRUE(QFile::rename(bin + u"/xcrun-real"_s, bin + u"/xcrun"_s));
    EXPECT_TRUE(runtimeKnown(stays));
    for (const QString& id : {u"all"_s, u"-all"_s, u"--notUsedSinceDays"_s, u"RT-1"_s})
        EXPECT_FALSE(isRuntimeIdentifier(id)) << id.toStdString();
}
