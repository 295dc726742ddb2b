#include "visual/modelobject.h"

#include "foundation/externalfiles.h"
#include "store/storeids.h"

#include <QImageReader>

#include <algorithm>
#include <cmath>

namespace {

// Font steps of growing and shrinking, in pixels per step.
constexpr float kFontStep = 3.333f;
constexpr float kSideStep = 10.0f;

// Target sizes of pictures in pixels: preview, then qualities 1 to 3.
constexpr int kPreviewTarget = 60;
constexpr int kQualityTargets[] = {300, 600, 1200};

// Border colours by colour value 1..10 of documents, codes and codings.
constexpr quint32 kValuePalette[] = {0xFFC4C400, 0xFF000080, 0xFFA40000, 0xFFA400A4, 0xFF808080,
                                     0xFF00FF00, 0xFFFFFF00, 0xFF0000FF, 0xFFFF0000, 0xFFFF00FF};
// Fill colours of memos of types 6..10.
constexpr quint32 kMemoTypeFills[] = {0xFFFF0000, 0xFFFF00FF, 0xFF0000FF, 0xFF00FF00, 0xFFC4C400};

constexpr quint32 kFreeBorder = 0xFF008000;
constexpr quint32 kFreeFill = 0xFFFFFF00;

quint32 BorderByColourValue(qint32 value)
{
    if (value == 0)
        return kFreeBorder;
    if (value >= 1 && value <= 10)
        return kValuePalette[value - 1];
    // A colour reference 0x00BBGGRR.
    const quint32 ref = quint32(value);
    return 0xFF000000u | ((ref & 0xFF) << 16) | (ref & 0xFF00) | ((ref >> 16) & 0xFF);
}

void ResizeAroundCentre(ModelRect& rect, float side)
{
    const float cx = rect.CentreX();
    const float cy = rect.CentreY();
    rect.width = side;
    rect.height = side;
    rect.x = cx - side / 2;
    rect.y = cy - side / 2;
}

float SnapValue(float value, float grid)
{
    return grid * float(std::round(double(value) / double(grid)));
}

}  // namespace

void ModelObject::CopyFrom(const ModelObject& source)
{
    CopyStyle(source);
    Shape = source.Shape;
    Label = source.Label;
    RefTopic = source.RefTopic;
    RefId = source.RefId;
    PictureFile = source.PictureFile;
    ShowSymbol = source.ShowSymbol;
    LinkedFile = source.LinkedFile;
    GeoLinkFile = source.GeoLinkFile;
    Selected = false;
    IsBackground = false;
    NeedsLayout = true;
}

void ModelObject::CopyStyle(const ModelObject& source)
{
    BorderColor = source.BorderColor;
    FillColor = source.FillColor;
    TextColor = source.TextColor;
    LabelFillColor = source.LabelFillColor;
    LabelFrameColor = source.LabelFrameColor;
    SymbolShadow = source.SymbolShadow;
    LabelBox = source.LabelBox;
    LabelShadow = source.LabelShadow;
    FontName = source.FontName;
    Framed = source.Framed;
    Rect.width = source.Rect.width;
    Rect.height = source.Rect.height;
    FontSize = source.FontSize;
    WrapFactor = source.WrapFactor;
    BorderWidth = source.BorderWidth;
    PictureQuality = source.PictureQuality;
    NeedsLayout = true;
}

void ModelObject::ApplyTemplate(const ModelObject& source)
{
    const qint32 refTopic = RefTopic;
    const qint32 refId = RefId;
    const float width = Rect.width;
    const float height = Rect.height;
    const float borderWidth = BorderWidth;
    CopyFrom(source);
    Label.clear();
    RefTopic = refTopic;
    RefId = refId;
    Rect.width = width;
    Rect.height = height;
    BorderWidth = borderWidth;
}

void ModelObject::Grow(qint32 steps)
{
    BorderWidth += float(steps);
    ResizeAroundCentre(Rect, Rect.width + kSideStep * float(steps));
    FontSize += kFontStep * float(steps);
    NeedsLayout = true;
}

