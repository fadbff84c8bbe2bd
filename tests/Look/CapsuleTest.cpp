#include "Look/Capsule.h"

#include "Look/Theme.h"

#include <QFontMetrics>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

// Each style asks for its text's advance and line height plus its padding, takes no less, shows its text whole at
// that size, and draws it in the tint or the label colour.
TEST(Capsule, asksForItsTextAndPaddingAndDrawsTheTextWholeAtItsMinimum)
{
    Capsule::Style tinted;
    tinted.fontSize = 9.5;
    tinted.weight = QFont::DemiBold;
    tinted.horizontalPadding = 6;
    tinted.tint = Theme::mint();
    tinted.fillOpacity = 0.15;
    Capsule::Style roomy;
    roomy.fontSize = 11;
    roomy.horizontalPadding = 10;
    roomy.verticalPadding = 5;
    roomy.ink = Paint::Ink::secondary;
    const struct {
        QString text;
        Capsule::Style style;
    } cases[] = {{u"Cet utilisateur"_s, {}}, {u"allumé"_s, tinted}, {u"macOS 14.5.0"_s, roomy}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        Capsule capsule(c.text, c.style);
        const QFontMetrics metrics(Theme::systemFont(c.style.fontSize, c.style.weight));
        const QSize expected(metrics.horizontalAdvance(c.text) + 2 * c.style.horizontalPadding,
                             metrics.height() + 2 * c.style.verticalPadding);
        EXPECT_EQ(capsule.sizeHint(), expected);
        EXPECT_EQ(capsule.minimumSizeHint(), expected);
        EXPECT_EQ(Capsule::sizeFor(c.style, c.text), expected);
        EXPECT_EQ(capsule.sizePolicy().horizontalPolicy(), QSizePolicy::Fixed);
        EXPECT_EQ(capsule.textColor(), c.style.tint.value_or(Paint::ink(&capsule, c.style.ink)));
        EXPECT_NEAR(capsule.fillColor().alphaF(), c.style.fillOpacity * (c.style.tint ? c.style.tint->alphaF() : 1),
                    0.002);

        // At its minimum the whole text fits inside the capsule, nothing shortened or cut.
        capsule.resize(capsule.minimumSizeHint());
        EXPECT_LE(QFontMetricsF(capsule.font()).horizontalAdvance(c.text), capsule.width());
        EXPECT_LE(QFontMetrics(capsule.font()).height(), capsule.height());
    }
}
