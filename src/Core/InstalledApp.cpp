#include "Core/InstalledApp.h"

#include "Core/BundleIdentifier.h"
#include "Core/FileUtils.h"
#include "Core/PathSafety.h"
#include "Platform/Applications.h"
#include "Platform/FileSystem.h"
#include "Platform/MainBundle.h"
#include "Platform/RunningApplications.h"
#include "Platform/SystemRoot.h"

#include <algorithm>

#include <QDir>
#include <QFileInfo>
#include <QStringList>

using namespace Qt::StringLiterals;

namespace {

struct LeftoverLocation {
    QString folder;
    QString label;
};

// The Library folders where an application keeps its data, and how each is shown.
const QList<LeftoverLocation>& leftoverLocations()
{
    static const QList<LeftoverLocation> locations{
        {u"Application Support"_s, u"Données d'application"_s},
        {u"Caches"_s, u"Cache"_s},
        {u"Preferences"_s, u"Réglages"_s},
        {u"Containers"_s, u"Conteneur"_s},
        {u"Group Containers"_s, u"Conteneur de groupe"_s},
        {u"Saved Application State"_s, u"État de fenêtre"_s},
        {u"Logs"_s, u"Journaux"_s},
        {u"HTTPStorages"_s, u"Stockage réseau"_s},
        {u"WebKit"_s, u"Données WebKit"_s},
        {u"LaunchAgents"_s, u"Agent de lancement"_s},
        {u"Application Scripts"_s, u"Scripts"_s},
    };
    return locations;
}

constexpr double kLeftoverMeasureTimeout = 1.5;

// "com.example.editor.plist" → "com.example.editor"; a name whose only dot leads it (".hidden") has no extension.
QString withoutLastExtension(const QString& name)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot > 0 ? name.left(dot) : name;
}

bool hasAppExtension(const QString& name)
{
    return name.endsWith(u".app"_s) && name.size() > 4;
}

bool matchesNeedle(const QString& key, const QString& needle)
{
    return key == needle || key.startsWith(needle + u'.') || key.startsWith(needle + u'-');
}

std::optional<QString> stringValue(const QVariantMap& dictionary, const QString& key)
{
    const QVariant value = dictionary.value(key);
    if (value.typeId() != QMetaType::QString)
        return std::nullopt;
    return value.toString();
}

ScanItem removableItem(const QString& url, const QString& name, const FileUtils::SizeResult& size,
                       const QString& detail)
{
    ScanItem item;
    item.id = QUuid::createUuid();
    item.url = url;
    item.name = name;
    item.size = size.bytes;
    item.detail = size.timedOut ? detail + u" · au moins"_s : detail;
    item.modified = FileUtils::modificationDate(url);
    item.isSelected = true;
    item.isRisky = false;
    item.removalMode = Removal::Mode::trash();
    return item;
}

// The name shown for a bundle: its display name, else its bundle name (each used as it is, even empty, when it is
// a text), else its file name without the extension.
QString bundleName(const QVariantMap& dictionary, const QString& path)
{
    if (const auto displayName = stringValue(dictionary, u"CFBundleDisplayName"_s))
        return *displayName;
    if (const auto name = stringValue(dictionary, u"CFBundleName"_s))
        return *name;
    return withoutLastExtension(Platform::displayName(path));
}

// The "….app" entries of each root, and of each of its subfolders one level down, in listing order. A subfolder
// that is a root itself is left to its own turn, and a link is not entered.
QStringList bundlesIn(const QStringList& roots)
{
    QStringList bundles;
    for (const QString& root : roots) {
        for (const Platform::FileInfo& child : Platform::listFolder(root)) {
            if (hasAppExtension(child.name)) {
                bundles.append(child.path);
            } else if (child.isDirectory() && !roots.contains(child.path)) {
                for (const Platform::FileInfo& nested : Platform::listFolder(child.path)) {
                    if (hasAppExtension(nested.name))
                        bundles.append(nested.path);
                }
            }
        }
    }
    return bundles;
}

// How closely an application claims an entry, by its whole name or its name without the last extension: the
// length of its identifier (`identifier`, empty when it may name nothing) when that names it, 0 when only
// another of its needles does, -1 when none does.
qsizetype claim(const QString& identifier, const QSet<QString>& needles, const QString& whole, const QString& stem)
{
    const auto names = [&](const QString& needle) {
        return matchesNeedle(whole, needle) || matchesNeedle(stem, needle);
    };
    if (!identifier.isEmpty() && names(identifier))
        return identifier.size();
    return std::any_of(needles.cbegin(), needles.cend(), names) ? 0 : -1;
}

