#include "Scanners/SmartScanScanner.h"

#include "Scanners/MalwareScanner.h"
#include "Scanners/SystemJunkScanner.h"
#include "Scanners/TrashScanner.h"

using namespace Qt::StringLiterals;

SmartScanScanner::SmartScanScanner(const Exclusions& exclusions)
    : m_stages{
          {std::make_shared<const SystemJunkScanner>(exclusions, ModuleID::systemJunk, true,
                                                     SystemJunkScanner::standardCacheDenylist()),
           0.6, u"Recherche de fichiers inutiles"_s},
          {std::make_shared<const TrashScanner>(exclusions, ModuleID::trashBins), 0.15, u"Inspection des corbeilles"_s},
          {std::make_shared<const MalwareScanner>(exclusions, ModuleID::malware), 0.25,
           u"Vérification des menaces connues"_s},
      }
{
}

QString SmartScanScanner::actionTitle() const
{
    return u"Tout nettoyer"_s;
}

QString SmartScanScanner::emptyTitle() const
{
    return u"Votre Mac est propre"_s;
}

QString SmartScanScanner::emptyMessage() const
{
    return u"Aucun déchet ni menace connue à signaler."_s;
}

QList<ScanGroup> SmartScanScanner::scan(const Progress& progress, std::stop_token stop) const
{
    double total = 0;
    for (const Stage& stage : m_stages)
        total += stage.weight;

    QList<ScanGroup> groups;
    double done = 0;
    for (const Stage& stage : m_stages) {
        if (stop.stop_requested())
            break;
        const Progress mapped = [&](double fraction, const QString& label) {
            if (progress && total > 0)
                progress(done / total + fraction * (stage.weight / total), label.isEmpty() ? stage.label : label);
        };
        groups.append(stage.scanner->scan(mapped, stop));
        done += stage.weight;
    }
    if (progress)
        progress(1.0, QString());
    return groups;
}
