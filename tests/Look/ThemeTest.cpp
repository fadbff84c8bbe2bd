#include "Look/Theme.h"

#include <cmath>
#include <limits>
#include <set>
#include <tuple>

#include <QFontInfo>
#include <QFontMetricsF>

#include <gtest/gtest.h>

namespace {

std::tuple<int, int, int> rgb(const QColor& c)
{
    return {c.red(), c.green(), c.blue()};
}

void expectSrgb(const QColor& c, double red, double green, double blue)
{
    EXPECT_NEAR(c.redF(), red, 1e-4);
    EXPECT_NEAR(c.greenF(), green, 1e-4);
    EXPECT_NEAR(c.blueF(), blue, 1e-4);
    EXPECT_EQ(c.alphaF(), 1.0f);
    EXPECT_EQ(c.spec(), QColor::Rgb);
}

QGradientStops stops(const QColor& first, const QColor& second)
{
    return {{0.0, first}, {1.0, second}};
}

} // namespace

TEST(Theme, paletteHoldsItsValuesAndGivesEachModuleItsOwnColour)
{
    expectSrgb(Theme::indigo(), 0.36, 0.42, 0.98);
    expectSrgb(Theme::slate(), 0.38, 0.56, 0.72);
    expectSrgb(Theme::steel(), 0.47, 0.52, 0.60);
    expectSrgb(Theme::red(), 0.87, 0.26, 0.31);
    expectSrgb(Theme::periwinkle(), 0.45, 0.47, 0.90);

    std::set<std::tuple<int, int, int>> tints;
    for (const ModuleID module : Modules::allModules())
        tints.insert(rgb(Theme::tint(module)));
    EXPECT_EQ(tints.size(), moduleCount);
    EXPECT_EQ(Theme::tint(ModuleID::smartScan), Theme::indigo());
    EXPECT_EQ(Theme::tint(ModuleID::snapshots), Theme::steel());
    EXPECT_EQ(Theme::tint(ModuleID::xcodeJunk), Theme::sky());
    EXPECT_EQ(Theme::tint(ModuleID::shredder), Theme::red());
}

TEST(Theme, gradientsRunCornerToCornerThroughTheirTwoColours)
{
    const QLinearGradient& accent = Theme::accentGradient();
    EXPECT_EQ(accent.coordinateMode(), QGradient::ObjectMode);
    EXPECT_EQ(accent.start(), QPointF(0, 0));
    EXPECT_EQ(accent.finalStop(), QPointF(1, 1));
    EXPECT_EQ(accent.stops(), stops(Theme::indigo(), Theme::cyan()));
    EXPECT_EQ(Theme::dangerGradient().stops(), stops(Theme::coral(), Theme::amber()));
    EXPECT_EQ(Theme::healthyGradient().stops(), stops(Theme::mint(), Theme::cyan()));
}

TEST(Theme, gaugeGradientBandsAtTheirEdges)
{
    const QGradientStops middle = stops(Theme::amber(), Theme::coral());
    const struct {
        double fraction;
        QGradientStops expected;
    } cases[] = {
        {0, Theme::healthyGradient().stops()},
        {0.6999, Theme::healthyGradient().stops()},
        {0.7, middle},
        {0.8999, middle},
        {0.9, Theme::dangerGradient().stops()},
        {1.4, Theme::dangerGradient().stops()},
        {std::numeric_limits<double>::quiet_NaN(), Theme::dangerGradient().stops()},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Theme::gaugeGradient(c.fraction).stops(), c.expected) << c.fraction;
}

TEST(Theme, blendMovesTheBaseTowardTheTarget)
{
    EXPECT_EQ(rgb(Theme::blend(Qt::white, Theme::indigo(), 0)), rgb(Theme::indigo()));
    EXPECT_EQ(rgb(Theme::blend(Qt::white, Theme::indigo(), 1)), rgb(QColor(Qt::white)));
    const QColor light = Theme::blend(Qt::white, Theme::indigo(), 0.26);
    EXPECT_NEAR(light.redF(), 0.36 + 0.64 * 0.26, 1e-4);
    EXPECT_NEAR(light.blueF(), 0.98 + 0.02 * 0.26, 1e-4);

    // An invalid colour takes part as the clear colour, not as black: alpha drops, the channels stay.
    const QColor halfway = Theme::blend(QColor(), Theme::indigo(), 0.5);
    EXPECT_TRUE(halfway.isValid());
    EXPECT_NEAR(halfway.alphaF(), 0.5, 1e-3);
    EXPECT_NEAR(halfway.blueF(), 0.49, 1e-3);
    EXPECT_EQ(rgb(Theme::blend(Qt::white, Theme::indigo(), std::numeric_limits<double>::quiet_NaN())),
              rgb(Theme::indigo()));
    // A colour given in another model is converted first.
    EXPECT_EQ(rgb(Theme::blend(Qt::white, QColor::fromHsvF(0, 0, 0), 1)), rgb(QColor(Qt::white)));
}

TEST(Theme, fontsArePixelSizedAndDesigned)
{
    ASSERT_TRUE(Theme::installFonts());
    const struct {
        const QFont& font;
        int pixels;
        int weight;
    } cases[] = {{Theme::titleFont(), 26, QFont::Bold},
                 {Theme::heroFont(), 44, QFont::Bold},
                 {Theme::captionFont(), 12, QFont::DemiBold},
                 {Theme::monoFont(), 11, QFont::Normal}};
    for (const auto& c : cases) {
        EXPECT_EQ(c.font.pixelSize(), c.pixels);
        EXPECT_EQ(c.font.weight(), c.weight);
        EXPECT_TRUE(QFontInfo(c.font).exactMatch() || QFontInfo(c.font).family() == c.font.family());
    }
    EXPECT_EQ(Theme::captionFont().capitalization(), QFont::SmallCaps);
    EXPECT_TRUE(QFontInfo(Theme::monoFont()).fixedPitch());
    EXPECT_EQ(QFontInfo(Theme::titleFont()).family(), QStringLiteral("Inter"));
    // A 26-point title is about 26 pixels from ascent to descent, not the third more a point size would give.
    const QFontMetricsF metrics(Theme::titleFont());
    EXPECT_LT(metrics.ascent() + metrics.descent(), 26 * 1.3);
    EXPECT_GT(metrics.ascent() + metrics.descent(), 26 * 1.0);
    EXPECT_EQ(Theme::systemFont(12.5).pixelSize(), 13);
}
