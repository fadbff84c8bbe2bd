#include "Core/BackgroundJob.h"

#include <QThreadPool>
#include <QVariant>

namespace Background {

namespace {

const char* const kLineProperty = "qpJobLine";

// Keeps a line as a child of its receiver, so that the line ends with it.
class LineHolder final : public QObject
{
public:
    explicit LineHolder(QObject* receiver) : QObject(receiver), line(receiver) {}

    JobLine line;
};

} // namespace

QThreadPool& pool()
{
    return *QThreadPool::globalInstance();
}

JobLine::JobLine(QObject* receiver) : m_receiver(receiver)
{
}

JobLine::~JobLine()
{
    stop();
}

JobLine& JobLine::of(QObject* receiver)
{
    auto* holder = static_cast<LineHolder*>(receiver->property(kLineProperty).value<QObject*>());
    if (holder == nullptr) {
        holder = new LineHolder(receiver);
        receiver->setProperty(kLineProperty, QVariant::fromValue<QObject*>(holder));
    }
    return holder->line;
}

void JobLine::stop()
{
    if (m_stop.stop_possible())
        m_stop.request_stop();
    m_line->current.store(0); // no job is current: every delivery still on its way is dropped
}

Job JobLine::next()
{
    stop();
    m_stop = std::stop_source();
    m_line->current.store(++m_started);
    Job job;
    job.m_line = m_line;
    job.m_number = m_started;
    job.m_stop = m_stop.get_token();
    job.m_receiver = m_receiver;
    return job;
}

void JobLine::launch(std::function<void()> work)
{
    pool().start(std::move(work));
}

} // namespace Background
