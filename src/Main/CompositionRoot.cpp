#include "CompositionRoot.h"

#include "App/AppState.h"
#include "App/HistoryWindow.h"
#include "App/MainWindow.h"
#include "Core/Exclusions.h"
#include "Core/History.h"
#include "Core/Preferences.h"
#include "Look/DesktopWorkspace.h"
#include "Look/Theme.h"
#include "Scan/HistoryModel.h"

#include <QAction>

#include <QApplication>
#include <QEventLoop>

CompositionRoot::CompositionRoot()
{
    Preferences::shared();
    Exclusions::shared();
    History::shared();
    m_workspace = std::make_unique<DesktopWorkspace>();
    m_state = std::make_unique<AppState>();
    m_window = std::make_unique<MainWindow>(*m_state, *m_workspace);
    QObject::connect(m_window->historyAction(), &QAction::triggered, m_window.get(),
                     [this] { openHistoryWindow(History::shared(), *m_workspace, m_window->historyAction()); });
}

CompositionRoot::~CompositionRoot()
{
    delete historyWindow();
    m_window.reset();
    m_state.reset();
    m_workspace.reset();
}

void CompositionRoot::finishCleanings()
{
    while (m_state->isCleaning() || HistoryModel::restoresUnderWay() > 0)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
}

void installApplicationLook()
{
    Theme::installFonts();
    QApplication::setFont(Theme::systemFont(13));
}
