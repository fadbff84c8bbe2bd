#include "Look/StyledButton.h"
#include "WaitFor.h"

#include <QFontMetricsF>
#include <QImage>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(StyledButton, sizeIsTheTitlePaddedByTheStyle)
{
    const struct {
        StyledButton::Style style;
        int horizontal;
        int vertical;
        int pixels;
        int weight;
    } cases[] = {{PrimaryButtonStyle{}, 52, 22, 14, QFont::DemiBold}, {QuietButtonStyle{}, 28, 14, 13, QFont::Medium}};
    for (const auto& c : cases) {
        const StyledButton button(u"Analyser à nouveau"_s, c.style);
        EXPECT_EQ(button.font().pixelSize(), c.pixels);
        EXPECT_EQ(button.font().weight(), c.weight);
        const QFontMetricsF metrics(button.font());
        EXPECT_EQ(button.sizeHint().width(),
                  static_cast<int>(std::ceil(metrics.horizontalAdvance(button.text()))) + c.horizontal);
        EXPECT_EQ(button.sizeHint().height(), static_cast<int>(std::ceil(metrics.height())) + c.vertical);
    }
}

TEST(StyledButton, lookFlagsAreTheStylesOwn)
{
    EXPECT_EQ((PrimaryButtonStyle{Theme::accentGradient(), true}).fillOpacity(), 1.0);
    EXPECT_EQ((PrimaryButtonStyle{Theme::dangerGradient(), false}).fillOpacity(), 0.35);
    EXPECT_EQ(QuietButtonStyle::fillOpacity(false), 0.07);
    EXPECT_EQ(QuietButtonStyle::fillOpacity(true), 0.14);

    // A button drawn as disabled still reacts unless the caller disables it too.
    StyledButton button(u"Nettoyer"_s, PrimaryButtonStyle{Theme::dangerGradient(), false});
    button.show();
    QSignalSpy clicks(&button, &QAbstractButton::clicked);
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(clicks.count(), 1);
    button.setEnabled(false);
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(clicks.count(), 1);
}

TEST(StyledButton, primaryShrinksWhilePressed)
{
    StyledButton button(u"Analyser"_s, PrimaryButtonStyle{});
    button.show();
    QTest::mousePress(&button, Qt::LeftButton);
    EXPECT_TRUE(TestSupport::waitFor([&] { return button.pressScale() == PrimaryButtonStyle::pressedScale; }));
    QTest::mouseRelease(&button, Qt::LeftButton);
    EXPECT_TRUE(TestSupport::waitFor([&] { return button.pressScale() == 1.0; }));

    StyledButton quiet(u"Arrêter"_s, QuietButtonStyle{});
    quiet.show();
    QTest::mousePress(&quiet, Qt::LeftButton);
    QTest::qWait(200);
    EXPECT_EQ(quiet.pressScale(), 1.0);
    QTest::mouseRelease(&quiet, Qt::LeftButton);
}

// A disabled primary button is its gradient's greys at 35 % over the window's colour with its title in the
// secondary label colour, whatever lies beneath it: on a window without an alpha channel that would otherwise be
// black. No trace of the gradient's colour is left, so it never reads as a paler action of its own.
TEST(StyledButton, aDisabledPrimaryButtonIsGreyOverTheWindowColour)
{
    for (const QLinearGradient& gradient : {Theme::dangerGradient(), Theme::accentGradient()}) {
        StyledButton button(u"Nettoyer"_s, PrimaryButtonStyle{gradient, false});
        button.setEnabled(false);
        button.resize(button.sizeHint());
        QImage image(button.size(), QImage::Format_ARGB32);
        image.fill(Qt::black);
        button.render(&image, QPoint(), QRegion(), QWidget::RenderFlags());

        const QColor window = button.palette().color(QPalette::Window);
        const int grey = qGray(gradient.stops().first().second.rgb());
        const QPoint inside(button.height() / 2 + 1, button.height() / 2);
        const QColor drawn = image.pixelColor(inside);
        EXPECT_NEAR(drawn.red(), 0.35 * grey + 0.65 * window.red(), 12);
        EXPECT_NEAR(drawn.green(), 0.35 * grey + 0.65 * window.green(), 12);
        EXPECT_NEAR(drawn.blue(), 0.35 * grey + 0.65 * window.blue(), 12);
        int colourful = 0;
        bool titled = false;
        bool white = false;
        for (int x = 0; x < image.width(); ++x) {
            for (int y = 0; y < image.height(); ++y) {
                const QColor pixel = image.pixelColor(x, y);
                colourful = std::max({colourful, std::abs(pixel.red() - pixel.green()),
                                      std::abs(pixel.green() - pixel.blue()), std::abs(pixel.red() - pixel.blue())});
                titled = titled || image.pixelColor(x, y) != drawn;
                white = white || pixel == QColor(Qt::white);
            }
        }
        EXPECT_LE(colourful, 8);
        EXPECT_TRUE(titled);
        EXPECT_FALSE(white);
    }

    // Enabled, the same button is its gradient under a white title.
    StyledButton enabled(u"Nettoyer"_s, PrimaryButtonStyle{Theme::dangerGradient(), true});
    enabled.resize(enabled.sizeHint());
    QImage image(enabled.size(), QImage::Format_ARGB32);
    image.fill(Qt::black);
    enabled.render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
    const QColor start = Theme::dangerGradient().stops().first().second;
    const QColor drawn = image.pixelColor(enabled.height() / 2 + 1, enabled.height() / 2);
    EXPECT_NEAR(drawn.red(), start.red(), 24);
    EXPECT_NEAR(drawn.green(), start.green(), 24);
    bool white = false;
    for (int x = 0; x < image.width() && !white; ++x) {
        for (int y = 0; y < image.height() && !white; ++y)
            white = image.pixelColor(x, y) == QColor(Qt::white);
    }
    EXPECT_TRUE(white);
}
