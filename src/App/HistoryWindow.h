#pragma once

class History;
class QWidget;

namespace Platform {
class Workspace;
}

// The one place that opens the cleaning-history window ("Historique de nettoyage"): the main window's
// menu and the menu-bar panel both call it. While the window is open, opening it again brings it forward;
// closing it discards its view state (open cards, notice, measured figures), so each opening starts empty.
// A snapshot restore started from it goes on after it closes. Returns the window. GUI thread only.
QWidget* openHistoryWindow(History& history, Platform::Workspace& workspace);

// The window while it is open, else null.
QWidget* historyWindow();
