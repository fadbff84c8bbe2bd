#pragma once

#include <memory>

class AppState;
class MainWindow;
class DesktopWorkspace;

// Builds the object graph of one run, once, in order: the shared services (the preferences first, which
// carries the earlier product's data over), the workspace, the app-wide state, then the main window; and
// takes it down in reverse.
class CompositionRoot final
{
public:
    CompositionRoot();
    ~CompositionRoot();
    CompositionRoot(const CompositionRoot&) = delete;
    CompositionRoot& operator=(const CompositionRoot&) = delete;

    AppState& state() { return *m_state; }
    MainWindow& window() { return *m_window; }
    DesktopWorkspace& workspace() { return *m_workspace; }

    // Lets a cleaning in progress finish and be journaled, so that no file waits in the Trash without its
    // journal entry when the program ends; a restore from a snapshot likewise.
    void finishCleanings();

private:
    std::unique_ptr<DesktopWorkspace> m_workspace;
    std::unique_ptr<AppState> m_state;
    std::unique_ptr<MainWindow> m_window;
};

// The fonts of the look, installed once before any widget is made.
void installApplicationLook();