// The identifier among an application's needles, lower-case; empty when it may name nothing.
QString ownIdentifier(const QString& bundleID)
{
    const QString identifier = bundleID.toLower();
    return BundleIdentifier::isOwnName(identifier) ? identifier : QString();
}

struct Claimant {
    QString identifier;
    QSet<QString> needles;
    QString name;
};

std::optional<InstalledApp> makeApp(const QString& url, const QList<InstalledApp::Neighbour>& installed)
{
    // Only a "….app" folder is an application: any other folder (the root, for an empty path) would be walked
    // whole for its size.
    const QString path = Platform::absolutePath(url);
    if (!hasAppExtension(Platform::displayName(path)))
        return std::nullopt;
    const std::optional<Platform::BundleInfo> bundle = Platform::readBundle(path);
    if (!bundle)
        return std::nullopt;

    InstalledApp app;
    app.id = QUuid::createUuid();
    app.url = path;
    app.bundleID = bundle->identifier;
    app.name = bundleName(bundle->dictionary, path);
    app.version = stringValue(bundle->dictionary, u"CFBundleShortVersionString"_s).value_or(u"—"_s);

    // The dates first: walking the bundle reads its folders, which may move their access dates.
    if (const std::optional<Platform::FileInfo> info = Platform::fileInfo(path)) {
        if (info->accessed.isValid())
            app.lastUsed = info->accessed;
        else if (info->modified.isValid())
            app.lastUsed = info->modified;
    }
    app.size = FileUtils::allocatedSize(path).bytes;
    app.isAppleApp = app.bundleID.startsWith(u"com.apple."_s);
    app.leftovers = InstalledApp::leftoversOf(app, installed);
    return app;
}

} // namespace

std::optional<InstalledApp> InstalledApp::make(const QString& url)
{
    return makeApp(url, installedNeighbours());
}

QList<InstalledApp::Neighbour> InstalledApp::installedNeighbours()
{
    // The running application is installed, wherever it runs from (the build folder, here).
    const QString self = Platform::MainBundle::path();
    const std::optional<Platform::BundleInfo> selfBundle =
        hasAppExtension(Platform::displayName(self)) ? Platform::readBundle(self) : std::nullopt;
    QList<Neighbour> installed{{Platform::MainBundle::applicationIdentifier(),
                                selfBundle ? bundleName(selfBundle->dictionary, self) : u"Quorvane Pro"_s, self}};
    const QStringList folders{
        Platform::systemPath(u"/Applications"_s), Platform::systemPath(u"/Applications/Utilities"_s),
        Platform::systemPath(u"/System/Applications"_s), Platform::systemPath(u"/System/Applications/Utilities"_s),
        QDir::cleanPath(Platform::homeFolder() + u"/Applications"_s)};
    for (const QString& path : bundlesIn(folders)) {
        if (const std::optional<Platform::BundleInfo> bundle = Platform::readBundle(path))
            installed.append({bundle->identifier, bundleName(bundle->dictionary, path), path});
    }
    return installed;
}

QHash<QString, QString> InstalledApp::installedIdentifiers()
{
    QHash<QString, QString> installed;
    for (const Neighbour& neighbour : installedNeighbours()) {
        if (!neighbour.bundleID.isEmpty())
            installed.insert(neighbour.bundleID, neighbour.url);
    }
    return installed;
}

QList<InstalledApp> InstalledApp::loadAll(const Progress& progress, std::stop_token stop)
{
    const QStringList candidates =
        bundlesIn({Platform::systemPath(u"/Applications"_s), Platform::systemPath(u"/Applications/Utilities"_s),
                   QDir::cleanPath(Platform::homeFolder() + u"/Applications"_s)});
    const QList<Neighbour> installed = installedNeighbours();
    QList<InstalledApp> apps;
    const qsizetype count = candidates.size();
    for (qsizetype i = 0; i < count; ++i) {
        if (stop.stop_requested())
            break;
        if (progress)
            progress(double(i) / double(count), Platform::displayName(candidates[i]));
        if (std::optional<InstalledApp> app = makeApp(candidates[i], installed))
            apps.append(std::move(*app));
    }
    if (progress)
        progress(1.0, QString());
    std::stable_sort(apps.begin(), apps.end(),
                     [](const InstalledApp& a, const InstalledApp& b) { return a.totalSize() > b.totalSize(); });
    return apps;
}

