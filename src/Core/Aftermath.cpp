#include "Core/Aftermath.h"

#include "Core/FileUtils.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>

using namespace Qt::StringLiterals;

namespace Aftermath {

namespace {

// Hand-edited journals may hold figures near the 64-bit limit: sums stop there rather than wrap.
qint64 saturatingAdd(qint64 a, qint64 b)
{
    qint64 sum = 0;
    if (__builtin_add_overflow(a, b, &sum))
        return b > 0 ? std::numeric_limits<qint64>::max() : std::numeric_limits<qint64>::min();
    return sum;
}

class Sizes
{
public:
    explicit Sizes(std::stop_token stop) : m_stop(std::move(stop)) {}

    qint64 at(const QString& path)
    {
        const auto found = m_sizes.constFind(path);
        if (found != m_sizes.cend())
            return *found;
        const qint64 bytes = FileUtils::allocatedSize(path, std::nullopt, m_stop).bytes;
        m_sizes.insert(path, bytes);
        return bytes;
    }

private:
    std::stop_token m_stop;
    QHash<QString, qint64> m_sizes;
};

struct Back {
    qint64 bytes = 0;
    int paths = 0;
};

Back measureSession(const CleaningSession& session, Sizes& sizes, const std::stop_token& stop)
{
    Back back;
    for (const RemovedFile& file : session.files) {
        if (stop.stop_requested())
            break;
        if (file.restored)
            continue;
        const qint64 bytes = sizes.at(file.originalPath);
        if (bytes > 0) {
            back.bytes = saturatingAdd(back.bytes, bytes);
            ++back.paths;
        }
    }
    return back;
}

Measurement run(const QList<CleaningSession>& sessions, const QDateTime& now, bool withRegrowths,
                const std::stop_token& stop)
{
    Sizes sizes(stop);
    struct Running {
        Verdict verdict;
        double ages = 0;
        int order = 0;
    };
    std::map<ModuleID, Running> running;
    Measurement measurement;
    for (const CleaningSession& session : sessions) {
        if (stop.stop_requested())
            return {};
        const double age = double(session.date.msecsTo(now)) / 1000.0;
        const std::optional<ModuleID> module = fromRaw<ModuleID>(session.moduleID);
        // What was put back since is no longer freed: a cleaning undone whole counts for nothing.
        const qint64 freed = session.keptBytes();
        const bool counted = module && freed > 0;
        if (!counted && !withRegrowths)
            continue;
        const Back back = measureSession(session, sizes, stop);
        if (withRegrowths)
            measurement.regrowths.insert(session.id, Regrowth{freed, back.bytes, back.paths, age});
        if (!counted)
            continue;
        auto [entry, inserted] = running.try_emplace(*module);
        Running& slot = entry->second;
        if (inserted) {
            slot.verdict.module = *module;
            slot.order = int(running.size());
        }
        slot.verdict.sessions += 1;
        slot.verdict.freed = saturatingAdd(slot.verdict.freed, freed);
        slot.verdict.returned = saturatingAdd(slot.verdict.returned, back.bytes);
        slot.ages += age;
    }
    if (stop.stop_requested())
        return {};

    QList<std::pair<int, Verdict>> ordered;
    for (auto& [module, slot] : running) {
        if (slot.verdict.freed <= 0)
            continue;
        slot.verdict.averageDays = slot.ages / slot.verdict.sessions / 86400.0;
        ordered.append({slot.order, slot.verdict});
    }
    std::sort(ordered.begin(), ordered.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& entry : ordered)
        measurement.verdicts.append(entry.second);
    std::stable_sort(measurement.verdicts.begin(), measurement.verdicts.end(),
                     [](const Verdict& a, const Verdict& b) { return a.ratio() > b.ratio(); });
    return measurement;
}

} // namespace

double Verdict::ratio() const
{
    if (freed <= 0)
        return 0;
    return std::min(double(returned) / double(freed), 1.0);
}

QString Verdict::summary() const
{
    if (freed < 1)
        return u"Pas encore de quoi conclure."_s;
    QString duration;
    if (averageDays < 1.0) {
        duration = u"quelques heures"_s;
    } else {
        const double n = std::round(averageDays);
        duration = QString::number(qint64(n)) + (n < 2 ? u" jour"_s : u" jours"_s);
    }
    const double r = double(returned) / double(freed);
    if (r >= 0.85)
        return u"Presque tout est revenu en "_s + duration +
               u". Ce nettoyage libère de la place sur le moment, pas durablement."_s;
    if (r >= 0.5)
        return u"Un peu plus de la moitié est revenue en "_s + duration + u"."_s;
    if (r >= 0.15)
        return u"Une partie est revenue en "_s + duration + u" ; l'essentiel du gain tient."_s;
    return u"Le gain tient : presque rien n'est revenu après "_s + duration + u"."_s;
}

QList<Verdict> verdicts(const QList<CleaningSession>& sessions, const QDateTime& now)
{
    return run(sessions, now, false, {}).verdicts;
}

Measurement measure(const QList<CleaningSession>& sessions, const QDateTime& now, std::stop_token stop)
{
    return run(sessions, now, true, stop);
}

} // namespace Aftermath
