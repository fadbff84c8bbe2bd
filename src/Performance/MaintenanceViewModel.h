#pragma once

#include "Core/BackgroundJob.h"
#include "Performance/MaintenanceTask.h"

#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>

#include <functional>
#include <optional>

// The maintenance screen's state: the ticked tasks, the task running now, and each task's last outcome.
// Kept in memory only. GUI thread.
class MaintenanceViewModel final : public QObject
{
    Q_OBJECT

public:
    using Runner = std::function<OptimizationService::MaintenanceOutcome(const MaintenanceTask&)>;

    explicit MaintenanceViewModel(Runner runner = OptimizationService::runMaintenance, QObject* parent = nullptr);

    const std::vector<MaintenanceTask>& tasks() const { return m_tasks; }
    const QSet<QString>& selected() const { return m_selected; }
    const std::optional<QString>& running() const { return m_running; }
    const QHash<QString, QString>& outcomes() const { return m_outcomes; }
    const QSet<QString>& failures() const { return m_failures; }

    // "N tâche sélectionnée" below 2, "N tâches sélectionnées" from 2.
    QString counterText() const;
    bool canRun() const { return !m_selected.isEmpty() && !m_running; }

    void toggle(const QString& id);
    // Runs the ticked tasks one after another in table order, off the GUI thread; the selection is read
    // afresh before each task and emptied at the end. Ignored while a run is under way.
    void run();

signals:
    void changed();
    void finished();

private:
    void runFrom(std::size_t index);

    Runner m_runner;
    std::vector<MaintenanceTask> m_tasks = MaintenanceTask::all();
    QSet<QString> m_selected;
    std::optional<QString> m_running;
    QHash<QString, QString> m_outcomes;
    QSet<QString> m_failures;
    Background::JobLine<MaintenanceViewModel> m_jobs{this};
};
