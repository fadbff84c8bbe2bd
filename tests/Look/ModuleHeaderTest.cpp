#include "Look/ModuleHeader.h"

#include "Look/IconTile.h"
#include "Look/TextLabel.h"
#include "Look/Theme.h"
#include "WaitFor.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <optional>
#include <string>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(ModuleHeader, showsTheModuleAndKeepsRoomBeforeTheTrailingWidget)
{
    auto* trailing = new QPushButton(u"Tout cocher"_s);
    ModuleHeader header(ModuleID::xcodeJunk, trailing);
    header.resize(520, header.heightForWidth(520) > 0 ? header.heightForWidth(520) : 120);
    header.show();

    const auto* tile = header.findChild<IconTile*>();
    ASSERT_NE(tile, nullptr);
    EXPECT_EQ(tile->symbol(), symbol(ModuleID::xcodeJunk));
    EXPECT_EQ(tile->tint(), Theme::sky());
    EXPECT_EQ(tile->size(), QSize(46, 46));
    EXPECT_TRUE(tile->isElevated());

    const auto* title = header.findChild<QLabel*>(u"moduleTitle"_s);
    const auto* subtitleLabel = header.findChild<QLabel*>(u"moduleSubtitle"_s);
    ASSERT_TRUE(title && subtitleLabel);
    EXPECT_EQ(title->text(), u"Xcode et simulateurs"_s);
    EXPECT_EQ(title->font().pixelSize(), 26);
    // The long subtitle stays on one line beside the button, shortened with "…", its whole text kept.
    EXPECT_FALSE(subtitleLabel->wordWrap());
    EXPECT_EQ(subtitleLabel->text(), subtitle(ModuleID::xcodeJunk));
    EXPECT_LT(subtitleLabel->height(), subtitleLabel->fontMetrics().height() * 3 / 2);
    ASSERT_TRUE(qobject_cast<const TextLabel*>(subtitleLabel));
    EXPECT_TRUE(qobject_cast<const TextLabel*>(subtitleLabel)->shownText().endsWith(u'…'));
    EXPECT_GE(trailing->geometry().left() - std::max(title->geometry().right(), subtitleLabel->geometry().right()) - 1,
              ModuleHeader::minimumGap);
    EXPECT_EQ(tile->geometry().left(), 0);
    EXPECT_EQ(title->geometry().left() - tile->geometry().right() - 1, 14);
}

// However narrow the screen and whatever stands at its end, the header keeps one height and its title one place:
// a title or subtitle that does not fit is shortened with "…" on its one line, never wrapped or cut mid-glyph.
TEST(ModuleHeader, keepsOneHeightAndShortensWhatDoesNotFit)
{
    const struct {
        ModuleID module;
        const char16_t* trailing; // none when null
        int width;
    } cases[] = {
        {ModuleID::maintenance, nullptr, 900},
        {ModuleID::largeOldFiles, u"Tout cocher — Tout décocher", 560},
        {ModuleID::leftovers, u"Tout cocher — Tout décocher", 480},
        {ModuleID::xcodeJunk, u"Actualiser", 320},
    };
    std::optional<int> height;
    std::optional<int> titleTop;
    for (const auto& c : cases) {
        SCOPED_TRACE(title(c.module).toStdString() + " at " + std::to_string(c.width));
        // Inside a screen, not as a window of its own, which would widen itself to its content.
        QWidget screen;
        screen.resize(c.width, 300);
        auto* header =
            new ModuleHeader(c.module, c.trailing ? new QPushButton(QString::fromUtf16(c.trailing)) : nullptr, &screen);
        header->setGeometry(0, 0, c.width, header->sizeHint().height());
        screen.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&screen, TestSupport::waitBound));

        EXPECT_EQ(header->height(), height.value_or(header->height()));
        height = header->height();
        for (const char16_t* name : {u"moduleTitle", u"moduleSubtitle"}) {
            const auto* label = header->findChild<TextLabel*>(QString::fromUtf16(name));
            ASSERT_NE(label, nullptr);
            EXPECT_FALSE(label->wordWrap());
            EXPECT_LE(label->geometry().bottom(), header->height() - 1);
            const QString shown = label->shownText();
            EXPECT_LE(label->fontMetrics().horizontalAdvance(shown), label->width());
            if (label->fontMetrics().horizontalAdvance(label->text()) > label->width()) {
                EXPECT_TRUE(shown.endsWith(u'…')) << shown.toStdString();
                EXPECT_TRUE(label->text().startsWith(shown.chopped(1)));
            } else {
                EXPECT_EQ(shown, label->text());
            }
        }
        const auto* titleLabel = header->findChild<TextLabel*>(u"moduleTitle"_s);
        EXPECT_EQ(titleLabel->geometry().top(), titleTop.value_or(titleLabel->geometry().top()));
        titleTop = titleLabel->geometry().top();
        if (header->trailing()) {
            EXPECT_GE(header->trailing()->geometry().left() - titleLabel->geometry().right() - 1,
                      ModuleHeader::minimumGap);
        }
    }
}
