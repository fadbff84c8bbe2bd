#pragma once

#include <atomic>
#include <memory>

// Work that must end before the program does: a removal whose session is not journaled yet, in a tool model
// that the user may already have left. Such work holds a ticket until it has been journaled; quitting waits
// until no ticket is held. Tickets may be held and dropped on any thread.
class WorkInFlight final
{
public:
    // Held for as long as the work runs; copies share one hold.
    using Ticket = std::shared_ptr<void>;

    Ticket begin();
    bool idle() const { return m_count->load() == 0; }

private:
    std::shared_ptr<std::atomic<int>> m_count = std::make_shared<std::atomic<int>>(0);
};
