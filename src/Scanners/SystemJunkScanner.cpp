#include "Scanners/SystemJunkScanner.h"

#include "Core/FileUtils.h"
#include "Platform/SystemRoot.h"
#include "Scanners/ScanItems.h"

#include <algorithm>
#include <functional>
#include <vector>

#include <QDir>

using namespace Qt::StringLiterals;

namespace {

struct Candidate {
    QString path;
    std::optional<QString> detail; // nothing: the path with the home shown as "~"
};

// Every path offered so far in one scan. The scanned folders do not nest on a Mac, but a temporary folder
// set inside a cache, or a similar layout, would otherwise list the same files twice and count them twice.
// The listed paths are held as views of the paths of the items the scan keeps, not as strings of their own: a
// cache folder may list a hundred thousand of them, and those items last as long as the scan.
class ListedPaths final
{
public:
    // Whether `path` is a listed path, lies inside one, or holds one. Hashed, not ordered: a scan may list
    // a hundred thousand paths that share long beginnings.
    bool overlaps(const QString& path) const
    {
        if (m_holders.contains(path))
            return true;
        for (qsizetype end = path.size(); end > 0; end = path.lastIndexOf(u'/', end - 1)) {
            if (m_paths.contains(QStringView(path).left(end)))
                return true;
        }
        return false;
    }

    // overlaps() in two steps, for callers that judge many children of one folder in a row: the path itself,
    // and its folder with the folders above it (which adding a child of that folder cannot change).
    bool overlapsItself(const QString& path) const
    {
        return m_holders.contains(path) || m_paths.contains(QStringView(path));
    }
    bool folderOrAboveListed(const QString& path) const
    {
        for (qsizetype end = path.lastIndexOf(u'/'); end > 0; end = path.lastIndexOf(u'/', end - 1)) {
            if (m_paths.contains(QStringView(path).left(end)))
                return true;
        }
        return false;
    }

    // `path` must stay, unchanged, as long as this set: the path of an item the scan returns.
    void add(const QString& path)
    {
        m_paths.insert(QStringView(path));
        // From the nearest folder up, until one already known: the folders above it are known too.
        for (qsizetype end = path.lastIndexOf(u'/'); end > 0; end = path.lastIndexOf(u'/', end - 1)) {
            // A view of the path's own characters, not a copy: this runs for every path listed.
            if (m_holders.contains(QString::fromRawData(path.constData(), end)))
                break;
            m_holders.insert(path.left(end));
        }
    }

private:
    QSet<QStringView> m_paths;
    QSet<QString> m_holders; // every folder above a listed path
};

QList<Candidate> childrenOf(const QString& folder)
{
    QStringList children = ModuleScanner::directoryContents(folder);
    QList<Candidate> candidates;
    candidates.reserve(children.size());
    for (QString& child : children)
        candidates.append({std::move(child), std::nullopt});
    return candidates;
}

// The last component's extension, the way a Mac reads it: a leading dot starts a hidden name, not an
// extension.
QString extensionOf(const QString& path)
{
    const QString name = path.section(u'/', -1);
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot > 0 ? name.mid(dot + 1) : QString();
}

// The user's temporary folder, unless it holds a folder that the scan reads for another reason (the home,
// the Library, the caches, …): its children would then offer personal folders, or the system's own caches,
// as temporary files.
std::optional<QString> temporaryRoot(const QStringList& otherRoots)
{
    const QString folder = Platform::temporaryFolder();
    for (const QString& root : otherRoots) {
        if (Platform::isEqualOrUnder(root, folder))
            return std::nullopt;
    }
    return folder;
}

std::optional<ScanGroup> collect(const Exclusions& exclusions, QList<Candidate> candidates, ListedPaths& listed,
                                 const std::stop_token& stop, const QString& title, const QString& symbol,
                                 std::optional<QString> note)
{
    QList<QString> paths;
    QList<std::optional<QString>> details; // left empty when every candidate's detail defaults
    paths.reserve(candidates.size());
    for (Candidate& candidate : candidates)
        paths.append(std::move(candidate.path));
    if (std::any_of(candidates.cbegin(), candidates.cend(), [](const Candidate& c) { return c.detail.has_value(); })) {
        details.reserve(candidates.size());
        for (Candidate& candidate : candidates)
            details.append(std::move(candidate.detail));
    }
    candidates = {};
    QList<ScanItem> items = ScanItems::measuredSideBySide(
        exclusions, paths, Removal::Mode::trash(), stop,
        [&listed](const QString& path) { return listed.overlaps(path); }, details);
    details = {};
    // Listed in the candidates' order, as measuring them one after another would: a candidate inside one
    // listed before it in this category is still left out.
    std::vector<std::size_t> order;
    order.reserve(std::size_t(items.size()));
    QStringView folder;        // of the last path judged
    bool folderListed = false; // whether that folder or one above it is listed
    for (qsizetype index = 0; index < items.size(); ++index) {
        const ScanItem& item = items.at(index);
        if (item.url.isNull())
            continue;
        const QString& path = paths[index];
        const QStringView parent = QStringView(path).left(std::max<qsizetype>(path.lastIndexOf(u'/'), 0));
        if (parent.isEmpty() || parent != folder) {
            folder = parent;
            folderListed = listed.folderOrAboveListed(path);
        }
        if (folderListed || listed.overlapsItself(path))
            continue;
        listed.add(item.url);
        // Adding a child of the folder leaves the folder's answer as it was; any other path may not.
        if (item.url != path)
            folder = {};
        order.push_back(std::size_t(index));
    }
    paths = {}; // each item has its path now
    // The group's order: largest first, equal sizes in listing order.
    const ScanItem* const made = items.constData();
    std::stable_sort(order.begin(), order.end(),
                     [made](std::size_t a, std::size_t b) { return made[a].size > made[b].size; });
    ScanItems::keepInOrder(items, order);
    return ScanItems::group(title, symbol, std::move(note), std::move(items));
}

} // namespace

