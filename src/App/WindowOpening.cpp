#include "App/WindowOpening.h"

#include <QAction>
#include <QWidget>

void bringForward(QWidget& window, QAction* command)
{
    if (command != nullptr && !window.actions().contains(command))
        window.addAction(command);
    window.showNormal();
    window.raise();
    window.activateWindow();
}
