#include "Performance/OptimizationViewModel.h"

#include "Core/FileUtils.h"
#include "Core/Formatters.h"
#include "Core/History.h"
#include "Core/ModuleID.h"
#include "Core/RemovalEngine.h"
#include "Core/WorkInFlight.h"
#include "Platform/FileSystem.h"
#include "Platform/RunningApplications.h"

#include <QDir>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>

using namespace Qt::StringLiterals;

namespace {

using Job = Background::Job<OptimizationViewModel>;

} // namespace

OptimizationViewModel::Sources OptimizationViewModel::Sources::standard(std::chrono::milliseconds window)
{
    return {[] { return OptimizationService::launchItems(); }, [] { return OptimizationService::heavyApps(); },
            [window](std::stop_token stop) { return Diagnostics::run(window, std::move(stop)); }};
}

OptimizationViewModel::OptimizationViewModel(const ModelServices& services, Sources sources,
                                             const Platform::ApplicationProcesses& applications, QObject* parent)
    : QObject(parent), m_services(services), m_sources(std::move(sources)), m_applications(applications)
{
    // A source not given finds nothing.
    if (!m_sources.launchItems)
        m_sources.launchItems = [] { return QList<OptimizationService::LaunchItem>(); };
    if (!m_sources.heavyApps)
        m_sources.heavyApps = [] { return QList<OptimizationService::HeavyApp>(); };
    if (!m_sources.diagnose)
        m_sources.diagnose = [](std::stop_token) { return std::vector<Diagnostics::Finding>(); };
}

// The lines stop their jobs as they go; a removal runs on by itself.
OptimizationViewModel::~OptimizationViewModel() = default;

void OptimizationViewModel::refresh()
{
    setNotice(std::nullopt);
    m_pendingLists = 2;
    if (!m_isLoading) {
        m_isLoading = true;
        emit loadingChanged();
    }
    m_launchJobs.start([list = m_sources.launchItems](const Job& job) {
        QList<OptimizationService::LaunchItem> items = list();
        job.deliver([items = std::move(items)](OptimizationViewModel& model) {
            model.m_launchItems = items;
            emit model.launchItemsChanged();
            model.finishListing();
        });
    });
    m_appsPending = true;
    listHeavyApps();
}

void OptimizationViewModel::listHeavyApps()
{
    // A newer listing replaces one under way; the refresh waiting for it then waits for the newer one.
    m_appJobs.start([list = m_sources.heavyApps](const Job& job) {
        QList<OptimizationService::HeavyApp> apps = list();
        job.deliver([apps = std::move(apps)](OptimizationViewModel& model) {
            model.m_heavyApps = apps;
            emit model.heavyAppsChanged();
            if (model.m_appsPending) {
                model.m_appsPending = false;
                model.finishListing();
            }
        });
    });
}

void OptimizationViewModel::finishListing()
{
    if (--m_pendingLists > 0)
        return;
    m_isLoading = false;
    emit loadingChanged();
}

void OptimizationViewModel::diagnose()
{
    if (m_isDiagnosing)
        return;
    m_isDiagnosing = true;
    emit diagnosisChanged();
    m_diagnosis.start([probe = m_sources.diagnose](const Job& job) {
        std::vector<Diagnostics::Finding> findings = probe(job.stopToken());
        job.deliver([findings = std::move(findings)](OptimizationViewModel& model) {
            model.m_findings = findings;
            model.m_hasDiagnosed = true;
            model.m_isDiagnosing = false;
            emit model.diagnosisChanged();
        });
    });
}

void OptimizationViewModel::remove(const OptimizationService::LaunchItem& item)
{
    setNotice(std::nullopt);
    // The removal runs to its end whatever becomes of the model, and quitting waits until it is journaled.
    auto removal = [id = item.id, url = item.url, label = item.label, &engine = m_services.removal,
                    &history = m_services.history](const Job& job) {
        ScanItem file;
        file.id = QUuid::createUuid();
        file.url = url;
        file.name = label;
        file.size = std::max<qint64>(FileUtils::allocatedSize(url).bytes, 1);
        file.isSelected = true;
        file.removalMode = Removal::Mode::trash();
        const Removal::Report report = engine.remove({file}, Removal::Mode::trash());
        history.record(report, ModuleID::optimization);
        const QString cleaned = QDir::cleanPath(url);
        const bool removed =
            std::any_of(report.removed.cbegin(), report.removed.cend(),
                        [&](const Removal::Removed& r) { return QDir::cleanPath(r.origin) == cleaned; });
        // A link counts as itself: a link left in place is a file still there.
        const bool gone = removed || !Platform::fileInfo(url).has_value();
        QString reason;
        for (const Removal::Failure& failure : report.failures) {
            if (QDir::cleanPath(failure.url) == cleaned)
                reason = failure.reason;
        }
        if (reason.isEmpty() && !gone)
            reason = u"Le fichier est toujours à sa place."_s;
        job.deliver(
            [id, label, gone, reason](OptimizationViewModel& model) { model.finishRemoval(id, label, gone, reason); });
    };
    Background::runToEnd(m_services.inFlight.begin(), this, std::move(removal));
}

void OptimizationViewModel::finishRemoval(const QUuid& id, const QString& label, bool gone, const QString& reason)
{
    if (!gone) {
        setNotice(RemovalNotice{u"Impossible de désactiver "_s + FrenchText::quoted(label), reason});
        return;
    }
    const qsizetype before = m_launchItems.size();
    m_launchItems.removeIf([&](const OptimizationService::LaunchItem& item) { return item.id == id; });
    if (m_launchItems.size() != before)
        emit launchItemsChanged();
}

void OptimizationViewModel::quit(const OptimizationService::HeavyApp& app)
{
    if (app.bundlePath.isEmpty())
        return;
    // One line per request, so that quitting a second application does not stop watching the first.
    auto& line = m_quits.emplace_back(std::make_unique<Background::JobLine<OptimizationViewModel>>(this));
    line->start([bundle = app.bundlePath, &applications = m_applications](const Job& job) {
        const auto runs = [&bundle, &applications] {
            const QList<Platform::RunningApplication> running = applications.running();
            return std::any_of(running.cbegin(), running.cend(), [&bundle](const Platform::RunningApplication& other) {
                return other.bundlePath == bundle;
            });
        };
        for (const Platform::RunningApplication& running : applications.running()) {
            if (running.bundlePath == bundle)
                applications.terminate(running);
        }
        // The row leaves once the application has ended (at once when it already had): the list is read again
        // then, or after the wait, to show an application that stays open as it is.
        std::mutex mutex;
        std::condition_variable_any wake;
        std::unique_lock lock(mutex);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(quitWaitMs);
        while (runs() && std::chrono::steady_clock::now() < deadline) {
            if (wake.wait_for(lock, job.stopToken(), std::chrono::milliseconds(quitPollMs), [] { return false; }))
                break;
            if (job.stopRequested())
                return;
        }
        job.deliver([](OptimizationViewModel& model) { model.listHeavyApps(); });
    });
}

void OptimizationViewModel::setNotice(std::optional<RemovalNotice> notice)
{
    if (!notice && !m_notice)
        return;
    m_notice = std::move(notice);
    emit removalNoticeChanged();
}
