#include "visual/modellink.h"

#include <algorithm>

namespace {
constexpr float kFontStep = 10.0f;
constexpr float kMinFont = 10.0f;
constexpr float kMaxFont = 100.0f;
}  // namespace

void ModelLink::CopyStyle(const ModelLink& source)
{
    LineColor = source.LineColor;
    TextColor = source.TextColor;
    LabelFillColor = source.LabelFillColor;
    LabelFrameColor = source.LabelFrameColor;
    LabelFramed = source.LabelFramed;
    LabelShadow = source.LabelShadow;
    FontName = source.FontName;
    DashStyle = source.DashStyle;
    Width = source.Width;
}

void ModelLink::LargerFont(qint32 steps)
{
    if (!Label.isEmpty())
        FontSize = std::clamp(FontSize + kFontStep * float(steps), kMinFont, kMaxFont);
}

void ModelLink::SmallerFont(qint32 steps)
{
    if (!Label.isEmpty())
        FontSize = std::clamp(FontSize - kFontStep * float(steps), kMinFont, kMaxFont);
}
