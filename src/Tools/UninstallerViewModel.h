#pragma once

#include "Core/BackgroundJob.h"
#include "Core/InstalledApp.h"
#include "Core/ModelServices.h"
#include "Core/Progress.h"
#include "Core/Receipts.h"
#include "Core/Removal.h"
#include "Platform/RunningApplications.h"
#include "Tools/UninstallerRules.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QUuid>

#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <vector>

// The uninstaller's state: the inventory of installed applications, the search and filter over it, the
// selection, the installer receipts of the application shown, and the uninstalls. GUI thread; the inventory,
// the receipts reading and each uninstall run as background jobs.
//
// An uninstall runs to its end even when the model goes (its screen was left): it holds a ticket of the
// services' WorkInFlight until its session is journaled, so quitting waits for it. A running application is
// asked to quit and the job waits for it to be gone; one that stays open keeps all of its files.
class UninstallerViewModel final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(UninstallerViewModel)

public:
    using Filter = Uninstaller::Filter;

    // What the model reads the world through; each member may be left empty for the real one. The clock's
    // `sleep` runs on the uninstall's job, so a test's clock can step its time without waiting; so are the
    // running applications asked, which each uninstall holds on to until its end.
    struct Seams {
        std::function<QDateTime()> now;
        std::function<void(int milliseconds)> sleep;
        std::function<QList<InstalledApp>(const Progress&, std::stop_token)> inventory;
        std::function<QList<Receipts::Trace>(const QString& application)> receipts;
        std::shared_ptr<const Platform::ApplicationProcesses> applications;
    };

    // The quit wait: the first look after this pause, then one every `quitPollMs`, giving up at `quitGiveUpMs`.
    static constexpr int quitFirstWaitMs = 1200;
    static constexpr int quitPollMs = 200;
    static constexpr int quitGiveUpMs = 10000;

    // A banner under the header, kept until the next uninstall or inventory.
    struct Notice {
        QString title;
        QString message;
        friend bool operator==(const Notice&, const Notice&) = default;
    };

    explicit UninstallerViewModel(const ModelServices& services, Seams seams = {}, QObject* parent = nullptr);

    const QList<InstalledApp>& apps() const { return m_apps; }
    bool isLoading() const { return m_loading; }
    double progress() const { return m_progress; }
    const QString& status() const { return m_status; }
    const QString& query() const { return m_query; }
    Filter filter() const { return m_filter; }
    const std::optional<QUuid>& selected() const { return m_selected; }
    bool removeLeftovers() const { return m_removeLeftovers; }
    const std::optional<Removal::Report>& lastReport() const { return m_lastReport; }
    const QList<Receipts::Trace>& traces() const { return m_traces; }
    bool isReadingReceipts() const { return m_readingReceipts; }
    const std::optional<Notice>& notice() const { return m_notice; }
    // What the last uninstall that went through whole removed, until the next uninstall or inventory.
    const std::optional<Notice>& done() const { return m_done; }
    // Uninstalls started and not finished yet.
    int uninstallsRunning() const { return m_running; }
    // What the uninstall of that application is doing now ("Fermeture de l'application…", then "Mise à la
    // corbeille…"), from the confirmation to its end; nothing while none runs.
    std::optional<QString> uninstallStage(const QUuid& id) const;

    void setQuery(const QString& query);
    void setFilter(Filter filter);
    void setSelected(const std::optional<QUuid>& id);
    void setRemoveLeftovers(bool remove);
    // Ticks or unticks one associated file of one listed application: an uninstall takes only those ticked.
    void setLeftoverSelected(const QUuid& app, const QUuid& item, bool selected);

    QDateTime now() const;
    // The applications shown: see Uninstaller::visibleApps.
    QList<InstalledApp> visibleApps() const;
    // The application of `apps` (shown or not) whose id is selected.
    std::optional<InstalledApp> selectedApp() const;
    // The application of `apps` (shown or not) with that id, its ticks as they stand.
    std::optional<InstalledApp> app(const QUuid& id) const;
    // Whether the application runs now (reads the process list).
    bool isRunning(const InstalledApp& app) const;

    // Starts an inventory unless one runs; the list shown stays until the new one arrives.
    void refresh();
    // Reads the installer receipts of `app`; a reading started earlier publishes nothing any more.
    void loadTraces(const InstalledApp& app);
    // Removes `app`: its bundle, and its associated files when `removeLeftovers` (the value the user confirmed).
    void uninstall(const InstalledApp& app, bool removeLeftovers);

signals:
    void changed();
    // An uninstall has ended and its outcome is in the fields.
    void uninstallFinished();

private:
    struct Outcome {
        bool quitRefused = false;
        bool bundleGone = false;
        Removal::Report report;
    };

    void applyProgress(double fraction, const std::optional<QString>& status);
    void publishInventory(const QList<InstalledApp>& apps);
    void publishTraces(const QList<Receipts::Trace>& traces);
    void finishUninstall(const InstalledApp& app, bool removeLeftovers, const Outcome& outcome);
    void setStage(const QUuid& id, const QString& stage);

    ModelServices m_services;
    Seams m_seams;
    QList<InstalledApp> m_apps;
    bool m_loading = false;
    double m_progress = 0;
    QString m_status;
    QString m_query;
    Filter m_filter = Filter::all;
    std::optional<QUuid> m_selected;
    bool m_removeLeftovers = true;
    std::optional<Removal::Report> m_lastReport;
    QList<Receipts::Trace> m_traces;
    bool m_readingReceipts = false;
    std::optional<Notice> m_notice;
    std::optional<Notice> m_done;
    QHash<QUuid, QString> m_stages; // by application, while its uninstall runs
    int m_running = 0;

    Background::JobLine<UninstallerViewModel> m_inventory{this};
    Background::JobLine<UninstallerViewModel> m_receipts{this};
};
