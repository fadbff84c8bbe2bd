#include "Tools/UninstallerRules.h"

#include "Core/Formatters.h"

#include <algorithm>
#include <limits>

using namespace Qt::StringLiterals;

namespace Uninstaller {

QList<Filter> allFilters()
{
    return {Filter::all, Filter::unused, Filter::large};
}

QString label(Filter filter)
{
    switch (filter) {
    case Filter::all:
        return u"Toutes"_s;
    case Filter::unused:
        return u"Inutilisées"_s;
    case Filter::large:
        return u"Volumineuses"_s;
    }
    return {};
}

std::optional<Filter> filterFromLabel(const QString& text)
{
    for (Filter filter : allFilters()) {
        if (label(filter) == text)
            return filter;
    }
    return std::nullopt;
}

namespace {

qint64 sizeWith(const InstalledApp& app, bool chosenOnly)
{
    constexpr qint64 most = std::numeric_limits<qint64>::max();
    qint64 total = qMax<qint64>(app.size, 0);
    for (const ScanItem& item : app.leftovers) {
        if (chosenOnly && !item.isSelected)
            continue;
        const qint64 size = qMax<qint64>(item.size, 0);
        total = size > most - total ? most : total + size;
    }
    return total;
}

} // namespace

qint64 totalSize(const InstalledApp& app)
{
    return sizeWith(app, false);
}

qsizetype chosenLeftoverCount(const InstalledApp& app)
{
    return std::count_if(app.leftovers.cbegin(), app.leftovers.cend(),
                         [](const ScanItem& item) { return item.isSelected; });
}

qint64 chosenSize(const InstalledApp& app)
{
    return sizeWith(app, true);
}

bool unusedSince(const QDateTime& lastUsed, const QDateTime& now)
{
    // Whole seconds would take 180 days and half a second for exactly 180 days.
    return lastUsed.msecsTo(now) > unusedAfterSeconds * 1000;
}

bool keeps(Filter filter, const InstalledApp& app, const QDateTime& now)
{
    switch (filter) {
    case Filter::all:
        return true;
    case Filter::unused:
        return app.lastUsed.has_value() && unusedSince(*app.lastUsed, now);
    case Filter::large:
        return totalSize(app) > largeAboveBytes;
    }
    return false;
}

QList<InstalledApp> visibleApps(const QList<InstalledApp>& apps, const QString& query, Filter filter,
                                const QDateTime& now)
{
    QList<InstalledApp> shown;
    for (const InstalledApp& app : apps) {
        if (app.isAppleApp)
            continue;
        if (!query.isEmpty() && !app.name.contains(query, Qt::CaseInsensitive) &&
            !app.bundleID.contains(query, Qt::CaseInsensitive))
            continue;
        if (keeps(filter, app, now))
            shown.append(app);
    }
    return shown;
}

Platform::Ask::Question confirmation(const InstalledApp& app, bool removeLeftovers, bool running)
{
    const ByteCountFormatter bytes;
    QString message = u"L'application et "_s;
    const qsizetype files = chosenLeftoverCount(app);
    message += !removeLeftovers ? u"elle seule"_s
               : files == 1     ? u"son fichier associé"_s
                                : u"ses %1 fichiers associés"_s.arg(files);
    message += u" seront mis à la corbeille, soit "_s;
    message += bytes.string(removeLeftovers ? chosenSize(app) : app.size);
    message += u'.';
    if (running)
        message += u"\n\nL'app est ouverte : elle sera fermée d'abord."_s;
    return {u"Désinstaller "_s + app.name + u" ?"_s, message, u"Désinstaller"_s, u"Annuler"_s};
}

QString failureMessage(int failures, const QString& firstReason)
{
    const QString said = failures < 2 ? u"élément n'a pas pu être mis à la corbeille"_s
                                      : u"éléments n'ont pas pu être mis à la corbeille"_s;
    return QString::number(failures) + u' ' + said + u" : "_s + firstReason;
}

QString doneMessage(const InstalledApp& app, bool removeLeftovers)
{
    const qsizetype files = removeLeftovers ? chosenLeftoverCount(app) : 0;
    const QString name = u"L'application "_s + FrenchText::quoted(app.name);
    if (files == 0)
        return name + u" a été mise à la corbeille. L'historique de nettoyage peut la remettre en place."_s;
    return name + (files < 2 ? u" et son fichier associé"_s : u" et ses %1 fichiers associés"_s.arg(files)) +
           u" ont été mis à la corbeille. L'historique de nettoyage peut les remettre en place."_s;
}

} // namespace Uninstaller
