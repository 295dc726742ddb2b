#pragma once

// Colour arithmetic on stored colours. A COLORREF is 0x00BBGGRR: red in the
// low byte, then green, then blue; the top byte is 0 in every result and
// ignored in every argument. (QRgb is 0xAARRGGBB: convert only when
// painting.) Each function treats the three channels alike unless it says
// otherwise; every channel result is 0..255.

#include <QtGlobal>

using COLORREF = quint32;

/// White; in segment records and colour requests it also means "no colour".
constexpr COLORREF kNoColor = 0x00FFFFFF;

constexpr COLORREF MakeColor(int red, int green, int blue)
{
    return COLORREF(red & 0xFF) | COLORREF(green & 0xFF) << 8 | COLORREF(blue & 0xFF) << 16;
}
constexpr int RedOf(COLORREF c) { return int(c & 0xFF); }
constexpr int GreenOf(COLORREF c) { return int(c >> 8 & 0xFF); }
constexpr int BlueOf(COLORREF c) { return int(c >> 16 & 0xFF); }

/// Each channel moves 5/11 of its distance towards the nearer bound (0 or
/// 255), truncated: the highlighted fill of a box.
COLORREF DarkenColor(COLORREF color);
/// Each channel moves half its distance towards the nearer bound, rounded down.
COLORREF LightenColor(COLORREF color);
/// The highlighted variant of a stripe colour. A pure colour (channel sum
/// 255 or 510) first gets 75 in its zero channels.
COLORREF AdjustPureColor(COLORREF color);
/// A third of the way towards the strongest channel, then lightened twice:
/// the background of coded text.
COLORREF PastelColor(COLORREF color);
/// Channel = percent / 100 * (channel + offset), truncated and clamped to 0..255.
COLORREF ScaleColorPercent(double percent, COLORREF color, int redOffset, int greenOffset, int blueOffset);
/// Channel = channel * factor, truncated and clamped to 0..255, so a factor
/// above 1 never wraps a bright channel round to a dark one.
COLORREF ScaleColor(COLORREF color, double factor);
/// The channel mean, rounded down.
COLORREF MixColors(COLORREF first, COLORREF second);
/// The channel sum modulo 256, without carry into the next channel.
COLORREF AddColors(COLORREF first, COLORREF second);
/// White when any channel is below 128, else black: text on a coloured fill.
COLORREF ContrastTextColor(COLORREF color);
