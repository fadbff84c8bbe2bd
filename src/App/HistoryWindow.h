#pragma once

#include <QPointer>

class History;
class QAction;
class QWidget;
class WorkInFlight;

namespace Platform {
class Workspace;
}

// The one place that opens the cleaning-history window ("Historique de nettoyage"): the main window's
// menu and the menu-bar panel both call it. While the window is open, opening it again brings it forward;
// closing it discards its view state (open cards, notice, measured figures), so each opening starts empty.
// A snapshot restore started from it goes on after it closes, holding a ticket of `inFlight`. `command`, the menu item
// that opens it, is also kept in the window, so that its shortcut works there with the main window closed. `window`
// holds the window while it is open (the composition root keeps it; null once closed). Returns the window. GUI thread
// only.
QWidget* openHistoryWindow(QPointer<QWidget>& window, History& history, WorkInFlight& inFlight,
                           Platform::Workspace& workspace, QAction* command = nullptr);
