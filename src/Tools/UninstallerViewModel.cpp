#include "Tools/UninstallerViewModel.h"

#include "Core/History.h"
#include "Core/ModuleID.h"
#include "Core/ProgressRelay.h"
#include "Core/RemovalEngine.h"
#include "Core/WorkInFlight.h"
#include "Platform/RunningApplications.h"

#include <QFileInfo>

#include <chrono>
#include <thread>

using namespace Qt::StringLiterals;

namespace {

using Job = Background::Job<UninstallerViewModel>;

// Whether anything, even a dangling link, still stands at the bundle's place.
bool stillThere(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

} // namespace

UninstallerViewModel::UninstallerViewModel(const ModelServices& services, Seams seams, QObject* parent)
    : QObject(parent), m_services(services), m_seams(std::move(seams))
{
    if (!m_seams.now)
        m_seams.now = [] { return QDateTime::currentDateTimeUtc(); };
    if (!m_seams.sleep)
        m_seams.sleep = [](int milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); };
    if (!m_seams.inventory)
        m_seams.inventory = [](const Progress& progress, std::stop_token stop) {
            return InstalledApp::loadAll(progress, stop);
        };
    if (!m_seams.receipts)
        m_seams.receipts = [](const QString& application) { return Receipts::traces(application); };
    // The system's lives for the whole run: nothing to delete.
    if (!m_seams.applications)
        m_seams.applications = {&Platform::systemApplications(), [](const Platform::ApplicationProcesses*) {}};
}

void UninstallerViewModel::setQuery(const QString& query)
{
    if (query == m_query)
        return;
    m_query = query;
    emit changed();
}

void UninstallerViewModel::setFilter(Filter filter)
{
    if (filter == m_filter)
        return;
    m_filter = filter;
    emit changed();
}

void UninstallerViewModel::setSelected(const std::optional<QUuid>& id)
{
    if (id == m_selected)
        return;
    m_selected = id;
    emit changed();
}

void UninstallerViewModel::setRemoveLeftovers(bool remove)
{
    if (remove == m_removeLeftovers)
        return;
    m_removeLeftovers = remove;
    emit changed();
}

void UninstallerViewModel::setLeftoverSelected(const QUuid& app, const QUuid& item, bool selected)
{
    for (InstalledApp& listed : m_apps) {
        if (listed.id != app)
            continue;
        for (ScanItem& leftover : listed.leftovers) {
            if (leftover.id == item && leftover.isSelected != selected) {
                leftover.isSelected = selected;
                emit changed();
            }
        }
    }
}

QDateTime UninstallerViewModel::now() const
{
    return m_seams.now();
}

QList<InstalledApp> UninstallerViewModel::visibleApps() const
{
    return Uninstaller::visibleApps(m_apps, m_query, m_filter, now());
}

std::optional<InstalledApp> UninstallerViewModel::selectedApp() const
{
    if (!m_selected)
        return std::nullopt;
    return app(*m_selected);
}

std::optional<InstalledApp> UninstallerViewModel::app(const QUuid& id) const
{
    for (const InstalledApp& listed : m_apps) {
        if (listed.id == id)
            return listed;
    }
    return std::nullopt;
}

bool UninstallerViewModel::isRunning(const InstalledApp& app) const
{
    return app.isRunning(*m_seams.applications);
}

void UninstallerViewModel::refresh()
{
    if (m_loading)
        return;
    m_loading = true;
    m_progress = 0;
    m_notice.reset();
    m_done.reset();
    emit changed();
    m_inventory.start([inventory = m_seams.inventory](const Job& job) {
        auto relay = ProgressRelay::create(ProgressRelay::Labels::LastAsGiven,
                                           [job](double fraction, const std::optional<QString>& status) {
                                               if (UninstallerViewModel* model = job.receiver())
                                                   model->applyProgress(fraction, status);
                                           });
        const QList<InstalledApp> apps = inventory(
            [relay](double fraction, const QString& label) { relay->report(fraction, label); }, job.stopToken());
        if (job.stopRequested())
            return;
        job.deliver([relay, apps](UninstallerViewModel& model) {
            relay->flush();
            model.publishInventory(apps);
        });
    });
}

void UninstallerViewModel::applyProgress(double fraction, const std::optional<QString>& status)
{
    m_progress = fraction;
    if (status)
        m_status = *status;
    emit changed();
}

