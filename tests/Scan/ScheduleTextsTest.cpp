#include "Scan/Schedule/ScheduleTexts.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(ScheduleTexts, outcomesSayFailuresAndWhatIsLeftToExamine)
{
    const ModuleID m = ModuleID::systemJunk;
    const QString t = title(m);
    EXPECT_EQ(ScheduleTexts::unavailable(m), t + u" : ce module n'est pas encore disponible."_s);
    EXPECT_EQ(ScheduleTexts::toExamine(m, 0), t + u" : 0 Ko à examiner."_s);
    EXPECT_EQ(ScheduleTexts::toExamine(m, 1'500'000), t + u" : 1,5 Mo à examiner."_s);
    EXPECT_EQ(ScheduleTexts::nothingToClean(m), t + u" : rien à nettoyer."_s);

    struct Case {
        qint64 freed;
        int failed, toExamine;
        const char16_t* tail;
    };
    for (const Case c : {Case{2'000, 0, 0, u" : 2 Ko libérés."}, Case{2'000, 1, 0, u" : 2 Ko libérés, 1 en échec."},
                         Case{0, 3, 2, u" : 0 Ko libérés, 3 en échec, 2 à examiner."},
                         Case{5'000, 0, 4, u" : 5 Ko libérés, 4 à examiner."}})
        EXPECT_EQ(ScheduleTexts::cleaned(m, c.freed, c.failed, c.toExamine), t + QString::fromUtf16(c.tail));
}

TEST(ScheduleTexts, notificationsPromiseUndoOnlyWhenJournaled)
{
    const ModuleID m = ModuleID::systemJunk;
    const QString t = title(m);
    EXPECT_EQ(ScheduleTexts::notificationIdentifier(m), u"schedule-"_s + toRaw(m));
    EXPECT_EQ(ScheduleTexts::reportTitle(), u"Analyse planifiée terminée"_s);
    EXPECT_EQ(ScheduleTexts::reportBody(m, 3'000), t + u" — 3 Ko récupérables. Ouvrez l'app pour les examiner."_s);
    EXPECT_EQ(ScheduleTexts::cleaningTitle(), u"Nettoyage planifié terminé"_s);
    EXPECT_EQ(ScheduleTexts::cleaningBody(m, 3'000, 2, 0, 0, true),
              t + u" — 3 Ko libérés, 2 éléments retirés. Annulable depuis l'historique."_s);
    EXPECT_EQ(ScheduleTexts::cleaningBody(m, 1'000, 1, 1, 2, true),
              t + u" — 1 Ko libérés, 1 élément retiré, 1 en échec, 2 à examiner. Annulable depuis l'historique."_s);
    // Every item failed: nothing was journaled, so nothing can be undone.
    EXPECT_EQ(ScheduleTexts::cleaningBody(m, 0, 0, 3, 0, false),
              t + u" — 0 Ko libérés, 0 élément retiré, 3 en échec."_s);
}
