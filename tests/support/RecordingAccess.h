#pragma once

#include "Platform/Access.h"

#include <QStringList>

#include <functional>
#include <mutex>

namespace TestSupport {

// Write access that answers as the test says and writes down every folder it was asked about. Until a rule is
// set, and once it is set back to an empty one, it answers as the system does. Callable from any thread, as a
// removal asks it on its job.
class RecordingAccess final : public Platform::WriteAccess
{
public:
    using Rule = std::function<bool(const QString& folder)>;

    void setRule(Rule rule)
    {
        const std::lock_guard lock(m_mutex);
        m_rule = std::move(rule);
    }

    bool userCanWrite(const QString& folder) const override
    {
        Rule rule;
        {
            const std::lock_guard lock(m_mutex);
            m_asked.append(folder);
            rule = m_rule;
        }
        return rule ? rule(folder) : Platform::systemWriteAccess().userCanWrite(folder);
    }

    // The folders asked about, in order.
    QStringList asked() const
    {
        const std::lock_guard lock(m_mutex);
        return m_asked;
    }

private:
    mutable std::mutex m_mutex;
    Rule m_rule;
    mutable QStringList m_asked;
};

} // namespace TestSupport
