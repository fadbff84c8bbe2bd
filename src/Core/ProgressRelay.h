#pragma once

#include <QElapsedTimer>
#include <QString>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>

// Carries a background job's progress to the GUI thread at a rate a screen can draw. Workers call report()
// as often as they like; the values wait in the relay and at most one delivery is queued at a time, spaced
// at least `minimumInterval` apart, so the GUI thread sees a few dozen updates a second whatever the rate.
//
// A scan keeps the latest fraction with the latest non-empty label (an empty label leaves the status as it
// was); a cleaning keeps the last pair as it came. The delivery runs `apply` on the GUI thread; `apply`
// checks whether its model still exists.
class ProgressRelay final : public std::enable_shared_from_this<ProgressRelay>
{
public:
    enum class Labels { KeepLastNonEmpty, LastAsGiven };
    // `status` is absent when the pending reports carry no label to show.
    using Apply = std::function<void(double fraction, const std::optional<QString>& status)>;

    static std::shared_ptr<ProgressRelay> create(Labels labels, Apply apply, int minimumIntervalMs = 40);

    // Any thread.
    void report(double fraction, const QString& label);

    // GUI thread: applies what is pending now, before results or a finished state are published.
    void flush();

private:
    ProgressRelay(Labels labels, Apply apply, int minimumIntervalMs);
    void deliver();
    bool takePending(double* fraction, std::optional<QString>* status);

    const Labels m_labels;
    const Apply m_apply;
    const int m_minimumIntervalMs;

    std::mutex m_mutex;
    std::optional<double> m_fraction;
    std::optional<QString> m_status;
    bool m_queued = false;

    QElapsedTimer m_sinceDelivery; // GUI thread only
};
