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

// How closely `identifier` names an entry, by its whole name or its name without the last extension: the
// identifier's length when it names it, else -1.
qsizetype closeness(const QString& identifier, const QString& whole, const QString& stem)
{
    if (identifier.isEmpty() || !(matchesNeedle(whole, identifier) || matchesNeedle(stem, identifier)))
        return -1;
    return identifier.size();
}

// Whether another installed application's identifier (`others`) names the entry more closely than this app's
// own identifier (`own`, empty when it names nothing) does.
bool namedAfterAnother(const QString& whole, const QString& stem, const QString& own, const QStringList& others)
{
    const qsizetype ownCloseness = closeness(own, whole, stem);
    return std::any_of(others.cbegin(), others.cend(),
                       [&](const QString& other) { return closeness(other, whole, stem) > ownCloseness; });
}

std::optional<InstalledApp> makeApp(const QString& url, const QHash<QString, QString>& installed)
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
    if (const auto displayName = stringValue(bundle->dictionary, u"CFBundleDisplayName"_s))
        app.name = *displayName;
    else if (const auto bundleName = stringValue(bundle->dictionary, u"CFBundleName"_s))
        app.name = *bundleName;
    else
        app.name = withoutLastExtension(Platform::displayName(path));
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
    return makeApp(url, installedIdentifiers());
}

QHash<QString, QString> InstalledApp::installedIdentifiers()
{
    const QString folders[] = {
        Platform::systemPath(u"/Applications"_s), Platform::systemPath(u"/Applications/Utilities"_s),
        Platform::systemPath(u"/System/Applications"_s), Platform::systemPath(u"/System/Applications/Utilities"_s),
        QDir::cleanPath(Platform::homeFolder() + u"/Applications"_s)};
    // The running application is installed, wherever it runs from (the build folder, here).
    QHash<QString, QString> installed{{Platform::MainBundle::applicationIdentifier(), Platform::MainBundle::path()}};
    for (const QString& folder : folders) {
        for (const Platform::FileInfo& child : Platform::listFolder(folder)) {
            if (!hasAppExtension(child.name))
                continue;
            const std::optional<Platform::BundleInfo> bundle = Platform::readBundle(child.path);
            if (bundle && !bundle->identifier.isEmpty())
                installed.insert(bundle->identifier, child.path);
        }
    }
    return installed;
}

QList<InstalledApp> InstalledApp::loadAll(const Progress& progress, std::stop_token stop)
{
    const QString roots[] = {Platform::systemPath(u"/Applications"_s),
                             Platform::systemPath(u"/Applications/Utilities"_s),
                             QDir::cleanPath(Platform::homeFolder() + u"/Applications"_s)};
    QStringList candidates;
    for (const QString& root : roots) {
        for (const Platform::FileInfo& child : Platform::listFolder(root)) {
            if (hasAppExtension(child.name))
                candidates.append(child.path);
        }
    }

    const QHash<QString, QString> installed = installedIdentifiers();
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

QList<ScanItem> InstalledApp::leftoversOf(const InstalledApp& app, const QHash<QString, QString>& installed)
{
    QList<ScanItem> items;
    if (app.isAppleApp)
        return items;
    const QSet<QString> needles = app.matchKeys();
    const QString identifier = app.bundleID.toLower();
    const QString own = BundleIdentifier::isOwnName(identifier) ? identifier : QString();
    QStringList others;
    for (auto it = installed.cbegin(); it != installed.cend(); ++it) {
        const QString other = it.key().toLower();
        if (other != identifier && BundleIdentifier::isOwnName(other) && !others.contains(other))
            others.append(other);
    }
    for (const LeftoverLocation& location : leftoverLocations()) {
        for (const Platform::FileInfo& child : Platform::listFolder(FileUtils::libraryURL({location.folder}))) {
            // Both the whole name and the name without its last extension count: a folder named after the
            // identifier ("com.example.editor") would lose its last part to the extension rule alone.
            const QString whole = child.name.toLower();
            const QString stem = withoutLastExtension(whole);
            const bool matches = std::any_of(needles.cbegin(), needles.cend(), [&](const QString& needle) {
                return matchesNeedle(whole, needle) || matchesNeedle(stem, needle);
            });
            if (!matches || BundleIdentifier::isSystem(whole) || namedAfterAnother(whole, stem, own, others) ||
                PathSafety::isProtected(child.path) || !QFileInfo::exists(child.path))
                continue;
            const FileUtils::SizeResult size = FileUtils::allocatedSize(child.path, kLeftoverMeasureTimeout);
            if (size.bytes <= 0)
                continue;
            items.append(removableItem(child.path, child.name, size, location.label));
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
    if (includingLeftovers)
        items.append(app.leftovers);
    return items;
}

bool InstalledApp::isRunning() const
{
    const QList<Platform::RunningApplication> running = Platform::runningApplications();
    return std::any_of(running.cbegin(), running.cend(), [&](const Platform::RunningApplication& application) {
        return !application.bundleIdentifier.isEmpty() && application.bundleIdentifier == bundleID;
    });
}

void InstalledApp::terminate() const
{
    for (const Platform::RunningApplication& application : Platform::runningApplications()) {
        if (!application.bundleIdentifier.isEmpty() && application.bundleIdentifier == bundleID)
            Platform::terminate(application);
    }
}

qint64 InstalledApp::totalSize() const
{
    qint64 total = size;
    for (const ScanItem& item : leftovers)
        total += item.size;
    return total;
}
