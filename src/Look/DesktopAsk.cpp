#include "Look/DesktopAsk.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

QMessageBox* DesktopAsk::makeBox(const Question& question)
{
    auto* box = new QMessageBox(QApplication::activeWindow());
    box->setIcon(QMessageBox::Warning);
    box->setWindowTitle(question.title);
    box->setText(question.title);
    box->setInformativeText(question.message);
    box->addButton(question.destructive, QMessageBox::DestructiveRole);
    QPushButton* cancel = box->addButton(question.cancel, QMessageBox::RejectRole);
    box->setDefaultButton(cancel);
    box->setEscapeButton(cancel);
    box->setWindowModality(Qt::WindowModal);
    return box;
}

void DesktopAsk::ask(const Question& question, Answer answer)
{
    QMessageBox* box = makeBox(question);
    box->setAttribute(Qt::WA_DeleteOnClose);
    // Read which button closed the box rather than the result code: a destructive button gives no accepted code.
    QObject::connect(box, &QMessageBox::finished, box, [box, answer = std::move(answer)](int) {
        const bool confirmed =
            box->clickedButton() != nullptr && box->buttonRole(box->clickedButton()) == QMessageBox::DestructiveRole;
        if (answer)
            answer(confirmed);
    });
    box->open();
}
