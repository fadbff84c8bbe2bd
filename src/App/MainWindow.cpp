#include "App/MainWindow.h"

#include "App/AppState.h"
#include "App/SidebarView.h"
#include "Platform/Workspace.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>

using namespace Qt::StringLiterals;

MainWindow::MainWindow(AppState& state, Platform::Workspace& workspace, QWidget* parent)
    : QMainWindow(parent), m_state(state), m_workspace(workspace), m_splitter(new QSplitter(this)),
      m_sidebar(new SidebarView(state, m_splitter)), m_settingsAction(new QAction(u"Réglages…"_s, this)),
      m_historyAction(new QAction(u"Historique de nettoyage"_s, this)),
      m_quitAction(new QAction(u"Quitter Quorvane Pro"_s, this))
{
    setObjectName(u"mainWindow"_s);
    setWindowTitle(u"Quorvane Pro"_s);
    setMinimumSize(940, 640);
    resize(1120, 720);
    m_splitter->setChildrenCollapsible(false);
    m_splitter->addWidget(m_sidebar);
    setCentralWidget(m_splitter);
    QMenu* application = menuBar()->addMenu(u"Quorvane Pro"_s);
    application->setObjectName(u"applicationMenu"_s);
    m_settingsAction->setObjectName(u"settingsAction"_s);
    m_settingsAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    m_settingsAction->setShortcutContext(Qt::ApplicationShortcut);
    m_settingsAction->setMenuRole(QAction::PreferencesRole);
    application->addAction(m_settingsAction);
    m_historyAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Y));
    m_historyAction->setShortcutContext(Qt::ApplicationShortcut);
    application->addAction(m_historyAction);
    m_quitAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    m_quitAction->setShortcutContext(Qt::ApplicationShortcut);
    m_quitAction->setMenuRole(QAction::QuitRole);
    application->addAction(m_quitAction);
    // The module items only change the selection; the window shows it whenever it is open.
    QMenu* analysis = menuBar()->addMenu(u"Analyse"_s);
    analysis->setObjectName(u"analysisMenu"_s);
    const ModuleID modules[] = {ModuleID::smartScan, ModuleID::systemJunk, ModuleID::xcodeJunk, ModuleID::uninstaller};
    int key = Qt::Key_1;
    for (const ModuleID module : modules) {
        QAction* item = analysis->addAction(title(module));
        item->setShortcut(QKeySequence(Qt::CTRL | Qt::Key(key++)));
        item->setShortcutContext(Qt::ApplicationShortcut);
        connect(item, &QAction::triggered, this, [this, module] { m_state.setSelection(module); });
        m_moduleActions << item;
    }
    analysis->addSeparator();
    QAction* fullDiskAccess = analysis->addAction(u"Ouvrir les réglages d'Accès complet au disque"_s);
    fullDiskAccess->setObjectName(u"fullDiskAccessAction"_s);
    connect(fullDiskAccess, &QAction::triggered, this,
            [this] { m_workspace.open(Platform::fullDiskAccessSettingsURL()); });
    connect(&m_state, &AppState::selectionChanged, this, &MainWindow::route);
    m_routed = m_state.selection();
    route();
    m_splitter->setStretchFactor(1, 1);
    m_splitter->setSizes({232, width() - 232});
}

QList<QAction*> MainWindow::commands() const
{
    return QList<QAction*>{m_settingsAction, m_historyAction, m_quitAction} + m_moduleActions;
}

void MainWindow::route()
{
    const ModuleID module = m_state.selection();
    if (m_detail != nullptr && module == m_routed)
        return;
    m_routed = module;
    // A module with a screen of its own gets its model; the registry's fallback says the module is not there yet.
    const Modules::Registry& registry = m_state.registry();
    std::unique_ptr<QObject> visitModel;
    QObject* model = nullptr;
    if (registry.entry(module).screen) {
        if (registry.entry(module).lifetime == Modules::Lifetime::visit) {
            visitModel = m_state.newViewModel(module);
            model = visitModel.get();
        } else {
            model = m_state.viewModel(module);
        }
    }
    QWidget* screen = registry.makeScreen(Modules::ScreenContext{module, model, m_workspace, m_state});
    if (screen == nullptr)
        screen = new QWidget;
    if (visitModel)
        visitModel.release()->setParent(screen); // the visit's model goes with its screen
    screen->setObjectName(u"moduleScreen"_s);
    if (m_detail != nullptr) {
        m_splitter->replaceWidget(1, screen);
        m_detail->deleteLater();
    } else {
        m_splitter->addWidget(screen);
    }
    m_detail = screen;
}

void MainWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    m_state.startMonitoring();
    emit shown();
}

void MainWindow::hideEvent(QHideEvent* event)
{
    QMainWindow::hideEvent(event);
    m_state.stopMonitoring();
}
