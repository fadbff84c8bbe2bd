#pragma once

#include "Core/BackgroundJob.h"
#include "Core/ModelServices.h"
#include "Developer/XcodeService.h"

#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

// The developer-cleanup screen's state: the last inventory of simulator devices, runtime images and archives,
// the user's selection among them, the load and the cleaning run, and the last run's result. GUI thread.
//
// A cleaning run is not cancelled when the model goes: it runs to its end, is journaled under xcodeJunk and
// holds a ticket of the services' work in flight until then, so that quitting waits for its journal entry;
// only publishing its result needs the model.
class XcodeViewModel final : public QObject
{
    Q_OBJECT

public:
    enum class Selection { devices, runtimes, archives };

    explicit XcodeViewModel(const ModelServices& services, QObject* parent = nullptr);

    const XcodeService::Inventory& inventory() const { return m_inventory; }
    bool isLoading() const { return m_isLoading; }
    // Loading again over an inventory already shown, as after a cleaning: the list stands as it was read.
    bool isRefreshing() const { return m_isLoading && m_hasLoaded; }
    bool isWorking() const { return m_isWorking; }
    double progress() const { return m_progress; }
    const QString& status() const { return m_status; }
    qint64 freedBytes() const { return m_freedBytes; }
    const QStringList& failures() const { return m_failures; }
    bool hasLoaded() const { return m_hasLoaded; }
    const QSet<QString>& selectedDevices() const { return m_selectedDevices; }
    const QSet<QString>& selectedRuntimes() const { return m_selectedRuntimes; }
    const QSet<QString>& selectedArchives() const { return m_selectedArchives; }
    const QSet<QString>& selected(Selection set) const;

    int selectedCount() const;
    // Never wraps: held at the 64-bit limit.
    qint64 selectedBytes() const;

    // A runtime may go only when the tool lets it and no available device uses it.
    static bool isRemovable(const XcodeService::Runtime& runtime);

    // Loads the inventory off the GUI thread and drops selected ids that are gone; ignored while loading.
    void load();
    // Replaces the selection with what has gone unused for 180 days.
    void selectRecommended();
    void selectNone();
    void toggle(const QString& id, Selection set);
    // Removes the selection (removable runtimes only) and reloads; ignored while running or with nothing selected.
    // What the run removed leaves the inventory at once, before the reload confirms it.
    void clean();

signals:
    void changed();
    // After a run's result is published and its reload has started.
    void finished();

private:
    QSet<QString>& selection(Selection set);
    void applyInventory(const XcodeService::Inventory& inventory);
    void applyProgress(double fraction, const std::optional<QString>& status);
    void finish(const XcodeService::Outcome& outcome);

    ModelServices m_services; // references to the shared services
    XcodeService::Inventory m_inventory;
    bool m_isLoading = false;
    bool m_isWorking = false;
    double m_progress = 0;
    QString m_status;
    qint64 m_freedBytes = 0;
    QStringList m_failures;
    bool m_hasLoaded = false;
    QSet<QString> m_selectedDevices;
    QSet<QString> m_selectedRuntimes;
    QSet<QString> m_selectedArchives;
    Background::JobLine<XcodeViewModel> m_load{this};
};
