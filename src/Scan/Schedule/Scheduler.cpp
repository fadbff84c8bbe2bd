#include "Scan/Schedule/Scheduler.h"

#include "Core/History.h"
#include "Core/Preferences.h"
#include "Core/RemovalEngine.h"
#include "Core/RunContext.h"
#include "Core/WorkInFlight.h"
#include "Platform/Notifier.h"
#include "Platform/SystemRoot.h"
#include "Scan/Schedule/ScheduleTexts.h"
#include "Scanners/ScannerFactory.h"

#include <algorithm>
#include <limits>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

using Job = Background::Job<Scheduler>;

qint64 sizeOf(const QList<ScanItem>& items)
{
    qint64 total = 0;
    for (const ScanItem& item : items) {
        const qint64 size = std::max<qint64>(item.size, 0);
        total = size > std::numeric_limits<qint64>::max() - total ? std::numeric_limits<qint64>::max() : total + size;
    }
    return total;
}

} // namespace

Scheduler::Seams Scheduler::Seams::standard()
{
    Seams seams;
    seams.now = [] { return QDateTime::currentDateTimeUtc(); };
    seams.scanners = makeScanner;
    seams.disk = [] { return SystemInfo::disk(Platform::systemPath(u"/"_s)); };
    seams.runningAsAppBundle = [] { return isRunningAsAppBundle(); };
    return seams;
}

Scheduler::Scheduler(const ModelServices& services, Platform::Notifier& notifier, Seams seams, QObject* parent)
    : QObject(parent), m_services(services), m_notifier(notifier), m_seams(std::move(seams))
{
    const Seams standard = Seams::standard();
    if (!m_seams.now)
        m_seams.now = standard.now;
    if (!m_seams.scanners)
        m_seams.scanners = standard.scanners;
    if (!m_seams.disk)
        m_seams.disk = standard.disk;
    if (!m_seams.runningAsAppBundle)
        m_seams.runningAsAppBundle = standard.runningAsAppBundle;
    if (m_seams.period <= std::chrono::milliseconds::zero())
        m_seams.period = defaultPeriod;

    m_loop.setSingleShot(true);
    m_loop.setInterval(m_seams.period);
    connect(&m_loop, &QTimer::timeout, this, &Scheduler::cycle);
}

// The job line's end asks a running scan or removal to stop; a removal still journals what it did.
Scheduler::~Scheduler() = default;

std::optional<QDateTime> Scheduler::lastRunDate() const
{
    return m_services.preferences.lastScheduledRun();
}

std::optional<QDateTime> Scheduler::nextRun() const
{
    return m_services.preferences.nextScheduledRun(now());
}

QDateTime Scheduler::now() const
{
    return m_seams.now();
}

Preferences& Scheduler::preferences() const
{
    return m_services.preferences;
}

void Scheduler::start()
{
    if (m_started)
        return;
    m_started = true;
    m_loop.start();
}

void Scheduler::cycle()
{
    const bool wasRunning = m_running;
    tick();
    // The next sleep starts when this cycle's run has ended, so that cycles never overlap.
    if (!wasRunning && m_running)
        m_rearmAfterRun = true;
    else
        m_loop.start();
}

void Scheduler::tick()
{
    checkDiskPressure();
    const Preferences& preferences = m_services.preferences;
    if (!preferences.scheduleEnabled() || m_running)
        return;
    const QDateTime current = now();
    const std::optional<QDateTime> due = preferences.nextScheduledRun(current);
    if (due && *due <= current)
        runScheduled();
}

void Scheduler::checkDiskPressure()
{
    const Preferences& preferences = m_services.preferences;
    if (!preferences.notifiesOnDiskPressure())
        return;
    const SystemInfo::Disk disk = m_seams.disk();
    const qint64 free = std::max<qint64>(disk.free, 0);
    const qint64 used = disk.total > 0 ? std::clamp<qint64>(disk.total - free, 0, disk.total) : 0;
    const double fraction = disk.total > 0 ? static_cast<double>(used) / static_cast<double>(disk.total) : 0;
    const double threshold = preferences.diskThreshold();
    // A hair of tolerance: a share of exactly 85 % must meet a threshold of 0.90 less 0.05 as equal, whatever
    // the last bit of the two doubles.
    constexpr double hair = 1e-9;
    if (fraction >= threshold - hair && !m_diskWarningSent) {
        // Set before posting: a warning that cannot reach the desktop still counts as sent.
        m_diskWarningSent = true;
        notify(ScheduleTexts::diskPressureIdentifier(), ScheduleTexts::diskPressureTitle(),
               ScheduleTexts::diskPressureBody(used, disk.total, free));
    } else if (fraction < threshold - 0.05 - hair) {
        m_diskWarningSent = false;
    }
}

