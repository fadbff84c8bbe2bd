#include "Platform/MotionSetting.h"

#include <QByteArray>
#include <QtGlobal>

#include <gtest/gtest.h>

TEST(MotionSetting, environmentStandsInForTheSystemSetting)
{
    const struct {
        const char* value;
        bool reduce;
    } cases[] = {{"1", true},  {"true", true}, {"YES", true}, {" 1 ", true},
                 {"0", false}, {"", false},    {"no", false}, {"reduce", false}};
    for (const auto& c : cases) {
        qputenv("QUORVANE_REDUCE_MOTION", QByteArray(c.value));
        EXPECT_EQ(Platform::reduceMotion(), c.reduce) << c.value;
    }
    qunsetenv("QUORVANE_REDUCE_MOTION");
    EXPECT_FALSE(Platform::reduceMotion());
}
