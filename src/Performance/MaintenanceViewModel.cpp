#include "Performance/MaintenanceViewModel.h"

MaintenanceViewModel::MaintenanceViewModel(Runner runner, QObject* parent)
    : QObject(parent), m_runner(std::move(runner))
{
}

QString MaintenanceViewModel::counterText() const
{
    const qsizetype count = m_selected.size();
    return QString::number(count) +
           (count < 2 ? QStringLiteral(" tâche sélectionnée") : QStringLiteral(" tâches sélectionnées"));
}

void MaintenanceViewModel::toggle(const QString& id)
{
    if (!m_selected.remove(id))
        m_selected.insert(id);
    emit changed();
}

void MaintenanceViewModel::run()
{
    if (m_running)
        return;
    runFrom(0);
}

void MaintenanceViewModel::runFrom(std::size_t index)
{
    while (index < m_tasks.size() && !m_selected.contains(m_tasks[index].id))
        ++index;
    if (index == m_tasks.size()) {
        m_running.reset();
        m_selected.clear();
        emit changed();
        emit finished();
        return;
    }
    const MaintenanceTask task = m_tasks[index];
    m_running = task.id;
    emit changed();
    m_jobs.start([runner = m_runner, task, index](const Background::Job<MaintenanceViewModel>& job) {
        const OptimizationService::MaintenanceOutcome outcome = runner(task);
        job.deliver([task, index, outcome](MaintenanceViewModel& model) {
            model.m_outcomes.insert(task.id, outcome.message);
            if (outcome.failed)
                model.m_failures.insert(task.id);
            else
                model.m_failures.remove(task.id);
            model.runFrom(index + 1);
        });
    });
}
