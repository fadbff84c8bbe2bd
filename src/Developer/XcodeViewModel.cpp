#include "Developer/XcodeViewModel.h"

#include "Core/FileUtils.h"
#include "Core/History.h"
#include "Core/ModuleID.h"
#include "Core/ProgressRelay.h"
#include "Core/RemovalEngine.h"
#include "Core/WorkInFlight.h"

#include <QDateTime>

using namespace Qt::StringLiterals;

namespace {

using Job = Background::Job<XcodeViewModel>;

} // namespace

XcodeViewModel::XcodeViewModel(const ModelServices& services, QObject* parent) : QObject(parent), m_services(services)
{
    // Until the first load answers, the screen must not read as a Mac without developer tools.
    m_inventory.hasSimulatorTools = true;
}

const QSet<QString>& XcodeViewModel::selected(Selection set) const
{
    switch (set) {
    case Selection::devices:
        return m_selectedDevices;
    case Selection::runtimes:
        return m_selectedRuntimes;
    case Selection::archives:
        return m_selectedArchives;
    }
    return m_selectedDevices;
}

QSet<QString>& XcodeViewModel::selection(Selection set)
{
    return const_cast<QSet<QString>&>(std::as_const(*this).selected(set));
}

int XcodeViewModel::selectedCount() const
{
    return int(m_selectedDevices.size() + m_selectedRuntimes.size() + m_selectedArchives.size());
}

qint64 XcodeViewModel::selectedBytes() const
{
    qint64 total = 0;
    for (const XcodeService::Device& device : m_inventory.devices) {
        if (m_selectedDevices.contains(device.id))
            total = FileUtils::addBytes(total, device.bytes);
    }
    for (const XcodeService::Runtime& runtime : m_inventory.runtimes) {
        if (m_selectedRuntimes.contains(runtime.id))
            total = FileUtils::addBytes(total, runtime.bytes);
    }
    for (const XcodeService::Archive& archive : m_inventory.archives) {
        if (m_selectedArchives.contains(archive.id()))
            total = FileUtils::addBytes(total, archive.bytes);
    }
    return total;
}

bool XcodeViewModel::isRemovable(const XcodeService::Runtime& runtime)
{
    return runtime.isDeletable && runtime.deviceCount == 0;
}

void XcodeViewModel::load()
{
    if (m_isLoading)
        return;
    // freedBytes and failures stay: after a run they keep its result while the inventory comes back.
    m_isLoading = true;
    emit changed();
    m_load.start([&exclusions = m_services.exclusions](const Job& job) {
        const XcodeService::Inventory inventory = XcodeService::loadInventory(exclusions);
        job.deliver([inventory](XcodeViewModel& model) { model.applyInventory(inventory); });
    });
}

void XcodeViewModel::applyInventory(const XcodeService::Inventory& inventory)
{
    m_inventory = inventory;
    QSet<QString> devices;
    for (const XcodeService::Device& device : inventory.devices)
        devices.insert(device.id);
    QSet<QString> runtimes;
    for (const XcodeService::Runtime& runtime : inventory.runtimes)
        runtimes.insert(runtime.id);
    QSet<QString> archives;
    for (const XcodeService::Archive& archive : inventory.archives)
        archives.insert(archive.id());
    m_selectedDevices.intersect(devices);
    m_selectedRuntimes.intersect(runtimes);
    m_selectedArchives.intersect(archives);
    m_isLoading = false;
    m_hasLoaded = true;
    emit changed();
}

void XcodeViewModel::selectRecommended()
{
    XcodeService::Recommendation recommendation = XcodeService::recommendedSelection(
        m_inventory.devices, m_inventory.runtimes, m_inventory.archives, QDateTime::currentDateTimeUtc());
    m_selectedDevices = std::move(recommendation.devices);
    m_selectedRuntimes = std::move(recommendation.runtimes);
    m_selectedArchives = std::move(recommendation.archives);
    emit changed();
}

void XcodeViewModel::selectNone()
{
    m_selectedDevices.clear();
    m_selectedRuntimes.clear();
    m_selectedArchives.clear();
    emit changed();
}

void XcodeViewModel::toggle(const QString& id, Selection set)
{
    QSet<QString>& ids = selection(set);
    if (!ids.remove(id))
        ids.insert(id);
    emit changed();
}

void XcodeViewModel::clean()
{
    if (m_isWorking || selectedCount() < 1)
        return;
    QList<XcodeService::Device> devices;
    for (const XcodeService::Device& device : m_inventory.devices) {
        if (m_selectedDevices.contains(device.id))
            devices.append(device);
    }
    QList<XcodeService::Runtime> runtimes;
    for (const XcodeService::Runtime& runtime : m_inventory.runtimes) {
        if (m_selectedRuntimes.contains(runtime.id) && isRemovable(runtime))
            runtimes.append(runtime);
    }
    QList<XcodeService::Archive> archives;
    for (const XcodeService::Archive& archive : m_inventory.archives) {
        if (m_selectedArchives.contains(archive.id()))
            archives.append(archive);
    }
    m_isWorking = true;
    m_progress = 0;
    m_status.clear();
    m_failures.clear();
    emit changed();

    // Run to its end: simulators deleted halfway would otherwise go unrecorded. Quitting waits until the session
    // is journaled, whether or not the screen is still there.
    auto deletion = [devices, runtimes, archives, &engine = m_services.removal,
                     &history = m_services.history](const Job& job) {
        auto relay = ProgressRelay::create(ProgressRelay::Labels::LastAsGiven,
                                           [job](double fraction, const std::optional<QString>& status) {
                                               if (XcodeViewModel* model = job.receiver())
                                                   model->applyProgress(fraction, status);
                                           });
        const XcodeService::Outcome outcome =
            XcodeService::remove(devices, runtimes, archives, engine,
                                 [relay](double fraction, const QString& label) { relay->report(fraction, label); });
        history.record(XcodeService::journalReport(outcome), ModuleID::xcodeJunk);
        job.deliver([relay, outcome](XcodeViewModel& model) {
            relay->flush();
            model.finish(outcome);
        });
    };
    Background::runToEnd(m_services.inFlight.begin(), this, std::move(deletion));
}

void XcodeViewModel::applyProgress(double fraction, const std::optional<QString>& status)
{
    m_progress = fraction;
    if (status)
        m_status = *status;
    emit changed();
}

void XcodeViewModel::finish(const XcodeService::Outcome& outcome)
{
    m_freedBytes = outcome.freedBytes;
    m_failures.clear();
    for (const XcodeService::Failure& failure : outcome.failures)
        m_failures.append(failure.label + u" — "_s + failure.reason);
    QSet<QString> removed;
    for (const Removal::Removed& entry : outcome.removed)
        removed.insert(entry.origin);
    m_inventory.devices.removeIf(
        [&](const XcodeService::Device& device) { return removed.contains(XcodeService::origin(device)); });
    m_inventory.runtimes.removeIf(
        [&](const XcodeService::Runtime& runtime) { return removed.contains(XcodeService::origin(runtime)); });
    m_inventory.archives.removeIf([&](const XcodeService::Archive& archive) { return removed.contains(archive.path); });
    m_isWorking = false;
    m_status.clear();
    m_selectedDevices.clear();
    m_selectedRuntimes.clear();
    m_selectedArchives.clear();
    emit changed();
    // A reload still under way began before this run's deletions and would bring back what they removed: a
    // fresh one replaces it.
    m_isLoading = false;
    load();
    emit finished();
}
