#pragma once

#include <QObject>

class MenuBarPanel;
class Preferences;
class QSystemTrayIcon;

// The menu-bar extra: a tray icon (the "sparkles" symbol) shown exactly while the preference says so, following
// each change at once; a click shows the panel as a frameless popup beside it. While the icon shows, closing
// the last window leaves the program running, as a Mac's menu-bar extra does; without it, the program ends
// with its last window. Where the desktop has no tray the icon cannot appear, and the program ends with its last
// window as if the icon were off.
class MenuBarExtra final : public QObject
{
    Q_OBJECT

public:
    MenuBarExtra(Preferences& preferences, MenuBarPanel& panel, QObject* parent = nullptr);
    ~MenuBarExtra() override;

    // Whether the icon is asked to show (the desktop may still have no tray to show it in).
    bool isShown() const;
    QSystemTrayIcon& icon() const { return *m_icon; }
    // Shows the panel beside the icon, or at `near` when the icon's place is not known.
    void showPanel(const QPoint& near);

private:
    void follow();

    Preferences& m_preferences;
    MenuBarPanel& m_panel;
    QSystemTrayIcon* m_icon;
};
