#include "Look/DesktopOpenPanel.h"

#include "Look/FileChooser.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>

QFileDialog* DesktopOpenPanel::makeDialog(const Request& request)
{
    auto* dialog = new QFileDialog(QApplication::activeWindow());
    dialog->setOption(QFileDialog::DontUseNativeDialog, true);
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setOption(QFileDialog::ShowDirsOnly, true);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    if (!request.prompt.isEmpty())
        dialog->setLabelText(QFileDialog::Accept, request.prompt);
    dialog->setLabelText(QFileDialog::Reject, QStringLiteral("Annuler"));
    if (!request.directory.isEmpty())
        dialog->setDirectory(request.directory);
    dialog->setWindowModality(Qt::WindowModal);
    return dialog;
}

FileChooser* DesktopOpenPanel::makeChooser(const Request& request)
{
    auto* chooser = new FileChooser(request.directory, request.prompt, request.message, QApplication::activeWindow());
    chooser->setWindowModality(Qt::WindowModal);
    return chooser;
}

void DesktopOpenPanel::choose(const Request& request, Answer answer)
{
    QDialog* dialog = nullptr;
    std::function<QStringList()> chosenPaths;
    switch (request.mode) {
    case Mode::oneFolder: {
        QFileDialog* files = makeDialog(request);
        chosenPaths = [files] { return files->selectedFiles(); };
        dialog = files;
        break;
    }
    case Mode::filesAndFolders: {
        FileChooser* chooser = makeChooser(request);
        chosenPaths = [chooser] { return chooser->selectedPaths(); };
        dialog = chooser;
        break;
    }
    }
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(dialog, &QDialog::finished, dialog,
                     [chosenPaths = std::move(chosenPaths), answer = std::move(answer)](int result) {
                         QStringList chosen;
                         if (result == QDialog::Accepted) {
                             for (const QString& path : chosenPaths()) {
                                 if (!path.isEmpty())
                                     chosen.append(QDir::cleanPath(path));
                             }
                         }
                         if (answer)
                             answer(chosen);
                     });
    dialog->open();
}
