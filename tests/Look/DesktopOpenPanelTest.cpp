#include "Look/DesktopOpenPanel.h"

#include "Core/FileUtils.h"
#include "Core/Formatters.h"
#include "Look/FileChooser.h"

#include "ScopedEnvironment.h"
#include "TempTree.h"
#include "WaitFor.h"

#include <QApplication>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QTest>
#include <QToolButton>
#include <QTreeView>

#include <gtest/gtest.h>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

FileChooser* openChooser()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* chooser = qobject_cast<FileChooser*>(widget); chooser && chooser->isVisible())
            return chooser;
    }
    return nullptr;
}

} // namespace

// One folder through the chooser of our own, answered through the callback when it closes: the chosen folder, the
// listed one when none is selected, or nothing on a cancel. Only folders are listed, one chosen at a time.
TEST(DesktopOpenPanel, answersTheChosenFolderOrNothing)
{
    TempTree tree(u"Projets/\nnotes.txt\n"_s);
    const TestSupport::ScopedEnvironment mac("QUORVANE_ROOT", tree.root());
    DesktopOpenPanel panel;
    const Platform::OpenPanel::Request request{Platform::OpenPanel::Mode::oneFolder, u"Analyser"_s, tree.root(),
                                               QString()};

    QList<QStringList> answers;
    panel.choose(request, [&](const QStringList& chosen) { answers.append(chosen); });
    FileChooser* chooser = openChooser();
    ASSERT_NE(chooser, nullptr);
    EXPECT_EQ(chooser->list()->selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_EQ(chooser->acceptButton()->text(), u"Analyser"_s);
    EXPECT_EQ(chooser->directory(), tree.root());
    // Projets alone: the file is not listed.
    ASSERT_TRUE(TestSupport::waitFor([&] { return chooser->model()->rowCount(chooser->list()->rootIndex()) == 1; }));
    EXPECT_TRUE(answers.isEmpty()); // no nested loop: the answer comes when the chooser closes
    chooser->selectPaths({tree.path(u"Projets"_s)});
    chooser->acceptButton()->click();
    ASSERT_EQ(answers.size(), 1);
    EXPECT_EQ(answers[0], QStringList{tree.path(u"Projets"_s)});

    panel.choose(request, [&](const QStringList& chosen) { answers.append(chosen); });
    QTest::qWait(0);
    chooser = openChooser();
    ASSERT_NE(chooser, nullptr);
    EXPECT_TRUE(chooser->acceptButton()->isEnabled());
    chooser->acceptButton()->click();
    ASSERT_EQ(answers.size(), 2);
    EXPECT_EQ(answers[1], QStringList{tree.root()});

    panel.choose(request, [&](const QStringList& chosen) { answers.append(chosen); });
    QTest::qWait(0);
    chooser = openChooser();
    ASSERT_NE(chooser, nullptr);
    chooser->reject();
    ASSERT_EQ(answers.size(), 3);
    EXPECT_TRUE(answers[2].isEmpty());
}

// Files and folders together, several at once, through the chooser of our own: its message and accept title are
// the caller's, the accept button waits for a choice, and the answer holds every chosen entry, file or folder.
TEST(DesktopOpenPanel, choosesFilesAndFoldersTogether)
{
    TempTree tree(u"Projets/\nnotes.txt\n\"Été « 2024 ».pdf\"\nautre/\n"_s);
    const TestSupport::ScopedEnvironment mac("QUORVANE_ROOT", tree.root());
    DesktopOpenPanel panel;
    const Platform::OpenPanel::Request request{Platform::OpenPanel::Mode::filesAndFolders, u"Exclure"_s, tree.root(),
                                               u"Choisissez ce que l'application ne doit plus jamais proposer."_s};

    QList<QStringList> answers;
    panel.choose(request, [&](const QStringList& chosen) { answers.append(chosen); });
    FileChooser* chooser = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* candidate = qobject_cast<FileChooser*>(widget); candidate && candidate->isVisible())
            chooser = candidate;
    }
    ASSERT_NE(chooser, nullptr);
    EXPECT_EQ(chooser->list()->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_EQ(chooser->acceptButton()->text(), u"Exclure"_s);
    auto* message = chooser->findChild<QLabel*>(u"chooserMessage"_s);
    ASSERT_NE(message, nullptr);
    EXPECT_EQ(message->text(), request.message);
    EXPECT_EQ(chooser->directory(), tree.root());
    ASSERT_TRUE(TestSupport::waitFor([&] { return chooser->model()->rowCount(chooser->list()->rootIndex()) == 4; }));
    EXPECT_FALSE(chooser->acceptButton()->isEnabled());
    // Its columns speak French, whatever the system's locale.
    QStringList titles;
    for (int column = 0; column < chooser->model()->columnCount(); ++column)
        titles << chooser->model()->headerData(column, Qt::Horizontal).toString();
    EXPECT_EQ(titles, (QStringList{u"Nom"_s, u"Taille"_s, u"Type"_s, u"Date de modification"_s}));
    const QModelIndex notes = chooser->model()->index(tree.path(u"notes.txt"_s));
    EXPECT_EQ(notes.siblingAtColumn(1).data().toString(), FileUtils::byteFormatter().string(0));
    EXPECT_EQ(notes.siblingAtColumn(3).data().toString(),
              DateTimeFormatter::mediumDateShortTime().string(QFileInfo(tree.path(u"notes.txt"_s)).lastModified()));
    EXPECT_TRUE(chooser->model()->index(tree.path(u"Projets"_s)).siblingAtColumn(1).data().toString().isEmpty());

    const QStringList chosen{tree.path(u"Projets"_s), tree.path(u"Été « 2024 ».pdf"_s)};
    chooser->selectPaths(chosen);
    EXPECT_TRUE(chooser->acceptButton()->isEnabled());
    EXPECT_TRUE(answers.isEmpty());
    chooser->acceptButton()->click();
    ASSERT_EQ(answers.size(), 1);
    EXPECT_EQ(QSet<QString>(answers[0].begin(), answers[0].end()), QSet<QString>(chosen.begin(), chosen.end()));

    // A double-click on a folder goes into it; a cancel answers nothing.
    answers.clear();
    panel.choose(request, [&](const QStringList& picked) { answers.append(picked); });
    QTest::qWait(0);
    chooser = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* candidate = qobject_cast<FileChooser*>(widget); candidate && candidate->isVisible())
            chooser = candidate;
    }
    ASSERT_NE(chooser, nullptr);
    ASSERT_TRUE(TestSupport::waitFor([&] { return chooser->model()->rowCount(chooser->list()->rootIndex()) == 4; }));
    emit chooser->list()->doubleClicked(chooser->model()->index(tree.path(u"autre"_s)));
    EXPECT_EQ(chooser->directory(), tree.path(u"autre"_s));
    chooser->reject();
    ASSERT_EQ(answers.size(), 1);
    EXPECT_TRUE(answers[0].isEmpty());
}

