#include "document/colorhsl.h"

#include <algorithm>
#include <array>

namespace {

constexpr std::array<COLORREF, kPaletteSize> kPalette = {
    0x008000, 0x00C4C4, 0x800000, 0x0000A4, 0xA400A4, 0x808080, 0x00FF00, 0x00FFFF, 0xFF0000, 0x0000FF, 0xFF00FF,
};

template <typename T>
int Order(T a, T b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

}  // namespace

COLORREF ColorOfType(qint32 type)
{
    return type >= 0 && type < kPaletteSize ? kPalette[size_t(type)] : COLORREF(type);
}

qint32 StoredColorType(qint32 color)
{
    return COLORREF(color) == kPaletteGreen ? 0 : color;
}

void ColorHsl::Convert() const
{
    if (m_converted)
        return;
    m_converted = true;
    const int red = RedOf(m_color);
    const int green = GreenOf(m_color);
    const int blue = BlueOf(m_color);
    const int max = std::max({red, green, blue});
    const int min = std::min({red, green, blue});
    const int sum = max + min;
    m_lightness = float(sum) / 510.0f;
    if (max == min) {
        m_saturation = 0;
        m_hue = 0;
        return;
    }
    const float d = float(max - min);
    m_saturation = m_lightness <= 0.5f ? d / float(sum) : d / float(510 - sum);
    // Later matches replace earlier ones: blue wins a tie over green, green over red.
    float hue = 0;
    if (red == max)
        hue = (6.0f + float(green - blue) / d) * 60.0f;
    if (green == max)
        hue = (2.0f + float(blue - red) / d) * 60.0f;
    if (blue == max)
        hue = (4.0f + float(red - green) / d) * 60.0f;
    if (hue > 360.0f)
        hue -= 360.0f;
    m_hue = hue;
}

float ColorHsl::GetHue() const
{
    Convert();
    return m_hue;
}

float ColorHsl::GetSaturation() const
{
    Convert();
    return m_saturation;
}

float ColorHsl::GetLightness() const
{
    Convert();
    return m_lightness;
}

int CompareColors(const ColorHsl& first, const ColorHsl& second)
{
    if (const int hue = Order(first.GetHue(), second.GetHue()))
        return hue;
    if (const int saturation = Order(first.GetSaturation(), second.GetSaturation()))
        return saturation;
    if (const int lightness = Order(first.GetLightness(), second.GetLightness()))
        return lightness;
    return Order(first.GetColor(), second.GetColor());
}
