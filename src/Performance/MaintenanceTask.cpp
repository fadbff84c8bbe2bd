#include "Performance/MaintenanceTask.h"

#include "Platform/Access.h"
#include "Platform/SystemRoot.h"

namespace {

QString program(const QString& macPath)
{
    return OptimizationService::shellQuoted(Platform::systemPath(macPath));
}

// The volume stays "/": the tools are given the Mac's own volume, never the system root's folder.
const QString startupVolume = OptimizationService::shellQuoted(QStringLiteral("/"));

} // namespace

std::vector<MaintenanceTask> MaintenanceTask::all()
{
    using OptimizationService::shellQuoted;
    const QString lsregister = QStringLiteral("/System/Library/Frameworks/CoreServices.framework/Frameworks/"
                                              "LaunchServices.framework/Support/lsregister");
    return {
        {QStringLiteral("launchServices"), QStringLiteral("Reconstruire la base «\u00A0Ouvrir avec\u00A0»"),
         QStringLiteral("Corrige les doublons et les mauvaises apps par défaut dans le menu contextuel."),
         QStringLiteral("list.bullet.rectangle"), false,
         program(lsregister) + QStringLiteral(" -kill -r -domain local -domain system -domain user")},
        {QStringLiteral("spotlight"), QStringLiteral("Réindexer Spotlight"),
         QStringLiteral("À lancer quand la recherche ne trouve plus des fichiers pourtant présents."),
         QStringLiteral("magnifyingglass"), true,
         program(QStringLiteral("/usr/bin/mdutil")) + QStringLiteral(" -E ") + startupVolume +
             QStringLiteral(" >/dev/null")},
        {QStringLiteral("dns"), QStringLiteral("Vider le cache DNS"),
         QStringLiteral("Utile après un changement de serveur ou une redirection qui persiste."),
         QStringLiteral("network"), true,
         program(QStringLiteral("/usr/bin/dscacheutil")) + QStringLiteral(" -flushcache; ") +
             program(QStringLiteral("/usr/bin/killall")) + QStringLiteral(" -HUP mDNSResponder")},
        {QStringLiteral("periodic"), QStringLiteral("Exécuter les scripts de maintenance"),
         QStringLiteral("Rotation des journaux quotidiens, hebdomadaires et mensuels d'Unix."),
         QStringLiteral("calendar"), true,
         program(QStringLiteral("/usr/sbin/periodic")) + QStringLiteral(" daily weekly monthly")},
        // The user id is the application's own: inside the administrator shell "$(id -u)" would give 0.
        {QStringLiteral("permissions"), QStringLiteral("Réparer les autorisations du dossier personnel"),
         QStringLiteral("Rétablit les droits attendus sur vos dossiers après une restauration."),
         QStringLiteral("lock.rotation"), true,
         program(QStringLiteral("/usr/sbin/diskutil")) + QStringLiteral(" resetUserPermissions ") + startupVolume +
             QLatin1Char(' ') + shellQuoted(QString::number(Platform::userID()))},
        {QStringLiteral("fonts"), QStringLiteral("Réinitialiser les caches de police"),
         QStringLiteral("Pour les caractères qui s'affichent en carrés ou les apps qui plantent au démarrage."),
         QStringLiteral("textformat"), true,
         program(QStringLiteral("/usr/bin/atsutil")) + QStringLiteral(" databases -remove")},
        {QStringLiteral("purge"), QStringLiteral("Libérer la mémoire inactive"),
         QStringLiteral("Force macOS à rendre la RAM mise en cache. Effet temporaire."), QStringLiteral("memorychip"),
         true, program(QStringLiteral("/usr/sbin/purge"))},
    };
}

namespace OptimizationService {

MaintenanceOutcome shellTaskOutcome(const ProcessResult& result)
{
    if (result.status == 0)
        return {QStringLiteral("Terminé."), false};
    const QString said = result.output.trimmed();
    if (!said.isEmpty())
        return {said, true};
    return {failureText(result), true};
}

MaintenanceOutcome administratorTaskOutcome(const std::optional<QString>& reason)
{
    if (!reason)
        return {QStringLiteral("Terminé."), false};
    return {*reason, true};
}

MaintenanceOutcome runMaintenance(const MaintenanceTask& task)
{
    if (task.needsAdmin)
        return administratorTaskOutcome(runAsAdministrator(task.command));
    return shellTaskOutcome(run(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), task.command}, true));
}

} // namespace OptimizationService
