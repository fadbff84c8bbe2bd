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
