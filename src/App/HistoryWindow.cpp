#include "App/HistoryWindow.h"

#include "App/WindowOpening.h"

#include "Scan/History/HistoryView.h"

#include <QVBoxLayout>
#include <QWidget>

using namespace Qt::StringLiterals;

QWidget* openHistoryWindow(QPointer<QWidget>& window, History& history, WorkInFlight& inFlight,
                           Platform::Workspace& workspace, QAction* command)
{
    if (window.isNull()) {
        window = new QWidget(nullptr, Qt::Window);
        window->setObjectName(u"historyWindow"_s);
        window->setWindowTitle(u"Historique de nettoyage"_s);
        window->setAttribute(Qt::WA_DeleteOnClose);
        closeWithKeys(*window);
        auto* column = new QVBoxLayout(window);
        column->setContentsMargins(0, 0, 0, 0);
        column->addWidget(new HistoryView(history, inFlight, workspace, window));
        window->resize(720, 540);
    }
    bringForward(*window, command);
    return window;
}