SystemJunkScanner::SystemJunkScanner(const Exclusions& exclusions, ModuleID module, bool includesProtectedLocations,
                                     QSet<QString> cacheDenylist)
    : m_exclusions(&exclusions), m_moduleID(module), m_includesProtectedLocations(includesProtectedLocations),
      m_cacheDenylist(std::move(cacheDenylist))
{
}

QSet<QString> SystemJunkScanner::standardCacheDenylist()
{
    return {u"com.apple.appstore"_s,
            u"com.apple.iCloudHelper"_s,
            u"com.apple.Safari.SafeBrowsing"_s,
            u"CloudKit"_s,
            u"com.apple.containermanagerd"_s,
            u"com.apple.nsurlsessiond"_s,
            u"com.apple.Music"_s,
            u"com.apple.iTunes"_s,
            u"com.apple.AMPLibraryAgent"_s,
            u"com.apple.amp.mediasharingd"_s,
            u"com.apple.TV"_s,
            u"com.apple.Photos"_s,
            u"com.apple.photolibraryd"_s,
            u"com.apple.mediaanalysisd"_s};
}

QList<SystemJunkScanner::DeveloperCache> SystemJunkScanner::developerCaches()
{
    const QString home = Platform::homeFolder();
    const auto inHome = [&](const QString& relative) { return QDir::cleanPath(home + u'/' + relative); };
    using FileUtils::libraryURL;
    return {
        {libraryURL({u"Developer"_s, u"Xcode"_s, u"DerivedData"_s}), u"Caches de compilation Xcode"_s},
        {libraryURL({u"Developer"_s, u"CoreSimulator"_s, u"Caches"_s}), u"Caches du simulateur iOS"_s},
        {libraryURL({u"Developer"_s, u"Xcode"_s, u"iOS DeviceSupport"_s}), u"Symboles d'appareils iOS"_s},
        {libraryURL({u"Developer"_s, u"Xcode"_s, u"watchOS DeviceSupport"_s}), u"Symboles d'appareils watchOS"_s},
        {libraryURL({u"Caches"_s, u"com.apple.dt.Xcode"_s}), u"Cache Xcode"_s},
        {inHome(u".npm/_cacache"_s), u"Cache npm"_s},
        {libraryURL({u"Caches"_s, u"Yarn"_s}), u"Cache Yarn"_s},
        {libraryURL({u"pnpm"_s, u"store"_s}), u"Store pnpm"_s},
        {libraryURL({u"Caches"_s, u"pip"_s}), u"Cache pip"_s},
        {libraryURL({u"Caches"_s, u"Homebrew"_s}), u"Cache Homebrew"_s},
        {inHome(u".gradle/caches"_s), u"Cache Gradle"_s},
        {libraryURL({u"Caches"_s, u"CocoaPods"_s}), u"Cache CocoaPods"_s},
        {inHome(u".cargo/registry/cache"_s), u"Cache Cargo"_s},
        {inHome(u".cache/go-build"_s), u"Cache Go"_s},
        {inHome(u".docker/buildx"_s), u"Cache Docker BuildKit"_s},
    };
}

