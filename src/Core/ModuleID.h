#pragma once

#include <QString>
#include <QStringView>

#include <array>
#include <cstddef>
#include <optional>

// The modules (moduleCount of them) and the six sidebar sections they are listed under; each module's texts,
// section and colour are its row of Modules::table below. The raw text of a
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

// The colour of the look's palette a module is drawn in (the look gives each its shade).
enum class ModuleTint {
    indigo,
    cyan,
    sky,
    teal,
    slate,
    mint,
    green,
    violet,
    periwinkle,
    amber,
    sand,
    orange,
    coral,
    orchid,
    steel,
    red,
    pink,
};

namespace Modules {

// What the program knows of a module besides its case: one row each, in declaration order, so that a new module
// is its case above and its row here.
struct Row {
    ModuleID module;
    const char16_t* raw;
    const char16_t* title;
    const char16_t* subtitle;
    const char16_t* symbol; // an SF Symbols name
    ModuleSection section;
    ModuleTint tint;
};

inline constexpr Row table[] = {
    {ModuleID::smartScan, u"smartScan", u"Analyse intelligente",
     u"Un passage unique sur le nettoyage, la protection et la vitesse.", u"sparkles", ModuleSection::essentials,
     ModuleTint::indigo},
    {ModuleID::systemJunk, u"systemJunk", u"Fichiers système",
     u"Caches, journaux et restes de build qui n'ont plus d'utilité.", u"trash.slash", ModuleSection::cleanup,
     ModuleTint::cyan},
    {ModuleID::xcodeJunk, u"xcodeJunk", u"Xcode et simulateurs",
     u"Simulateurs, runtimes et archives — le plus gros poste d'un Mac de développeur.", u"hammer",
     ModuleSection::cleanup, ModuleTint::sky},
    {ModuleID::mailAttachments, u"mailAttachments", u"Pièces jointes Mail",
     u"Les copies locales de vos pièces jointes, retéléchargeables à la demande.", u"paperclip", ModuleSection::cleanup,
     ModuleTint::teal},
    {ModuleID::trashBins, u"trashBins", u"Corbeilles", u"Les corbeilles de tous les volumes montés.", u"trash",
     ModuleSection::cleanup, ModuleTint::slate},
    {ModuleID::malware, u"malware", u"Suppression de malwares",
     u"Recherche d'adwares et de fichiers connus comme indésirables.", u"shield.lefthalf.filled",
     ModuleSection::protection, ModuleTint::mint},
    {ModuleID::privacy, u"privacy", u"Confidentialité", u"Historiques, cookies et traces laissés par vos apps.",
     u"hand.raised", ModuleSection::protection, ModuleTint::green},
    {ModuleID::optimization, u"optimization", u"Optimisation", u"Agents de démarrage et applications gourmandes.",
     u"speedometer", ModuleSection::performance, ModuleTint::violet},
    {ModuleID::maintenance, u"maintenance", u"Maintenance", u"Tâches d'entretien que macOS n'exécute pas toujours.",
     u"wrench.and.screwdriver", ModuleSection::performance, ModuleTint::periwinkle},
    {ModuleID::uninstaller, u"uninstaller", u"Désinstalleur",
     u"Retire une app et tout ce qu'elle a semé dans votre Bibliothèque.", u"square.stack.3d.up.slash",
     ModuleSection::applications, ModuleTint::amber},
    {ModuleID::leftovers, u"leftovers", u"Résidus d'apps disparues",
     u"Les données restées derrière des apps que vous n'avez plus.", u"folder.badge.questionmark",
     ModuleSection::applications, ModuleTint::sand},
    {ModuleID::updater, u"updater", u"Mises à jour", u"Les mises à jour disponibles pour vos apps installées.",
     u"arrow.triangle.2.circlepath", ModuleSection::applications, ModuleTint::orange},
    {ModuleID::largeOldFiles, u"largeOldFiles", u"Fichiers volumineux et anciens",
     u"Ce qui pèse lourd et que vous n'avez pas ouvert depuis longtemps.", u"doc.viewfinder", ModuleSection::clutter,
     ModuleTint::coral},
    {ModuleID::duplicates, u"duplicates", u"Doublons",
     u"Des fichiers rigoureusement identiques, stockés à plusieurs endroits.", u"doc.on.doc", ModuleSection::clutter,
     ModuleTint::orchid},
    {ModuleID::snapshots, u"snapshots", u"Instantanés locaux",
     u"Les copies que Time Machine garde sur votre disque, et l'espace purgeable.", u"externaldrive.badge.timemachine",
     ModuleSection::clutter, ModuleTint::steel},
    {ModuleID::shredder, u"shredder", u"Broyeur", u"Effacement définitif, sans passer par la corbeille.", u"scissors",
     ModuleSection::clutter, ModuleTint::red},
    {ModuleID::spaceMap, u"spaceMap", u"Carte d'espace", u"Où part réellement votre espace disque.", u"chart.pie",
     ModuleSection::clutter, ModuleTint::pink},
};

} // namespace Modules

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
ModuleTint paletteTint(ModuleID module);
