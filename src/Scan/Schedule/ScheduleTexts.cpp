#include "Scan/Schedule/ScheduleTexts.h"

#include "Core/FileUtils.h"
#include "Core/Formatters.h"

#include <algorithm>
#include <limits>

using namespace Qt::StringLiterals;

namespace ScheduleTexts {

namespace {

QString size(qint64 bytes)
{
    return FileUtils::byteFormatter().string(bytes);
}

// ", 2 en échec, 3 à examiner": each part only when there is something to say.
QString leftovers(int failed, int toExamine)
{
    QString text;
    if (failed > 0)
        text += u", "_s + QString::number(failed) + u" en échec"_s;
    if (toExamine > 0)
        text += u", "_s + QString::number(toExamine) + u" à examiner"_s;
    return text;
}

} // namespace

QString unavailable(ModuleID module)
{
    return title(module) + u" : ce module n'est pas encore disponible."_s;
}

QString toExamine(ModuleID module, qint64 totalBytes)
{
    return title(module) + u" : "_s + size(totalBytes) + u" à examiner."_s;
}

QString nothingToClean(ModuleID module)
{
    return title(module) + u" : rien à nettoyer."_s;
}

QString cleaned(ModuleID module, qint64 freedBytes, int failed, int toExamine)
{
    return title(module) + u" : "_s + size(freedBytes) + u" libérés"_s + leftovers(failed, toExamine) + u"."_s;
}

QString notificationIdentifier(ModuleID module)
{
    return u"schedule-"_s + toRaw(module);
}

QString reportTitle()
{
    return u"Analyse planifiée terminée"_s;
}

QString reportBody(ModuleID module, qint64 totalBytes)
{
    return title(module) + u" — "_s + FrenchText::recoverable(size(totalBytes)) +
           u". Ouvrez l'app pour les examiner."_s;
}

QString cleaningTitle()
{
    return u"Nettoyage planifié terminé"_s;
}

QString cleaningBody(ModuleID module, qint64 freedBytes, int removed, int failed, int toExamine, bool journaled)
{
    QString body = title(module) + u" — "_s + size(freedBytes) + u" libérés, "_s + QString::number(removed) + u" "_s +
                   (removed < 2 ? u"élément retiré"_s : u"éléments retirés"_s) + leftovers(failed, toExamine) + u"."_s;
    if (journaled)
        body += u" Annulable depuis l'historique."_s;
    return body;
}

QString diskPressureIdentifier()
{
    return u"disk-pressure"_s;
}

QString diskPressureTitle()
{
    return u"Votre disque se remplit"_s;
}

QString diskPressureBody(qint64 usedBytes, qint64 totalBytes, qint64 freeBytes)
{
    // Whole percents from the byte counts themselves: a share such as 29/100 must read 29, which the product
    // of a double fraction by 100 (28.999…) would not give.
    qint64 percent = 0;
    if (totalBytes > 0) {
        const qint64 used = std::clamp<qint64>(usedBytes, 0, totalBytes);
        percent = totalBytes <= std::numeric_limits<qint64>::max() / 100 ? used * 100 / totalBytes
                                                                         : used / (totalBytes / 100);
        percent = std::min<qint64>(percent, 100);
    }
    return QString::number(percent) + u" % occupés — "_s + size(std::max<qint64>(freeBytes, 0)) + u" restants. "_s +
           u"Une analyse intelligente prend quelques minutes."_s;
}

} // namespace ScheduleTexts
