#include "Look/DesktopOpenPanel.h"

#include "Look/FileChooser.h"
#include "Platform/SystemRoot.h"

#include <QApplication>
#include <QDir>

FileChooser* DesktopOpenPanel::makeChooser(const Request& request)
{
    const QString directory = request.directory.isEmpty() ? Platform::homeFolder() : request.directory;
    auto* chooser =
        new FileChooser(directory, request.prompt, request.message, request.mode, QApplication::activeWindow());
    chooser->setWindowModality(Qt::WindowModal);
    return chooser;
}

void DesktopOpenPanel::choose(const Request& request, Answer answer)
{
    FileChooser* chooser = makeChooser(request);
    chooser->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(chooser, &QDialog::finished, chooser, [chooser, answer = std::move(answer)](int result) {
        QStringList chosen;
        if (result == QDialog::Accepted) {
            for (const QString& path : chooser->selectedPaths()) {
                if (!path.isEmpty())
                    chosen.append(QDir::cleanPath(path));
            }
        }
        if (answer)
            answer(chosen);
    });
    chooser->open();
}
