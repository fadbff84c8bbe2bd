#include "CompositionRoot.h"

#include "App/AppState.h"
#include "App/MainWindow.h"
#include "Core/History.h"
#include "Platform/FileSystem.h"
#include "Sandbox.h"
#include "Scan/ScanViewModel.h"
#include "ScopedEnvironment.h"

#include <QAbstractButton>
#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QAbstractButton* button(QWidget& window, const QString& name)
{
    for (QAbstractButton* candidate : window.findChildren<QAbstractButton*>(name)) {
        if (candidate->isVisibleTo(&window) && candidate->isEnabled())
            return candidate;
    }
    return nullptr;
}

} // namespace

// The whole program on a demonstration Mac: the user picks "Fichiers système", scans and cleans; the files go
// to that Mac's Trash and the journal holds the session.
TEST(EndToEnd, systemJunkIsScannedCleanedAndJournaledOnTheDemonstrationMac)
{
    const QString demo = TestSupport::temporary() + u"/demo-mac"_s;
    QProcess script;
    script.start(u"bash"_s, {QStringLiteral(QP_SOURCE_DIR "/scripts/make-demo-mac.sh"), demo});
    ASSERT_TRUE(script.waitForFinished(60000));
    ASSERT_EQ(script.exitCode(), 0) << script.readAllStandardError().toStdString();
    const TestSupport::ScopedEnvironment root("QUORVANE_ROOT", demo);
    const TestSupport::ScopedEnvironment home("HOME", demo + u"/Users/demo"_s);
    const TestSupport::ScopedEnvironment tmp("TMPDIR", demo + u"/private/var/folders/qp/T"_s);

    installApplicationLook();
    CompositionRoot app;
    MainWindow& window = app.window();
    window.show();
    app.state().setSelection(ModuleID::systemJunk);

    QAbstractButton* scan = button(window, u"scanButton"_s);

    ASSERT_NE(scan, nullptr);
    QTest::mouseClick(scan, Qt::LeftButton);
    QAbstractButton* clean = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (clean = button(window, u"cleanButton"_s)) != nullptr; }, 30000));
    // Every result row can tell where its file comes from (its button shows on hover).
    ScanViewModel* junk = app.state().model(ModuleID::systemJunk);
    ASSERT_FALSE(junk->groups().isEmpty());
    if (!junk->groups().first().isExpanded)
        junk->toggleExpanded(junk->groups().first().id);
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return !window.findChildren<QAbstractButton*>(u"provenanceButton"_s).isEmpty(); }, 5000));
    QTest::mouseClick(clean, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return button(window, u"newScanButton"_s) != nullptr; }, 30000));

    const auto trashed = Platform::listFolder(demo + u"/Users/demo/.Trash"_s);
    EXPECT_FALSE(trashed.empty());
    ASSERT_FALSE(History::shared().sessions().isEmpty());
    const CleaningSession& session = History::shared().sessions().first();
    EXPECT_EQ(session.moduleID, u"systemJunk"_s);
    EXPECT_TRUE(History::shared().fileURL().startsWith(demo));
    for (const RemovedFile& file : session.files)
        EXPECT_TRUE(file.originalPath.startsWith(demo)) << file.originalPath.toStdString();
    app.finishCleanings();
}

// A user keeps the oldest copy of a duplicated report: one copy goes to the demonstration Mac's Trash, the
// journal records it, and undoing the cleaning puts it back where it was.
TEST(EndToEnd, oneDuplicateCopyIsTrashedJournaledAndPutBack)
{
    const QString demo = TestSupport::temporary() + u"/demo-mac-duplicates"_s;
    QProcess script;
    script.start(u"bash"_s, {QStringLiteral(QP_SOURCE_DIR "/scripts/make-demo-mac.sh"), demo});
    ASSERT_TRUE(script.waitForFinished(60000));
    ASSERT_EQ(script.exitCode(), 0) << script.readAllStandardError().toStdString();
    const QString homeFolder = demo + u"/Users/demo"_s;
    const TestSupport::ScopedEnvironment root("QUORVANE_ROOT", demo);
    const TestSupport::ScopedEnvironment home("HOME", homeFolder);
    const TestSupport::ScopedEnvironment tmp("TMPDIR", demo + u"/private/var/folders/qp/T"_s);

    installApplicationLook();
    CompositionRoot app;
    MainWindow& window = app.window();
    window.show();
    app.state().setSelection(ModuleID::duplicates);

    QAbstractButton* scan = button(window, u"scanButton"_s);
    ASSERT_NE(scan, nullptr);
    QTest::mouseClick(scan, Qt::LeftButton);
    ScanViewModel* duplicates = app.state().model(ModuleID::duplicates);
    ASSERT_NE(duplicates, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return duplicates->phase() == ScanViewModel::Phase::results; }, 30000));
    ASSERT_EQ(duplicates->groups().size(), 1);
    const ScanGroup group = duplicates->groups().first();
    ASSERT_EQ(group.items.size(), 3);
    EXPECT_EQ(duplicates->selectedCount(), 0); // nothing is ticked by itself

    // The copy in Downloads: the oldest, in Documents, stays first and unticked.
    const ScanItem copy = group.items[1];
    ASSERT_EQ(copy.url, homeFolder + u"/Downloads/Rapport annuel 2023.pdf"_s);
    duplicates->toggleItem(copy.id, group.id);
    QAbstractButton* clean = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (clean = button(window, u"cleanButton"_s)) != nullptr; }, 5000));
    QTest::mouseClick(clean, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return button(window, u"undoButton"_s) != nullptr; }, 30000));

    EXPECT_FALSE(Platform::fileInfo(copy.url));
    EXPECT_TRUE(Platform::fileInfo(group.items[0].url));
    EXPECT_TRUE(Platform::fileInfo(group.items[2].url));
    std::optional<CleaningSession> session;
    for (const CleaningSession& candidate : History::shared().sessions()) {
        if (candidate.moduleID == u"duplicates" && !session)
            session = candidate;
    }
    ASSERT_TRUE(session);
    ASSERT_EQ(session->files.size(), 1);
    EXPECT_EQ(session->files[0].originalPath, copy.url);
    ASSERT_TRUE(session->files[0].trashPath);
    EXPECT_TRUE(session->files[0].trashPath->startsWith(homeFolder + u"/.Trash/"_s));
    EXPECT_TRUE(Platform::fileInfo(*session->files[0].trashPath));

    QTest::mouseClick(button(window, u"undoButton"_s), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Platform::fileInfo(copy.url).has_value(); }, 30000));
    EXPECT_FALSE(Platform::fileInfo(*session->files[0].trashPath));
    app.finishCleanings();
}
