#include "Performance/Diagnostics.h"

#include "Core/Formatters.h"
#include "Core/ProcessRunner.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <limits>
#include <mutex>

namespace Diagnostics {

std::optional<double> swapValue(const QString& key, const QString& text)
{
    const QRegularExpression pattern(QRegularExpression::escape(key) + QStringLiteral("\\s*=\\s*([0-9.]+)([MG])"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    bool ok = false;
    double value = match.captured(1).toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    if (match.captured(2) == QLatin1String("G"))
        value *= 1024.0;
    if (!std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<int> thermalLimit(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral("CPU_Speed_Limit\\s*=\\s*(\\d+)"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    bool ok = false;
    const int limit = match.captured(1).toInt(&ok);
    if (!ok)
        return std::nullopt;
    return limit;
}

bool spotlightDisabled(const QString& text)
{
    return text.toLower().contains(QLatin1String("indexing disabled"));
}

std::vector<std::pair<QString, QString>> launchctlSample(const QString& text)
{
    std::vector<std::pair<QString, QString>> jobs;
    const QStringList lines = text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QStringList fields = lines[i].split(QLatin1Char('\t'));
        if (fields.size() < 3 || fields[0] == QLatin1String("-"))
            continue;
        const QString& label = fields[2];
        auto found = std::find_if(jobs.begin(), jobs.end(), [&](const auto& job) { return job.first == label; });
        if (found != jobs.end())
            found->second = fields[0];
        else
            jobs.emplace_back(label, fields[0]);
    }
    return jobs;
}

namespace {

// A figure that is not finite or does not fit a signed 64-bit count gives no finding rather than a
// wrapped one.
std::optional<qint64> checkedBytes(double megabytes)
{
    const double bytes = std::trunc(megabytes * 1024.0 * 1024.0);
    if (!std::isfinite(bytes) || bytes >= 9223372036854775808.0 || bytes < -9223372036854775808.0)
        return std::nullopt;
    return static_cast<qint64>(bytes);
}

} // namespace

std::optional<Finding> swapFinding(const QString& sysctlText)
{
    const auto total = swapValue(QStringLiteral("total"), sysctlText);
    const auto used = swapValue(QStringLiteral("used"), sysctlText);
    if (!total || !used || !(*total > 0))
        return std::nullopt;
    const double ratio = *used / *total;
    if (!std::isfinite(ratio) || !(ratio > 0.5))
        return std::nullopt;
    const auto usedBytes = checkedBytes(*used);
    const auto totalBytes = checkedBytes(*total);
    const double percent = std::trunc(ratio * 100.0);
    if (!usedBytes || !totalBytes || !(percent < 9223372036854775808.0))
        return std::nullopt;
    const ByteCountFormatter bytes;
    Finding finding;
    finding.id = QStringLiteral("swap");
    finding.severity = ratio > 0.8 ? Severity::serious : Severity::notable;
    finding.title = QStringLiteral("La mémoire vive ne suffit pas");
    finding.evidence = bytes.string(*usedBytes) + QStringLiteral(" d'échange utilisés sur ") +
                       bytes.string(*totalBytes) + QStringLiteral(" (") +
                       QString::number(static_cast<qint64>(percent)) + QStringLiteral(" %).");
    finding.explanation = QStringLiteral(
        "Votre Mac écrit de la mémoire sur le disque faute de place. C'est la cause de lenteur la plus fréquente, et "
        "aucun nettoyage de fichiers n'y change quoi que ce soit. La piste utile est de fermer ce qui consomme le plus "
        "— l'écran Optimisation les classe — ou de redémarrer, ce qui vide l'échange.");
    return finding;
}

std::optional<Finding> thermalFinding(const QString& pmsetText)
{
    const auto limit = thermalLimit(pmsetText);
    if (!limit || *limit >= 100)
        return std::nullopt;
    Finding finding;
    finding.id = QStringLiteral("thermal");
    finding.severity = *limit < 70 ? Severity::serious : Severity::notable;
    finding.title = QStringLiteral("Le processeur est bridé par la chaleur");
    finding.evidence =
        QStringLiteral("Vitesse limitée à ") + QString::number(*limit) + QStringLiteral(" % de la puissance nominale.");
    finding.explanation = QStringLiteral(
        "macOS ralentit volontairement le processeur pour faire baisser la température. Aucun logiciel ne peut lever "
        "ce bridage : il s'agit de ventilation, de poussière dans les grilles, ou d'un usage soutenu. La machine "
        "retrouvera sa vitesse en refroidissant.");
    return finding;
}

std::optional<Finding> spotlightFinding(const QString& mdutilText)
{
    if (!spotlightDisabled(mdutilText))
        return std::nullopt;
    Finding finding;
    finding.id = QStringLiteral("spotlight");
    finding.severity = Severity::notable;
    finding.title = QStringLiteral("L'indexation Spotlight est désactivée");
    finding.evidence = QStringLiteral("mdutil signale «\u00A0Indexing disabled\u00A0» sur le volume de démarrage.");
    finding.explanation = QStringLiteral(
        "La recherche ne trouvera plus vos fichiers, et plusieurs apps qui s'appuient sur l'index se comporteront "
        "étrangement. Cela se réactive avec «\u00A0sudo mdutil -i on /\u00A0» dans le Terminal. L'indexation qui suit "
        "consomme des ressources pendant une heure ou deux.");
    return finding;
}

std::optional<Finding> respawnFinding(const std::vector<std::pair<QString, QString>>& first,
                                      const std::vector<std::pair<QString, QString>>& second, qint64 windowSeconds)
{
    QStringList changed;
    for (const auto& entry : first) {
        const auto later =
            std::find_if(second.begin(), second.end(), [&](const auto& job) { return job.first == entry.first; });
        if (later != second.end() && later->second != entry.second)
            changed << entry.first;
    }
    if (changed.isEmpty())
        return std::nullopt;
    const qsizetype n = changed.size();
    Finding finding;
    finding.id = QStringLiteral("respawn");
    finding.severity = n >= 3 ? Severity::serious : Severity::notable;
    finding.title = QString::number(n) + (n < 2 ? QStringLiteral(" service redémarre en boucle")
                                                : QStringLiteral(" services redémarrent en boucle"));
    finding.evidence = changed.mid(0, 3).join(QStringLiteral(", ")) + (n >= 4 ? QStringLiteral("…") : QString()) +
                       QStringLiteral(" — identifiant de processus renouvelé en ") + QString::number(windowSeconds) +
                       QStringLiteral(" secondes.");
    finding.explanation = QStringLiteral(
        "Un service qui meurt et repart sans cesse consomme du processeur en continu sans jamais se voir dans le "
        "moniteur d'activité. S'il appartient à une app que vous n'utilisez plus, la désinstaller règle le problème "
        "définitivement ; l'écran Optimisation permet de désactiver son élément de démarrage.");
    return finding;
}

void sortBySeverity(std::vector<Finding>& findings)
{
    std::stable_sort(findings.begin(), findings.end(),
                     [](const Finding& a, const Finding& b) { return a.severity > b.severity; });
}

namespace {

QString outputOf(const QString& executable, const QStringList& arguments)
{
    return OptimizationService::run(executable, arguments, true).output;
}

std::vector<std::pair<QString, QString>> serviceListing()
{
    return launchctlSample(outputOf(QStringLiteral("/bin/launchctl"), {QStringLiteral("list")}));
}

} // namespace

std::vector<Finding> run(std::chrono::milliseconds window, std::stop_token stop)
{
    std::vector<Finding> findings;
    const auto keep = [&](std::optional<Finding> finding) {
        if (finding)
            findings.push_back(std::move(*finding));
    };
    keep(swapFinding(outputOf(QStringLiteral("/usr/sbin/sysctl"), {QStringLiteral("vm.swapusage")})));
    keep(thermalFinding(outputOf(QStringLiteral("/usr/bin/pmset"), {QStringLiteral("-g"), QStringLiteral("therm")})));
    keep(spotlightFinding(outputOf(QStringLiteral("/usr/bin/mdutil"), {QStringLiteral("-s"), QStringLiteral("/")})));
    const auto first = serviceListing();
    // Nothing runs, so nothing can restart: no second listing and no wait.
    if (!first.empty()) {
        std::mutex mutex;
        std::condition_variable_any wake;
        std::unique_lock lock(mutex);
        wake.wait_for(lock, stop, window, [] { return false; });
        lock.unlock();
        const qint64 seconds = std::chrono::duration_cast<std::chrono::seconds>(window).count();
        keep(respawnFinding(first, serviceListing(), seconds));
    }
    sortBySeverity(findings);
    return findings;
}

} // namespace Diagnostics
