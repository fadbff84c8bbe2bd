#include "Look/DesktopOpenPanel.h"

#include "TempTree.h"

#include <QApplication>
#include <QFileDialog>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QFileDialog* openDialog()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<QFileDialog*>(widget); dialog && dialog->isVisible())
            return dialog;
    }
    return nullptr;
}

} // namespace

// One folder through Qt's own dialog, answered through the callback when the dialog closes: the chosen folder,
// or nothing on a cancel.
TEST(DesktopOpenPanel, answersTheChosenFolderOrNothing)
{
    TempTree tree(u"Projets/\n"_s);
    DesktopOpenPanel panel;
    const Platform::OpenPanel::Request request{Platform::OpenPanel::Mode::oneFolder, u"Analyser"_s, tree.root(),
                                               QString()};

    QList<QStringList> answers;
    panel.choose(request, [&](const QStringList& chosen) { answers.append(chosen); });
    QFileDialog* dialog = openDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->testOption(QFileDialog::DontUseNativeDialog));
    EXPECT_EQ(dialog->fileMode(), QFileDialog::Directory);
    EXPECT_EQ(dialog->labelText(QFileDialog::Accept), u"Analyser"_s);
    EXPECT_TRUE(answers.isEmpty()); // no nested loop: the answer comes when the dialog closes
    dialog->selectFile(tree.path(u"Projets"_s));
    static_cast<QDialog*>(dialog)->accept(); // the dialog checks the selection, as its button would
    ASSERT_EQ(answers.size(), 1);
    EXPECT_EQ(answers[0], QStringList{tree.path(u"Projets"_s)});

    panel.choose(request, [&](const QStringList& chosen) { answers.append(chosen); });
    QTest::qWait(0);
    dialog = openDialog();
    ASSERT_NE(dialog, nullptr);
    static_cast<QDialog*>(dialog)->reject();
    ASSERT_EQ(answers.size(), 2);
    EXPECT_TRUE(answers[1].isEmpty());
}
