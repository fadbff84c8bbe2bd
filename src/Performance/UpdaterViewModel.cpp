#include "Performance/UpdaterViewModel.h"

#include <algorithm>

using namespace Qt::StringLiterals;
using UpdaterService::Update;

UpdaterViewModel::UpdaterViewModel(UpdaterProbes probes, Installer install, QObject* parent)
    : QObject(parent), m_probes(std::move(probes)), m_install(std::move(install))
{
}

void UpdaterViewModel::check()
{
    if (m_checking)
        return;
    m_checking = true;
    m_progress = 0;
    emit changed();
    m_check.start([probes = m_probes](const Background::Job<UpdaterViewModel>& job) {
        struct Stage {
            double progress;
            QString status;
            const UpdaterProbes::Probe& probe;
        };
        const Stage stages[] = {
            {0.15, u"Homebrew…"_s, probes.homebrew},
            {0.55, u"Mises à jour système…"_s, probes.system},
            {0.85, u"Applications tierces…"_s, probes.applications},
        };
        std::vector<Update> found;
        for (const Stage& stage : stages) {
            if (job.stopRequested())
                return;
            // Posted, not awaited: the probe starts at once.
            job.deliver([progress = stage.progress, status = stage.status](UpdaterViewModel& model) {
                model.setStage(progress, status);
            });
            std::vector<Update> updates = stage.probe();
            std::move(updates.begin(), updates.end(), std::back_inserter(found));
        }
        job.deliver([found = std::move(found)](UpdaterViewModel& model) mutable {
            model.setStage(1, QString());
            model.finishCheck(std::move(found));
        });
    });
}

void UpdaterViewModel::setStage(double progress, const QString& status)
{
    m_progress = progress;
    m_status = status;
    emit changed();
}

void UpdaterViewModel::finishCheck(std::vector<Update> updates)
{
    m_updates = std::move(updates);
    m_failures.clear();
    m_checking = false;
    m_status.clear();
    emit changed();
    emit checkFinished();
}

bool UpdaterViewModel::isInstalling(const Update& update) const
{
    if (m_installs.contains(update.id))
        return true;
    // A check made meanwhile gives the same update a new id; its command is the same.
    return update.command && std::any_of(m_installs.begin(), m_installs.end(), [&update](const auto& entry) {
               return entry.second.command == update.command;
           });
}

void UpdaterViewModel::apply(const Update& update)
{
    if (isInstalling(update))
        return;
    m_applying = update.id;
    m_failures.erase(update.id);
    auto line = std::make_unique<Background::JobLine<UpdaterViewModel>>(this);
    line->start([install = m_install, update](const Background::Job<UpdaterViewModel>& job) {
        UpdaterService::InstallOutcome outcome = install(update);
        job.deliver([id = update.id, outcome = std::move(outcome)](UpdaterViewModel& model) {
            model.finishApply(id, outcome);
        });
    });
    m_installs.emplace(update.id, Install{std::move(line), update.command, ++m_installsStarted});
    emit changed();
}

std::optional<QString> UpdaterViewModel::failure(const QUuid& id) const
{
    const auto found = m_failures.find(id);
    if (found == m_failures.end())
        return std::nullopt;
    return found->second;
}

void UpdaterViewModel::finishApply(const QUuid& id, const UpdaterService::InstallOutcome& outcome)
{
    const bool succeeded = outcome.succeeded;
    m_installs.erase(id);
    if (succeeded)
        std::erase_if(m_updates, [&id](const Update& update) { return update.id == id; });
    else
        m_failures[id] = outcome.reason.isEmpty() ? u"L'installation a échoué."_s : outcome.reason;
    if (m_applying == id) {
        m_applying.reset();
        // The latest install still under way, if any, is now the one applying.
        const auto latest = std::max_element(m_installs.begin(), m_installs.end(), [](const auto& a, const auto& b) {
            return a.second.started < b.second.started;
        });
        if (latest != m_installs.end())
            m_applying = latest->first;
    }
    emit changed();
    emit applyFinished(id, succeeded);
}
