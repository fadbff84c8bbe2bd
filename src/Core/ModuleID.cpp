#include "Core/ModuleID.h"

namespace {

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
    for (std::size_t i = 0; i < std::size(Modules::table); ++i) {
        if (static_cast<std::size_t>(Modules::table[i].module) != i)
            return false;
    }
    for (std::size_t i = 0; i < std::size(kSections); ++i) {
        if (static_cast<std::size_t>(kSections[i].section) != i)
            return false;
    }
    return true;
}

static_assert(std::size(Modules::table) == moduleCount && std::size(kSections) == 6);
static_assert(tablesFollowDeclarationOrder(), "the lookups index the tables by case");

const Modules::Row& row(ModuleID module)
{
    return Modules::table[static_cast<int>(module)];
}

} // namespace

const std::array<ModuleID, moduleCount>& Modules::allModules()
{
    static const std::array<ModuleID, moduleCount> modules = [] {
        std::array<ModuleID, moduleCount> list{};
        for (std::size_t i = 0; i < list.size(); ++i)
            list[i] = Modules::table[i].module;
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
    for (const Modules::Row& r : Modules::table) {
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

ModuleTint paletteTint(ModuleID module)
{
    return row(module).tint;
}
