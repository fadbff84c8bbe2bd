#include "Targets.h"

#include "Core/HistoryFile.h"
#include "Core/Receipts.h"
#include "Core/SnapshotService.h"
#include "Developer/XcodeService.h"
#include "Performance/OptimizationService.h"
#include "Performance/UpdaterService.h"
#include "Platform/FileOperations.h"
#include "Platform/FileSystem.h"
#include "Platform/ProcText.h"
#include "Platform/PropertyList.h"
#include "Platform/UserDefaults.h"
#include "Scanners/MalwareScanner.h"

#include <cmath>

#include <QFile>

using namespace Qt::StringLiterals;

namespace FuzzTargets {

QString propertyList(QByteArrayView input)
{
    using namespace Platform::PropertyList;
    const std::optional<QVariant> value = parse(input.toByteArray());
    if (!value)
        return {};
    serialize(*value, Format::Xml); // only for what the library might do with it
    const std::optional<QByteArray> written = serialize(*value, Format::Binary);
    if (!written)
        return u"a value read could not be written"_s;
    const std::optional<QVariant> again = parse(*written);
    if (!again)
        return u"what was written could not be read"_s;
    if (serialize(*again, Format::Binary) != written)
        return u"reading what was written gave another value"_s;
    return {};
}

QString userDefaults(QByteArrayView input, const QString& folder)
{
    for (const Platform::FileInfo& entry : Platform::listFolder(folder))
        Platform::removeItem(entry.path);
    const QString file = folder + u"/fuzz.plist"_s;
    if (auto failure = Platform::writeFileAtomically(file, input.toByteArray()))
        return u"the input could not be laid out: "_s + *failure;
    QVariantMap expected;
    {
        const std::shared_ptr<Platform::UserDefaults> store = Platform::UserDefaults::atPath(file);
        expected = store->dictionary();
        if (auto failure = store->setValue(u"fuzz.other"_s, true))
            return u"another key could not be written: "_s + *failure;
        expected.insert(u"fuzz.other"_s, true);
    }
    const std::optional<QVariant> stored = Platform::PropertyList::readFile(file);
    if (!stored)
        return u"the written file could not be read"_s;
    // Compared as written bytes: a NaN is never equal to itself.
    if (Platform::PropertyList::serialize(*stored) != Platform::PropertyList::serialize(expected))
        return u"the written file does not hold what the store held"_s;
    return {};
}

QString journal(QByteArrayView input)
{
    const std::optional<QList<CleaningSession>> whole = HistoryFile::decode(input);
    for (const int pieces : {1, 2, 3, 8}) {
        if (HistoryFile::decode(input, pieces) != whole)
            return u"reading in %1 pieces gave other sessions"_s.arg(pieces);
    }
    if (!whole)
        return {};
    QByteArray text;
    bool exact = false;
    const bool encoded = HistoryFile::encode(
        *whole,
        [&text](QByteArrayView bytes) {
            text.append(bytes);
            return true;
        },
        &exact);
    if (!encoded)
        return u"sessions read could not be written"_s;
    const std::optional<QList<CleaningSession>> again = HistoryFile::decode(text);
    if (!again)
        return u"the written journal could not be read"_s;
    if (exact && *again != *whole)
        return u"an exact journal read back otherwise"_s;
    if (HistoryFile::encode(*again) != text)
        return u"decode, encode, decode is not stable"_s;
    return {};
}

QString procText(QByteArrayView input)
{
    const QByteArray text = input.toByteArray();
    if (const auto memory = Platform::ProcText::parseMeminfo(text)) {
        if (memory->active < 0 || memory->wired < 0 || memory->compressed < 0)
            return u"a memory figure below zero"_s;
    }
    if (const auto ticks = Platform::ProcText::parseStat(text)) {
        for (const double value : {ticks->user, ticks->system, ticks->idle, ticks->nice}) {
            if (!std::isfinite(value) || value < 0)
                return u"a processor figure below zero or not finite"_s;
        }
    }
    if (const auto uptime = Platform::ProcText::parseUptime(text)) {
        if (!std::isfinite(*uptime) || *uptime < 0)
            return u"an uptime below zero or not finite"_s;
    }
    return {};
}

QString browserFiles(QByteArrayView input, const QString& folder)
{
    if (input.isEmpty())
        return {};
    // Plain writes over the same files, run after run: the readers are what is tried, not the disk.
    const auto lay = [](const QString& path, QByteArrayView content) {
        QFile file(path);
        return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
               file.write(content.data(), content.size()) == content.size();
    };
    const QByteArrayView content = input.sliced(1);
    if (input[0] % 2 == 0) {
        if (!lay(folder + u"/Preferences"_s, content))
            return u"the input could not be laid out"_s;
        const ChromiumProfile profile{u"Navigateur"_s, u"Default"_s, folder};
        const QHash<QString, ChromiumProfile::InstallLocation> locations = profile.installLocations();
        for (auto it = locations.cbegin(); it != locations.cend(); ++it) {
            if (ChromiumProfile::installLocationFromRaw(qint64(it.value())) != it.value())
                return u"a location that is not one of the browser's codes"_s;
        }
        return {};
    }
    const QString version = folder + u"/extension/1.0"_s;
    if (auto failure = Platform::createFolder(version + u"/_locales/en"_s))
        return u"the folders could not be made: "_s + *failure;
    if (!lay(version + u"/manifest.json"_s, content) || !lay(version + u"/_locales/en/messages.json"_s, content))
        return u"the input could not be laid out"_s;
    const std::optional<ExtensionManifest> manifest = readExtensionManifest(folder + u"/extension"_s);
    if (!manifest)
        return {};
    const QList<MalwareScanner::Signal> found =
        MalwareScanner::extensionSignals(u"fuzz"_s, *manifest, ChromiumProfile::InstallLocation::externalRegistry);
    for (const MalwareScanner::Signal& signal : found) {
        if (signal.weight <= 0 || signal.reason.isEmpty())
            return u"a signal without weight or reason"_s;
    }
    return {};
}

QString toolOutput(QByteArrayView input)
{
    if (input.isEmpty())
        return {};
    const QByteArray bytes = input.sliced(1).toByteArray();
    const QString text = QString::fromUtf8(bytes);
    switch (quint8(input[0]) % 6) {
    case 0:
        for (const SnapshotService::Snapshot& snapshot : SnapshotService::snapshotsFromListing(text)) {
            if (!snapshot.name.startsWith(u"com.apple.TimeMachine."_s))
                return u"a snapshot not of Time Machine"_s;
            if (snapshot.date && !snapshot.date->isValid())
                return u"a snapshot with an invalid date"_s;
        }
        return {};
    case 1: {
        const QStringList lines = Receipts::outputLines(text);
        const std::optional<Receipts::Package> package = Receipts::packageFromInfo(u"com.example.fuzz"_s, lines);
        if (!package)
            return {};
        if (package->installedAt && !package->installedAt->isValid())
            return u"a package with an invalid date"_s;
        for (const QString& line : lines) {
            const std::optional<QString> path = Receipts::recordedMacPath(*package, line);
            if (path && (!path->startsWith(u'/') || path->contains(u"/../"_s) || path->endsWith(u"/.."_s)))
                return u"a recorded path that is not standardised"_s;
        }
        return {};
    }
    case 2:
        for (const OptimizationService::HeavyApp& app :
             OptimizationService::mergeHeavyApps(OptimizationService::processRows(text))) {
            if (!std::isfinite(app.cpu) || app.memory < 0)
                return u"a process figure not finite"_s;
        }
        return {};
    case 3:
        for (const UpdaterService::Update& update :
             UpdaterService::outdatedCasksFrom(text, u"/opt/homebrew/bin/brew"_s)) {
            if (update.command && !UpdaterService::isSafeCaskName(update.name))
                return u"a command for a cask name that is not one word"_s;
        }
        return {};
    case 4:
        for (const UpdaterService::Update& update : UpdaterService::systemUpdatesFrom(text, u"14.4"_s)) {
            if (update.command)
                return u"a system update with a command line"_s;
        }
        return {};
    default: {
        const XcodeService::DeviceListing listing = XcodeService::parseDevices(0, bytes);
        for (const XcodeService::Device& device : listing.devices) {
            if (device.bytes < 0)
                return u"a device below zero bytes"_s;
        }
        for (const XcodeService::Runtime& runtime :
             XcodeService::parseRuntimes(0, bytes, XcodeService::availableDeviceCounts(listing.devices))) {
            if (runtime.bytes < 0 || runtime.deviceCount < 0)
                return u"a runtime below zero"_s;
        }
        return {};
    }
    }
}

} // namespace FuzzTargets
