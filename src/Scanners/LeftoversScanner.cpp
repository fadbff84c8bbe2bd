#include "Scanners/LeftoversScanner.h"

#include "Core/BundleIdentifier.h"
#include "Core/InstalledApp.h"
#include "Platform/Applications.h"
#include "Platform/FileSystem.h"
#include "Platform/Symbols.h"
#include "Platform/SystemRoot.h"
#include "Scanners/ScanFilter.h"
#include "Scanners/ScanItems.h"

#include <algorithm>

#include <QFileInfo>
#include <QSet>
#include <QStringList>

using namespace Qt::StringLiterals;

namespace {

FileUtils::SizeResult measureOnDisk(const QString& path, double timeout)
{
    return FileUtils::allocatedSize(path, timeout);
}

} // namespace

LeftoversScanner::LeftoversScanner(const Exclusions& exclusions, ModuleID module, Measure measure)
    : m_exclusions(&exclusions), m_moduleID(module), m_measure(measure ? std::move(measure) : Measure(measureOnDisk))
{
}

QString LeftoversScanner::actionTitle() const
{
    return u"Supprimer"_s;
}

QString LeftoversScanner::emptyTitle() const
{
    return u"Aucun résidu"_s;
}

QString LeftoversScanner::emptyMessage() const
{
    return u"Chaque dossier de votre Bibliothèque correspond à une app installée."_s;
}

QHash<QString, QString> LeftoversScanner::installedBundleIdentifiers()
{
    return InstalledApp::installedIdentifiers();
}

QList<LeftoversScanner::Location> LeftoversScanner::libraryLocations()
{
    return {
        {FileUtils::libraryURL({u"Application Support"_s}), u"Données d'application"_s},
        {FileUtils::libraryURL({u"Caches"_s}), u"Cache"_s},
        {FileUtils::libraryURL({u"Preferences"_s}), u"Réglages"_s},
        {FileUtils::libraryURL({u"Containers"_s}), u"Conteneur"_s},
        {FileUtils::libraryURL({u"Group Containers"_s}), u"Conteneur de groupe"_s},
        {FileUtils::libraryURL({u"Saved Application State"_s}), u"État de fenêtre"_s},
        {FileUtils::libraryURL({u"HTTPStorages"_s}), u"Stockage réseau"_s},
        {FileUtils::libraryURL({u"WebKit"_s}), u"Données WebKit"_s},
        {FileUtils::libraryURL({u"Application Scripts"_s}), u"Scripts"_s},
        {FileUtils::libraryURL({u"Logs"_s}), u"Journaux"_s},
    };
}

bool LeftoversScanner::isSystemIdentifier(const QString& identifier)
{
    return BundleIdentifier::isSystem(identifier);
}

std::optional<QString> LeftoversScanner::vendorPrefix(const QString& identifier)
{
    const QStringList parts = identifier.split(u'.', Qt::SkipEmptyParts);
    if (parts.size() < 2)
        return std::nullopt;
    return parts[0] + u'.' + parts[1];
}

QList<ScanGroup> LeftoversScanner::scan(const Progress& progress, std::stop_token stop) const
{
    const auto report = [&](double fraction, const QString& label) {
        if (progress)
            progress(fraction, label);
    };

    report(0.05, u"Inventaire des apps installées…"_s);
    const QHash<QString, QString> installed = installedBundleIdentifiers();
    QSet<QString> installedVendors;
    for (auto it = installed.cbegin(); it != installed.cend(); ++it) {
        if (const std::optional<QString> vendor = vendorPrefix(it.key()))
            installedVendors.insert(*vendor);
    }

    QSet<QString> seen;
    QList<ScanItem> vanished;
    QList<ScanItem> publisherInstalled;
    const QList<Location> locations = libraryLocations();
    const qsizetype locationCount = locations.size();
    for (qsizetype i = 0; i < locationCount; ++i) {
        if (stop.stop_requested())
            break;
        const Location& location = locations[i];
        const double base = 0.1 + 0.85 * double(i) / double(locationCount);
        report(base, Platform::displayName(location.url));

        const std::vector<Platform::FileInfo> children = Platform::listFolder(location.url);
        const double step = 0.85 / double(locationCount) / double(std::max<size_t>(children.size(), 1));
        for (size_t j = 0; j < children.size(); ++j) {
            if (stop.stop_requested())
                break;
            const Platform::FileInfo& child = children[j];
            report(base + double(j) * step, child.name);

            // The whole name counts: the last part of a dotted identifier is no extension.
            const std::optional<QString> identifier = BundleIdentifier::fromEntryName(child.name, child.isRegular());
            if (!identifier || BundleIdentifier::isSystemEntry(child.name, child.isRegular()) ||
                installed.contains(*identifier))
                continue;
            if (Platform::applicationForBundleIdentifier(*identifier))
                continue; // installed elsewhere, where the one-level inventory does not look
            if (ScanFilter::isSkipped(*m_exclusions, child.path))
                continue;
            const QString path = Platform::standardizedPath(child.path).value_or(child.path);
            if (seen.contains(path))
                continue;
            seen.insert(path);

            const std::optional<QString> vendor = vendorPrefix(*identifier);
            const bool publisherStillInstalled = vendor && installedVendors.contains(*vendor);
            QString detail = location.label + u" · "_s + *identifier;
            if (!QFileInfo::exists(path))
                continue;
            const FileUtils::SizeResult size = m_measure(path, measureTimeout);
            if (size.bytes <= 0)
                continue;
            if (size.timedOut)
                detail += u" · au moins"_s;

            ScanItem item;
            item.id = QUuid::createUuid();
            item.url = path;
            item.name = child.name;
            item.size = size.bytes;
            item.detail = detail;
            item.modified = FileUtils::modificationDate(path);
            item.isSelected = !publisherStillInstalled;
            item.isRisky = publisherStillInstalled;
            item.removalMode = Removal::Mode::trash();
            (publisherStillInstalled ? publisherInstalled : vanished).append(std::move(item));
        }
    }

    // The exclusions may have changed while the scan ran.
    const auto excluded = [this](const ScanItem& item) { return ScanFilter::isSkipped(*m_exclusions, item.url); };
    vanished.removeIf(excluded);
    publisherInstalled.removeIf(excluded);

    QList<ScanGroup> groups;
    if (std::optional<ScanGroup> group =
            ScanItems::group(u"Apps disparues"_s, sfSymbol(u"folder.badge.questionmark"),
                             u"Aucune app installée ne porte cet identifiant. LaunchServices ne la connaît plus."_s,
                             std::move(vanished)))
        groups.append(std::move(*group));
    if (std::optional<ScanGroup> group = ScanItems::group(
            u"Éditeur encore installé"_s, sfSymbol(u"questionmark.circle"),
            u"L'app exacte a disparu, mais son éditeur reste présent avec un autre logiciel. Ces dossiers peuvent "
            u"servir à un composant partagé — à vérifier avant de cocher."_s,
            std::move(publisherInstalled)))
        groups.append(std::move(*group));
    report(1.0, QString());
    return groups;
}
