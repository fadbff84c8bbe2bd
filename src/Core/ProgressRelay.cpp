#include "Core/ProgressRelay.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QTimer>

std::shared_ptr<ProgressRelay> ProgressRelay::create(Labels labels, Apply apply, int minimumIntervalMs)
{
    return std::shared_ptr<ProgressRelay>(new ProgressRelay(labels, std::move(apply), minimumIntervalMs));
}

ProgressRelay::ProgressRelay(Labels labels, Apply apply, int minimumIntervalMs)
    : m_labels(labels), m_apply(std::move(apply)), m_minimumIntervalMs(minimumIntervalMs)
{
}

void ProgressRelay::report(double fraction, const QString& label)
{
    {
        const std::lock_guard lock(m_mutex);
        m_fraction = fraction;
        if (m_labels == Labels::LastAsGiven || !label.isEmpty())
            m_status = label;
        if (m_queued)
            return;
        m_queued = true;
    }
    // The application object outlives every model; the delivery itself finds out whether its model is alive.
    std::weak_ptr<ProgressRelay> weak = weak_from_this();
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [weak] {
            if (const std::shared_ptr<ProgressRelay> relay = weak.lock())
                relay->deliver();
        },
        Qt::QueuedConnection);
}

void ProgressRelay::deliver()
{
    if (m_sinceDelivery.isValid() && m_sinceDelivery.elapsed() < m_minimumIntervalMs) {
        std::weak_ptr<ProgressRelay> weak = weak_from_this();
        QTimer::singleShot(int(m_minimumIntervalMs - m_sinceDelivery.elapsed()), QCoreApplication::instance(), [weak] {
            if (const std::shared_ptr<ProgressRelay> relay = weak.lock())
                relay->deliver();
        });
        return;
    }
    flush();
}

bool ProgressRelay::takePending(double* fraction, std::optional<QString>* status)
{
    const std::lock_guard lock(m_mutex);
    m_queued = false;
    if (!m_fraction)
        return false;
    *fraction = *m_fraction;
    *status = std::move(m_status);
    m_fraction.reset();
    m_status.reset();
    return true;
}

void ProgressRelay::flush()
{
    double fraction = 0;
    std::optional<QString> status;
    if (!takePending(&fraction, &status))
        return;
    m_sinceDelivery.start();
    m_apply(fraction, status);
}
