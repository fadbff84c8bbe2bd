#include "Look/DesktopAsk.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QMessageBox* openBox()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible())
            return box;
    }
    return nullptr;
}

QAbstractButton* buttonTitled(QMessageBox* box, const QString& text)
{
    for (QAbstractButton* button : box->buttons()) {
        if (button->text() == text)
            return button;
    }
    return nullptr;
}

} // namespace

// The question's texts on a box whose safe button is the default, answered through the callback when the box
// closes: true for the destructive button, false for the cancel button and for Escape.
TEST(DesktopAsk, answersThroughTheCallbackWhenTheBoxCloses)
{
    DesktopAsk ask;
    const Platform::Ask::Question question{u"Désinstaller Ondine ?"_s, u"Le bundle sera mis à la corbeille."_s,
                                           u"Désinstaller"_s, u"Annuler"_s};
    QList<bool> answers;
    const auto record = [&](bool confirmed) { answers.append(confirmed); };

    ask.ask(question, record);
    QMessageBox* box = openBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text(), question.title);
    EXPECT_EQ(box->informativeText(), question.message);
    EXPECT_EQ(box->windowModality(), Qt::WindowModal);
    ASSERT_NE(buttonTitled(box, u"Désinstaller"_s), nullptr);
    ASSERT_NE(buttonTitled(box, u"Annuler"_s), nullptr);
    EXPECT_EQ(static_cast<QAbstractButton*>(box->defaultButton()), buttonTitled(box, u"Annuler"_s));
    EXPECT_TRUE(answers.isEmpty()); // no nested loop: the answer comes when the box closes
    buttonTitled(box, u"Désinstaller"_s)->click();
    ASSERT_EQ(answers, QList<bool>{true});

    QTest::qWait(0);
    ask.ask(question, record);
    box = openBox();
    ASSERT_NE(box, nullptr);
    buttonTitled(box, u"Annuler"_s)->click();
    ASSERT_EQ(answers, (QList<bool>{true, false}));

    QTest::qWait(0);
    ask.ask(question, record);
    box = openBox();
    ASSERT_NE(box, nullptr);
    QTest::keyClick(box, Qt::Key_Escape);
    EXPECT_EQ(answers, (QList<bool>{true, false, false}));
}
