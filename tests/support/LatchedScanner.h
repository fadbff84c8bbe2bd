#pragma once

#include "ScanItemMaking.h"
#include "Scanners/ModuleScanner.h"

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include <QUuid>

namespace TestSupport {

// A scanner whose progress and end the test releases, so that no test sleeps. It reports `reports`, then
// waits until released and returns `groups`; hold() makes the next scan wait again.
class LatchedScanner final : public ModuleScanner
{
public:
    struct Control {
        std::mutex mutex;
        std::condition_variable wake;
        bool released = false;
        bool started = false;
        QList<ScanGroup> groups;
        QList<Advisory> advisories{Advisory{QUuid::createUuid(), QStringLiteral("A"), QStringLiteral("B"), {}, {}}};
        std::vector<std::pair<double, QString>> reports;
        std::atomic<bool> sawStop{false};

        void release()
        {
            {
                const std::lock_guard lock(mutex);
                released = true;
            }
            wake.notify_all();
        }
        void hold()
        {
            const std::lock_guard lock(mutex);
            released = false;
            started = false;
        }
    };

    explicit LatchedScanner(ModuleID module = ModuleID::systemJunk, bool fullDiskAccess = false)
        : m_module(module), m_fullDiskAccess(fullDiskAccess), m_control(std::make_shared<Control>())
    {
    }

    ModuleID moduleID() const override { return m_module; }
    bool requiresFullDiskAccess() const override { return m_fullDiskAccess; }
    QList<Advisory> advisories() const override
    {
        const std::lock_guard lock(m_control->mutex);
        return m_control->advisories;
    }

    QList<ScanGroup> scan(const Progress& progress, std::stop_token stop) const override
    {
        std::unique_lock lock(m_control->mutex);
        m_control->started = true;
        const auto reports = m_control->reports;
        lock.unlock();
        for (const auto& [fraction, label] : reports)
            progress(fraction, label);
        lock.lock();
        m_control->wake.wait(lock, [&] { return m_control->released; });
        m_control->sawStop = stop.stop_requested();
        return m_control->groups;
    }

    std::shared_ptr<Control> control() const { return m_control; }

private:
    ModuleID m_module;
    bool m_fullDiskAccess;
    std::shared_ptr<Control> m_control;
};

} // namespace TestSupport
