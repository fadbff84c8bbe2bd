#pragma once

#include "Platform/TestGuard.h"

#include <QCoreApplication>
#include <QThread>

#include <atomic>
#include <memory>
#include <mutex>

// One process-wide object made on first use (the preferences, the exclusions, the journal). It belongs to the
// GUI thread whichever thread asks first: the function-local static that holds it makes it and moves it there
// in its one initialiser, so that a second thread asking at the same moment waits for the finished object
// instead of moving it from a thread that does not own it (a scanner's worker thread may end long before the
// object, and a `changed` signal of an object left on it would go nowhere). The composition root and the command
// line ask on the GUI thread before any background job starts, so the object is normally made there.
//
// Between two test cases the test mains have the object made afresh on its next use (Platform::TestGuard's
// case start), so that each case's object reads the home of that case; nothing holds the old one by then.
template <class T> class SharedInstance final
{
public:
    using Make = std::unique_ptr<T> (*)();

    // Made here, so that whatever the object's making sets up first outlives it at the end of the process.
    explicit SharedInstance(Make make) : m_make(make), m_object(made(make))
    {
        Platform::TestGuard::onEachCase([this] { forget(); });
    }
    ~SharedInstance() { delete m_object.exchange(nullptr); }
    SharedInstance(const SharedInstance&) = delete;
    SharedInstance& operator=(const SharedInstance&) = delete;

    T& get()
    {
        if (T* object = m_object.load(std::memory_order_acquire))
            return *object;
        // Only after a test case's start: made again, under the lock, the same way.
        const std::lock_guard lock(m_making);
        if (T* object = m_object.load(std::memory_order_relaxed))
            return *object;
        T* object = made(m_make);
        m_object.store(object, std::memory_order_release);
        return *object;
    }

private:
    static T* made(Make make)
    {
        std::unique_ptr<T> object = make();
        if (QCoreApplication* app = QCoreApplication::instance())
            object->moveToThread(app->thread());
        return object.release();
    }

    void forget()
    {
        const std::lock_guard lock(m_making);
        delete m_object.exchange(nullptr);
    }

    Make m_make;
    std::mutex m_making;
    std::atomic<T*> m_object;
};
