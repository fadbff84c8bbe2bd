#include "App/SettingsWindow.h"

#include "App/ExclusionsPane.h"
#include "App/ExclusionsPaneViewModel.h"
#include "App/GeneralPane.h"
#include "App/GeneralPaneViewModel.h"
#include "App/SchedulePane.h"
#include "App/SchedulePaneViewModel.h"
#include "App/WindowOpening.h"
#include "Look/Paint.h"
#include "Platform/Symbols.h"

#include <QApplication>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

QIcon symbolIcon(const QString& symbol)
{
    QIcon icon;
    for (const int side : {16, 32}) {
        QPixmap pixmap(side, side);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        Paint::drawSymbol(painter, symbol, QPointF(side / 2.0, side / 2.0), side * 0.85,
                          QApplication::palette().color(QPalette::WindowText));
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace

SettingsView::SettingsView(const SettingsServices& services, QWidget* parent)
    : QTabWidget(parent),
      m_general(new GeneralPane(*new GeneralPaneViewModel(services.preferences, services.scheduler, this))),
      m_schedule(new SchedulePane(
          *new SchedulePaneViewModel(services.preferences, services.scheduler, services.workspace, this))),
      m_exclusions(new ExclusionsPane(
          *new ExclusionsPaneViewModel(services.exclusions, services.openPanel, services.workspace, this),
          services.workspace))
{
    setObjectName(u"settingsView"_s);
    setDocumentMode(true);
    addTab(m_general, symbolIcon(sfSymbol(u"gearshape")), u"Général"_s);
    addTab(m_schedule, symbolIcon(sfSymbol(u"calendar.badge.clock")), u"Planification"_s);
    addTab(m_exclusions, symbolIcon(sfSymbol(u"hand.raised.slash")), u"Exclusions"_s);
    setCurrentIndex(0);
}

QWidget* openSettingsWindow(QPointer<QWidget>& window, const SettingsServices& services, QAction* command)
{
    if (window.isNull()) {
        window = new QWidget(nullptr, Qt::Window);
        window->setObjectName(u"settingsWindow"_s);
        window->setAttribute(Qt::WA_DeleteOnClose);
        closeWithKeys(*window);
        auto* column = new QVBoxLayout(window);
        column->setContentsMargins(0, 0, 0, 0);
        auto* view = new SettingsView(services, window);
        column->addWidget(view);
        // The window is named after the tab in front, as the Mac's settings windows are.
        const auto follow = [target = window.data(), view] {
            target->setWindowTitle(view->tabText(view->currentIndex()));
        };
        QObject::connect(view, &QTabWidget::currentChanged, window, follow);
        follow();
        window->setFixedSize(SettingsView::windowWidth, SettingsView::windowHeight);
    }
    bringForward(*window, command);
    return window;
}
