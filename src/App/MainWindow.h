#pragma once

#include "App/AppStateFigures.h"
#include "Core/ModuleID.h"

#include <QMainWindow>

class AppState;
class QSplitter;
class SidebarView;

namespace Platform {
class Workspace;
}

// The main window: the sidebar and the selected module's screen. The screens of the scan modules take
// their long-lived view model from the app-wide state, so their results survive any navigation. The
// monitor runs while the window is shown.
class MainWindow final : public QMainWindow
{
    Q_OBJECT

public:
    MainWindow(AppState& state, Platform::Workspace& workspace, QWidget* parent = nullptr);

    // Whether the module's screen is the generic scan screen.
    static bool isScanModule(ModuleID module);

    QWidget* detail() const { return m_detail; }
    SidebarView* sidebar() const { return m_sidebar; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void route();

    AppState& m_state;
    Platform::Workspace& m_workspace;
    AppStateFigures m_figures;
    QSplitter* m_splitter;
    SidebarView* m_sidebar;
    QWidget* m_detail = nullptr;
    ModuleID m_routed = ModuleID::smartScan;
};
