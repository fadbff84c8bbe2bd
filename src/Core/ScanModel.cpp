#include "Core/ScanModel.h"

#include "Core/Formatters.h"

using namespace Qt::StringLiterals;

std::optional<ThreatSeverity> threatSeverityFromRaw(int raw)
{
    switch (raw) {
    case 0:
        return ThreatSeverity::suspicious;
    case 1:
        return ThreatSeverity::likely;
    case 2:
        return ThreatSeverity::confirmed;
    default:
        return std::nullopt;
    }
}

int toRaw(ThreatSeverity severity)
{
    return static_cast<int>(severity);
}

QString label(ThreatSeverity severity)
{
    switch (severity) {
    case ThreatSeverity::suspicious:
        return u"À vérifier"_s;
    case ThreatSeverity::likely:
        return u"Probable"_s;
    case ThreatSeverity::confirmed:
        return u"Confirmé"_s;
    }
    return QString();
}

QString Threat::summary() const
{
    QString text = label(severity);
    if (family)
        text += u" — famille "_s + FrenchText::quoted(*family);
    if (!reasons.isEmpty())
        text += u" · "_s + reasons.first();
    return text;
}

std::optional<bool> ScanGroup::selectionState() const
{
    if (items.isEmpty())
        return false;
    qsizetype selected = 0;
    for (const ScanItem& item : items) {
        if (item.isSelected)
            ++selected;
    }
    if (selected == items.size())
        return true;
    if (selected == 0)
        return false;
    return std::nullopt;
}
