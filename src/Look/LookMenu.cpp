#include "Look/LookMenu.h"

#include "Look/Paint.h"
#include "Look/Theme.h"

#include <QPainter>
#include <QResizeEvent>

using namespace Qt::StringLiterals;

LookMenu::LookMenu(QWidget* parent) : QMenu(parent)
{
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    setFont(Theme::systemFont(13));
    applyLook();
}

void LookMenu::applyLook()
{
    const auto css = [](const QColor& color) { return color.name(QColor::HexArgb); };
    const QColor window = palette().color(QPalette::Window);
    setStyleSheet(uR"(QMenu { background: %1; border: 1px solid %2; border-radius: %6px; padding: 5px; }
QMenu::item { color: %3; padding: 4px 22px 4px 12px; border-radius: 5px; background: transparent; }
QMenu::item:selected { color: white; background: %4; }
QMenu::item:disabled { color: %5; }
QMenu::separator { height: 1px; background: %2; margin: 4px 8px; })"_s
                      .arg(css(window), css(Paint::ink(this, Paint::Ink::primary, 0.14)), css(Paint::ink(this)),
                           css(Theme::indigo()), css(Paint::ink(this, Paint::Ink::tertiary)))
                      .arg(int(cornerRadius)));
}

void LookMenu::paintEvent(QPaintEvent* event)
{
    if (!Paint::composesTranslucentWindows()) { // masked: the smoothed edge blends with the window's colour
        QPainter painter(this);
        painter.fillRect(rect(), palette().color(QPalette::Window));
    }
    QMenu::paintEvent(event);
}

void LookMenu::resizeEvent(QResizeEvent* event)
{
    QMenu::resizeEvent(event);
    Paint::maskToShape(this, Paint::continuousRoundedRect(QRectF(rect()), cornerRadius));
}