void UninstallerViewModel::publishInventory(const QList<InstalledApp>& apps)
{
    m_apps = apps;
    m_loading = false;
    m_status.clear();
    // A selection already made stays, even when the new list no longer holds it.
    if (!m_selected) {
        const QList<InstalledApp> shown = visibleApps();
        if (!shown.isEmpty())
            m_selected = shown.first().id;
    }
    emit changed();
}

void UninstallerViewModel::loadTraces(const InstalledApp& app)
{
    m_traces.clear();
    m_readingReceipts = true;
    emit changed();
    // Starting on the line drops whatever an earlier reading still delivers: only the latest one publishes.
    m_receipts.start([receipts = m_seams.receipts, url = app.url](const Job& job) {
        const QList<Receipts::Trace> traces = receipts(url);
        job.deliver([traces](UninstallerViewModel& model) { model.publishTraces(traces); });
    });
}

void UninstallerViewModel::publishTraces(const QList<Receipts::Trace>& traces)
{
    m_traces = traces;
    m_readingReceipts = false;
    emit changed();
}

std::optional<QString> UninstallerViewModel::uninstallStage(const QUuid& id) const
{
    const auto found = m_stages.constFind(id);
    if (found == m_stages.cend())
        return std::nullopt;
    return *found;
}

void UninstallerViewModel::setStage(const QUuid& id, const QString& stage)
{
    if (!m_stages.contains(id))
        return;
    m_stages.insert(id, stage);
    emit changed();
}

void UninstallerViewModel::uninstall(const InstalledApp& app, bool removeLeftovers)
{
    m_notice.reset();
    m_done.reset();
    ++m_running;
    m_stages.insert(app.id, u"Mise à la corbeille…"_s);
    emit changed();

    // Once confirmed, an uninstall runs to its end and is journaled whatever becomes of the model, and quitting
    // waits for that.
    auto uninstall = [app, removeLeftovers, sleep = m_seams.sleep, applications = m_seams.applications,
                      &engine = m_services.removal, &history = m_services.history](const Job& job) mutable {
        Outcome outcome;
        if (app.isRunning(*applications)) {
            job.deliver(
                [id = app.id](UninstallerViewModel& model) { model.setStage(id, u"Fermeture de l'application…"_s); });
            app.terminate(*applications);
            // Moving an open application's files from under it could lose unsaved work: wait until it is gone,
            // and leave everything in place when it stays open.
            sleep(quitFirstWaitMs);
            int waited = quitFirstWaitMs;
            while (app.isRunning(*applications)) {
                if (waited >= quitGiveUpMs) {
                    outcome.quitRefused = true;
                    break;
                }
                sleep(quitPollMs);
                waited += quitPollMs;
            }
        }
        if (!outcome.quitRefused) {
            job.deliver([id = app.id](UninstallerViewModel& model) { model.setStage(id, u"Mise à la corbeille…"_s); });
            outcome.report = engine.remove(InstalledApp::bundleItems(app, removeLeftovers));
            history.record(outcome.report, ModuleID::uninstaller);
            outcome.bundleGone = !stillThere(app.url);
        }
        job.deliver([app, removeLeftovers, outcome](UninstallerViewModel& model) {
            model.finishUninstall(app, removeLeftovers, outcome);
        });
    };
    Background::runToEnd(m_services.inFlight.begin(), this, std::move(uninstall));
}

void UninstallerViewModel::finishUninstall(const InstalledApp& app, bool removeLeftovers, const Outcome& outcome)
{
    const QUuid id = app.id;
    --m_running;
    m_stages.remove(id);
    if (outcome.quitRefused) {
        m_notice = Notice{u"Désinstallation annulée"_s,
                          u"L'application ne s'est pas fermée : rien n'a été mis à la corbeille."_s};
    } else {
        m_lastReport = outcome.report;
        const QList<Removal::Failure>& failures = outcome.report.failures;
        if (!failures.isEmpty()) {
            m_notice = Notice{u"Désinstallation incomplète"_s,
                              Uninstaller::failureMessage(int(failures.size()), failures.first().reason)};
        }
        if (failures.isEmpty() && outcome.bundleGone)
            m_done = Notice{u"Désinstallation terminée"_s, Uninstaller::doneMessage(app, removeLeftovers)};
        // An application whose bundle could not go stays listed and selected, with the banner saying why.
        if (outcome.bundleGone) {
            m_apps.removeIf([&](const InstalledApp& listed) { return listed.id == id; });
            const QList<InstalledApp> shown = visibleApps();
            m_selected = shown.isEmpty() ? std::nullopt : std::optional<QUuid>(shown.first().id);
        }
    }
    emit changed();
    emit uninstallFinished();
}
