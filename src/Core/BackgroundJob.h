#pragma once

#include <QCoreApplication>
#include <QMetaObject>
#include <QObject>
#include <QPointer>

#include <atomic>
#include <functional>
#include <memory>
#include <stop_token>
#include <utility>

class QThreadPool;

// The one way long work leaves the GUI thread. A receiver (a view model, a widget) keeps a JobLine; start()
// runs a job on the pool with a stop token, and the job hands its progress and result back with deliver(),
// which queues them to the GUI thread and runs them there only while the receiver exists and the job is still
// the line's current one. A newer start(), a stop() or the line's end asks the job to stop and drops whatever
// it still delivers, so a late result never overwrites a newer state and never reaches a destroyed object.
//
//   m_jobs.start([scanner](const Background::Job& job) {
//       QList<ScanGroup> groups = scanner->scan(progress, job.stopToken());
//       job.deliver([job, groups] { static_cast<Model*>(job.receiver())->publish(groups); });
//   });
//
// A job gets copies of what it needs, never the receiver itself: it reaches the receiver only inside a
// delivery, where the check has been made.
namespace Background {

// The pool every job runs on.
QThreadPool& pool();

class JobLine;

// What a job receives: its stop token and the way back to the GUI thread. Copyable, any thread.
class Job final
{
public:
    std::stop_token stopToken() const { return m_stop; }
    bool stopRequested() const { return m_stop.stop_requested(); }

    // GUI thread: whether the receiver still exists and this job is still its line's current one.
    bool isCurrent() const { return m_receiver && m_line->current.load() == m_number; }
    // GUI thread, after isCurrent(): the receiver.
    QObject* receiver() const { return m_receiver.data(); }

    // Any thread: runs `call` on the GUI thread later, only if the job is current by then. Dropped when the
    // application is gone.
    template <class Call> void deliver(Call&& call) const
    {
        QCoreApplication* application = QCoreApplication::instance();
        if (application == nullptr)
            return;
        QMetaObject::invokeMethod(
            application,
            [job = *this, call = std::forward<Call>(call)]() mutable {
                if (job.isCurrent())
                    call();
            },
            Qt::QueuedConnection);
    }

private:
    friend class JobLine;
    struct Line {
        std::atomic<quint64> current{0};
    };

    std::shared_ptr<Line> m_line;
    quint64 m_number = 0;
    std::stop_token m_stop;
    QPointer<QObject> m_receiver;
};

// The jobs of one receiver, one current at a time. GUI thread.
class JobLine final
{
public:
    explicit JobLine(QObject* receiver);
    // Asks the current job to stop; nothing it delivers reaches the receiver.
    ~JobLine();
    JobLine(const JobLine&) = delete;
    JobLine& operator=(const JobLine&) = delete;

    // The line kept with `receiver` (made on first use, ended with the receiver), for code that has no
    // object of its own to keep one in.
    static JobLine& of(QObject* receiver);

    // Asks the current job to stop, drops its deliveries, and runs `work(job)` on the pool as the new current
    // job; returns that job.
    template <class Work> Job start(Work&& work)
    {
        const Job job = next();
        launch([job, work = std::forward<Work>(work)]() mutable { work(job); });
        return job;
    }

    // Asks the current job to stop and drops whatever it still delivers.
    void stop();

    // The current job's stop token (a token that never stops while there is none).
    std::stop_token stopToken() const { return m_stop.get_token(); }

private:
    Job next();
    static void launch(std::function<void()> work);

    QPointer<QObject> m_receiver;
    std::shared_ptr<Job::Line> m_line = std::make_shared<Job::Line>();
    quint64 m_started = 0;
    std::stop_source m_stop{std::nostopstate};
};

} // namespace Background
