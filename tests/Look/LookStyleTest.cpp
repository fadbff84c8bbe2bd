#include "Look/LookStyle.h"

#include "Look/Theme.h"
#include "Look/TriStateBox.h"

#include <functional>
#include <memory>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QPushButton>
#include <QSlider>
#include <QTabBar>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QImage drawn(QWidget& widget)
{
    widget.resize(widget.sizeHint());
    QImage image(widget.size(), QImage::Format_ARGB32);
    image.fill(widget.palette().color(QPalette::Window));
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

// Whether some pixel of `image` is `colour`, give or take a few steps per channel.
bool holds(const QImage& image, const QColor& colour)
{
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (std::abs(pixel.red() - colour.red()) <= 6 && std::abs(pixel.green() - colour.green()) <= 6 &&
                std::abs(pixel.blue() - colour.blue()) <= 6)
                return true;
        }
    }
    return false;
}

// `colour` at `opacity` over the window's colour.
QColor over(const QColor& colour, qreal opacity)
{
    return Theme::blend(colour, QApplication::palette().color(QPalette::Window), opacity);
}

} // namespace

// Installed once, the style keeps the application's palette; the platform's controls then draw what is chosen in
// the accent colour on the look's shapes: a ticked check box is the shared box, the slider's track is filled up to
// its knob, a chosen segment and the front tab wear the accent wash, a combo box the quiet fill.
TEST(LookStyle, thePlatformsControlsWearTheLook)
{
    QPalette palette = QApplication::palette();
    palette.setColor(QPalette::Window, QColor(246, 246, 248));
    QApplication::setPalette(palette);
    LookStyle::install();
    LookStyle::install();
    ASSERT_TRUE(qobject_cast<LookStyle*>(QApplication::style()));
    EXPECT_EQ(QApplication::palette().color(QPalette::Window), QColor(246, 246, 248));
    EXPECT_EQ(QApplication::style()->pixelMetric(QStyle::PM_IndicatorWidth), TriStateBox::side);

    const QColor wash = over(Theme::indigo(), LookStyle::chosenOpacity);
    const struct {
        const char* name;
        std::function<QWidget*()> make;
        QColor expected;
    } cases[] = {
        {"ticked check box",
         [] {
             auto* box = new QCheckBox(u"Prévenir"_s);
             box->setChecked(true);
             return box;
         },
         Theme::indigo()},
        {"slider at its middle",
         [] {
             auto* slider = new QSlider(Qt::Horizontal);
             slider->setRange(0, 10);
             slider->setValue(5);
             slider->setFixedWidth(150);
             return slider;
         },
         Theme::indigo()},
        {"chosen segment",
         [] {
             auto* segment = new QPushButton(u"Toutes"_s);
             segment->setCheckable(true);
             segment->setChecked(true);
             return segment;
         },
         wash},
        {"front tab",
         [] {
             auto* tabs = new QTabBar;
             tabs->setDocumentMode(true);
             tabs->addTab(u"Général"_s);
             tabs->addTab(u"Planification"_s);
             return tabs;
         },
         wash},
        {"combo box",
         [] {
             auto* combo = new QComboBox;
             combo->addItems({u"1 — rapide"_s, u"3 — standard"_s});
             return combo;
         },
         over(QApplication::palette().color(QPalette::WindowText), 0.07)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<QWidget> widget(c.make());
        const QImage image = drawn(*widget);
        EXPECT_TRUE(holds(image, c.expected));
    }
}
