#pragma once

#include "Platform/RunningApplications.h"

#include <QList>

#include <functional>
#include <mutex>

namespace TestSupport {

// Running applications that answer from a script and write down every request to quit instead of signalling
// anything. The list is `listing`'s answer at each look (so that an application can stop running when the test
// says), else the one given when it was made. Callable from any thread, as an uninstall's job asks it.
class RecordingApplications final : public Platform::ApplicationProcesses
{
public:
    using Listing = std::function<QList<Platform::RunningApplication>()>;

    explicit RecordingApplications(QList<Platform::RunningApplication> running = {})
        : m_listing([running] { return running; })
    {
    }
    explicit RecordingApplications(Listing listing) : m_listing(std::move(listing)) {}

    QList<Platform::RunningApplication> running() const override { return m_listing(); }
    bool terminate(const Platform::RunningApplication& application) const override
    {
        const std::lock_guard lock(m_mutex);
        m_terminated.append(application);
        return true;
    }

    // The applications asked to quit, in order.
    QList<Platform::RunningApplication> terminated() const
    {
        const std::lock_guard lock(m_mutex);
        return m_terminated;
    }

private:
    Listing m_listing;
    mutable std::mutex m_mutex;
    mutable QList<Platform::RunningApplication> m_terminated;
};

} // namespace TestSupport
