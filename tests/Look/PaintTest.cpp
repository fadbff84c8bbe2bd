#include "Look/Paint.h"

#include "Core/ModuleID.h"
#include "Look/Theme.h"
#include "Platform/Symbols.h"

#include <QFile>
#include <QRawFont>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(Symbols, everyModuleSymbolAndEveryTableNameIsInTheEmbeddedFont)
{
    QFile file(u":/fonts/MaterialIcons-Regular.ttf"_s);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QRawFont font(file.readAll(), 24);
    ASSERT_TRUE(font.isValid());
    QStringList names = Platform::knownSymbols();
    for (const ModuleID module : Modules::allModules())
        names.append(symbol(module));
    for (const QString& name : names) {
        const std::optional<char32_t> glyph = Platform::symbolGlyph(name);
        ASSERT_TRUE(glyph.has_value()) << name.toStdString();
        EXPECT_TRUE(font.supportsCharacter(*glyph)) << name.toStdString();
        EXPECT_FALSE(Paint::symbolPath(name, 20).isEmpty()) << name.toStdString();
    }
}

TEST(Symbols, outlineScalesWithTheSizeAroundTheCentre)
{
    const QRectF small = Paint::symbolPath(u"trash", 10).boundingRect();
    const QRectF large = Paint::symbolPath(u"trash", 40).boundingRect();
    EXPECT_NEAR(large.width(), small.width() * 4, 0.05);
    EXPECT_NEAR(large.center().x(), 0, 2);
    EXPECT_NEAR(large.center().y(), 0, 2);
    EXPECT_LE(large.height(), 40);
}

TEST(Symbols, unknownNameStopsATestRun)
{
    // The application object runs threads of its own; the child re-runs the test from the start.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(Paint::requireSymbol(u"no.such.symbol"), "unknown SF Symbols name");
}

TEST(Paint, roundedShapesStayInTheirFrame)
{
    const QRectF frame(10, 20, 200, 80);
    for (const qreal radius : {0.0, 4.5, 14.0, 30.0, 40.0, 500.0}) {
        const QRectF bounds = Paint::continuousRoundedRect(frame, radius).boundingRect();
        EXPECT_NEAR(bounds.left(), frame.left(), 1e-6) << radius;
        EXPECT_NEAR(bounds.right(), frame.right(), 1e-6) << radius;
        EXPECT_NEAR(bounds.top(), frame.top(), 1e-6) << radius;
        EXPECT_NEAR(bounds.bottom(), frame.bottom(), 1e-6) << radius;
    }
    // A line traced inside the edge keeps its stroke within the frame.
    const QRectF inner = Paint::insetRoundedRect(frame, 14, 2).boundingRect();
    EXPECT_EQ(inner, frame.adjusted(1, 1, -1, -1));
    // A ring of width 12 in a 170-point frame runs along a 158-point circle.
    EXPECT_EQ(Paint::ringRect(QRectF(0, 0, 170, 170), 12), QRectF(6, 6, 158, 158));
    EXPECT_EQ(Paint::ringRect(QRectF(0, 0, 300, 100), 10), QRectF(105, 5, 90, 90));
}

TEST(Paint, gradientIsPlacedOnTheFrame)
{
    const QLinearGradient placed = Paint::placed(Theme::accentGradient(), QRectF(10, 20, 100, 50));
    EXPECT_EQ(placed.coordinateMode(), QGradient::LogicalMode);
    EXPECT_EQ(placed.start(), QPointF(10, 20));
    EXPECT_EQ(placed.finalStop(), QPointF(110, 70));
    EXPECT_EQ(placed.stops(), Theme::accentGradient().stops());
}

TEST(Paint, ringArcStartsWhereItIsToldAndTurnsClockwise)
{
    const QRectF ring(0, 0, 100, 100);
    const QPainterPath quarter = Paint::ringArc(ring, -90, 0.25);
    // From the top, a quarter turn clockwise ends at 3 o'clock.
    EXPECT_NEAR(quarter.pointAtPercent(0).x(), 50, 1e-6);
    EXPECT_NEAR(quarter.pointAtPercent(0).y(), 0, 1e-6);
    EXPECT_NEAR(quarter.pointAtPercent(1).x(), 100, 1e-6);
    EXPECT_NEAR(quarter.pointAtPercent(1).y(), 50, 1e-6);
}
