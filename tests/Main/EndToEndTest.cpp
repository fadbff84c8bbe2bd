#include "CompositionRoot.h"

#include "App/AppState.h"
#include "App/MainWindow.h"
#include "Core/History.h"
#include "Platform/FileOperations.h"
#include "Platform/FileSystem.h"
#include "Sandbox.h"
#include "Scan/ScanViewModel.h"
#include "ScopedEnvironment.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QFile>
#include <QProcess>
#include <QSet>
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

// The user picks "Résidus d'apps disparues" on a Mac that refuses Full Disk Access: the screen says so, the scan
// still finds what removed applications left, the ticked entries go to the Trash with a journaled session, and
// the undo puts them back.
TEST(EndToEnd, leftoversAreScannedCleanedJournaledAndPutBackOnTheDemonstrationMac)
{
    const QString demo = TestSupport::temporary() + u"/demo-mac"_s;
    QProcess script;
    script.start(u"bash"_s, {QStringLiteral(QP_SOURCE_DIR "/scripts/make-demo-mac.sh"), demo});
    ASSERT_TRUE(script.waitForFinished(60000));
    ASSERT_EQ(script.exitCode(), 0) << script.readAllStandardError().toStdString();
    const QString home = demo + u"/Users/demo"_s;
    const TestSupport::ScopedEnvironment root("QUORVANE_ROOT", demo);
    const TestSupport::ScopedEnvironment homeFolder("HOME", home);
    const TestSupport::ScopedEnvironment tmp("TMPDIR", demo + u"/private/var/folders/qp/T"_s);

    // The privacy database stands there but does not open, as when access was not granted (a socket refuses
    // even the administrator, who opens any file).
    const QString tcc = home + u"/Library/Application Support/com.apple.TCC"_s;
    ASSERT_EQ(Platform::createFolder(tcc), std::nullopt);
    const QByteArray database = QFile::encodeName(tcc + u"/TCC.db"_s);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(size_t(database.size()), sizeof(address.sun_path));
    qstrncpy(address.sun_path, database.constData(), sizeof(address.sun_path));
    const int socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(socket, 0);
    ASSERT_EQ(::bind(socket, reinterpret_cast<const sockaddr*>(&address), sizeof(address)), 0);

    installApplicationLook();
    CompositionRoot app;
    MainWindow& window = app.window();
    window.show();
    app.state().setSelection(ModuleID::leftovers);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const auto* notice = window.findChild<QWidget*>(u"fullDiskAccessNotice"_s);
            return notice != nullptr && notice->isVisibleTo(&window);
        },
        5000));

    QAbstractButton* scan = button(window, u"scanButton"_s);
    ASSERT_NE(scan, nullptr);
    QTest::mouseClick(scan, Qt::LeftButton);
    QAbstractButton* clean = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (clean = button(window, u"cleanButton"_s)) != nullptr; }, 30000));
    ScanViewModel* leftovers = app.state().model(ModuleID::leftovers);
    ASSERT_EQ(leftovers->groups().size(), 2);
    EXPECT_EQ(leftovers->groups()[0].title, u"Apps disparues"_s);
    EXPECT_EQ(leftovers->groups()[1].title, u"Éditeur encore installé"_s);
    QSet<QString> ticked;
    for (const ScanItem& item : leftovers->groups()[0].items)
        ticked.insert(item.url);
    EXPECT_TRUE(ticked.contains(home + u"/Library/Containers/net.ardoise.client"_s));
    for (const ScanItem& item : leftovers->groups()[1].items)
        EXPECT_FALSE(item.isSelected) << item.url.toStdString();

    QTest::mouseClick(clean, Qt::LeftButton);
    QAbstractButton* undo = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (undo = button(window, u"undoButton"_s)) != nullptr; }, 30000));
    const CleaningSession session = History::shared().sessions().first();
    EXPECT_EQ(session.moduleID, u"leftovers"_s);
    QSet<QString> journaled;
    for (const RemovedFile& file : session.files) {
        journaled.insert(file.originalPath);
        EXPECT_FALSE(QFile::exists(file.originalPath)) << file.originalPath.toStdString();
        ASSERT_TRUE(file.trashPath.has_value());
        EXPECT_TRUE(file.trashPath->startsWith(home + u"/.Trash/"_s)) << file.trashPath->toStdString();
    }
    EXPECT_EQ(journaled, ticked);
    EXPECT_TRUE(QFile::exists(home + u"/Library/Caches/com.lumenlabs.retouche"_s)) << "unticked, left in place";

    QTest::mouseClick(undo, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const auto* notice = window.findChild<QWidget*>(u"restoreNotice"_s);
            return notice != nullptr && notice->isVisibleTo(&window);
        },
        10000));
    for (const QString& path : ticked)
        EXPECT_TRUE(QFile::exists(path)) << path.toStdString();
    for (const RemovedFile& file : History::shared().sessions().first().files)
        EXPECT_TRUE(file.restored) << file.originalPath.toStdString();
    app.finishCleanings();
    ::close(socket);
}
