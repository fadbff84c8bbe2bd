#include "Look/StatTile.h"

#include "Look/Theme.h"
#include "Platform/Symbols.h"

#include <limits>

#include <QLabel>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(StatTile, barFillsItsShareButNeverLessThanASliver)
{
    const struct {
        double fraction;
        qreal width;
    } cases[] = {{0, 3},     {0.001, 3}, {-1, 3}, {std::numeric_limits<double>::quiet_NaN(), 3},
                 {0.5, 100}, {1, 200},   {2, 200}};
    for (const auto& c : cases)
        EXPECT_EQ(StatTile::barWidth(200, c.fraction), c.width) << c.fraction;
}

TEST(StatTile, barAndDetailShowOnlyWhenGiven)
{
    StatTile tile({sfSymbol(u"internaldrive"), u"Stockage"_s, u"0 Ko"_s, u"libres sur 0 Ko"_s, Theme::indigo(), 0.0});
    tile.resize(300, 140);
    tile.show();
    const auto* bar = tile.findChild<QWidget*>(u"statBar"_s);
    const auto* detail = tile.findChild<QLabel*>(u"statDetail"_s);
    ASSERT_TRUE(bar && detail);
    EXPECT_TRUE(bar->isVisible());
    EXPECT_EQ(bar->height(), 5);
    EXPECT_EQ(detail->text(), u"libres sur 0 Ko"_s);

    tile.setFields(
        {sfSymbol(u"sparkles"), u"Depuis l'ouverture"_s, u"1,2 Go"_s, std::nullopt, Theme::mint(), std::nullopt});
    EXPECT_FALSE(bar->isVisible());
    EXPECT_FALSE(detail->isVisible());
    EXPECT_EQ(tile.findChild<QLabel*>(u"statValue"_s)->text(), u"1,2 Go"_s);
    EXPECT_EQ(tile.findChild<QLabel*>(u"statLabel"_s)->text(), u"Depuis l'ouverture"_s);
}
