#pragma once

#include <QString>
#include <QStringView>

#include <array>
#include <cstddef>
#include <optional>

// The modules (moduleCount of them) and the six sidebar sections they are listed under. The raw text of a
// module is its case name ("largeOldFiles"): that is what the preferences and the cleaning journal store. The raw
// text of a section is its French heading.
enum class ModuleID {
    smartScan,
    systemJunk,
    xcodeJunk,
    mailAttachments,
    trashBins,
    malware,
    privacy,
    optimization,
    maintenance,
    uninstaller,
    leftovers,
    updater,
    largeOldFiles,
    duplicates,
    snapshots,
    shredder,
    spaceMap,
};

// How many modules there are: the last case's position plus one (a case added after it moves this too).
inline constexpr std::size_t moduleCount = static_cast<std::size_t>(ModuleID::spaceMap) + 1;

enum class ModuleSection { essentials, cleanup, protection, performance, applications, clutter };

namespace Modules {
// Every case, in declaration order (the sidebar's order).
const std::array<ModuleID, moduleCount>& allModules();
const std::array<ModuleSection, 6>& allSections();
} // namespace Modules

QString toRaw(ModuleID module);
QString toRaw(ModuleSection section);

template <class Enum> std::optional<Enum> fromRaw(QStringView raw);
// Exact, case-sensitive match on the case name; nothing for any other text, the empty one included.
template <> std::optional<ModuleID> fromRaw<ModuleID>(QStringView raw);
// Exact match on the French heading.
template <> std::optional<ModuleSection> fromRaw<ModuleSection>(QStringView raw);

QString title(ModuleID module);
QString subtitle(ModuleID module);
QString symbol(ModuleID module); // an SF Symbols name
ModuleSection section(ModuleID module);
