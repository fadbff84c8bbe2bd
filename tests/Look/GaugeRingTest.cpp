#include "Look/GaugeRing.h"

#include "Look/Theme.h"
#include "WaitFor.h"

#include <limits>

#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(GaugeRing, arcShowsOnlyAboveAThousandthAndStopsAtAFullTurn)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        double fraction;
        std::optional<double> arc;
    } cases[] = {{0, std::nullopt},
                 {0.001, std::nullopt},
                 {-0.5, std::nullopt},
                 {nan, std::nullopt},
                 {0.0011, 0.0011},
                 {0.5, 0.5},
                 {1, 1},
                 {1.5, 1}};
    for (const auto& c : cases)
        EXPECT_EQ(GaugeRing::arcFraction(c.fraction), c.arc) << c.fraction;
}

TEST(GaugeRing, changeAnimatesTowardTheNewFractionAndKeepsTheContentCentred)
{
    auto* label = new QLabel(u"45 %"_s);
    GaugeRing gauge(0.2, Theme::accentGradient(), 12, label);
    gauge.resize(170, 170);
    gauge.show();
    EXPECT_EQ(gauge.shownFraction(), 0.2);

    gauge.setFraction(0.8);
    EXPECT_EQ(gauge.fraction(), 0.8);
    EXPECT_LT(gauge.shownFraction(), 0.8);
    EXPECT_TRUE(TestSupport::waitFor([&] { return gauge.shownFraction() == 0.8; }));

    // Beyond a full turn the shown arc stops at the full circle.
    gauge.setFraction(1.5);
    EXPECT_TRUE(TestSupport::waitFor([&] { return gauge.shownFraction() == 1.0; }));

    EXPECT_EQ(label->parentWidget(), &gauge);
    EXPECT_EQ(label->geometry().center(), gauge.rect().center());
}
