#include "Look/TriStateBox.h"

#include "Look/Theme.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

TEST(TriStateBox, eachStateHasItsLook)
{
    using Mark = TriStateBox::Mark;
    const struct {
        std::optional<bool> state;
        bool filled;
        bool tintedEdge;
        Mark mark;
    } cases[] = {
        {true, true, true, Mark::check}, {std::nullopt, true, true, Mark::bar}, {false, false, false, Mark::none}};
    for (const auto& c : cases) {
        const TriStateBox::Appearance look = TriStateBox::appearance(c.state);
        EXPECT_EQ(look.filled, c.filled);
        EXPECT_EQ(look.tintedEdge, c.tintedEdge);
        EXPECT_EQ(look.mark, c.mark);
    }
}

TEST(TriStateBox, clickAnywhereOnItReachesTheCallersButton)
{
    QPushButton button;
    button.resize(40, 40);
    auto* box = new TriStateBox(std::nullopt, Theme::indigo(), &button);
    box->move(12, 12);
    button.show();
    EXPECT_EQ(box->size(), QSize(16, 16));
    QSignalSpy clicks(&button, &QAbstractButton::clicked);
    for (const QPoint corner : {QPoint(13, 13), QPoint(27, 27), QPoint(20, 20)})
        QTest::mouseClick(button.window()->windowHandle(), Qt::LeftButton, {}, button.mapTo(button.window(), corner));
    EXPECT_EQ(clicks.count(), 3);
}
