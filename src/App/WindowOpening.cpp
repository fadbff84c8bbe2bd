#include "App/WindowOpening.h"

#include <QAction>
#include <QKeySequence>
#include <QWidget>

void bringForward(QWidget& window, QAction* command)
{
    if (command != nullptr && !window.actions().contains(command))
        window.addAction(command);
    window.showNormal();
    window.raise();
    window.activateWindow();
}

void closeWithKeys(QWidget& window)
{
    QList<QKeySequence> keys = QKeySequence::keyBindings(QKeySequence::Close);
    // Some desktops bind closing a window to another key only; Ctrl+W stands for Cmd+W everywhere.
    if (!keys.contains(QKeySequence(Qt::CTRL | Qt::Key_W)))
        keys.append(QKeySequence(Qt::CTRL | Qt::Key_W));
    keys.append(QKeySequence(Qt::Key_Escape));
    auto* close = new QAction(&window);
    close->setShortcuts(keys);
    close->setShortcutContext(Qt::WindowShortcut);
    QObject::connect(close, &QAction::triggered, &window, &QWidget::close);
    window.addAction(close);
}
