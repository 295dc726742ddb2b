#include "foundation/colorhelpers.h"

#include <algorithm>
#include <cmath>

namespace {

// Applies f to each channel; f returns 0..255.
template <typename F>
COLORREF PerChannel(COLORREF color, F f)
{
    return MakeColor(f(RedOf(color)), f(GreenOf(color)), f(BlueOf(color)));
}

template <typename F>
COLORREF PerChannel(COLORREF a, COLORREF b, F f)
{
    return MakeColor(f(RedOf(a), RedOf(b)), f(GreenOf(a), GreenOf(b)), f(BlueOf(a), BlueOf(b)));
}

int DistanceToBound(int x)
{
    return std::min(x, 255 - x);
}

int Lighten(int x)
{
    return x + DistanceToBound(x) / 2;
}

int ClampToChannel(double v)
{
    if (!(v > 0))   // also NaN
        return 0;
    return v > 255 ? 255 : int(v);
}

}  // namespace

COLORREF DarkenColor(COLORREF color)
{
    return PerChannel(color, [](int x) { return x - int(DistanceToBound(x) * (5.0 / 11.0)); });
}

COLORREF LightenColor(COLORREF color)
{
    return PerChannel(color, Lighten);
}

COLORREF AdjustPureColor(COLORREF color)
{
    const int sum = RedOf(color) + GreenOf(color) + BlueOf(color);
    if (sum == 255 || sum == 510)
        color = PerChannel(color, [](int x) { return x == 0 ? 75 : x; });
    return PerChannel(color, [](int x) { return x <= 127 ? x + x / 4 + x / 2 : x + 63 - x / 4 + (255 - x) / 2; });
}

COLORREF PastelColor(COLORREF color)
{
    const int m = std::max({RedOf(color), GreenOf(color), BlueOf(color)});
    return PerChannel(color, [m](int x) { return Lighten(Lighten(x + (m - x) / 3)); });
}

COLORREF ScaleColorPercent(double percent, COLORREF color, int redOffset, int greenOffset, int blueOffset)
{
    const double f = percent * 0.01;
    return MakeColor(ClampToChannel(f * (RedOf(color) + redOffset)), ClampToChannel(f * (GreenOf(color) + greenOffset)),
                     ClampToChannel(f * (BlueOf(color) + blueOffset)));
}

COLORREF ScaleColor(COLORREF color, double factor)
{
    return PerChannel(color, [factor](int x) { return ClampToChannel(x * factor); });
}

COLORREF MixColors(COLORREF first, COLORREF second)
{
    return PerChannel(first, second, [](int a, int b) { return (a + b) / 2; });
}

COLORREF AddColors(COLORREF first, COLORREF second)
{
    return PerChannel(first, second, [](int a, int b) { return (a + b) & 0xFF; });
}

COLORREF ContrastTextColor(COLORREF color)
{
    const bool dark = RedOf(color) < 128 || GreenOf(color) < 128 || BlueOf(color) < 128;
    return dark ? MakeColor(255, 255, 255) : MakeColor(0, 0, 0);
}