QSet<QString> InstalledApp::matchKeys() const
{
    QSet<QString> needles;
    const QString identifier = bundleID.toLower();
    if (!identifier.isEmpty()) {
        if (BundleIdentifier::isOwnName(identifier))
            needles.insert(identifier);
        const QStringList parts = identifier.split(u'.', Qt::SkipEmptyParts);
        if (!parts.isEmpty() && parts.last().size() >= 4)
            needles.insert(parts.last());
    }
    const QString compactName = name.toLower().remove(u' ');
    if (compactName.size() >= 4)
        needles.insert(compactName);
    return needles;
}

QList<ScanItem> InstalledApp::leftoversOf(const InstalledApp& app, const QList<Neighbour>& installed)
{
    QList<ScanItem> items;
    if (app.isAppleApp)
        return items;
    const QSet<QString> needles = app.matchKeys();
    const QString own = ownIdentifier(app.bundleID);
    // The other applications, a copy of this one (the same bundle, or its identifier elsewhere) aside.
    QList<Claimant> others;
    for (const Neighbour& neighbour : installed) {
        const QString identifier = neighbour.bundleID.toLower();
        if (neighbour.url == app.url || (!identifier.isEmpty() && identifier == app.bundleID.toLower()))
            continue;
        InstalledApp other;
        other.bundleID = neighbour.bundleID;
        other.name = neighbour.name;
        others.append({ownIdentifier(identifier), other.matchKeys(), neighbour.name});
    }
    for (const LeftoverLocation& location : leftoverLocations()) {
        for (const Platform::FileInfo& child : Platform::listFolder(FileUtils::libraryURL({location.folder}))) {
            // Both the whole name and the name without its last extension count: a folder named after the
            // identifier ("com.example.editor") would lose its last part to the extension rule alone.
            const QString whole = child.name.toLower();
            const QString stem = withoutLastExtension(whole);
            const qsizetype ownClaim = claim(own, needles, whole, stem);
            if (ownClaim < 0 || BundleIdentifier::isSystemEntry(child.name, child.isRegular()))
                continue;
            QStringList sharers;
            bool another = false;
            for (const Claimant& other : others) {
                const qsizetype otherClaim = claim(other.identifier, other.needles, whole, stem);
                another = another || otherClaim > ownClaim;
                if (otherClaim == ownClaim && !sharers.contains(other.name))
                    sharers.append(other.name);
            }
            if (another || PathSafety::isProtected(child.path) || !QFileInfo::exists(child.path))
                continue;
            const FileUtils::SizeResult size = FileUtils::allocatedSize(child.path, kLeftoverMeasureTimeout);
            if (size.bytes <= 0)
                continue;
            ScanItem item = removableItem(child.path, child.name, size, location.label);
            // Another application's data as much as this one's: it goes only when the user ticks it.
            if (!sharers.isEmpty()) {
                item.isSelected = false;
                item.isRisky = true;
                item.detail = *item.detail + u" · partagé avec "_s + sharers.join(u", "_s);
            }
            items.append(std::move(item));
        }
    }
    std::stable_sort(items.begin(), items.end(), [](const ScanItem& a, const ScanItem& b) { return a.size > b.size; });
    return items;
}

QList<ScanItem> InstalledApp::bundleItems(const InstalledApp& app, bool includingLeftovers)
{
    QList<ScanItem> items;
    if (QFileInfo::exists(app.url)) {
        const FileUtils::SizeResult size = FileUtils::allocatedSize(app.url);
        if (size.bytes > 0)
            items.append(removableItem(app.url, Platform::displayName(app.url), size, u"Application"_s));
    }
    if (includingLeftovers) {
        for (const ScanItem& leftover : app.leftovers) {
            if (leftover.isSelected)
                items.append(leftover);
        }
    }
    return items;
}

bool InstalledApp::isRunning(const Platform::ApplicationProcesses& applications) const
{
    const QList<Platform::RunningApplication> running = applications.running();
    return std::any_of(running.cbegin(), running.cend(), [&](const Platform::RunningApplication& application) {
        return !application.bundleIdentifier.isEmpty() && application.bundleIdentifier == bundleID;
    });
}

void InstalledApp::terminate(const Platform::ApplicationProcesses& applications) const
{
    for (const Platform::RunningApplication& application : applications.running()) {
        if (!application.bundleIdentifier.isEmpty() && application.bundleIdentifier == bundleID)
            applications.terminate(application);
    }
}

qint64 InstalledApp::totalSize() const
{
    qint64 total = size;
    for (const ScanItem& item : leftovers)
        total += item.size;
    return total;
}
