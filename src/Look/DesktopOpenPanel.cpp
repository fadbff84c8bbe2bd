#include "Look/DesktopOpenPanel.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>

QFileDialog* DesktopOpenPanel::makeDialog(const Request& request)
{
    auto* dialog = new QFileDialog(QApplication::activeWindow());
    dialog->setOption(QFileDialog::DontUseNativeDialog, true);
    switch (request.mode) {
    case Mode::oneFolder:
        dialog->setFileMode(QFileDialog::Directory);
        dialog->setOption(QFileDialog::ShowDirsOnly, true);
        break;
    case Mode::filesAndFolders:
        // The file dialog picks files only; choosing folders beside them takes a dialog of our own.
        dialog->setFileMode(QFileDialog::ExistingFiles);
        break;
    }
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    if (!request.prompt.isEmpty())
        dialog->setLabelText(QFileDialog::Accept, request.prompt);
    dialog->setLabelText(QFileDialog::Reject, QStringLiteral("Annuler"));
    if (!request.directory.isEmpty())
        dialog->setDirectory(request.directory);
    dialog->setWindowModality(Qt::WindowModal);
    return dialog;
}

void DesktopOpenPanel::choose(const Request& request, Answer answer)
{
    QFileDialog* dialog = makeDialog(request);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(dialog, &QFileDialog::finished, dialog, [dialog, answer = std::move(answer)](int result) {
        QStringList chosen;
        if (result == QDialog::Accepted) {
            for (const QString& path : dialog->selectedFiles()) {
                if (!path.isEmpty())
                    chosen.append(QDir::cleanPath(path));
            }
        }
        if (answer)
            answer(chosen);
    });
    dialog->open();
}
