#include "Scanners/PrivacyScanner.h"

#include "Core/FileUtils.h"
#include "Core/PathSafety.h"
#include "Platform/FileSystem.h"
#include "Platform/SystemRoot.h"
#include "Scanners/ScanFilter.h"

#include <QDir>

using namespace Qt::StringLiterals;

namespace {

struct Target {
    QString label;
    QString url;
    bool risky = false;
};

// The target as an item, or nothing when it is protected, absent, a link, or holds no byte.
std::optional<ScanItem> itemFor(const Target& target, const std::stop_token& stop)
{
    if (PathSafety::isProtected(target.url))
        return std::nullopt;
    const std::optional<Platform::FileInfo> info = Platform::fileInfo(target.url);
    if (!info)
        return std::nullopt;
    qint64 size = 0;
    if (info->isRegular()) {
        size = info->allocatedSize;
    } else if (info->isDirectory()) { // a folder is one item, measured whole; a link is never followed
        size = FileUtils::allocatedSize(info->path, std::nullopt, stop).bytes;
        if (stop.stop_requested())
            return std::nullopt; // a cut measure would be wrong
    }
    if (size <= 0)
        return std::nullopt;
    ScanItem item;
    item.id = QUuid::createUuid();
    item.url = info->path;
    item.name = target.label;
    item.size = size;
    item.detail = FileUtils::abbreviatedPath(info->path);
    if (info->modified.isValid())
        item.modified = info->modified;
    item.isSelected = !target.risky;
    item.isRisky = target.risky;
    item.removalMode = Removal::Mode::trash();
    return item;
}

std::optional<ScanGroup> groupFor(const Exclusions& exclusions, const QString& title, const QString& symbol,
                                  const QList<Target>& targets, const std::stop_token& stop)
{
    QList<ScanItem> items;
    bool foundRisky = false;
    for (const Target& target : targets) {
        if (stop.stop_requested())
            break;
        std::optional<ScanItem> item = itemFor(target, stop);
        if (!item)
            continue;
        foundRisky = foundRisky || item->isRisky;
        // The note below still counts a sensitive trace that the user excluded.
        if (!ScanFilter::isSkipped(exclusions, item->url))
            items.append(std::move(*item));
    }
    if (items.isEmpty())
        return std::nullopt;
    ScanGroup group;
    group.id = QUuid::createUuid();
    group.title = title;
    group.symbol = symbol;
    if (foundRisky)
        group.note = u"Les éléments sensibles sont décochés par défaut."_s;
    group.items = ScanOrder::sortedBySize(std::move(items));
    group.isExpanded = false;
    group.metric = ScanGroup::Metric::bytes;
    return group;
}

} // namespace

QString PrivacyScanner::actionTitle() const
{
    return u"Effacer"_s;
}

QString PrivacyScanner::emptyTitle() const
{
    return u"Aucune trace trouvée"_s;
}

QString PrivacyScanner::emptyMessage() const
{
    return u"Rien à effacer parmi les navigateurs et apps analysés."_s;
}

QList<ScanGroup> PrivacyScanner::scan(const Progress& progress, std::stop_token stop) const
{
    using FileUtils::libraryURL;
    const QString home = Platform::homeFolder();
    const QString chrome = libraryURL({u"Application Support"_s, u"Google"_s, u"Chrome"_s, u"Default"_s});
    const QString profiles = libraryURL({u"Application Support"_s, u"Firefox"_s, u"Profiles"_s});

    QList<ScanGroup> groups;
    const auto add = [&](double fraction, const QString& label, const QString& title, const QString& symbol,
                         const auto& targets) {
        if (progress)
            progress(fraction, label);
        // After a stop each source still reports its step but reads nothing.
        if (stop.stop_requested())
            return;
        if (std::optional<ScanGroup> group = groupFor(*m_exclusions, title, symbol, targets(), stop))
            groups.append(std::move(*group));
    };

    add(0.15, u"Safari…"_s, u"Safari"_s, u"safari"_s, [&] {
        return QList<Target>{
            {u"Historique de navigation"_s, libraryURL({u"Safari"_s, u"History.db"_s}), true},
            {u"Cache"_s, libraryURL({u"Caches"_s, u"com.apple.Safari"_s}), false},
            {u"Données de sites web"_s, libraryURL({u"Safari"_s, u"Databases"_s}), true},
            {u"Téléchargements enregistrés"_s, libraryURL({u"Safari"_s, u"Downloads.plist"_s}), false},
        };
    });
    add(0.4, u"Chrome…"_s, u"Google Chrome"_s, u"globe"_s, [&] {
        return QList<Target>{
            {u"Historique de navigation"_s, chrome + u"/History"_s, true},
            {u"Cookies"_s, chrome + u"/Cookies"_s, true},
            {u"Cache"_s, libraryURL({u"Caches"_s, u"Google"_s, u"Chrome"_s}), false},
            {u"Vignettes de sites"_s, chrome + u"/Top Sites"_s, false},
        };
    });
    add(0.6, u"Firefox…"_s, u"Firefox"_s, u"globe"_s, [&] {
        QList<Target> targets;
        // Profiles are the real folders of the profiles folder; files and links there are no profiles.
        for (const Platform::FileInfo& entry : Platform::listFolder(profiles)) {
            if (!entry.isDirectory())
                continue;
            targets.append({u"Historique — "_s + entry.name, entry.path + u"/places.sqlite"_s, true});
            targets.append({u"Cookies — "_s + entry.name, entry.path + u"/cookies.sqlite"_s, true});
        }
        return targets;
    });
    add(0.8, u"Système…"_s, u"Traces système"_s, u"clock.arrow.circlepath"_s, [&] {
        return QList<Target>{
            {u"Éléments récents"_s, libraryURL({u"Application Support"_s, u"com.apple.sharedfilelist"_s}), true},
            {u"Historique du Terminal"_s, QDir::cleanPath(home + u"/.zsh_history"_s), true},
            {u"Historique bash"_s, QDir::cleanPath(home + u"/.bash_history"_s), true},
            {u"Presse-papiers persistant"_s, libraryURL({u"Caches"_s, u"com.apple.pboard"_s}), false},
        };
    });
    if (progress)
        progress(1.0, QString());
    return groups;
}
