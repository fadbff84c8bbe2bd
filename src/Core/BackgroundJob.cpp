#include "Core/BackgroundJob.h"

#include <QThreadPool>

namespace Background {

QThreadPool& pool()
{
    return *QThreadPool::globalInstance();
}

namespace Detail {

void LineState::stop()
{
    if (m_stop.stop_possible())
        m_stop.request_stop();
    m_line->current.store(0); // no job is current: every delivery still on its way is dropped
}

quint64 LineState::next()
{
    stop();
    m_stop = std::stop_source();
    m_line->current.store(++m_started);
    return m_started;
}

void launch(std::function<void()> work)
{
    pool().start(std::move(work));
}

} // namespace Detail

} // namespace Background
