#include "Look/NoticeBanner.h"

#include "Look/StyledButton.h"
#include "Look/Theme.h"

#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(NoticeBanner, buttonOnlyWhenBothTitleAndActionArePresent)
{
    int calls = 0;
    const std::function<void()> action = [&calls] { ++calls; };
    const struct {
        std::optional<QString> title;
        std::function<void()> action;
        bool button;
    } cases[] = {{u"Ouvrir les réglages"_s, action, true},
                 {u"Ouvrir les réglages"_s, {}, false},
                 {std::nullopt, action, false},
                 {std::nullopt, {}, false}};
    for (const auto& c : cases) {
        EXPECT_EQ(NoticeBanner::showsButton(c.title, c.action), c.button);
        NoticeBanner banner(NoticeBanner::Kind::warning, u"Accès complet au disque requis"_s,
                            u"Sans cette autorisation, ce module ne verra qu'une partie de vos fichiers."_s, c.title,
                            c.action);
        auto* button = banner.findChild<StyledButton*>(u"noticeActionButton"_s);
        ASSERT_EQ(button != nullptr, c.button);
        if (button) {
            EXPECT_EQ(button->text(), *c.title);
            EXPECT_FALSE(button->isPrimary());
            banner.show();
            QTest::mouseClick(button, Qt::LeftButton);
        }
    }
    EXPECT_EQ(calls, 1);
}

TEST(NoticeBanner, kindChoosesSymbolAndColourAndTextsWrap)
{
    EXPECT_EQ(NoticeBanner::kindSymbol(NoticeBanner::Kind::info), u"info.circle.fill"_s);
    EXPECT_EQ(NoticeBanner::kindSymbol(NoticeBanner::Kind::warning), u"exclamationmark.triangle.fill"_s);
    EXPECT_EQ(NoticeBanner::kindColor(NoticeBanner::Kind::info), Theme::indigo());
    EXPECT_EQ(NoticeBanner::kindColor(NoticeBanner::Kind::warning), Theme::amber());

    const QString message = u"Les modules Mail, Confidentialité et une partie des caches resteront invisibles tant "
                            u"que l'autorisation n'est pas donnée dans Réglages Système › Confidentialité et "
                            u"sécurité."_s;
    NoticeBanner banner(NoticeBanner::Kind::info, u"Accès complet au disque non accordé"_s, message);
    banner.resize(420, banner.heightForWidth(420) > 0 ? banner.heightForWidth(420) : 200);
    banner.show();
    auto* shown = banner.findChild<QLabel*>(u"noticeMessage"_s);
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->text(), message);
    EXPECT_TRUE(shown->wordWrap());
    EXPECT_LE(shown->width(), 420);
}
