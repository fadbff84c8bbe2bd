#include "Scanners/ModuleRegistry.h"

namespace Modules {

void Registry::setScanner(ModuleID module, ScannerFactory factory, ResultsScreen results)
{
    Entry& entry = m_entries[module];
    entry.scanner = std::move(factory);
    entry.results = results;
}

void Registry::setModel(ModuleID module, Lifetime lifetime, ModelFactory factory)
{
    Entry& entry = m_entries[module];
    entry.lifetime = lifetime;
    entry.model = std::move(factory);
}

void Registry::setScreen(ModuleID module, ScreenFactory factory)
{
    m_entries[module].screen = std::move(factory);
}

void Registry::setFallbackScreen(ScreenFactory factory)
{
    m_fallback = std::move(factory);
}

bool Registry::contains(ModuleID module) const
{
    return m_entries.find(module) != m_entries.end();
}

const Entry& Registry::entry(ModuleID module) const
{
    static const Entry none;
    const auto found = m_entries.find(module);
    return found == m_entries.end() ? none : found->second;
}

std::optional<ScannerPtr> emptyScanner(ModuleID module, const Exclusions&)
{
    return std::make_shared<const NullScanner>(module);
}

std::optional<ScannerPtr> Registry::makeScanner(ModuleID module, const Exclusions& exclusions) const
{
    const Entry& found = entry(module);
    if (!contains(module) || !found.scanner)
        return std::nullopt;
    return found.scanner(module, exclusions);
}

std::unique_ptr<QObject> Registry::makeModel(ModuleID module, const ModelServices& services,
                                             const AppFigures& figures) const
{
    const Entry& found = entry(module);
    if (!found.model)
        return nullptr;
    return found.model(ModelContext{module, makeScanner(module, services.exclusions), services, figures});
}

QWidget* Registry::makeScreen(const ScreenContext& context) const
{
    if (const Entry& found = entry(context.module); found.screen)
        return found.screen(context);
    if (!m_fallback)
        return nullptr;
    return m_fallback(ScreenContext{context.module, nullptr, context.workspace, context.figures});
}

} // namespace Modules
