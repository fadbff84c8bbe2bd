#pragma once

class QAction;
class QWidget;

// Shows a top-level window of the application and brings it forward. `command`, the menu item that opens it,
// is also kept in the window, so that its shortcut works there with the main window closed. GUI thread only.
void bringForward(QWidget& window, QAction* command = nullptr);

// Lets Escape and the platform's close shortcut (Ctrl+W here, Cmd+W on a Mac) close a secondary window, as the
// desktop's own windows do. GUI thread only.
void closeWithKeys(QWidget& window);
