#include "CompositionRoot.h"

#include "App/AppState.h"
#include "App/HistoryWindow.h"
#include "App/MainWindow.h"
#include "App/MenuBarExtra.h"
#include "App/MenuBarPanel.h"
#include "App/SettingsWindow.h"
#include "App/SingleInstance.h"
#include "App/WindowOpening.h"
#include "Developer/DeveloperModules.h"
#include "Developer/XcodeService.h"
#include "Look/DesktopAsk.h"
#include "Look/DesktopOpenPanel.h"
#include "Look/DesktopWorkspace.h"
#include "Look/LookStyle.h"
#include "Look/OverlayScrollBar.h"
#include "Look/Theme.h"
#include "Performance/Diagnostics.h"
#include "Performance/PerformanceModules.h"
#include "Platform/DBusNotifier.h"
#include "Scan/ScanModules.h"
#include "Scan/Schedule/Scheduler.h"
#include "Scanners/ScannerFactory.h"
#include "Tools/ToolModules.h"

#include <QAction>

#include <QApplication>
#include <QEventLoop>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

using namespace Qt::StringLiterals;

Modules::Registry CompositionRoot::assembleModules(Platform::OpenPanel& openPanel, Platform::Ask& ask)
{
    Modules::Registry registry;
    registerScannerModules(registry);
    registerScanModules(registry, &ask);
    registerPerformanceModules(registry);
    registerToolModules(registry, openPanel, ask);
    registerDeveloperModules(registry);
    return registry;
}

Shortcuts::Services CompositionRoot::actionServices(const Exclusions& exclusions)
{
    Shortcuts::Services services = Shortcuts::Services::standard(exclusions);
    // What the developer inventory recommends, asked afresh; the command line has no GUI thread to spare.
    services.xcodeJunkBytes = [&exclusions] {
        const XcodeService::Inventory inventory = XcodeService::loadInventory(exclusions);
        return XcodeService::recommendedBytes(inventory.devices, inventory.runtimes, inventory.archives,
                                              QDateTime::currentDateTimeUtc());
    };
    // The health probes, with the application's respawn window (no wait when no service runs).
    services.diagnose = [] {
        QList<Shortcuts::Finding> findings;
        for (const Diagnostics::Finding& finding : Diagnostics::run(Diagnostics::applicationWindow))
            findings.append({finding.title, finding.evidence});
        return findings;
    };
    return services;
}

// The services are the first member, made on the GUI thread before any background job can ask for them.
CompositionRoot::CompositionRoot()
{
    // Before any window is made: every list of the program scrolls with the look's thin bar.
    OverlayScrollBar::installEverywhere();
    const ModelServices& services = m_standard.services;
    m_workspace = std::make_unique<DesktopWorkspace>();
    m_openPanel = std::make_unique<DesktopOpenPanel>();
    m_ask = std::make_unique<DesktopAsk>();
    m_registry = assembleModules(*m_openPanel, *m_ask);
    m_state = std::make_unique<AppState>(m_registry, services);
    m_window = std::make_unique<MainWindow>(*m_state, *m_workspace);
    QObject::connect(m_window->historyAction(), &QAction::triggered, m_window.get(), [this] {
        QWidget* opened = openHistoryWindow(m_historyWindow, m_standard.history, m_standard.inFlight, *m_workspace,
                                            m_window->historyAction());
        // The menus' shortcuts work there too, with the main window closed.
        opened->addActions(m_window->commands());
    });
    m_notifier = std::make_unique<Platform::DBusNotifier>();
    Scheduler::Seams seams = Scheduler::Seams::standard();
    seams.scanners = [this](ModuleID module, const Exclusions& list) { return m_registry.makeScanner(module, list); };
    m_scheduler = std::make_unique<Scheduler>(services, *m_notifier, seams);
    // The monitor starts with the window, then the scheduler's loop, once; hiding the window stops only the monitor.
    QObject::connect(m_window.get(), &MainWindow::shown, m_scheduler.get(), &Scheduler::start);
    QObject::connect(m_window->settingsAction(), &QAction::triggered, m_window.get(), [this] {
        const SettingsServices settings{m_standard.preferences, m_standard.exclusions, *m_scheduler, *m_workspace,
                                        *m_openPanel};
        QWidget* opened = openSettingsWindow(m_settingsWindow, settings, m_window->settingsAction());
        // The menus' shortcuts work there too, with the main window closed.
        opened->addActions(m_window->commands());
    });
    // Quitting goes through the end of the event loop, after which the program waits for cleanings.
    QObject::connect(m_window->quitAction(), &QAction::triggered, qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    // The menu-bar panel opens windows through the same opener as the menus, and quits by the menus' path.
    m_panel = std::make_unique<MenuBarPanel>(
        *m_state, services.history, [this](const QString& identifier) { openWindow(identifier); },
        [this] { m_window->quitAction()->trigger(); });
    m_extra = std::make_unique<MenuBarExtra>(services.preferences, *m_panel);
}

CompositionRoot::~CompositionRoot()
{
    m_extra.reset();
    m_panel.reset();
    delete m_historyWindow.data();
    delete m_settingsWindow.data();
    m_scheduler.reset();
    m_notifier.reset();
    m_window.reset();
    m_state.reset();
    m_ask.reset();
    m_openPanel.reset();
    m_workspace.reset();
}

void CompositionRoot::openWindow(const QString& identifier)
{
    if (identifier == u"history") {
        m_window->historyAction()->trigger();
        return;
    }
    if (identifier == u"settings") {
        m_window->settingsAction()->trigger();
        return;
    }
    bringForward(*m_window);
}

void CompositionRoot::answerOtherCopies(SingleInstance& instance)
{
    QObject::connect(&instance, &SingleInstance::moduleRequested, m_state.get(),
                     [this](ModuleID module) { m_state->setSelection(module); });
    QObject::connect(&instance, &SingleInstance::activationRequested, m_window.get(),
                     [this] { openWindow(u"main"_s); });
}

void CompositionRoot::finishCleanings()
{
    while (m_state->isCleaning() || !m_standard.inFlight.idle())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    m_standard.history.waitUntilIdle();
}

void installApplicationLook()
{
    Theme::installFonts();
    LookStyle::install();
    QApplication::setFont(Theme::systemFont(13));
}

QTranslator* installFrenchQtTexts()
{
    auto* translator = new QTranslator(qApp);
    if (!translator->load(QLocale(QLocale::French, QLocale::France), u"qtbase"_s, u"_"_s,
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
        !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return nullptr;
    }
    return translator;
}
