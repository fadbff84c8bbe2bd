#include "Core/ModuleID.h"

namespace {

struct ModuleRow {
    ModuleID module;
    const char16_t* raw;
    const char16_t* title;
    const char16_t* subtitle;
    const char16_t* symbol;
    ModuleSection section;
};

constexpr ModuleRow kModules[] = {
    {ModuleID::smartScan, u"smartScan", u"Analyse intelligente",
     u"Un passage unique sur le nettoyage, la protection et la vitesse.", u"sparkles", ModuleSection::essentials},
    {ModuleID::systemJunk, u"systemJunk", u"Fichiers système",
     u"Caches, journaux et restes de build qui n'ont plus d'utilité.", u"trash.slash", ModuleSection::cleanup},
    {ModuleID::xcodeJunk, u"xcodeJunk", u"Xcode et simulateurs",
     u"Simulateurs, runtimes et archives — le plus gros poste d'un Mac de développeur.", u"hammer",
     ModuleSection::cleanup},
    {ModuleID::mailAttachments, u"mailAttachments", u"Pièces jointes Mail",
     u"Les copies locales de vos pièces jointes, retéléchargeables à la demande.", u"paperclip",
     ModuleSection::cleanup},
    {ModuleID::trashBins, u"trashBins", u"Corbeilles", u"Les corbeilles de tous les volumes montés.", u"trash",
     ModuleSection::cleanup},
    {ModuleID::malware, u"malware", u"Suppression de malwares",
     u"Recherche d'adwares et de fichiers connus comme indésirables.", u"shield.lefthalf.filled",
     ModuleSection::protection},
    {ModuleID::privacy, u"privacy", u"Confidentialité", u"Historiques, cookies et traces laissés par vos apps.",
     u"hand.raised", ModuleSection::protection},
    {ModuleID::optimization, u"optimization", u"Optimisation", u"Agents de démarrage et applications gourmandes.",
     u"speedometer", ModuleSection::performance},
    {ModuleID::maintenance, u"maintenance", u"Maintenance", u"Tâches d'entretien que macOS n'exécute pas toujours.",
     u"wrench.and.screwdriver", ModuleSection::performance},
    {ModuleID::uninstaller, u"uninstaller", u"Désinstalleur",
     u"Retire une app et tout ce qu'elle a semé dans votre Bibliothèque.", u"square.stack.3d.up.slash",
     ModuleSection::applications},
    {ModuleID::leftovers, u"leftovers", u"Résidus d'apps disparues",
     u"Les données restées derrière des apps que vous n'avez plus.", u"folder.badge.questionmark",
     ModuleSection::applications},
    {ModuleID::updater, u"updater", u"Mises à jour", u"Les mises à jour disponibles pour vos apps installées.",
     u"arrow.triangle.2.circlepath", ModuleSection::applications},
    {ModuleID::largeOldFiles, u"largeOldFiles", u"Fichiers volumineux et anciens",
     u"Ce qui pèse lourd et que vous n'avez pas ouvert depuis longtemps.", u"doc.viewfinder", ModuleSection::clutter},
    {ModuleID::duplicates, u"duplicates", u"Doublons",
     u"Des fichiers rigoureusement identiques, stockés à plusieurs endroits.", u"doc.on.doc", ModuleSection::clutter},
    {ModuleID::snapshots, u"snapshots", u"Instantanés locaux",
     u"Les copies que Time Machine garde sur votre disque, et l'espace purgeable.", u"externaldrive.badge.timemachine",
     ModuleSection::clutter},
    {ModuleID::shredder, u"shredder", u"Broyeur", u"Effacement définitif, sans passer par la corbeille.", u"scissors",
     ModuleSection::clutter},
    {ModuleID::spaceMap, u"spaceMap", u"Carte d'espace", u"Où part réellement votre espace disque.", u"chart.pie",
     ModuleSection::clutter},
};

struct SectionRow {
    ModuleSection section;
    const char16_t* heading;
};

constexpr SectionRow kSections[] = {
    {ModuleSection::essentials, u"Dedav Orud"},     {ModuleSection::cleanup, u"Nettoyage"},
    {ModuleSection::protection, u"Protection"},     {ModuleSection::performance, u"Performance"},
    {ModuleSection::applications, u"Applications"}, {ModuleSection::clutter, u"Mon fouillis"},
};

constexpr bool tablesFollowDeclarationOrder()
{
    for (std::size_t i = 0; i < std::size(kModules); ++i) {
        if (static_cast<std::size_t>(kModules[i].module) != i)
            return false;
    }
    for (std::size_t i = 0; i < std::size(kSections); ++i) {
        if (static_cast<std::size_t>(kSections[i].section) != i)
            return false;
    }
    return true;
}

static_assert(std::size(kModules) == moduleCount && std::size(kSections) == 6);
static_assert(tablesFollowDeclarationOrder(), "the lookups index the tables by case");

const ModuleRow& row(ModuleID module)
{
    return kModules[static_cast<int>(module)];
}

} // namespace

const std::array<ModuleID, moduleCount>& Modules::allModules()
{
    static const std::array<ModuleID, moduleCount> modules = [] {
        std::array<ModuleID, moduleCount> list{};
        for (std::size_t i = 0; i < list.size(); ++i)
            list[i] = kModules[i].module;
        return list;
    }();
    return modules;
}

const std::array<ModuleSection, 6>& Modules::allSections()
{
    static const std::array<ModuleSection, 6> sections = [] {
        std::array<ModuleSection, 6> list{};
        for (std::size_t i = 0; i < list.size(); ++i)
            list[i] = kSections[i].section;
        return list;
    }();
    return sections;
}

QString toRaw(ModuleID module)
{
    return QString::fromUtf16(row(module).raw);
}

QString toRaw(ModuleSection section)
{
    return QString::fromUtf16(kSections[static_cast<int>(section)].heading);
}

template <> std::optional<ModuleID> fromRaw<ModuleID>(QStringView raw)
{
    for (const ModuleRow& r : kModules) {
        if (raw == QStringView(r.raw))
            return r.module;
    }
    return std::nullopt;
}

template <> std::optional<ModuleSection> fromRaw<ModuleSection>(QStringView raw)
{
    for (const SectionRow& r : kSections) {
        if (raw == QStringView(r.heading))
            return r.section;
    }
    return std::nullopt;
}

QString title(ModuleID module)
{
    return QString::fromUtf16(row(module).title);
}

QString subtitle(ModuleID module)
{
    return QString::fromUtf16(row(module).subtitle);
}

QString symbol(ModuleID module)
{
    return QString::fromUtf16(row(module).symbol);
}

ModuleSection section(ModuleID module)
{
    return row(module).section;
}
