#pragma once

#include <QCoreApplication>
#include <QThread>

#include <memory>

// One process-wide object made on first use (the preferences, the exclusions, the journal). It belongs to the
// GUI thread whichever thread asks first: the function-local static that holds it makes it and moves it there
// in its one initialiser, so that a second thread asking at the same moment waits for the finished object
// instead of moving it from a thread that does not own it (a scanner's worker thread may end long before the
// object, and a `changed` signal of an object left on it would go nowhere). The composition root and the command
// line ask on the GUI thread before any background job starts, so the object is normally made there.
template <class T> class SharedInstance final
{
public:
    using Make = std::unique_ptr<T> (*)();

    // Made here, so that whatever the object's making sets up first outlives it at the end of the process.
    explicit SharedInstance(Make make) : m_object(make())
    {
        if (QCoreApplication* app = QCoreApplication::instance())
            m_object->moveToThread(app->thread());
    }
    SharedInstance(const SharedInstance&) = delete;
    SharedInstance& operator=(const SharedInstance&) = delete;

    T& get() { return *m_object; }

private:
    std::unique_ptr<T> m_object;
};
