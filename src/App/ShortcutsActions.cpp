#include "App/ShortcutsActions.h"

#include "Core/FileUtils.h"
#include "Core/Formatters.h"
#include "Platform/Symbols.h"
#include "Platform/SystemRoot.h"
#include "Scanners/ScannerFactory.h"

#include <cmath>
#include <utility>

using namespace Qt::StringLiterals;

namespace Shortcuts {

const std::array<CategoryDisplay, 10>& categories()
{
    // Each category is the module of the same name and is shown as the module table shows it.
    static const std::array<CategoryDisplay, 10> table = [] {
        // Indexed by the category: the ModuleID order differs from the eighth case on.
        constexpr std::array<ModuleID, 10> modules{
            ModuleID::smartScan, ModuleID::systemJunk, ModuleID::xcodeJunk, ModuleID::mailAttachments,
            ModuleID::trashBins, ModuleID::malware,    ModuleID::privacy,   ModuleID::largeOldFiles,
            ModuleID::leftovers, ModuleID::duplicates};
        std::array<CategoryDisplay, 10> built;
        for (std::size_t i = 0; i < modules.size(); ++i) {
            const ModuleID module = modules[i];
            built[i] = {static_cast<ScanCategory>(i), ::toRaw(module), module, ::title(module),
                        ::subtitle(module),           ::symbol(module)};
        }
        return built;
    }();
    return table;
}

namespace {

const CategoryDisplay& display(ScanCategory category)
{
    return categories()[static_cast<size_t>(category)];
}

const ActionDisplay& display(Action action)
{
    return actions()[static_cast<size_t>(action)];
}

QString bytesText(qint64 bytes)
{
    return bytes < 1 ? u"0 Ko"_s : ByteCountFormatter().string(bytes);
}

} // namespace

QString toRaw(ScanCategory category)
{
    return display(category).raw;
}

std::optional<ScanCategory> fromRaw(QStringView raw)
{
    for (const CategoryDisplay& entry : categories())
        if (entry.raw == raw)
            return entry.category;
    return std::nullopt;
}

ModuleID moduleID(ScanCategory category)
{
    return display(category).module;
}

const std::array<ActionDisplay, 4>& actions()
{
    static const std::array<ActionDisplay, 4> table{{
        {Action::analyse,
         u"analyse"_s,
         u"Analyser une catégorie"_s,
         u"Analyser {category}"_s,
         ScanCategory::systemJunk,
         {u"Analyser avec {app}"_s, u"Chercher ce que je peux récupérer avec {app}"_s},
         u"Analyser"_s,
         sfSymbol(u"sparkles")},
        {Action::diagnose,
         u"diagnose"_s,
         u"Diagnostiquer le Mac"_s,
         std::nullopt,
         std::nullopt,
         {u"Diagnostiquer mon Mac avec {app}"_s, u"Pourquoi mon Mac rame avec {app}"_s, u"Diagnostic {app}"_s},
         u"Diagnostiquer"_s,
         sfSymbol(u"stethoscope")},
        {Action::freeSpace,
         u"free-space"_s,
         u"Espace disque libre"_s,
         std::nullopt,
         std::nullopt,
         {u"Espace libre avec {app}"_s, u"Combien de place me reste-t-il avec {app}"_s},
         u"Espace libre"_s,
         sfSymbol(u"internaldrive")},
        {Action::open,
         u"open"_s,
         u"Ouvrir une catégorie"_s,
         u"Ouvrir {category}"_s,
         ScanCategory::smartScan,
         {},
         std::nullopt,
         std::nullopt},
    }};
    return table;
}

const std::array<Action, 3>& publishedShortcuts()
{
    static const std::array<Action, 3> order{Action::diagnose, Action::freeSpace, Action::analyse};
    return order;
}

Services Services::standard(const Exclusions& exclusions)
{
    Services services;
    services.scanner = [&exclusions](ModuleID module) { return makeScanner(module, exclusions); };
    services.startupDisk = [] { return SystemInfo::disk(Platform::systemPath(u"/"_s)); };
    return services;
}

double mebibytes(qint64 bytes)
{
    return std::round(static_cast<double>(bytes) / 1048576.0 * 10.0) / 10.0;
}

qint64 reclaimableBytes(ScanCategory category, const Services& services)
{
    if (category == ScanCategory::xcodeJunk)
        return services.xcodeJunkBytes ? services.xcodeJunkBytes() : 0;
    if (!services.scanner)
        return 0;
    const std::optional<ScannerPtr> scanner = services.scanner(moduleID(category));
    if (!scanner || !*scanner)
        return 0;
    qint64 total = 0;
    for (const ScanGroup& group : (*scanner)->scan([](double, const QString&) {}, {}))
        for (const ScanItem& item : group.items)
            total = FileUtils::addBytes(total, item.size);
    return total;
}

NumberAnswer analyse(ScanCategory category, const Services& services)
{
    const qint64 bytes = reclaimableBytes(category, services);
    const QString title = ::title(moduleID(category));
    const QString dialog =
        bytes < 1 ? u"Rien à récupérer dans %1."_s.arg(FrenchText::quoted(title))
                  : u"%1 à examiner dans %2."_s.arg(ByteCountFormatter().string(bytes), FrenchText::quoted(title));
    return {dialog, mebibytes(bytes)};
}

TextAnswer diagnose(const Services& services)
{
    const QList<Finding> findings = services.diagnose ? services.diagnose() : QList<Finding>{};
    if (findings.isEmpty())
        return {u"Rien d'anormal détecté."_s, QString()};
    QStringList lines;
    for (const Finding& finding : findings)
        lines << finding.title + u" — "_s + finding.evidence;
    return {lines.first(), lines.join(u'\n')};
}

NumberAnswer freeSpace(const Services& services)
{
    const SystemInfo::Disk disk = services.startupDisk ? services.startupDisk() : SystemInfo::Disk{};
    // A volume that cannot be read has no size: saying it is all free would be wrong.
    if (disk.total < 1)
        return {u"Impossible de lire le disque de démarrage."_s, 0};
    // A free figure past the total, or below nothing, reads as all or nothing free, never as a percentage no
    // integer holds.
    const qint64 free = std::clamp<qint64>(disk.free, 0, disk.total);
    const double used = static_cast<double>(disk.total - free) / static_cast<double>(disk.total);
    const int percent = static_cast<int>((1.0 - used) * 100.0);
    return {u"%1 libres, soit %2 % du disque."_s.arg(bytesText(disk.free)).arg(percent), mebibytes(disk.free)};
}

bool asksForAction(const QStringList& arguments)
{
    return arguments.contains(u"--action"_s) || arguments.contains(u"--category"_s);
}

std::optional<Request> parseArguments(const QStringList& arguments)
{
    std::optional<QString> actionName;
    std::optional<QString> categoryName;
    for (qsizetype i = 0; i < arguments.size(); i += 2) {
        if (i + 1 >= arguments.size())
            return std::nullopt;
        std::optional<QString>* slot = nullptr;
        if (arguments[i] == u"--action"_s)
            slot = &actionName;
        else if (arguments[i] == u"--category"_s)
            slot = &categoryName;
        if (slot == nullptr || slot->has_value())
            return std::nullopt;
        *slot = arguments[i + 1];
    }
    if (!actionName)
        return std::nullopt;
    const ActionDisplay* action = nullptr;
    for (const ActionDisplay& entry : actions())
        if (entry.argument == *actionName)
            action = &entry;
    if (action == nullptr)
        return std::nullopt;
    const bool takesCategory = action->defaultCategory.has_value();
    if (takesCategory != categoryName.has_value())
        return std::nullopt;
    Request request{action->action, std::nullopt};
    if (categoryName) {
        request.category = fromRaw(*categoryName);
        if (!request.category)
            return std::nullopt;
    }
    return request;
}

QString usage()
{
    QString text = u"Utilisation : \"Quorvane Pro\" --action ACTION [--category CATÉGORIE]\n\nActions :\n"_s;
    for (const ActionDisplay& action : actions()) {
        const bool takesCategory = action.defaultCategory.has_value();
        text += u"  %1%2\n      %3"_s.arg(action.argument, takesCategory ? u" --category CATÉGORIE"_s : QString(),
                                          action.title);
        if (action.parameterSummary)
            text +=
                u" ("_s +
                FrenchText::quoted(QString(*action.parameterSummary).replace(u"{category}"_s, typeDisplay.toLower())) +
                u')';
        text += u'\n';
    }
    text += u"\n%1 (pour analyse et open, écrite exactement ainsi) :\n"_s.arg(typeDisplay);
    for (const CategoryDisplay& category : categories())
        text += u"  %1 — %2\n      %3\n"_s.arg(category.raw, category.title, category.subtitle);
    text += u"\nRaccourcis proposés :\n"_s;
    for (const Action published : publishedShortcuts()) {
        const ActionDisplay& action = display(published);
        text += u"  %1 : %2\n"_s.arg(action.shortTitle.value_or(action.title),
                                     QString(action.phrases.join(u" ; "_s)).replace(u"{app}"_s, u"Quorvane Pro"_s));
    }
    return text;
}

QString answer(const Request& request, const Services& services)
{
    const auto number = [](const NumberAnswer& answer) -> QString {
        return answer.dialog + u'\n' + QString::number(answer.value, 'f', 1) + u'\n';
    };
    switch (request.action) {
    case Action::analyse:
        return number(analyse(request.category.value_or(ScanCategory::systemJunk), services));
    case Action::diagnose: {
        const TextAnswer answer = diagnose(services);
        return answer.dialog + u'\n' + answer.value + u'\n';
    }
    case Action::freeSpace:
        return number(freeSpace(services));
    case Action::open:
        return QString();
    }
    return QString();
}

} // namespace Shortcuts
