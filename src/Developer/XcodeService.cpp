#include "Developer/XcodeService.h"

#include "Core/Exclusions.h"
#include "Core/FileUtils.h"
#include "Core/PathSafety.h"
#include "Core/ProcessRunner.h"
#include "Core/RemovalEngine.h"
#include "Core/ScanModel.h"
#include "Platform/FileSystem.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QRegularExpression>
#include <QSet>
#include <QUuid>

#include <algorithm>
#include <limits>

namespace XcodeService {
namespace {

QString stringOr(const QJsonObject& object, const QString& key, const QString& fallback)
{
    const QJsonValue value = object.value(key);
    return value.isString() ? value.toString() : fallback;
}

bool boolOr(const QJsonObject& object, const QString& key)
{
    const QJsonValue value = object.value(key);
    return value.isBool() && value.toBool();
}

// Fractional, negative or out-of-range figures count as 0.
qint64 bytesOf(const QJsonObject& object, const QString& key)
{
    const qint64 value = object.value(key).toInteger(0);
    return value > 0 ? value : 0;
}

qint64 saturatingAdd(qint64 a, qint64 b)
{
    if (b > 0 && a > std::numeric_limits<qint64>::max() - b)
        return std::numeric_limits<qint64>::max();
    return a + b;
}

std::optional<QDateTime> lastUsedOf(const QJsonObject& object)
{
    const QJsonValue value = object.value(QStringLiteral("lastUsedAt"));
    if (!value.isString())
        return std::nullopt;
    return parseLastUsed(value.toString());
}

bool olderThan(const std::optional<QDateTime>& date, const QDateTime& cutoff)
{
    return !date || *date < cutoff;
}

// The runtime listing's top object, keyed by runtime identifier; nothing when the tool did not answer with one.
std::optional<QJsonObject> runtimeListing(int exitStatus, const QByteArray& output)
{
    if (exitStatus != 0)
        return std::nullopt;
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(output, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    return document.object();
}

QStringList runtimeListingArguments()
{
    return {QStringLiteral("simctl"), QStringLiteral("runtime"), QStringLiteral("list"), QStringLiteral("-j")};
}

// The identifiers, upper-cased, that the tool lists now; nothing when it did not answer.
std::optional<QSet<QString>> listedRuntimeIdentifiers()
{
    const auto result = OptimizationService::run(QStringLiteral("/usr/bin/xcrun"), runtimeListingArguments(), false);
    const std::optional<QJsonObject> listing = runtimeListing(result.status, result.output.toUtf8());
    if (!listing)
        return std::nullopt;
    QSet<QString> identifiers;
    for (auto it = listing->begin(); it != listing->end(); ++it)
        identifiers.insert(it.key().toUpper());
    return identifiers;
}

QString unknownIdentifierText()
{
    return QStringLiteral("Identifiant de simulateur non reconnu : non supprimé.");
}

// The tool's word is not enough: what it said it deleted counts as removed only when its next listing
// (`listed`, upper-cased identifiers; nothing when the tool did not answer) no longer holds it.
template <class Item, class Origin>
void confirmRemoved(const QList<Item>& deleted, const std::optional<QSet<QString>>& listed, Origin origin,
                    Outcome& outcome)
{
    for (const Item& item : deleted) {
        if (!listed) {
            outcome.failures.append({item.name, QStringLiteral("Suppression non confirmée par simctl.")});
            continue;
        }
        if (listed->contains(item.id.toUpper())) {
            outcome.failures.append({item.name, QStringLiteral("Toujours présent après la suppression.")});
            continue;
        }
        outcome.freedBytes = saturatingAdd(outcome.freedBytes, item.bytes);
        outcome.removed.append({origin(item), std::nullopt, item.bytes});
    }
}

} // namespace

std::optional<QDateTime> parseLastUsed(const QString& text)
{
    // Qt's ISO parser also takes fractions and bare dates; the tool's form has neither.
    static const QRegularExpression form(
        QStringLiteral(R"(^\d{4}-\d{2}-\d{2}[Tt]\d{2}:\d{2}:\d{2}([Zz]|[+-]\d{2}:\d{2})$)"));
    if (!form.match(text).hasMatch())
        return std::nullopt;
    QDateTime parsed = QDateTime::fromString(text.toUpper(), Qt::ISODate);
    if (!parsed.isValid())
        return std::nullopt;
    return parsed;
}

QString readableRuntimeName(const QString& key)
{
    const QStringList pieces = key.split(QLatin1Char('.'), Qt::SkipEmptyParts);
    if (pieces.isEmpty())
        return key;
    const QString& last = pieces.last();
    QStringList parts = last.split(QLatin1Char('-'), Qt::SkipEmptyParts);
    if (parts.size() <= 1)
        return last;
    const QString first = parts.takeFirst();
    return first + QLatin1Char(' ') + parts.join(QLatin1Char('.'));
}

QString platformName(const QString& platformIdentifier)
{
    if (platformIdentifier.contains(QLatin1String("watch")))
        return QStringLiteral("watchOS");
    if (platformIdentifier.contains(QLatin1String("tv")))
        return QStringLiteral("tvOS");
    if (platformIdentifier.contains(QLatin1String("xr")))
        return QStringLiteral("visionOS");
    return QStringLiteral("iOS");
}

DeviceListing parseDevices(int exitStatus, const QByteArray& output)
{
    DeviceListing listing;
    if (exitStatus != 0)
        return listing;
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(output, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return listing;
    const QJsonValue devicesValue = document.object().value(QStringLiteral("devices"));
    if (!devicesValue.isObject())
        return listing;
    listing.toolAnswered = true;
    const QJsonObject byRuntime = devicesValue.toObject();
    for (auto it = byRuntime.begin(); it != byRuntime.end(); ++it) {
        if (!it.value().isArray())
            continue;
        const QJsonArray entries = it.value().toArray();
        if (!std::all_of(entries.begin(), entries.end(), [](const QJsonValue& v) { return v.isObject(); }))
            continue;
        const QString runtimeName = readableRuntimeName(it.key());
        for (const QJsonValue& entry : entries) {
            const QJsonObject object = entry.toObject();
            const QJsonValue udid = object.value(QStringLiteral("udid"));
            if (!udid.isString())
                continue;
            Device device;
            device.id = udid.toString();
            device.name = stringOr(object, QStringLiteral("name"), device.id);
            device.runtimeIdentifier = it.key();
            device.runtimeName = runtimeName;
            device.state = stringOr(object, QStringLiteral("state"), QStringLiteral("Unknown"));
            device.bytes = saturatingAdd(bytesOf(object, QStringLiteral("dataPathSize")),
                                         bytesOf(object, QStringLiteral("logPathSize")));
            device.lastUsed = lastUsedOf(object);
            device.isAvailable = boolOr(object, QStringLiteral("isAvailable"));
            device.dataPath = stringOr(object, QStringLiteral("dataPath"), QString());
            listing.devices.append(device);
        }
    }
    std::stable_sort(listing.devices.begin(), listing.devices.end(),
                     [](const Device& a, const Device& b) { return a.bytes > b.bytes; });
    return listing;
}

QList<Runtime> parseRuntimes(int exitStatus, const QByteArray& output, const QHash<QString, int>& deviceCounts)
{
    QList<Runtime> runtimes;
    const std::optional<QJsonObject> listing = runtimeListing(exitStatus, output);
    if (!listing)
        return runtimes;
    const QJsonObject& top = *listing;
    for (auto it = top.begin(); it != top.end(); ++it) {
        if (!it.value().isObject())
            continue;
        const QJsonObject object = it.value().toObject();
        Runtime runtime;
        runtime.id = it.key();
        runtime.version = stringOr(object, QStringLiteral("version"), QStringLiteral("?"));
        runtime.build = stringOr(object, QStringLiteral("build"), QString());
        runtime.name = platformName(stringOr(object, QStringLiteral("platformIdentifier"), QString())) +
                       QLatin1Char(' ') + runtime.version;
        runtime.bytes = bytesOf(object, QStringLiteral("sizeBytes"));
        runtime.lastUsed = lastUsedOf(object);
        runtime.isDeletable = boolOr(object, QStringLiteral("deletable"));
        runtime.deviceCount = deviceCounts.value(stringOr(object, QStringLiteral("runtimeIdentifier"), QString()), 0);
        runtimes.append(runtime);
    }
    std::stable_sort(runtimes.begin(), runtimes.end(),
                     [](const Runtime& a, const Runtime& b) { return a.bytes > b.bytes; });
    return runtimes;
}

DeviceListing listSimulatorDevices()
{
    const auto result = OptimizationService::run(
        QStringLiteral("/usr/bin/xcrun"),
        {QStringLiteral("simctl"), QStringLiteral("list"), QStringLiteral("devices"), QStringLiteral("-j")}, false);
    return parseDevices(result.status, result.output.toUtf8());
}

QList<Runtime> listSimulatorRuntimes(const QHash<QString, int>& deviceCounts)
{
    const auto result = OptimizationService::run(QStringLiteral("/usr/bin/xcrun"), runtimeListingArguments(), false);
    return parseRuntimes(result.status, result.output.toUtf8(), deviceCounts);
}

QList<Archive> listArchives(const Exclusions& exclusions)
{
    QList<Archive> archives;
    const QString root =
        FileUtils::libraryURL({QStringLiteral("Developer"), QStringLiteral("Xcode"), QStringLiteral("Archives")});
    // A root that is itself a link is not entered.
    const auto rootInfo = Platform::fileInfo(root);
    if (!rootInfo || !rootInfo->isDirectory())
        return archives;
    for (const Platform::FileInfo& dateFolder : Platform::listFolder(root)) {
        if (!dateFolder.isDirectory())
            continue;
        for (const Platform::FileInfo& item : Platform::listFolder(dateFolder.path)) {
            // Case-sensitive on purpose: "Build.XCARCHIVE" is not an archive Xcode made.
            if (!item.isDirectory() || !item.name.endsWith(QLatin1String(".xcarchive")) ||
                item.name.size() == int(qstrlen(".xcarchive")))
                continue;
            if (PathSafety::isProtected(item.path) || exclusions.isExcluded(item.path))
                continue;
            Archive archive;
            archive.path = item.path;
            archive.name = item.name.chopped(int(qstrlen(".xcarchive")));
            archive.date = FileUtils::modificationDate(item.path);
            archive.bytes = FileUtils::allocatedSize(item.path).bytes;
            archives.append(archive);
        }
    }
    std::stable_sort(archives.begin(), archives.end(), [](const Archive& a, const Archive& b) {
        if (!b.date)
            return a.date.has_value();
        return a.date && *a.date > *b.date;
    });
    return archives;
}

Inventory loadInventory(const Exclusions& exclusions)
{
    Inventory inventory;
    DeviceListing listing = listSimulatorDevices();
    inventory.devices = std::move(listing.devices);
    inventory.hasSimulatorTools = listing.toolAnswered;
    inventory.runtimes = listSimulatorRuntimes(availableDeviceCounts(inventory.devices));
    inventory.archives = listArchives(exclusions);
    return inventory;
}

QHash<QString, int> availableDeviceCounts(const QList<Device>& devices)
{
    QHash<QString, int> counts;
    for (const Device& device : devices)
        if (device.isAvailable)
            ++counts[device.runtimeIdentifier];
    return counts;
}

Recommendation recommendedSelection(const QList<Device>& devices, const QList<Runtime>& runtimes,
                                    const QList<Archive>& archives, const QDateTime& now)
{
    const QDateTime cutoff = now.addSecs(-ageLimitSeconds);
    Recommendation recommendation;
    for (const Device& device : devices) {
        if (device.state.compare(QLatin1String("Booted"), Qt::CaseInsensitive) == 0)
            continue;
        const bool recommended = !device.isAvailable || (device.lastUsed && *device.lastUsed < cutoff) ||
                                 (!device.lastUsed && device.bytes > undatedDeviceThreshold);
        if (recommended)
            recommendation.devices.insert(device.id);
    }
    for (const Runtime& runtime : runtimes)
        if (runtime.isDeletable && runtime.deviceCount == 0 && olderThan(runtime.lastUsed, cutoff))
            recommendation.runtimes.insert(runtime.id);
    for (const Archive& archive : archives)
        if (olderThan(archive.date, cutoff))
            recommendation.archives.insert(archive.id());
    return recommendation;
}

qint64 recommendedBytes(const QList<Device>& devices, const QList<Runtime>& runtimes, const QList<Archive>& archives,
                        const QDateTime& now)
{
    const Recommendation recommendation = recommendedSelection(devices, runtimes, archives, now);
    qint64 total = 0;
    for (const Device& device : devices)
        if (recommendation.devices.contains(device.id))
            total = saturatingAdd(total, device.bytes);
    for (const Runtime& runtime : runtimes)
        if (recommendation.runtimes.contains(runtime.id))
            total = saturatingAdd(total, runtime.bytes);
    for (const Archive& archive : archives)
        if (recommendation.archives.contains(archive.id()))
            total = saturatingAdd(total, archive.bytes);
    return total;
}

bool isDeviceIdentifier(const QString& id)
{
    // ASCII digits only: a regular expression's \d, or a case-insensitive match, would take more.
    static const QRegularExpression shape(QRegularExpression::anchoredPattern(
        QStringLiteral("[0-9A-Fa-f]{8}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{12}")));
    return shape.match(id).hasMatch();
}

bool isRuntimeIdentifier(const QString& id)
{
    return isDeviceIdentifier(id); // the listing keys runtime images by the same shape
}

QString failureReason(const QString& output)
{
    const QString trimmed = output.trimmed();
    return trimmed.isEmpty() ? QStringLiteral("Refusé par simctl.") : trimmed;
}

QString origin(const Device& device)
{
    return device.dataPath.isEmpty() ? QStringLiteral("/simulator/") + device.id : device.dataPath;
}

QString origin(const Runtime& runtime)
{
    return QStringLiteral("/runtime/%1 (%2)").arg(runtime.name, runtime.build);
}

Outcome remove(const QList<Device>& devices, const QList<Runtime>& runtimes, const QList<Archive>& archives,
               const Removal::Engine& engine, const Progress& progress, std::stop_token stop)
{
    const auto report = [&](double fraction, const QString& status) {
        if (progress)
            progress(fraction, status);
    };
    const QString xcrun = QStringLiteral("/usr/bin/xcrun");
    const double total = double(std::max<qsizetype>(1, devices.size() + runtimes.size() + archives.size()));
    Outcome outcome;

    qsizetype done = 0;
    QList<Device> deleted;
    for (const Device& device : devices) {
        if (stop.stop_requested())
            break;
        report(double(done) / total, device.name);
        ++done;
        if (!isDeviceIdentifier(device.id)) {
            outcome.failures.append({device.name, unknownIdentifierText()});
            continue;
        }
        if (device.state.compare(QLatin1String("Booted"), Qt::CaseInsensitive) == 0)
            OptimizationService::run(xcrun, {QStringLiteral("simctl"), QStringLiteral("shutdown"), device.id}, true);
        const auto result =
            OptimizationService::run(xcrun, {QStringLiteral("simctl"), QStringLiteral("delete"), device.id}, true);
        if (result.status != 0) {
            outcome.failures.append({device.name, failureReason(result.output)});
            continue;
        }
        deleted.append(device);
    }
    if (!deleted.isEmpty()) {
        const DeviceListing after = listSimulatorDevices();
        std::optional<QSet<QString>> listed;
        if (after.toolAnswered) {
            listed.emplace();
            for (const Device& device : after.devices)
                listed->insert(device.id.toUpper());
        }
        confirmRemoved(
            deleted, listed, [](const Device& device) { return origin(device); }, outcome);
    }

    QList<Runtime> deletedRuntimes;
    for (const Runtime& runtime : runtimes) {
        if (stop.stop_requested())
            break;
        report(double(done) / total, runtime.name);
        ++done;
        // The tool reads other words ("all") as every runtime image.
        if (!isRuntimeIdentifier(runtime.id)) {
            outcome.failures.append({runtime.name, unknownIdentifierText()});
            continue;
        }
        const auto result = OptimizationService::run(
            xcrun, {QStringLiteral("simctl"), QStringLiteral("runtime"), QStringLiteral("delete"), runtime.id}, true);
        if (result.status != 0) {
            outcome.failures.append({runtime.name, failureReason(result.output)});
            continue;
        }
        deletedRuntimes.append(runtime);
    }
    if (!deletedRuntimes.isEmpty()) {
        confirmRemoved(
            deletedRuntimes, listedRuntimeIdentifiers(), [](const Runtime& runtime) { return origin(runtime); },
            outcome);
    }

    // Archives gone or emptied since the inventory are passed over without a failure.
    QList<ScanItem> items;
    for (const Archive& archive : archives) {
        if (!Platform::fileInfo(archive.path))
            continue;
        const qint64 size = FileUtils::allocatedSize(archive.path).bytes;
        if (size <= 0)
            continue;
        ScanItem item;
        item.id = QUuid::createUuid();
        item.url = archive.path;
        item.name = archive.path.section(QLatin1Char('/'), -1);
        item.size = size;
        item.detail = QStringLiteral("Archive Xcode");
        item.modified = FileUtils::modificationDate(archive.path);
        item.isSelected = true;
        item.isRisky = false;
        item.removalMode = Removal::Mode::trash();
        items.append(item);
    }
    if (!items.isEmpty()) {
        const double before = double(done);
        const double count = double(archives.size());
        const Removal::Report engineReport = engine.remove(
            items, Removal::Mode::trash(),
            [&](double fraction, const QString& status) { report((before + fraction * count) / total, status); }, stop);
        outcome.freedBytes = saturatingAdd(outcome.freedBytes, engineReport.freedBytes);
        outcome.removed.append(engineReport.removed);
        for (const Removal::Failure& failure : engineReport.failures)
            outcome.failures.append({failure.url.section(QLatin1Char('/'), -1), failure.reason});
    }
    report(1.0, QString());
    return outcome;
}

Removal::Report journalReport(const Outcome& outcome)
{
    Removal::Report report;
    report.freedBytes = outcome.freedBytes;
    report.removed = outcome.removed;
    for (const Failure& failure : outcome.failures)
        report.failures.append({QStringLiteral("/") + failure.label, failure.reason});
    return report;
}

} // namespace XcodeService
