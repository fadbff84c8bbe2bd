#pragma once

#include <QAbstractButton>
#include <QLabel>
#include <QList>
#include <QString>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

// Lookups of the widgets a screen shows, by type and object name. Widgets on their way out are hidden at once, so
// they never count.
namespace TestSupport {

// The widgets of that name (any name when empty) inside `root` that are on screen with it, in creation order.
template <class T = QWidget> QList<T*> allShown(const QWidget& root, const QString& name = {})
{
    QList<T*> found;
    for (T* widget : root.findChildren<T*>(name)) {
        if (widget->isVisibleTo(&root))
            found.append(widget);
    }
    return found;
}

// The first of them, or null.
template <class T = QWidget> T* shown(const QWidget& root, const QString& name = {})
{
    const QList<T*> found = allShown<T>(root, name);
    return found.isEmpty() ? nullptr : found.first();
}

// The first button of that name on screen that can be pressed, or null.
inline QAbstractButton* enabledButton(const QWidget& root, const QString& name)
{
    for (QAbstractButton* button : allShown<QAbstractButton>(root, name)) {
        if (button->isEnabled())
            return button;
    }
    return nullptr;
}

// The text of the label of that name on screen, or "<hidden>" when there is none.
inline QString labelText(const QWidget& root, const QString& name)
{
    auto* label = shown<QLabel>(root, name);
    return label ? label->text() : QStringLiteral("<hidden>");
}

// A left click on `widget`; fails the running test when there is none.
inline void click(QWidget* widget)
{
    ASSERT_NE(widget, nullptr);
    QTest::mouseClick(widget, Qt::LeftButton);
}

} // namespace TestSupport
