#include "CompositionRoot.h"

#include "App/AppState.h"
#include "App/MainWindow.h"
#include "Core/Exclusions.h"
#include "Core/History.h"
#include "Core/Preferences.h"
#include "Core/RemovalEngine.h"
#include "Look/DesktopWorkspace.h"
#include "Look/Theme.h"
#include "Scan/ScanModules.h"
#include "Scanners/ScannerFactory.h"

#include <QApplication>
#include <QEventLoop>

Modules::Registry CompositionRoot::assembleModules()
{
    Modules::Registry registry;
    registerScannerModules(registry);
    registerScanModules(registry);
    return registry;
}

CompositionRoot::CompositionRoot()
{
    Preferences& preferences = Preferences::shared();
    Exclusions& exclusions = Exclusions::shared();
    History& history = History::shared();
    m_removal = std::make_unique<Removal::Engine>(exclusions);
    m_services = std::make_unique<ModelServices>(ModelServices{exclusions, preferences, history, *m_removal});
    m_registry = assembleModules();
    m_workspace = std::make_unique<DesktopWorkspace>();
    m_state = std::make_unique<AppState>(m_registry, *m_services);
    m_window = std::make_unique<MainWindow>(*m_state, *m_workspace);
}

CompositionRoot::~CompositionRoot()
{
    m_window.reset();
    m_state.reset();
    m_workspace.reset();
    m_services.reset();
    m_removal.reset();
}

void CompositionRoot::finishCleanings()
{
    while (m_state->isCleaning())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    m_services->history.waitUntilIdle();
}

void installApplicationLook()
{
    Theme::installFonts();
    QApplication::setFont(Theme::systemFont(13));
}