void ModelObject::Shrink(qint32 steps)
{
    if (Rect.width == kMinSymbolSide)
        return;
    float side = Rect.width - kSideStep * float(steps);
    float borderStep = float(steps);
    if (side < kMinSymbolSide) {
        borderStep = (Rect.width - kMinSymbolSide) * 0.1f;
        side = kMinSymbolSide;
    }
    BorderWidth = std::max(1.0f, BorderWidth - borderStep);
    ResizeAroundCentre(Rect, side);
    FontSize = std::max(10.0f, FontSize - kFontStep * float(steps));
    NeedsLayout = true;
}

void ModelObject::SnapToGrid(float grid, bool moveOnly)
{
    if (!(grid > 0))   // a zero or damaged grid has no points to snap to
        return;
    if (moveOnly) {
        Rect.x = SnapValue(Rect.x, grid);
        Rect.y = SnapValue(Rect.y, grid);
    } else {
        const float width = SnapValue(Rect.Right(), grid) - Rect.x;
        const float height = SnapValue(Rect.Bottom(), grid) - Rect.y;
        Rect.width = Rect.height = std::max(width, height);
    }
    NeedsLayout = true;
}

bool ModelObject::IsShapeChangeable() const
{
    return Shape == ModelShape::Ellipse || Shape == ModelShape::Rectangle || Shape == ModelShape::RoundedRectangle;
}

bool ModelObject::LoadPicture(bool preview)
{
    QString folder = GetExternalsFolder();
    const QString path = PictureFile.isEmpty() ? QString() : ResolveLinkTarget(PictureFile, folder, QString());
    Picture = QImage();
    if (path.isEmpty() || IsLinkAddress(path))
        return false;
    QImageReader reader(path);
    reader.setAutoTransform(true);
    if (!IsBackground && PictureQuality != 0) {
        const QSize size = reader.size();
        int target = kPreviewTarget;
        if (!preview)
            target = kQualityTargets[std::clamp(PictureQuality, 1, 3) - 1];
        if (size.width() > 0 && size.height() > 0) {
            const double factor = std::min({1.0, 30.0 / size.width(), 30.0 / size.height()}) * target / 30.0;
            if (factor < 1.0)
                reader.setScaledSize(QSize(std::max(1, qRound(factor * size.width())),
                                           std::max(1, qRound(factor * size.height()))));
        }
    }
    if (!reader.read(&Picture))
        Picture = QImage();
    if (Picture.isNull())
        return false;
    NeedsLayout = true;
    return true;
}

void ModelObject::ApplyKindStyle(qint32 refTopic, qint32 value)
{
    ShowSymbol = true;
    FillColor = 0xFFFFFFFF;
    switch (refTopic) {
    case 0:
        BorderColor = value == 4 ? 0xFF0000C4 : kFreeBorder;
        FillColor = value == 4 ? 0xFFC4C4FF : kFreeFill;
        Shape = value == 2 ? ModelShape::Rectangle
                : value == 3 ? ModelShape::RoundedRectangle
                             : ModelShape::Ellipse;
        ShowSymbol = value != 0;
        break;
    case TopicId::Documents:
        Shape = ModelShape::Document;
        BorderColor = BorderByColourValue(value);
        break;
    case TopicId::Codes:
        Shape = ModelShape::Code;
        BorderColor = BorderByColourValue(value);
        break;
    case TopicId::Codings:
        Shape = ModelShape::Coding;
        BorderColor = BorderByColourValue(value);
        break;
    case TopicId::Memos:
        Shape = value >= 1 && value <= 5 ? ModelShape::MemoExclamation + value - 1 : ModelShape::Memo;
        BorderColor = 0xFF808000;
        FillColor = value >= 6 && value <= 10 ? kMemoTypeFills[value - 6] : kFreeFill;
        break;
    case TopicId::DocumentGroups:
    case TopicId::DocumentSets:
        Shape = refTopic == TopicId::DocumentGroups ? ModelShape::DocumentGroup : ModelShape::DocumentSet;
        BorderColor = 0xFF008080;
        break;
    default:
        Shape = ModelShape::Ellipse;
        BorderColor = 0xFF000000;
        break;
    }
    NeedsLayout = true;
}
