#include "Core/WorkInFlight.h"

WorkInFlight::Ticket WorkInFlight::begin()
{
    {
        const std::lock_guard lock(m_state->mutex);
        ++m_state->count;
    }
    return Ticket(nullptr, [state = m_state](void*) {
        const std::lock_guard lock(state->mutex);
        --state->count;
    });
}

WorkInFlight::Ticket WorkInFlight::begin(const QUuid& subject)
{
    {
        const std::lock_guard lock(m_state->mutex);
        ++m_state->count;
        m_state->subjects.append(subject);
    }
    return Ticket(nullptr, [state = m_state, subject](void*) {
        const std::lock_guard lock(state->mutex);
        --state->count;
        state->subjects.removeOne(subject);
    });
}

bool WorkInFlight::idle() const
{
    const std::lock_guard lock(m_state->mutex);
    return m_state->count == 0;
}

bool WorkInFlight::holds(const QUuid& subject) const
{
    const std::lock_guard lock(m_state->mutex);
    return m_state->subjects.contains(subject);
}