// The chooser stays on the Mac: it opens on the home folder, names each folder by its Mac path, climbs no higher
// than the Mac's root, and neither a typed path of this machine nor a link out of the Mac takes it elsewhere.
TEST(DesktopOpenPanel, staysOnTheMacAndShowsItsPaths)
{
    TempTree tree(u"mac/Users/demo/Documents/\nmac/Users/demo/sortie -> ../../../ailleurs\nailleurs/secret.txt\n"_s);
    const TestSupport::ScopedEnvironment root("QUORVANE_ROOT", tree.path(u"mac"_s));
    const TestSupport::ScopedEnvironment home("HOME", tree.path(u"mac/Users/demo"_s));
    std::unique_ptr<FileChooser> chooser(DesktopOpenPanel::makeChooser(
        {Platform::OpenPanel::Mode::filesAndFolders, u"Ajouter"_s, QString(), QString()}));
    EXPECT_EQ(chooser->directory(), tree.path(u"mac/Users/demo"_s));
    EXPECT_EQ(chooser->locationField()->text(), u"/Users/demo"_s);
    EXPECT_TRUE(chooser->upButton()->isEnabled());

    chooser->upButton()->click();
    EXPECT_EQ(chooser->locationField()->text(), u"/Users"_s);
    chooser->upButton()->click();
    EXPECT_EQ(chooser->directory(), tree.path(u"mac"_s));
    EXPECT_EQ(chooser->locationField()->text(), u"/"_s);
    EXPECT_FALSE(chooser->upButton()->isEnabled());

    struct Typed {
        QString text;
        QString shown; // where the chooser stands after Enter
    };
    const Typed typed[] = {
        {u"/Users/demo/Documents"_s, u"/Users/demo/Documents"_s},
        {u"~"_s, u"/Users/demo"_s},
        {tree.path(u"ailleurs"_s), u"/Users/demo"_s}, // this machine's path: the Mac has no such folder
        {u"/Users/demo/sortie"_s, u"/Users/demo"_s},  // a link that leads out of the Mac
        {u"/Users/../../.."_s, u"/"_s},               // no higher than the root
        {u"Users"_s, u"/"_s},                         // not a path
    };
    for (const Typed& t : typed) {
        chooser->locationField()->setText(t.text);
        QTest::keyClick(chooser->locationField(), Qt::Key_Return);
        EXPECT_EQ(chooser->locationField()->text(), t.shown) << t.text.toStdString();
    }
    chooser->setDirectory(tree.path(u"ailleurs"_s));
    chooser->setDirectory(tree.path(u"mac/Users/demo/sortie"_s));
    chooser->setDirectory(tree.root());
    EXPECT_EQ(chooser->directory(), tree.path(u"mac"_s));
}
