#pragma once

// The colour model of documents, codes and codings: the palette behind the
// Type field and the hue, saturation and lightness order in which colours
// are listed.

#include "foundation/colorhelpers.h"

#include <QtGlobal>

/// Palette indexes a Type field may hold; any other value is a COLORREF.
inline constexpr qint32 kPaletteSize = 11;
/// The palette's first colour (green); passed to a colour operation it is
/// stored as index 0.
inline constexpr COLORREF kPaletteGreen = 0x008000;

/// The COLORREF of a stored Type value: a palette index 0 to 10 mapped
/// through the palette, any other value taken as a colour itself.
COLORREF ColorOfType(qint32 type);
/// The value a colour operation stores for a colour given by the user:
/// kPaletteGreen becomes index 0, anything else stays.
qint32 StoredColorType(qint32 color);

/// @short A COLORREF with its hue (degrees), saturation and lightness (0 to
/// 1), converted once on first use, in single precision.
///
/// A hue that comes out at exactly 360 stays 360: a colour whose red is the
/// maximum and whose green and blue are equal (pure red among them) sorts
/// after every other hue. On a tie of the maximum channels blue wins over
/// green and green over red.
class ColorHsl {
public:
    explicit ColorHsl(COLORREF color = 0) : m_color(color & 0xFFFFFF) {}

    COLORREF GetColor() const { return m_color; }
    float GetHue() const;
    float GetSaturation() const;
    float GetLightness() const;

private:
    void Convert() const;

    COLORREF m_color;
    mutable bool m_converted = false;
    mutable float m_hue = 0;
    mutable float m_saturation = 0;
    mutable float m_lightness = 0;
};

/// Hue, then saturation, then lightness, each ascending; colours equal in
/// all three are ordered by their COLORREF, so the order is total.
/// Negative, 0 or positive.
int CompareColors(const ColorHsl& first, const ColorHsl& second);
