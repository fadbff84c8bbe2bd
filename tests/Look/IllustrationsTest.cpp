#include "Look/EmptyArt.h"
#include "Look/HaloArt.h"
#include "Look/IconTile.h"
#include "Look/SoftIconTile.h"
#include "Look/Sparkle.h"
#include "Look/SuccessArt.h"
#include "Look/Theme.h"
#include "Platform/Symbols.h"
#include "WaitFor.h"

#include <cmath>

#include <QTest>

#include <gtest/gtest.h>

namespace {

// Sets the stand-in for the system's reduce-motion setting for one scope.
class ReduceMotion
{
public:
    explicit ReduceMotion(bool on) { qputenv("QUORVANE_REDUCE_MOTION", on ? "1" : "0"); }
    ~ReduceMotion() { qunsetenv("QUORVANE_REDUCE_MOTION"); }
};

} // namespace

TEST(IconTile, metricsAreFractionsOfTheSize)
{
    const IconTile::Metrics m = IconTile::metrics(38);
    EXPECT_NEAR(m.cornerRadius, 8.5006, 1e-9);
    EXPECT_NEAR(m.symbolSize, 18.24, 1e-9);
    EXPECT_NEAR(m.shadowRadius, 6.08, 1e-9);
    EXPECT_NEAR(m.shadowOffsetY, 2.66, 1e-9);
    EXPECT_EQ(SoftIconTile::cornerRadius(38), m.cornerRadius);
    EXPECT_EQ(SoftIconTile::symbolSize(38), 19);

    EXPECT_NEAR(IconTile::shadowColor(Theme::slate(), true).alphaF(), 0.34, 1e-4);
    EXPECT_EQ(IconTile::shadowColor(Theme::slate(), false).alpha(), 0);
    // Raised or not, the tile takes the same room.
    const IconTile raised(sfSymbol(u"gearshape"), Theme::slate(), 38, true);
    const IconTile flat(sfSymbol(u"gearshape"), Theme::slate(), 38, false);
    EXPECT_EQ(raised.size(), QSize(38, 38));
    EXPECT_EQ(flat.size(), raised.size());
    EXPECT_NE(raised.graphicsEffect(), nullptr);
    EXPECT_EQ(flat.graphicsEffect(), nullptr);
}

TEST(EmptyArt, metricsAreFractionsOfTheDiameter)
{
    const EmptyArt::Metrics m = EmptyArt::metrics(96);
    EXPECT_EQ(m.disc, 96);
    EXPECT_NEAR(m.ring, 74.88, 1e-9);
    EXPECT_NEAR(m.symbolSize, 28.8, 1e-9);
    EXPECT_EQ(EmptyArt(sfSymbol(u"clock"), Theme::slate(), 96).size(), QSize(96, 96));
}

TEST(Sparkle, isSquareAndCentredWhateverTheRectangle)
{
    const QRectF bounds = Sparkle::path(QRectF(0, 0, 20, 10)).boundingRect();
    EXPECT_NEAR(bounds.width(), 10, 1e-6);
    EXPECT_NEAR(bounds.height(), 10, 1e-6);
    EXPECT_NEAR(bounds.center().x(), 10, 1e-6);
    EXPECT_NEAR(bounds.center().y(), 5, 1e-6);
    // Sides curve inward: the star's middle between two points lies well inside the square.
    EXPECT_FALSE(Sparkle::path(QRectF(0, 0, 10, 10)).contains(QPointF(8, 2)));
    EXPECT_TRUE(Sparkle::path(QRectF(0, 0, 10, 10)).contains(QPointF(5, 5)));
}

TEST(SuccessArt, raysStandOnACircleLongAndShortInTurn)
{
    for (int i = 0; i < SuccessArt::rayCount; ++i) {
        const SuccessArt::Ray ray = SuccessArt::ray(i, 100);
        EXPECT_EQ(ray.width, 3);
        EXPECT_NEAR(ray.height, i % 2 == 0 ? 10 : 6, 1e-9);
        EXPECT_NEAR(ray.distance, 56, 1e-9);
        EXPECT_EQ(ray.angleDegrees, i * 30);
    }
    EXPECT_EQ(SuccessArt::raysScale(0), 0.86);
    EXPECT_EQ(SuccessArt::raysOpacity(0), 0);
    EXPECT_EQ(SuccessArt::raysScale(1), 1);
    EXPECT_EQ(SuccessArt::raysOpacity(1.08), 1) << "a spring's overshoot never shows more than full opacity";
    EXPECT_EQ(SuccessArt(132, Theme::mint()).size(), QSize(172, 172));
}

TEST(SuccessArt, bloomsOnceWhenShownOrAtOnceWithReducedMotion)
{
    {
        const ReduceMotion reduce(true);
        SuccessArt art(132, Theme::mint());
        EXPECT_FALSE(art.bloom());
        art.show();
        EXPECT_TRUE(art.bloom());
        EXPECT_EQ(art.bloomProgress(), 1);
        EXPECT_FALSE(art.isAnimating());
    }
    const ReduceMotion reduce(false);
    SuccessArt art(150, Theme::mint());
    EXPECT_EQ(art.bloomProgress(), 0);
    art.show();
    EXPECT_TRUE(art.isAnimating());
    EXPECT_LT(art.bloomProgress(), 0.5);
    EXPECT_TRUE(TestSupport::waitFor([&] { return !art.isAnimating(); }));
    EXPECT_EQ(art.bloomProgress(), 1);
    // Coming on screen again changes nothing.
    art.hide();
    art.show();
    EXPECT_FALSE(art.isAnimating());
    EXPECT_EQ(art.bloomProgress(), 1);
}

TEST(HaloArt, tablesAndSparklePlaces)
{
    ASSERT_EQ(HaloArt::discs().size(), 3u);
    EXPECT_EQ(HaloArt::discs()[1].scale, 0.8);
    EXPECT_EQ(HaloArt::discs()[2].opacity, 0.21);
    ASSERT_EQ(HaloArt::sparkles().size(), 4u);
    // Row 0: 32° above the positive x axis (angles turn clockwise on screen), half a diameter out.
    const QPointF first = HaloArt::sparkleOffset(HaloArt::sparkles()[0], 100);
    EXPECT_NEAR(first.x(), 50 * std::cos(32 * M_PI / 180), 1e-9);
    EXPECT_NEAR(first.y(), -50 * std::sin(32 * M_PI / 180), 1e-9);
    EXPECT_EQ(HaloArt::sparkles()[3].size, 12);
    EXPECT_EQ(HaloArt::sparklesScale(0), 0.86);
    EXPECT_EQ(HaloArt::sparklesOpacity(0), 0.6);
    EXPECT_EQ(HaloArt::sparklesOpacity(1), 1);
    EXPECT_EQ(HaloArt(sfSymbol(u"sparkles"), Theme::indigo(), 176, true).size(), QSize(220, 220));
}

TEST(HaloArt, breathesOnlyWhenAnimatedAndMotionIsAllowed)
{
    const struct {
        bool animated;
        bool reduce;
        bool moves;
    } cases[] = {{true, false, true}, {true, true, false}, {false, false, false}, {false, true, false}};
    for (const auto& c : cases) {
        const ReduceMotion reduce(c.reduce);
        HaloArt halo(sfSymbol(u"sparkles"), Theme::indigo(), 176, c.animated);
        EXPECT_FALSE(halo.breathe());
        halo.show();
        EXPECT_TRUE(halo.breathe());
        EXPECT_EQ(halo.isAnimating(), c.moves);
        EXPECT_EQ(halo.breatheProgress() == 1, !c.moves);
    }
}
