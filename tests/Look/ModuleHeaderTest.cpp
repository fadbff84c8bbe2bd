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

// In the narrowest window, a long title beside two buttons flows onto a second line instead of being cut.
TEST(ModuleHeader, wrapsALongTitleRatherThanCuttingIt)
{
    auto* trailing = new QPushButton(u"Tout cocher — Tout décocher"_s);
    // Inside a screen, not as a window of its own, which would widen itself to its content.
    QWidget screen;
    screen.resize(560, 300);
    auto* header = new ModuleHeader(ModuleID::largeOldFiles, trailing, &screen);
    header->setGeometry(0, 0, 560, header->heightForWidth(560) > 0 ? header->heightForWidth(560) : 120);
    screen.show();

    const auto* title = header->findChild<QLabel*>(u"moduleTitle"_s);
    ASSERT_NE(title, nullptr);
    ASSERT_LT(title->width(), title->fontMetrics().horizontalAdvance(title->text()));
    const QRect needed =
        title->fontMetrics().boundingRect(QRect(0, 0, title->width(), 10000), Qt::TextWordWrap, title->text());
    EXPECT_LE(needed.height(), title->height());
}
