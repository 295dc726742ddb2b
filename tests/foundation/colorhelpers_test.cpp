#include "foundation/colorhelpers.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

std::string Hex(COLORREF c)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%06X", unsigned(c));
    return text;
}

}  // namespace

TEST(Colors, ChannelOrderIsRedInTheLowByte)
{
    EXPECT_EQ(MakeColor(0x11, 0x22, 0x33), 0x00332211u);
    EXPECT_EQ(RedOf(0x00332211), 0x11);
    EXPECT_EQ(GreenOf(0x00332211), 0x22);
    EXPECT_EQ(BlueOf(0x00332211), 0x33);
}

TEST(Colors, SingleColourFunctions)
{
    const struct {
        const char* name;
        std::function<COLORREF(COLORREF)> f;
        COLORREF in, out;
    } cases[] = {
        {"darken white has no distance to move", DarkenColor, MakeColor(255, 255, 255), MakeColor(255, 255, 255)},
        {"darken gray: 127 * 5/11 truncated to 57", DarkenColor, MakeColor(128, 128, 128), MakeColor(71, 71, 71)},
        {"darken per channel", DarkenColor, MakeColor(20, 128, 250), MakeColor(11, 71, 248)},
        {"lighten black", LightenColor, MakeColor(0, 0, 0), MakeColor(0, 0, 0)},
        {"lighten per channel", LightenColor, MakeColor(100, 200, 255), MakeColor(150, 227, 255)},
        {"pure red: zero channels become 75, then 130", AdjustPureColor, MakeColor(255, 0, 0),
         MakeColor(255, 130, 130)},
        {"pure by sum 510", AdjustPureColor, MakeColor(255, 255, 0), MakeColor(255, 255, 130)},
        {"pure by sum 255 with a mixed channel", AdjustPureColor, MakeColor(100, 155, 0), MakeColor(175, 230, 130)},
        {"not pure: both branches", AdjustPureColor, MakeColor(10, 128, 200), MakeColor(17, 222, 240)},
        {"pastel of red", PastelColor, MakeColor(255, 0, 0), MakeColor(255, 190, 190)},
        {"pastel towards the strongest channel", PastelColor, MakeColor(0, 128, 64), MakeColor(94, 223, 190)},
        {"contrast: one channel below 128 gives white text", ContrastTextColor, MakeColor(200, 200, 127),
         MakeColor(255, 255, 255)},
        {"contrast: light gives black text", ContrastTextColor, MakeColor(128, 128, 128), 0},
        {"the top byte of an argument is ignored", LightenColor, 0xFF000000 | MakeColor(100, 100, 100),
         MakeColor(150, 150, 150)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Hex(c.f(c.in)), Hex(c.out));
    }
}

TEST(Colors, TwoColourFunctions)
{
    const struct {
        const char* name;
        std::function<COLORREF(COLORREF, COLORREF)> f;
        COLORREF a, b, out;
    } cases[] = {
        {"mix red and blue", MixColors, MakeColor(255, 0, 0), MakeColor(0, 0, 255), MakeColor(127, 0, 127)},
        {"mix rounds down per channel", MixColors, MakeColor(10, 21, 255), MakeColor(11, 0, 254),
         MakeColor(10, 10, 254)},
        {"add wraps without carry", AddColors, MakeColor(200, 100, 0), MakeColor(100, 100, 1), MakeColor(44, 200, 1)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Hex(c.f(c.a, c.b)), Hex(c.out));
    }
}

TEST(Colors, ScalingClampsEveryChannel)
{
    EXPECT_EQ(Hex(ScaleColor(MakeColor(200, 100, 7), 0.5)), Hex(MakeColor(100, 50, 3)));
    // 300 would wrap round to 44: a brightened channel must not turn dark.
    EXPECT_EQ(Hex(ScaleColor(MakeColor(200, 100, 0), 1.5)), Hex(MakeColor(255, 150, 0)));
    EXPECT_EQ(Hex(ScaleColor(MakeColor(200, 100, 0), -1)), Hex(0));
    EXPECT_EQ(Hex(ScaleColorPercent(50, MakeColor(100, 200, 10), 0, 100, -20)), Hex(MakeColor(50, 150, 0)));
    EXPECT_EQ(Hex(ScaleColorPercent(200, MakeColor(100, 200, 0), 0, 0, 0)), Hex(MakeColor(200, 255, 0)));
    EXPECT_EQ(Hex(ScaleColorPercent(33.3, MakeColor(100, 0, 255), 0, 0, 0)), Hex(MakeColor(33, 0, 84)));
}