QList<ScanGroup> SystemJunkScanner::scan(const Progress& progress, std::stop_token stop) const
{
    using FileUtils::libraryURL;
    const QString home = Platform::homeFolder();
    const QString caches = libraryURL({u"Caches"_s});
    const QString temporaryItems = libraryURL({u"Caches"_s, u"TemporaryItems"_s});
    const QList<DeveloperCache> developer = developerCaches();

    const QString logsFolder = libraryURL({u"Logs"_s});
    const QString crashReports = libraryURL({u"Application Support"_s, u"CrashReporter"_s});
    const QString diagnosticReports = libraryURL({u"DiagnosticReports"_s});
    const QString updates = libraryURL({u"Updates"_s});
    const QString downloads = QDir::cleanPath(home + u"/Downloads"_s);
    const QString savedStates = libraryURL({u"Saved Application State"_s});

    const auto applicationCaches = [&] {
        // The developer caches inside ~/Library/Caches belong to their own category, and TemporaryItems to
        // the temporary files: each is offered there only.
        QSet<QString> elsewhere{temporaryItems};
        for (const DeveloperCache& location : developer)
            elsewhere.insert(location.url);
        QList<Candidate> candidates = childrenOf(caches);
        const auto away = std::remove_if(candidates.begin(), candidates.end(), [&](const Candidate& child) {
            // A view of the path's own characters, not a copy: a cache folder may hold a hundred thousand entries.
            const qsizetype start = child.path.lastIndexOf(u'/') + 1;
            const QString name = QString::fromRawData(child.path.constData() + start, child.path.size() - start);
            return m_cacheDenylist.contains(name) || elsewhere.contains(child.path);
        });
        candidates.erase(away, candidates.end());
        return candidates;
    };
    const auto logs = [&] { return childrenOf(logsFolder) + childrenOf(crashReports) + childrenOf(diagnosticReports); };
    const auto developerTools = [&] {
        QList<Candidate> candidates;
        for (const DeveloperCache& location : developer)
            candidates.append({location.url, location.label});
        return candidates;
    };
    const auto temporaryFiles = [&] {
        QStringList otherRoots{home,    caches,    logsFolder, crashReports, diagnosticReports,
                               updates, downloads, savedStates};
        for (const DeveloperCache& location : developer)
            otherRoots.append(location.url);
        const std::optional<QString> temporary = temporaryRoot(otherRoots);
        return (temporary ? childrenOf(*temporary) : QList<Candidate>()) + childrenOf(temporaryItems);
    };
    const auto installers = [&] {
        QList<Candidate> candidates = childrenOf(updates);
        if (m_includesProtectedLocations) {
            for (const Candidate& child : childrenOf(downloads)) {
                const QString extension = extensionOf(child.path).toLower();
                if (extension == u"dmg" || extension == u"pkg" || extension == u"mpkg")
                    candidates.append(child);
            }
        }
        return candidates;
    };
    const auto savedApplicationStates = [&] { return childrenOf(savedStates); };

    struct Category {
        double fraction;
        QString label;
        std::function<QList<Candidate>()> candidates;
        QString title;
        QString symbol;
        std::optional<QString> note;
    };
    const Category categories[] = {
        {0.05, u"Caches d'applications…"_s, applicationCaches, u"Caches d'applications"_s, u"shippingbox"_s,
         u"Régénérés au prochain lancement de chaque app."_s},
        {0.3, u"Journaux…"_s, logs, u"Journaux et rapports d'incident"_s, u"doc.text"_s,
         u"Historique de diagnostic, sans effet sur le fonctionnement."_s},
        {0.45, u"Outils de développement…"_s, developerTools, u"Outils de développement"_s, u"hammer"_s,
         u"Reconstruits automatiquement — la première build suivante sera plus lente."_s},
        {0.7, u"Fichiers temporaires…"_s, temporaryFiles, u"Fichiers temporaires"_s, u"clock.arrow.circlepath"_s,
         std::nullopt},
        {0.85,
         m_includesProtectedLocations ? u"Téléchargements — macOS peut demander une autorisation…"_s
                                      : u"Restes d'installation…"_s,
         installers, u"Programmes d'installation"_s, u"arrow.down.circle"_s,
         u"Images disque et paquets déjà installés."_s},
        {0.95, u"États d'application enregistrés…"_s, savedApplicationStates, u"États d'application enregistrés"_s,
         u"macwindow"_s, u"Les apps rouvriront sans restaurer leurs fenêtres précédentes."_s},
    };

    ListedPaths listed;
    QList<ScanGroup> groups;
    for (const Category& category : categories) {
        if (progress)
            progress(category.fraction, category.label);
        // After a stop each category still reports its step but reads nothing.
        QList<Candidate> candidates = stop.stop_requested() ? QList<Candidate>() : category.candidates();
        if (std::optional<ScanGroup> group = collect(*m_exclusions, std::move(candidates), listed, stop, category.title,
                                                     category.symbol, category.note))
            groups.append(std::move(*group));
    }
    if (progress)
        progress(1.0, QString());
    return groups;
}
