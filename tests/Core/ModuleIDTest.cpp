#include "Core/ModuleID.h"

#include <set>

#include <QStringList>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(ModuleID, rawValuesRoundTripAndMatchExactly)
{
    for (const ModuleID module : Modules::allModules())
        EXPECT_EQ(fromRaw<ModuleID>(toRaw(module)), module);
    EXPECT_EQ(fromRaw<ModuleID>(u"spaceMap"), ModuleID::spaceMap);
    EXPECT_FALSE(fromRaw<ModuleID>(u"SmartScan").has_value());
    EXPECT_FALSE(fromRaw<ModuleID>(u"").has_value());
    EXPECT_FALSE(fromRaw<ModuleID>(u" systemJunk").has_value());
    EXPECT_EQ(toRaw(ModuleID::largeOldFiles), u"largeOldFiles"_s);
}

TEST(ModuleID, everyModuleHasItsTextsAndSection)
{
    EXPECT_EQ(Modules::allModules().front(), ModuleID::smartScan);
    EXPECT_EQ(Modules::allModules().back(), ModuleID::spaceMap);
    std::set<QString> titles;
    for (const ModuleID module : Modules::allModules()) {
        EXPECT_FALSE(title(module).isEmpty());
        EXPECT_FALSE(subtitle(module).isEmpty());
        EXPECT_FALSE(symbol(module).isEmpty());
        titles.insert(title(module));
    }
    EXPECT_EQ(titles.size(), moduleCount);

    EXPECT_EQ(title(ModuleID::systemJunk), u"Fichiers système"_s);
    EXPECT_EQ(subtitle(ModuleID::xcodeJunk),
              u"Simulateurs, runtimes et archives — le plus gros poste d'un Mac de développeur."_s);
    EXPECT_EQ(symbol(ModuleID::snapshots), u"externaldrive.badge.timemachine"_s);
    EXPECT_EQ(section(ModuleID::smartScan), ModuleSection::essentials);
    EXPECT_EQ(section(ModuleID::updater), ModuleSection::applications);
    for (const ModuleID module : {ModuleID::snapshots, ModuleID::shredder, ModuleID::spaceMap})
        EXPECT_EQ(section(module), ModuleSection::clutter);
    EXPECT_EQ(section(ModuleID::privacy), ModuleSection::protection);
}

TEST(ModuleSection, headingsAreTheRawValuesInSidebarOrder)
{
    QStringList headings;
    for (const ModuleSection s : Modules::allSections())
        headings.append(toRaw(s));
    EXPECT_EQ(headings, (QStringList{u"Dedav Orud"_s, u"Nettoyage"_s, u"Protection"_s, u"Performance"_s,
                                     u"Applications"_s, u"Mon fouillis"_s}));
    EXPECT_EQ(fromRaw<ModuleSection>(u"Mon fouillis"), ModuleSection::clutter);
    EXPECT_FALSE(fromRaw<ModuleSection>(u"clutter").has_value());
}
