#include "Scan/History/HistoryView.h"

#include "Core/FileUtils.h"
#include "Core/History.h"
#include "Core/WorkInFlight.h"
#include "Look/ElidedLabel.h"
#include "Look/IconTile.h"
#include "Look/StyledButton.h"
#include "Look/Theme.h"
#include "RecordingWorkspace.h"
#include "Sandbox.h"
#include "Scan/History/HistoryViewModel.h"
#include "Scan/Screen/FailureCard.h"
#include "TempTree.h"
#include "WaitFor.h"

#include <QCoreApplication>
#include <QHoverEvent>
#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

#include <limits>
#include <memory>

using namespace Qt::StringLiterals;
using TestSupport::waitFor;

namespace {

void hover(QWidget* widget, const std::optional<QPoint>& at)
{
    const QPointF point = at ? QPointF(*at) : QPointF(-1, -1);
    QHoverEvent event(at ? QEvent::HoverMove : QEvent::HoverLeave, point, widget->mapToGlobal(point), QPointF(-1, -1));
    QCoreApplication::sendEvent(widget, &event);
}

class HistoryScreen : public ::testing::Test
{
protected:
    void SetUp() override { m_history = std::make_unique<History>(m_tree.path(u"history.json"_s)); }

    CleaningSession add(const QString& module, QList<RemovedFile> files, qint64 freed = 1000, int failures = 0,
                        const std::optional<QString>& stamp = std::nullopt)
    {
        CleaningSession session;
        session.id = QUuid::createUuid();
        session.date = QDateTime::currentDateTimeUtc().addSecs(-60 * (m_history->sessions().size() + 1));
        session.moduleID = module;
        session.moduleTitle = u"Titre enregistré"_s;
        session.freedBytes = freed;
        session.failureCount = failures;
        session.files = std::move(files);
        session.snapshotStamp = stamp;
        m_history->update([&](QList<CleaningSession>& list) { list.append(session); });
        return session;
    }

    RemovedFile file(const QString& name, const std::optional<QString>& trash, bool restored = false)
    {
        std::optional<QString> trashPath;
        if (trash)
            trashPath = m_tree.path(*trash);
        return RemovedFile{QUuid::createUuid(), m_tree.path(name), trashPath, 10, restored};
    }

    TempTree m_tree;
    std::unique_ptr<History> m_history;
    WorkInFlight m_inFlight;
    TestSupport::RecordingWorkspace m_workspace;
};

} // namespace

TEST_F(HistoryScreen, anEmptyJournalShowsItsEmptyState)
{
    HistoryView view(*m_history, m_inFlight, m_workspace);
    EXPECT_EQ(view.subtitle()->text(), u"Rien n'a encore été nettoyé."_s);
    EXPECT_TRUE(view.clearButton()->isHidden());
    EXPECT_TRUE(view.showsEmptyState());
    EXPECT_TRUE(view.notice()->isHidden());
    EXPECT_FALSE(view.model().isMeasuring());
    EXPECT_GE(view.minimumWidth(), 620);
    EXPECT_GE(view.minimumHeight(), 460);
}

