#include "Look/TextLabel.h"

#include "Look/Theme.h"
#include "QtPrinters.h"
#include "WaitFor.h"

#include <QApplication>
#include <QHelpEvent>
#include <QToolTip>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// The application's palette in another appearance (window and its text) for as long as it lives.
class PaletteSwap
{
public:
    PaletteSwap(const QColor& window, const QColor& windowText) : m_saved(QApplication::palette())
    {
        QPalette swapped = m_saved;
        swapped.setColor(QPalette::Window, window);
        swapped.setColor(QPalette::WindowText, windowText);
        QApplication::setPalette(swapped);
    }
    ~PaletteSwap() { QApplication::setPalette(m_saved); }
    PaletteSwap(const PaletteSwap&) = delete;
    PaletteSwap& operator=(const PaletteSwap&) = delete;

private:
    QPalette m_saved;
};

QString toolTipShownFor(TextLabel& label)
{
    QToolTip::hideText();
    EXPECT_TRUE(TestSupport::waitFor([] { return !QToolTip::isVisible(); }));
    QHelpEvent help(QEvent::ToolTip, label.rect().center(), label.mapToGlobal(label.rect().center()));
    QApplication::sendEvent(&label, &help);
    return QToolTip::isVisible() ? QToolTip::text() : QString();
}

} // namespace

// Switching between the light and the dark appearance replaces the application's palette while the labels are on
// screen: each label takes the new window text at its own level.
TEST(TextLabel, followsANewApplicationPaletteAtItsInk)
{
    QWidget window;
    auto* primary = new TextLabel(u"Stockage"_s, Theme::systemFont(13), Paint::Ink::primary, &window);
    auto* secondary = new TextLabel(u"libres"_s, Theme::systemFont(11), Paint::Ink::secondary, &window);
    secondary->setElideMode(Qt::ElideMiddle);
    window.show();

    const QColor light(0xf0, 0xf0, 0xf0);
    const PaletteSwap dark(QColor(0x1e, 0x1e, 0x1e), light);
    ASSERT_TRUE(TestSupport::waitFor([&] {
        return primary->palette().color(QPalette::WindowText) == light &&
               secondary->palette().color(QPalette::WindowText) == Paint::withOpacity(light, 0.5);
    })) << primary->palette().color(QPalette::WindowText).name(QColor::HexArgb).toStdString()
        << " " << secondary->palette().color(QPalette::WindowText).name(QColor::HexArgb).toStdString();
}

// A shortened text can be read whole as a tooltip unless the label is told not to offer it; a text that fits,
// and a label that does not shorten, offer none.
TEST(TextLabel, offersTheWholeTextAsATooltipOnlyWhileItIsShortened)
{
    const QString whole = u"com.lumenlabs.atelierphoto-aperçus-des-très-grandes-images"_s;
    QWidget window;
    auto* label = new TextLabel(whole, Theme::systemFont(12), Paint::Ink::primary, &window);
    label->setElideMode(Qt::ElideMiddle);
    label->setGeometry(0, 0, 80, 20);
    window.show();
    ASSERT_NE(label->shownText(), whole);
    EXPECT_EQ(toolTipShownFor(*label), whole);

    label->setWholeTextToolTip(false);
    EXPECT_EQ(toolTipShownFor(*label), QString());

    label->setWholeTextToolTip(true);
    label->setGeometry(0, 0, label->fontMetrics().horizontalAdvance(whole) + 10, 20);
    EXPECT_EQ(toolTipShownFor(*label), QString());

    label->setGeometry(0, 0, 80, 20);
    label->setElideMode(Qt::ElideNone);
    EXPECT_EQ(toolTipShownFor(*label), QString());
    QToolTip::hideText();
}
