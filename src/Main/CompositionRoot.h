#pragma once

#include "App/ShortcutsActions.h"
#include "Core/StandardServices.h"
#include "Scanners/ModuleRegistry.h"

#include <memory>

#include <QPointer>
#include <QWidget>

class AppState;
class MainWindow;
class MenuBarExtra;
class MenuBarPanel;
class DesktopAsk;
class DesktopOpenPanel;
class DesktopWorkspace;
class SingleInstance;
class Scheduler;
class QTranslator;

namespace Platform {
class Ask;
class DBusNotifier;
class OpenPanel;
} // namespace Platform

// Builds the object graph of one run, once, in order: the services of the run (the preferences first, which
// carries the earlier product's data over) and the removal engine over them, the module registry, the
// workspace, the app-wide state, the main window, the scheduler, then the menu-bar extra and its panel; and takes it
// down in reverse.
class CompositionRoot final
{
public:
    CompositionRoot();
    ~CompositionRoot();
    CompositionRoot(const CompositionRoot&) = delete;
    CompositionRoot& operator=(const CompositionRoot&) = delete;

    // What the Shortcuts actions reach on the command line, where no object graph is built: the scanner
    // factory over `exclusions` (the command line's own set of services, which outlives the answer), the
    // startup disk, the developer inventory's recommended size and the diagnostics.
    static Shortcuts::Services actionServices(const Exclusions& exclusions);

    // The table of every module, as each library registers it, in layer order; tool screens ask for files and
    // folders through `openPanel`.
    static Modules::Registry assembleModules(Platform::OpenPanel& openPanel, Platform::Ask& ask);

    // The run's services, made first and taken down last.
    const ModelServices& services() const { return m_standard.services; }
    AppState& state() { return *m_state; }
    MainWindow& window() { return *m_window; }
    DesktopWorkspace& workspace() { return *m_workspace; }
    MenuBarPanel& menuBarPanel() { return *m_panel; }
    MenuBarExtra& menuBarExtra() { return *m_extra; }
    // The run's one scheduler; its loop starts when the main window shows.
    Scheduler& scheduler() { return *m_scheduler; }
    // The history and settings windows while they are open, else null.
    QWidget* historyWindow() const { return m_historyWindow.data(); }
    QWidget* settingsWindow() const { return m_settingsWindow.data(); }
    // Opens a window of the run by its identifier, "main", "history" or "settings", and brings it forward.
    void openWindow(const QString& identifier);

    // A later copy's request: show the module it names, if any, and bring the main window forward.
    void answerOtherCopies(SingleInstance& instance);

    // Lets a cleaning in progress finish and be journaled, so that no file waits in the Trash without its
    // journal entry when the program ends; a restore from a snapshot likewise.
    void finishCleanings();

private:
    StandardServices m_standard;
    std::unique_ptr<DesktopWorkspace> m_workspace;
    std::unique_ptr<DesktopOpenPanel> m_openPanel;
    std::unique_ptr<DesktopAsk> m_ask;
    Modules::Registry m_registry;
    std::unique_ptr<AppState> m_state;
    std::unique_ptr<MainWindow> m_window;
    std::unique_ptr<Platform::DBusNotifier> m_notifier;
    std::unique_ptr<Scheduler> m_scheduler;
    std::unique_ptr<MenuBarPanel> m_panel;
    std::unique_ptr<MenuBarExtra> m_extra;
    // Each secondary window while it is open; opening it again brings that one forward.
    QPointer<QWidget> m_historyWindow;
    QPointer<QWidget> m_settingsWindow;
};

// The fonts of the look, installed once before any widget is made.
void installApplicationLook();

// Qt's own texts (its file dialog, its text fields' menus, its standard buttons) in French, whatever the system's
// language, as every text of the program is. Gives the translator installed, owned by the application; null
// when Qt's French translation is not on this machine, in which case those texts stay in English.
QTranslator* installFrenchQtTexts();