TEST_F(HistoryScreen, cardsSumUpTheirSessionAndOfferWhatCanStillWork)
{
    m_tree.add(u"trash/a 10\ntrash/b 10\n"_s);
    const CleaningSession unknown = add(u"noSuchModule"_s, {}, -5, 2);
    const CleaningSession both = add(u"systemJunk"_s, {file(u"a"_s, u"trash/a"_s), file(u"gone"_s, u"trash/gone"_s)},
                                     1000, 1, u"2026-01-02-030405"_s);
    const CleaningSession emptied = add(u"trashBins"_s, {file(u"x"_s, u"trash/x"_s)}, 10, 0, u"2026-01-02-030405"_s);
    const CleaningSession done = add(u"trashBins"_s, {file(u"y"_s, std::nullopt, true)}, 10, 0, u"2026-01-02-030405"_s);
    HistoryView view(*m_history, m_inFlight, m_workspace);
    ASSERT_EQ(view.cards().size(), 4);
    EXPECT_FALSE(view.showsEmptyState());
    EXPECT_EQ(view.subtitle()->text().left(11), u"4 passages "_s);

    SessionCard* card = view.card(unknown.id);
    EXPECT_EQ(card->tile()->symbol(), u"trash"_s);
    EXPECT_EQ(card->tile()->tint(), Theme::slate());
    const QStringList details = card->details();
    ASSERT_EQ(details.size(), 5);
    EXPECT_EQ(details.mid(1), (QStringList{u"·"_s, u"0 élément"_s, u"·"_s, u"2 échecs"_s}));
    EXPECT_TRUE(card->restoreButton()->isHidden());
    EXPECT_TRUE(card->snapshotButton()->isHidden());

    card = view.card(both.id);
    EXPECT_EQ(card->details().mid(2), (QStringList{u"2 éléments"_s, u"·"_s, u"1 échec"_s}));
    EXPECT_FALSE(card->restoreButton()->isHidden());
    EXPECT_EQ(card->restoreButton()->toolTip(), u"1 élément(s) encore dans la corbeille"_s);
    EXPECT_FALSE(card->snapshotButton()->isHidden());
    EXPECT_EQ(card->snapshotButton()->toolTip(),
              u"2 élément(s) — demande votre mot de passe, le temps de monter l'instantané"_s);
    EXPECT_TRUE(view.card(emptied.id)->restoreButton()->isHidden());
    EXPECT_FALSE(view.card(emptied.id)->snapshotButton()->isHidden());
    EXPECT_TRUE(view.card(done.id)->snapshotButton()->isHidden());

    // What came back shows once measured: a regrowth with places back only.
    m_tree.add(u"gone 4096\n"_s);
    view.model().measureRegrowth();
    ASSERT_TRUE(waitFor([&] { return !view.model().isMeasuring(); }));
    EXPECT_TRUE(view.card(both.id)->details().last().endsWith(u" revenus"_s));
    EXPECT_EQ(view.card(emptied.id)->details().size(), 3);
    ASSERT_FALSE(view.aftermath()->isHidden());
    const QList<QStringList> rows = view.aftermath()->rows();
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0].first(), u"Fichiers système"_s); // the module's current title
    EXPECT_TRUE(view.aftermath()->netLine().contains(u" nets sur "_s));

    // Clicking the header line opens the card; a restore keeps it open.
    QTest::mouseClick(view.card(both.id)->header(), Qt::LeftButton, {}, QPoint(3, 3));
    ASSERT_TRUE(view.card(both.id)->isExpanded());
    ASSERT_NE(view.card(both.id)->fileList(), nullptr);
    ASSERT_EQ(view.card(both.id)->fileList()->files().size(), 2);
    view.card(both.id)->restoreButton()->click();
    EXPECT_EQ(view.notice()->text(), u"1 élément remis en place depuis la corbeille."_s);
    EXPECT_FALSE(view.notice()->isHidden());
    // The file gone from the Trash is counted and named under the notice.
    ASSERT_FALSE(view.notPutBack()->isHidden());
    EXPECT_EQ(view.notPutBack()->findChild<QLabel*>(u"notPutBackHeader"_s)->text(),
              u"1 élément n'a pas pu être remis en place"_s);
    EXPECT_EQ(view.notPutBack()->findChild<ElidedLabel*>(u"notPutBackLine"_s)->text(),
              FileUtils::itemLine(m_tree.path(u"gone"_s), History::goneFromTrashText()));
    EXPECT_TRUE(view.card(both.id)->isExpanded());
    EXPECT_EQ(FileRow::stateText(view.card(both.id)->fileList()->files().first()), u"remis en place"_s);
    EXPECT_TRUE(view.card(both.id)->restoreButton()->isHidden());

    view.clearButton()->click();
    EXPECT_TRUE(view.showsEmptyState());
    EXPECT_TRUE(view.notice()->isHidden());
    EXPECT_TRUE(TestSupport::exists(m_tree.path(u"trash/b"_s)));
}

TEST_F(HistoryScreen, anOpenCardShowsAtMostTwoHundredRows)
{
    for (const int count : {250, 200}) {
        QList<RemovedFile> files;
        for (int i = 0; i < count; ++i)
            files.append(file(u"f%1"_s.arg(i), std::nullopt));
        const CleaningSession session = add(u"systemJunk"_s, files);
        HistoryView view(*m_history, m_inFlight, m_workspace);
        view.model().toggle(session.id);
        SessionCard* card = view.card(session.id);
        ASSERT_NE(card->fileList(), nullptr);
        EXPECT_EQ(card->fileList()->files().size(), 200);
        if (count == 250) {
            ASSERT_NE(card->moreLine(), nullptr);
            EXPECT_EQ(card->moreLine()->text(), u"… et 50 autres éléments."_s);
        } else {
            EXPECT_EQ(card->moreLine(), nullptr);
        }
        view.model().toggle(session.id);
        EXPECT_EQ(card->fileList(), nullptr);
    }
}

