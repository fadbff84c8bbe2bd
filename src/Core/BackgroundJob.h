#pragma once

#include "Core/WorkInFlight.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QVariant>

#include <atomic>
#include <functional>
#include <memory>
#include <stop_token>
#include <typeinfo>
#include <utility>

class QThreadPool;

// The one way long work leaves the GUI thread. A receiver (a view model, a widget) keeps a JobLine of its own
// type; start() runs a job on the pool with a stop token, and the job hands its progress and result back with
// deliver(), which queues them to the GUI thread and calls them there with the receiver, only while the
// receiver exists and the job is still the line's current one. A newer start(), a stop() or the line's end
// asks the job to stop and drops whatever it still delivers, so a late result never overwrites a newer state
// and never reaches a destroyed object.
//
//   m_jobs.start([scanner](const Background::Job<Model>& job) {
//       QList<ScanGroup> groups = scanner->scan(progress, job.stopToken());
//       job.deliver([groups](Model& model) { model.publish(groups); });
//   });
//
// Work that must end even when its screen is gone (a removal to journal, a restore to mark) goes through
// runToEnd() instead, holding a ticket of the services' WorkInFlight that quitting waits for.
//
// A job gets copies of what it needs, never the receiver itself: it reaches the receiver only on the GUI
// thread, inside a delivery or through receiver(), where the check is made.
namespace Background {

// The pool every job runs on.
QThreadPool& pool();

template <class Receiver> class JobLine;
template <class Receiver> class Job;
template <class Receiver, class Work> void runToEnd(WorkInFlight::Ticket ticket, Receiver* receiver, Work&& work);

namespace Detail {

// The number of a line's current job, shared with its jobs.
struct Line {
    std::atomic<quint64> current{0};
};

// What a line keeps whatever its receiver's type. GUI thread.
class LineState final
{
public:
    LineState() = default;
    LineState(const LineState&) = delete;
    LineState& operator=(const LineState&) = delete;

    void stop();
    // Stops the current job and makes a new one current; gives its number.
    quint64 next();
    std::stop_token stopToken() const { return m_stop.get_token(); }
    const std::shared_ptr<Line>& line() const { return m_line; }

private:
    std::shared_ptr<Line> m_line = std::make_shared<Line>();
    quint64 m_started = 0;
    std::stop_source m_stop{std::nostopstate};
};

void launch(std::function<void()> work);

} // namespace Detail

// What a job receives: its stop token and the way back to its receiver on the GUI thread. Copyable, any thread.
template <class Receiver> class Job final
{
public:
    std::stop_token stopToken() const { return m_stop; }
    bool stopRequested() const { return m_stop.stop_requested(); }

    // Any thread: calls `call(receiver)` on the GUI thread later, only if by then the receiver exists and the
    // job is still its line's current one. Dropped when the application is gone.
    template <class Call> void deliver(Call&& call) const
    {
        QCoreApplication* application = QCoreApplication::instance();
        if (application == nullptr)
            return;
        QMetaObject::invokeMethod(
            application,
            [job = *this, call = std::forward<Call>(call)]() mutable {
                if (Receiver* receiver = job.receiver())
                    call(*receiver);
            },
            Qt::QueuedConnection);
    }

    // GUI thread: the receiver while it exists and this job is its line's current one (work run to its end
    // always is); null otherwise.
    Receiver* receiver() const
    {
        if (m_line && m_line->current.load() != m_number)
            return nullptr;
        return m_receiver.data();
    }

private:
    friend class JobLine<Receiver>;
    template <class R, class Work> friend void runToEnd(WorkInFlight::Ticket ticket, R* receiver, Work&& work);

    std::shared_ptr<Detail::Line> m_line; // none for work run to its end
    quint64 m_number = 0;
    std::stop_token m_stop;
    QPointer<Receiver> m_receiver;
    WorkInFlight::Ticket m_ticket; // shared by every copy, deliveries on their way included
};

// The jobs of one receiver, one current at a time. GUI thread.
template <class Receiver> class JobLine final
{
public:
    explicit JobLine(Receiver* receiver) : m_receiver(receiver) {}
    // Asks the current job to stop; nothing it delivers reaches the receiver.
    ~JobLine() { m_state.stop(); }
    JobLine(const JobLine&) = delete;
    JobLine& operator=(const JobLine&) = delete;

    // The line kept with `receiver` (made on first use, ended with the receiver), for code that has no
    // object of its own to keep one in.
    static JobLine& of(Receiver* receiver)
    {
        // A child of the receiver, found again by a property named after the receiver's type.
        struct Holder final : QObject {
            explicit Holder(Receiver* owner) : QObject(owner), line(owner) {}
            JobLine line;
        };
        const QByteArray key = QByteArrayLiteral("qpJobLine:") + typeid(Receiver).name();
        auto* holder = static_cast<Holder*>(receiver->property(key.constData()).template value<QObject*>());
        if (holder == nullptr) {
            holder = new Holder(receiver);
            receiver->setProperty(key.constData(), QVariant::fromValue<QObject*>(holder));
        }
        return holder->line;
    }

    // Asks the current job to stop, drops its deliveries, and runs `work(job)` on the pool as the new current
    // job; returns that job.
    template <class Work> Job<Receiver> start(Work&& work)
    {
        Job<Receiver> job;
        job.m_number = m_state.next();
        job.m_line = m_state.line();
        job.m_stop = m_state.stopToken();
        job.m_receiver = m_receiver;
        Detail::launch([job, work = std::forward<Work>(work)]() mutable { work(job); });
        return job;
    }

    // Asks the current job to stop and drops whatever it still delivers.
    void stop() { m_state.stop(); }

    // The current job's stop token (a token that never stops while there is none).
    std::stop_token stopToken() const { return m_state.stopToken(); }

private:
    Receiver* m_receiver;
    Detail::LineState m_state;
};

// Runs `work(job)` on the pool to its end, whatever becomes of `receiver`, beside any other work: its stop
// token never stops, and it delivers to the receiver while that exists. `ticket` (of the services'
// WorkInFlight) is held until the work and its last delivery are done, so that quitting waits for both.
template <class Receiver, class Work> void runToEnd(WorkInFlight::Ticket ticket, Receiver* receiver, Work&& work)
{
    Job<Receiver> job;
    job.m_receiver = receiver;
    job.m_ticket = std::move(ticket);
    Detail::launch([job, work = std::forward<Work>(work)]() mutable { work(job); });
}

} // namespace Background
