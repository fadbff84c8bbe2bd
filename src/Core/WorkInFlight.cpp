#include "Core/WorkInFlight.h"

WorkInFlight::Ticket WorkInFlight::begin()
{
    m_count->fetch_add(1);
    // The count is shared with the ticket, so a ticket dropped after this object is gone stays harmless.
    return Ticket(nullptr, [count = m_count](void*) { count->fetch_sub(1); });
}
