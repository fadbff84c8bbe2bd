#pragma once

#include <QCoreApplication>
#include <QThread>

// The process-wide objects made on first use (the preferences, the exclusions) belong to the GUI thread,
// whichever thread happens to ask for them first: a scanner's worker thread may end long before the object.
template <class T> T& movedToApplicationThread(T& object)
{
    if (QCoreApplication* app = QCoreApplication::instance())
        object.moveToThread(app->thread());
    return object;
}
