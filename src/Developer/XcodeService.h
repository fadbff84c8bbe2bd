#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

#include "Core/Progress.h"
#include "Core/Removal.h"

#include <optional>
#include <stop_token>

class Exclusions;
namespace Removal {
class Engine;
}

// Simulator devices and runtime images as Xcode's simulator tool reports them, and the age rule that
// proposes what has gone unused. Stateless: every listing asks the tool afresh. No widget code here: the
// Shortcuts action calls it too.
namespace XcodeService {

struct Device {
    QString id; // UDID, handed to the simulator tool
    QString name;
    QString runtimeName;
    QString runtimeIdentifier;
    QString state;
    qint64 bytes = 0;
    std::optional<QDateTime> lastUsed;
    bool isAvailable = false;
    QString dataPath;

    friend bool operator==(const Device&, const Device&) = default;
};

struct Runtime {
    QString id; // the listing's key, which `simctl runtime delete` takes
    QString name;
    QString version;
    QString build;
    qint64 bytes = 0;
    std::optional<QDateTime> lastUsed;
    bool isDeletable = false;
    int deviceCount = 0;

    friend bool operator==(const Runtime&, const Runtime&) = default;
};

struct Archive {
    QString path;
    QString name;
    std::optional<QDateTime> date;
    qint64 bytes = 0;

    QString id() const { return path; }
    friend bool operator==(const Archive&, const Archive&) = default;
};

struct DeviceListing {
    QList<Device> devices; // largest first
    bool toolAnswered = false;
};

struct Inventory {
    QList<Device> devices;   // largest first
    QList<Runtime> runtimes; // largest first
    QList<Archive> archives; // newest first
    bool hasSimulatorTools = false;
};

struct Recommendation {
    QSet<QString> devices;
    QSet<QString> runtimes;
    QSet<QString> archives;
};

struct Failure {
    QString label;
    QString reason; // French
    friend bool operator==(const Failure&, const Failure&) = default;
};

struct Outcome {
    qint64 freedBytes = 0;
    QList<Removal::Removed> removed; // devices, then runtimes, then archives
    QList<Failure> failures;
    friend bool operator==(const Outcome&, const Outcome&) = default;
};

inline constexpr qint64 ageLimitSeconds = 15'552'000;
inline constexpr qint64 undatedDeviceThreshold = 20LL * 1024 * 1024;

// The internet date-time form without fractional seconds; anything else is absent.
std::optional<QDateTime> parseLastUsed(const QString& text);

// "com.apple.CoreSimulator.SimRuntime.iOS-17-2" → "iOS 17.2".
QString readableRuntimeName(const QString& key);
// "com.apple.platform.watchsimulator" → "watchOS".
QString platformName(const QString& platformIdentifier);

// The journal's place of a removed device (its data folder, else "/simulator/<UDID>") and of a removed runtime
// ("/runtime/<name> (<build>)"), as the removal's outcome names them.
QString origin(const Device& device);
QString origin(const Runtime& runtime);

// Parse the standard output of `simctl list devices -j` / `simctl runtime list -j`.
DeviceListing parseDevices(int exitStatus, const QByteArray& output);
QList<Runtime> parseRuntimes(int exitStatus, const QByteArray& output, const QHash<QString, int>& deviceCounts);

// Run the tool (/usr/bin/xcrun under the system root); the error output is discarded so that a warning
// beside the JSON does not hide a working tool.
DeviceListing listSimulatorDevices();
QList<Runtime> listSimulatorRuntimes(const QHash<QString, int>& deviceCounts);

// Archives in the date folders of ~/Library/Developer/Xcode/Archives, newest first. Links are never
// followed; protected and excluded bundles are left out.
QList<Archive> listArchives(const Exclusions& exclusions);

// Blocking: devices, runtimes (with their available-device counts) and archives, asked afresh. Call it off
// the GUI thread.
Inventory loadInventory(const Exclusions& exclusions);

// Available devices per runtime key.
QHash<QString, int> availableDeviceCounts(const QList<Device>& devices);

Recommendation recommendedSelection(const QList<Device>& devices, const QList<Runtime>& runtimes,
                                    const QList<Archive>& archives, const QDateTime& now);
qint64 recommendedBytes(const QList<Device>& devices, const QList<Runtime>& runtimes, const QList<Archive>& archives,
                        const QDateTime& now);

// Whether `id` has the shape of a device identifier (8-4-4-4-12 hexadecimal digits, either case): only
// such an identifier is handed to the simulator tool, which reads other words (such as "unavailable" or
// "all") as whole groups of devices.
bool isDeviceIdentifier(const QString& id);
// The same for a runtime image's identifier, the key of `simctl runtime list -j`: the tool reads "all" as
// every image.
bool isRuntimeIdentifier(const QString& id);

// Blocking. Devices and runtimes are deleted for good by the simulator tool, archives go to the Trash
// through `engine`. A device or runtime whose identifier is not of the listed shape fails without reaching the
// tool, and either counts as removed only when the tool's next listing no longer holds it. `stop` is looked at before
// each device and runtime, and by the engine before each archive; the final (1, "") report is always made.
Outcome remove(const QList<Device>& devices, const QList<Runtime>& runtimes, const QList<Archive>& archives,
               const Removal::Engine& engine, const Progress& progress, std::stop_token stop = {});

// The simulator tool's combined output, trimmed, or "Refusé par simctl." when it said nothing.
QString failureReason(const QString& output);

// The outcome as the cleaning journal takes it.
Removal::Report journalReport(const Outcome& outcome);

} // namespace XcodeService
