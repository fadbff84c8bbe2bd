#include "App/MenuBarExtra.h"

#include "App/MenuBarPanel.h"
#include "Core/Preferences.h"
#include "Look/Paint.h"
#include "Look/Theme.h"
#include "Platform/Symbols.h"

#include <algorithm>

#include <QApplication>
#include <QCursor>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QSystemTrayIcon>

using namespace Qt::StringLiterals;

namespace {

QIcon sparkles()
{
    QIcon icon;
    for (const int side : {16, 22, 32, 44}) {
        QPixmap pixmap(side, side);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        Paint::drawSymbol(painter, sfSymbol(u"sparkles"), QPointF(side / 2.0, side / 2.0), side * 0.8,
                          QApplication::palette().color(QPalette::WindowText));
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace

MenuBarExtra::MenuBarExtra(Preferences& preferences, MenuBarPanel& panel, QObject* parent)
    : QObject(parent), m_preferences(preferences), m_panel(panel), m_icon(new QSystemTrayIcon(sparkles(), this))
{
    m_icon->setToolTip(u"Quorvane Pro"_s);
    m_panel.setWindowFlags(Qt::Popup | Qt::FramelessWindowHint);
    connect(m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
            showPanel(QCursor::pos());
    });
    connect(&m_preferences, &Preferences::changed, this, &MenuBarExtra::follow);
    follow();
}

MenuBarExtra::~MenuBarExtra() = default;

bool MenuBarExtra::isShown() const
{
    return m_icon->isVisible();
}

void MenuBarExtra::follow()
{
    const bool shows = m_preferences.showsMenuBarItem();
    // Without a tray to show the icon in, a program left running with no window could not be reached.
    QApplication::setQuitOnLastWindowClosed(!(shows && QSystemTrayIcon::isSystemTrayAvailable()));
    if (m_icon->isVisible() != shows)
        m_icon->setVisible(shows);
    if (!shows)
        m_panel.hide();
}

void MenuBarExtra::showPanel(const QPoint& near)
{
    const QRect place = m_icon->geometry();
    QPoint corner = place.isValid() ? QPoint(place.left(), place.bottom() + 4) : near;
    m_panel.adjustSize();
    if (const QScreen* screen = QApplication::screenAt(corner)) {
        const QRect room = screen->availableGeometry();
        // Keep the whole panel on the screen, above the icon when the icon sits at the bottom.
        if (corner.y() + m_panel.height() > room.bottom())
            corner.setY((place.isValid() ? place.top() : corner.y()) - m_panel.height() - 4);
        corner.setX(std::clamp(corner.x(), room.left(), std::max(room.left(), room.right() - m_panel.width())));
        corner.setY(std::max(corner.y(), room.top()));
    }
    m_panel.move(corner);
    m_panel.show();
    m_panel.raise();
    m_panel.activateWindow();
}
