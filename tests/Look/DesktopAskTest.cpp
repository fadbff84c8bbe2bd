#include "Look/DesktopAsk.h"
#include "WaitFor.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <cstdlib>
#include <memory>

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

// The box wears the program's look rather than the desktop's: its own symbol, the explanation at a width that
// reads in a few lines, the destructive button in the danger gradient beside a quiet, colourless cancel button.
TEST(DesktopAsk, theBoxWearsTheProgramsLook)
{
    const Platform::Ask::Question question{
        u"Supprimer 3 instantanés ?"_s,
        u"Les copies locales de Time Machine seront effacées de ce disque ; les sauvegardes sur le disque externe "
        u"restent intactes. Cette action est irréversible."_s,
        u"Supprimer"_s, u"Annuler"_s};
    const std::unique_ptr<QMessageBox> box(DesktopAsk::makeBox(question));
    box->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(box.get(), TestSupport::waitBound));
    EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
    EXPECT_FALSE(box->iconPixmap().isNull());

    const auto* message = box->findChild<QLabel*>(u"qt_msgbox_informativelabel"_s);
    ASSERT_NE(message, nullptr);
    EXPECT_GE(message->width(), DesktopAsk::messageWidth);
    const QFontMetrics metrics = message->fontMetrics();
    const int lines =
        metrics.boundingRect(QRect(0, 0, message->width(), 100000), Qt::TextWordWrap, question.message).height() /
        metrics.lineSpacing();
    EXPECT_LE(lines, 3);

    const QColor window = box->palette().color(QPalette::Window);
    const auto centre = [&](QAbstractButton* button) {
        QImage image(button->size(), QImage::Format_ARGB32);
        image.fill(window);
        button->render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
        return image.pixelColor(button->height() / 2 + 1, 3 * button->height() / 4);
    };
    const QColor destructive = centre(buttonTitled(box.get(), u"Supprimer"_s));
    EXPECT_GT(destructive.red(), destructive.blue() + 60);
    const QColor cancel = centre(buttonTitled(box.get(), u"Annuler"_s));
    EXPECT_LE(std::abs(cancel.red() - cancel.blue()), 8);
    EXPECT_NE(cancel, window);
}
