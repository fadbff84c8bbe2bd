#include "App/AppState.h"

#include "Core/FileUtils.h"
#include "Core/PathSafety.h"
#include "Platform/Readings.h"
#include "Platform/SystemRoot.h"
#include "Scan/Screen/ScanViewModel.h"

using namespace Qt::StringLiterals;

AppState::AppState(const Modules::Registry& registry, const ModelServices& services, TickReader ticks, QObject* parent)
    : QObject(parent), m_registry(registry), m_services(services),
      m_ticks(ticks ? std::move(ticks) : TickReader(SystemInfo::cpuTicks))
{
    m_previousCPU = m_ticks();
    m_snapshot = read(0.0);
    m_hasFullDiskAccess = PathSafety::hasFullDiskAccess();
    m_monitor.setInterval(monitorIntervalMs);
    connect(&m_monitor, &QTimer::timeout, this, &AppState::refresh);
}

AppState::~AppState() = default;

void AppState::setSelection(ModuleID module)
{
    m_selection = module;
    emit selectionChanged();
}

QObject* AppState::viewModel(ModuleID module)
{
    const auto found = m_models.find(module);
    if (found != m_models.end())
        return found->second.get();
    if (m_registry.entry(module).lifetime != Modules::Lifetime::run)
        return nullptr;
    std::unique_ptr<QObject> made = m_registry.makeModel(module, m_services, *this);
    if (!made)
        return nullptr; // not available yet; asked again next time, in case a later build provides it
    QObject* raw = made.get();
    m_models.emplace(module, std::move(made));
    return raw;
}

std::unique_ptr<QObject> AppState::newViewModel(ModuleID module) const
{
    return m_registry.makeModel(module, m_services, *this);
}

ScanViewModel* AppState::model(ModuleID module)
{
    return qobject_cast<ScanViewModel*>(viewModel(module));
}

qint64 AppState::totalFreedBytes() const
{
    qint64 total = 0;
    for (const auto& [module, model] : m_models) {
        if (const auto* scan = qobject_cast<const ScanViewModel*>(model.get()))
            total = FileUtils::addBytes(total, scan->freedBytes());
    }
    return total;
}

void AppState::onChanged(QObject* context, std::function<void()> changed) const
{
    connect(this, &AppState::snapshotChanged, context, std::move(changed));
}

bool AppState::isCleaning() const
{
    for (const auto& [module, model] : m_models) {
        const auto* scan = qobject_cast<const ScanViewModel*>(model.get());
        if (scan != nullptr && (scan->phase() == ScanViewModel::Phase::cleaning || scan->isUndoing()))
            return true;
    }
    return false;
}

void AppState::startMonitoring()
{
    if (!m_monitor.isActive())
        m_monitor.start();
}

void AppState::stopMonitoring()
{
    m_monitor.stop();
}

SystemSnapshot AppState::read(double cpuLoad) const
{
    const SystemInfo::Disk disk = SystemInfo::disk(Platform::systemPath(u"/"_s));
    const SystemInfo::Memory memory = SystemInfo::memory();
    return SystemSnapshot{
        disk.total, disk.free, memory.total, memory.used, memory.pressure, cpuLoad, Platform::systemUptime()};
}

void AppState::refresh()
{
    const std::optional<SystemInfo::CPUTicks> current = m_ticks();
    const double load = SystemInfo::cpuLoad(m_previousCPU, current);
    m_previousCPU = current;
    m_snapshot = read(load);
    emit snapshotChanged();
}
