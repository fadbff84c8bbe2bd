#include "Look/ModuleHeader.h"

#include "Look/IconTile.h"
#include "Look/Theme.h"

#include <QLabel>
#include <QPushButton>

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
    // The long subtitle wraps under the title instead of being cut.
    EXPECT_TRUE(subtitleLabel->wordWrap());
    EXPECT_EQ(subtitleLabel->text(), subtitle(ModuleID::xcodeJunk));
    EXPECT_GT(subtitleLabel->height(), subtitleLabel->fontMetrics().height() * 3 / 2);
    EXPECT_GE(trailing->geometry().left() - std::max(title->geometry().right(), subtitleLabel->geometry().right()) - 1,
              ModuleHeader::minimumGap);
    EXPECT_EQ(tile->geometry().left(), 0);
    EXPECT_EQ(title->geometry().left() - tile->geometry().right() - 1, 14);
}
