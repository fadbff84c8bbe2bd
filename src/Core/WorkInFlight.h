#pragma once

#include <QList>
#include <QUuid>

#include <memory>
#include <mutex>

// Work that must end before the program does: a removal whose session is not journaled yet, in a tool model
// that the user may already have left, or a restore from a snapshot not yet marked in the journal. Such work
// holds a ticket until it has been journaled (Background::runToEnd holds it for its work); quitting waits
// until no ticket is held. Made once by the composition root, it outlives every screen. Tickets may be held
// and dropped on any thread.
class WorkInFlight final
{
public:
    // Held for as long as the work runs; copies share one hold.
    using Ticket = std::shared_ptr<void>;

    Ticket begin();
    // The same, for work on one subject (the session being restored): holds(subject) says so until it ends.
    Ticket begin(const QUuid& subject);

    bool idle() const;
    bool holds(const QUuid& subject) const;

private:
    struct State {
        mutable std::mutex mutex;
        int count = 0;
        QList<QUuid> subjects; // one entry per ticket with a subject
    };
    // Shared with the tickets, so a ticket dropped after this object is gone stays harmless.
    std::shared_ptr<State> m_state = std::make_shared<State>();
};