TEST_F(HistoryScreen, fileRowsTellWhatBecameOfEachFile)
{
    m_tree.add(u"trash/restored 1\ntrash/waiting 1\ntrash/refilled 1\nrefilled 1\n"_s);
    struct Case {
        RemovedFile file;
        QString state;
        QString tip;
        qreal opacity;
        bool reveal;
    };
    const Case cases[] = {
        {file(u"restored"_s, u"trash/restored"_s, true), u"remis en place"_s, {}, 1.0, true},
        {file(u"deleted"_s, std::nullopt), u"définitif"_s,
         u"Supprimé sans passer par la corbeille — rien à récupérer."_s, 0.75, false},
        {file(u"waiting"_s, u"trash/waiting"_s), {}, {}, 0.75, true},
        {file(u"emptied"_s, u"trash/emptied"_s), u"corbeille vidée"_s, {}, 0.75, false},
        {file(u"refilled"_s, u"trash/refilled"_s), u"corbeille vidée"_s, {}, 0.75, true},
    };
    FileList list(m_workspace);
    QList<RemovedFile> files;
    for (const Case& c : cases)
        files.append(c.file);
    list.setFiles(files);
    list.resize(500, list.sizeHint().height());
    for (int i = 0; i < int(std::size(cases)); ++i) {
        const Case& c = cases[i];
        EXPECT_EQ(FileRow::stateText(c.file), c.state) << c.file.originalPath.toStdString();
        EXPECT_EQ(FileRow::stateToolTip(c.file), c.tip);
        EXPECT_EQ(FileRow::iconOpacity(c.file), c.opacity);
        EXPECT_FALSE(list.showsRevealButton(i));
        hover(&list, list.rowRect(i).center());
        EXPECT_EQ(list.hoveredRow(), i);
        EXPECT_EQ(list.showsRevealButton(i), c.reveal) << c.file.originalPath.toStdString();
        list.grab(); // draws, asking the workspace for each row's icon
        if (c.reveal) {
            QTest::mouseClick(&list, Qt::LeftButton, {}, FileRow::revealButtonRect(list.rowRect(i)).center());
            EXPECT_EQ(m_workspace.revealed.last(), *c.file.trashPath);
        }
    }
    hover(&list, std::nullopt);
    EXPECT_EQ(list.hoveredRow(), -1);
    EXPECT_TRUE(m_workspace.iconsAsked.contains(cases[0].file.originalPath));
}

TEST_F(HistoryScreen, aHandEditedJournalStillShows)
{
    const qint64 huge = std::numeric_limits<qint64>::max() - 10;
    QList<RemovedFile> many;
    for (int i = 0; i < 10000; ++i)
        many.append(file(u"odd\tname %1 \u00e9\u200b"_s.arg(i), std::nullopt));
    const CleaningSession big = add(u"systemJunk"_s, many, huge);
    const CleaningSession twin = add(u"noSuchModule"_s, {file(u"z"_s, std::nullopt)}, huge);
    m_history->update([&](QList<CleaningSession>& list) {
        CleaningSession copy = list.last();
        copy.moduleTitle = u"Doublon"_s;
        list.append(copy); // the same id twice
    });
    HistoryView view(*m_history, m_inFlight, m_workspace);
    ASSERT_EQ(view.cards().size(), 2);
    EXPECT_EQ(view.subtitle()->text().left(11), u"3 passages "_s);
    view.model().toggle(big.id);
    ASSERT_NE(view.card(big.id)->fileList(), nullptr);
    EXPECT_EQ(view.card(big.id)->moreLine()->text(), u"… et 9800 autres éléments."_s);
    view.resize(720, 540);
    view.grab();
    ASSERT_TRUE(waitFor([&] { return !view.model().isMeasuring(); }));
    EXPECT_EQ(view.model().regrowths().size(), 2);
    EXPECT_NE(view.card(twin.id), nullptr);
    if (qEnvironmentVariableIsSet("QP_HISTORY_SHOT"))
        view.grab().save(qEnvironmentVariable("QP_HISTORY_SHOT"));
}
