#pragma once

#include "Core/BackgroundJob.h"
#include "Core/ModelServices.h"
#include "Core/ScanModel.h"

#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

// The shredder's queue and its one job: files and folders the user dropped or picked, measured off the GUI
// thread, then overwritten and deleted for good by the removal engine. The model writes no file itself.
class ShredderViewModel final : public QObject
{
    Q_OBJECT

public:
    explicit ShredderViewModel(const ModelServices& services, QObject* parent = nullptr);

    // The queue in the order items were added; an item still being measured has size 0.
    const QList<ScanItem>& items() const { return m_items; }
    bool isMeasuring(const QUuid& id) const { return m_measuring.contains(id); }
    bool isMeasuringAny() const { return !m_measuring.isEmpty(); }
    bool isShredding() const { return m_shredding; }
    double progress() const { return m_progress; }
    const QString& status() const { return m_status; }
    int passes() const { return m_passes; }
    void setPasses(int passes);
    // Items the last job removed.
    int shreddedCount() const { return m_shreddedCount; }
    const QStringList& failures() const { return m_failures; }
    // Why the last job left this queued item in place (French), if it did.
    std::optional<QString> failureReason(const QUuid& id) const;

    qint64 totalSize() const;

    // Queues each path (cleaned, absolute) unless it is already queued, protected, or reached through a
    // link that leads to a protected place; returns at once and measures the new rows in the background. One
    // call, one change, however many paths: a drop of a thousand files is one call.
    void add(const QStringList& paths);
    void remove(const QUuid& id);
    // Empties the queue and forgets the last job's outcome, so that an old count does not come back with new
    // files.
    void clear();
    // Whether shred() would start: a queue, no job, nothing still measured.
    bool canShred() const;
    // Overwrites and deletes the queue; the job runs to its end and is journaled even if the model goes.
    void shred();

signals:
    void changed();
    void finished();

private:
    static bool refused(const QString& path);
    void applyProgress(double fraction, const std::optional<QString>& status);
    void applySizes(const QHash<QUuid, qint64>& sizes);
    void finish(const QSet<QUuid>& done, int removed, const QStringList& failures,
                const QHash<QUuid, QString>& reasons);

    ModelServices m_services; // references to the shared services
    QList<ScanItem> m_items;
    QSet<QUuid> m_measuring;
    bool m_shredding = false;
    double m_progress = 0;
    QString m_status;
    int m_passes = 1;
    int m_shreddedCount = 0;
    QStringList m_failures;
    QHash<QUuid, QString> m_reasons; // by item, for the items the last job left
    std::vector<std::unique_ptr<Background::JobLine<ShredderViewModel>>> m_measures;
};
