#pragma once

#include <QPointer>
#include <QTabWidget>

class Exclusions;
class ExclusionsPane;
class GeneralPane;
class Preferences;
class QAction;
class SchedulePane;
class Scheduler;

namespace Platform {
class OpenPanel;
class Workspace;
} // namespace Platform

// What the settings reach: the shared preferences and exclusions, the scheduler (run now, its outcome and the
// one notification permission), and the desktop's workspace and open panel. All outlive the window.
struct SettingsServices {
    Preferences& preferences;
    Exclusions& exclusions;
    Scheduler& scheduler;
    Platform::Workspace& workspace;
    Platform::OpenPanel& openPanel;
};

// The settings: three tabs, "Général", "Planification" and "Exclusions", in that order, each over a view model
// of its own. Its controls write at once; there is nothing to apply or cancel.
class SettingsView final : public QTabWidget
{
    Q_OBJECT

public:
    static constexpr int windowWidth = 620;
    static constexpr int windowHeight = 460;

    explicit SettingsView(const SettingsServices& services, QWidget* parent = nullptr);

    GeneralPane* generalPane() const { return m_general; }
    SchedulePane* schedulePane() const { return m_schedule; }
    ExclusionsPane* exclusionsPane() const { return m_exclusions; }

private:
    GeneralPane* m_general;
    SchedulePane* m_schedule;
    ExclusionsPane* m_exclusions;
};

// The one place that opens the settings window ("Réglages…"): the main window's menu and the menu-bar panel both
// come here. While the window is open, opening it again brings it forward as it is; closing it discards it, so
// each opening starts on the first tab. `command`, the menu item that opens it, is also kept in the window, so
// that its shortcut works there. `window` holds the window while it is open (the composition root keeps it; null
// once closed). Returns the window. GUI thread only.
QWidget* openSettingsWindow(QPointer<QWidget>& window, const SettingsServices& services, QAction* command = nullptr);
