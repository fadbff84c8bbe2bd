#pragma once

#include "Core/ModuleID.h"

#include <QMainWindow>

class AppState;
class QAction;
class QSplitter;
class SidebarView;

namespace Platform {
class Workspace;
}

// The main window: the sidebar and the selected module's screen, made by the module registry. A screen takes
// its view model from the app-wide state: a cleaning module's lives for the run, so its results survive any
// navigation; a tool screen owns the new one it gets at each visit. The monitor runs while the window is shown.
class MainWindow final : public QMainWindow
{
    Q_OBJECT

public:
    MainWindow(AppState& state, Platform::Workspace& workspace, QWidget* parent = nullptr);

    QWidget* detail() const { return m_detail; }
    SidebarView* sidebar() const { return m_sidebar; }
    // "Réglages…" (Ctrl+,), the first item of the first menu, right above the history item; active in every window
    // of the run. Whoever builds the window connects it to the settings window's opener.
    QAction* settingsAction() const { return m_settingsAction; }
    // "Historique de nettoyage" (Ctrl+Y) in the first menu, "Quorvane Pro"; active in every window of the run.
    // Whoever builds the window connects it to the history window's opener.
    QAction* historyAction() const { return m_historyAction; }
    // "Quitter Quorvane Pro" (Ctrl+Q), after the history item. Whoever builds the window connects it to the
    // way out that lets a running cleaning be journaled.
    QAction* quitAction() const { return m_quitAction; }
    // Every item of the menus that has a shortcut, for other windows of the run to carry, so that the shortcuts
    // work there too.
    QList<QAction*> commands() const;

signals:
    // After the window has shown and its monitor has started: the scheduler's loop starts then.
    void shown();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void route();

    AppState& m_state;
    Platform::Workspace& m_workspace;
    QSplitter* m_splitter;
    SidebarView* m_sidebar;
    QWidget* m_detail = nullptr;
    ModuleID m_routed = ModuleID::smartScan;
    QAction* m_settingsAction;
    QAction* m_historyAction;
    QAction* m_quitAction;
    QList<QAction*> m_moduleActions;
};