void Scheduler::runScheduled()
{
    if (m_running)
        return;
    m_running = true;
    emit changed();

    const ModuleID module = m_services.preferences.scheduleModule();
    const std::optional<ScannerPtr> scanner = m_seams.scanners(module, m_services.exclusions);
    if (!scanner || !*scanner) {
        finish(ScheduleTexts::unavailable(module));
        return;
    }
    m_jobs.start([scanner = *scanner, module](const Job& job) {
        QList<ScanGroup> groups = scanner->scan([](double, const QString&) {}, job.stopToken());
        job.deliver([module, groups = std::move(groups)](Scheduler& scheduler) { scheduler.scanned(module, groups); });
    });
}

void Scheduler::scanned(ModuleID module, const QList<ScanGroup>& groups)
{
    Preferences& preferences = m_services.preferences;
    QList<ScanItem> everything;
    QList<ScanItem> toTrash;
    QList<ScanItem> toExamine;
    for (const ScanGroup& group : groups) {
        for (const ScanItem& item : group.items) {
            everything.append(item);
            if (!item.isSelected)
                continue;
            // Nobody is there to answer an administrator prompt or to regret a deletion: only what can come
            // back from the Trash goes unattended; the rest waits for the module's screen.
            if (m_services.removal.goesToTrash(item))
                toTrash.append(item);
            else
                toExamine.append(item);
        }
    }
    // The next due date counts from this scan, whatever follows.
    preferences.setLastScheduledRun(now());
    const bool notifies = preferences.notifiesAfterScheduledRun();
    const QString identifier = ScheduleTexts::notificationIdentifier(module);

    const auto report = [&](qint64 total) {
        m_lastOutcome = ScheduleTexts::toExamine(module, total);
        if (notifies && total > 0)
            notify(identifier, ScheduleTexts::reportTitle(), ScheduleTexts::reportBody(module, total));
        finish();
    };

    if (!preferences.scheduleCleans()) {
        report(sizeOf(everything));
        return;
    }
    if (toTrash.isEmpty() && toExamine.isEmpty()) {
        m_lastOutcome = ScheduleTexts::nothingToClean(module);
        finish();
        return;
    }
    if (toTrash.isEmpty()) {
        report(sizeOf(toExamine));
        return;
    }

    // The ticket keeps the program alive until the cleaning is journaled; the journal is written in the job, so
    // that it is written even when the scheduler is gone meanwhile.
    const int examine = static_cast<int>(toExamine.size());
    m_jobs.start([toTrash, module, examine, ticket = m_services.inFlight.begin(), &engine = m_services.removal,
                  &history = m_services.history](const Job& job) mutable {
        const Removal::Report removal = engine.remove(toTrash, std::nullopt, {}, job.stopToken());
        const bool journaled = history.record(removal, module).has_value();
        ticket.reset();
        job.deliver([module, removal, examine, journaled](Scheduler& scheduler) {
            scheduler.cleaned(module, removal, examine, journaled);
        });
    });
}

void Scheduler::cleaned(ModuleID module, const Removal::Report& report, int toExamine, bool journaled)
{
    const int failed = static_cast<int>(report.failures.size());
    m_lastOutcome = ScheduleTexts::cleaned(module, report.freedBytes, failed, toExamine);
    if (m_services.preferences.notifiesAfterScheduledRun()) {
        notify(ScheduleTexts::notificationIdentifier(module), ScheduleTexts::cleaningTitle(),
               ScheduleTexts::cleaningBody(module, report.freedBytes, static_cast<int>(report.removed.size()), failed,
                                           toExamine, journaled));
    }
    finish();
}

void Scheduler::finish(const QString& outcome)
{
    m_lastOutcome = outcome;
    finish();
}

void Scheduler::finish()
{
    m_running = false;
    emit changed();
    emit runFinished();
    if (m_rearmAfterRun) {
        m_rearmAfterRun = false;
        m_loop.start();
    }
}

void Scheduler::notify(const QString& identifier, const QString& title, const QString& body)
{
    if (!runningAsAppBundle())
        return;
    requestNotificationAuthorizationIfNeeded();
    m_notifier.post(identifier, title, body);
}

void Scheduler::requestNotificationAuthorizationIfNeeded()
{
    if (m_authorizationRequested || !runningAsAppBundle())
        return;
    m_authorizationRequested = true;
    m_notifier.requestAuthorization();
}

bool Scheduler::runningAsAppBundle() const
{
    return m_seams.runningAsAppBundle();
}
