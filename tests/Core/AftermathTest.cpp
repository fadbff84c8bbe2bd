#include "Core/Aftermath.h"

#include "TempTree.h"

#include <QTimeZone>

#include <limits>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using Aftermath::Verdict;

namespace {

const QDateTime kNow(QDate(2026, 3, 10), QTime(12, 0), Qt::UTC);

CleaningSession session(const QString& module, qint64 freed, double daysAgo, QList<RemovedFile> files = {})
{
    CleaningSession s;
    s.id = QUuid::createUuid();
    s.date = kNow.addSecs(qint64(-daysAgo * 86400));
    s.moduleID = module;
    s.moduleTitle = module;
    s.freedBytes = freed;
    s.files = std::move(files);
    return s;
}

RemovedFile file(const QString& path, bool restored = false)
{
    return RemovedFile{QUuid::createUuid(), path, std::nullopt, 10, restored};
}

} // namespace

TEST(Verdicts, sentencesByBandAndDuration)
{
    struct Case {
        qint64 returned;
        double days;
        QString sentence;
    };
    const Case cases[] = {
        {85, 0.9,
         u"Presque tout est revenu en quelques heures. Ce nettoyage libère de la place sur le moment, pas durablement."_s},
        {120, 1.0,
         u"Presque tout est revenu en 1 jour. Ce nettoyage libère de la place sur le moment, pas durablement."_s},
        {50, 1.4, u"Un peu plus de la moitié est revenue en 1 jour."_s},
        {84, 1.5, u"Un peu plus de la moitié est revenue en 2 jours."_s},
        {15, 2.6, u"Une partie est revenue en 3 jours ; l'essentiel du gain tient."_s},
        {14, 3, u"Le gain tient : presque rien n'est revenu après 3 jours."_s},
    };
    for (const Case& c : cases) {
        const Verdict verdict{ModuleID::systemJunk, 1, 100, c.returned, c.days};
        EXPECT_EQ(verdict.summary(), c.sentence) << c.returned;
    }
    EXPECT_EQ((Verdict{ModuleID::systemJunk, 1, 0, 5, 3}).summary(), u"Pas encore de quoi conclure."_s);
    EXPECT_EQ((Verdict{ModuleID::systemJunk, 1, 100, 300, 3}).ratio(), 1.0);
}

TEST(Verdicts, measureWhatCameBackPerModuleSkippingRestoredFilesAndUnknownModules)
{
    TempTree tree(u"back/a.bin 8192\nback/b.bin 8192\nrestored.bin 8192\nlink -> back\n"_s);
    const QList<CleaningSession> sessions{
        session(u"systemJunk"_s, 4096, 1,
                {file(tree.path(u"back"_s)), file(tree.path(u"restored.bin"_s), true), file(tree.path(u"link"_s))}),
        session(u"systemJunk"_s, 100000, 3, {file(tree.path(u"gone.bin"_s))}),
        session(u"trashBins"_s, 0, 1, {file(tree.path(u"restored.bin"_s))}),
        session(u"noSuchModule"_s, 500, 1, {file(tree.path(u"restored.bin"_s))}),
        session(u"mailAttachments"_s, 10, 2, {file(tree.path(u"restored.bin"_s))}),
    };
    const Aftermath::Measurement measured = Aftermath::measure(sessions, kNow);
    ASSERT_EQ(measured.verdicts.size(), 2);
    EXPECT_EQ(measured.verdicts[0].module, ModuleID::mailAttachments); // more came back than was freed
    EXPECT_EQ(measured.verdicts[1].module, ModuleID::systemJunk);
    EXPECT_EQ(measured.verdicts[1].sessions, 2);
    EXPECT_EQ(measured.verdicts[1].freed, 104086); // the restored file's 10 bytes are no longer freed
    EXPECT_GE(measured.verdicts[1].returned, 16384);
    EXPECT_DOUBLE_EQ(measured.verdicts[1].averageDays, 2.0);
    EXPECT_EQ(Aftermath::verdicts(sessions, kNow), measured.verdicts);

    // Every session is measured, unknown modules and zero figures included.
    ASSERT_EQ(measured.regrowths.size(), 5);
    const Aftermath::Regrowth first = measured.regrowths.value(sessions[0].id);
    EXPECT_EQ(first.pathsBack, 1); // the folder; the restored file and the link do not count
    EXPECT_EQ(first.returned, measured.verdicts[1].returned);
    EXPECT_DOUBLE_EQ(first.elapsed, 86400);
    EXPECT_EQ(measured.regrowths.value(sessions[3].id).pathsBack, 1);
    EXPECT_TRUE(Aftermath::verdicts({}, kNow).isEmpty());
}

TEST(Verdicts, whatWasPutBackIsNoLongerFreed)
{
    struct Case {
        qint64 freed;
        QList<bool> restored; // one 10-byte file each
        qint64 kept;
    };
    const Case cases[] = {
        {100, {false, false}, 100}, {100, {true, false}, 90}, {100, {true, true}, 0},
        {5, {true, false}, 0},      {-3, {false}, -3},        {0, {}, 0},
    };
    for (const Case& c : cases) {
        QList<RemovedFile> files;
        for (const bool restored : c.restored)
            files.append(file(u"/nowhere/x"_s, restored));
        EXPECT_EQ(session(u"systemJunk"_s, c.freed, 1, files).keptBytes(), c.kept)
            << c.freed << ' ' << c.restored.size();
    }

    // A cleaning put back whole counts nothing in the verdicts.
    const QList<CleaningSession> sessions{session(u"systemJunk"_s, 20, 1, {file(u"/nowhere/a"_s, true)}),
                                          session(u"trashBins"_s, 20, 1, {file(u"/nowhere/b"_s)})};
    const QList<Verdict> verdicts = Aftermath::verdicts(sessions, kNow);
    ASSERT_EQ(verdicts.size(), 1);
    EXPECT_EQ(verdicts.first().module, ModuleID::trashBins);
}

TEST(Verdicts, handEditedFiguresNeitherWrapNorStop)
{
    const qint64 huge = std::numeric_limits<qint64>::max() - 1;
    QList<CleaningSession> sessions{session(u"systemJunk"_s, huge, 1), session(u"systemJunk"_s, huge, 1),
                                    session(u"systemJunk"_s, -5, 1)};
    sessions[1].id = sessions[0].id; // duplicate ids
    const Aftermath::Measurement measured = Aftermath::measure(sessions, kNow);
    ASSERT_EQ(measured.verdicts.size(), 1);
    EXPECT_EQ(measured.verdicts[0].freed, std::numeric_limits<qint64>::max());
    EXPECT_EQ(measured.verdicts[0].sessions, 2);
    EXPECT_EQ(measured.regrowths.size(), 2);

    std::stop_source stop;
    stop.request_stop();
    const Aftermath::Measurement stopped = Aftermath::measure(sessions, kNow, stop.get_token());
    EXPECT_TRUE(stopped.verdicts.isEmpty());
    EXPECT_TRUE(stopped.regrowths.isEmpty());
}
