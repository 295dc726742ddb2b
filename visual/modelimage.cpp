#include "visual/modelimage.h"

#include "foundation/serialbuffer.h"
#include "foundation/stringstore.h"

#include <algorithm>
#include <cmath>

namespace {

using SB = SerialBuffer;

// Fewest bytes an object, link or layer record can take (every string
// empty): a count larger than the bytes left divided by these is damage.
constexpr qint64 kMinObjectRecord = 4 * 4 + 4 + 4 + 4 + 4 + 4 + 4 + 5 * 4 + 3 + 4 + 4 + 4 + 4 + 2;
constexpr qint64 kMinLinkRecord = 4 + 4 + 4 + 4 + 4 + 4 * 4 + 2 + 4 + 4 + 4;
constexpr qint64 kMinLayerRecord = 4 + 4 + 1;

qint64 SizeOfObject(const ModelObject& o)
{
    return 4 * SB::SizeOfFloat() + SB::SizeOfInt() + SB::SizeOfString(o.Label) + 2 * SB::SizeOfInt()
           + SB::SizeOfFloat() + SB::SizeOfInt() + 5 * SB::SizeOfInt() + 3 * SB::SizeOfByte()
           + SB::SizeOfString(o.FontName) + 2 * SB::SizeOfInt() + SB::SizeOfString(o.PictureFile)
           + 2 * SB::SizeOfByte() + 2 * SB::SizeOfFloat() + SB::SizeOfByte() + SB::SizeOfString(o.LinkedFile)
           + SB::SizeOfInt() + SB::SizeOfString(o.GeoLinkFile);
}

qint64 SizeOfLink(const ModelLink& l)
{
    return SB::SizeOfInt() + SB::SizeOfString(l.Label) + 2 * SB::SizeOfInt() + SB::SizeOfFloat()
           + 4 * SB::SizeOfInt() + 2 * SB::SizeOfByte() + SB::SizeOfString(l.FontName) + 2 * SB::SizeOfInt();
}

bool WriteObject(SB& b, const ModelObject& o)
{
    return b.WriteFloat(o.Rect.x) && b.WriteFloat(o.Rect.y) && b.WriteFloat(o.Rect.width)
           && b.WriteFloat(o.Rect.height) && b.WriteInt(o.Shape) && b.WriteString(o.Label) && b.WriteInt(o.RefTopic)
           && b.WriteInt(o.RefId) && b.WriteFloat(o.FontSize) && b.WriteInt(o.Id) && b.WriteInt(qint32(o.BorderColor))
           && b.WriteInt(qint32(o.FillColor)) && b.WriteInt(qint32(o.TextColor))
           && b.WriteInt(qint32(o.LabelFillColor)) && b.WriteInt(qint32(o.LabelFrameColor))
           && b.WriteByte(o.SymbolShadow) && b.WriteByte(o.LabelBox) && b.WriteByte(o.LabelShadow)
           && b.WriteString(o.FontName) && b.WriteInt(o.GroupId) && b.WriteInt(o.LayerId)
           && b.WriteString(o.PictureFile) && b.WriteByte(o.ShowSymbol) && b.WriteByte(o.Framed)
           && b.WriteFloat(o.WrapFactor) && b.WriteFloat(o.BorderWidth) && b.WriteByte(o.IsBackground)
           && b.WriteString(o.LinkedFile) && b.WriteInt(o.PictureQuality) && b.WriteString(o.GeoLinkFile);
}

bool WriteLink(SB& b, const ModelLink& l)
{
    return b.WriteInt(l.Arrows) && b.WriteString(l.Label) && b.WriteInt(l.SourceId) && b.WriteInt(l.TargetId)
           && b.WriteFloat(l.FontSize) && b.WriteInt(qint32(l.LineColor)) && b.WriteInt(qint32(l.TextColor))
           && b.WriteInt(qint32(l.LabelFillColor)) && b.WriteInt(qint32(l.LabelFrameColor))
           && b.WriteByte(l.LabelFramed) && b.WriteByte(l.LabelShadow) && b.WriteString(l.FontName)
           && b.WriteInt(l.DashStyle) && b.WriteInt(l.Width);
}

// Reads the fields of an image one after the other; the first failure
// sticks, so a record reads as a chain of calls and is judged once.
class FieldReader {
public:
    explicit FieldReader(SB& buffer) : m_b(buffer) {}
    bool Ok() const { return m_ok; }
    void Fail() { m_ok = false; }

    void Int(qint32& v) { m_ok = m_ok && m_b.ReadInt(v); }
    void Colour(quint32& v)
    {
        qint32 raw = 0;
        Int(raw);
        if (m_ok)
            v = quint32(raw);
    }
    void Flag(bool& v)
    {
        quint8 raw = 0;
        m_ok = m_ok && m_b.ReadByte(raw);
        if (m_ok)
            v = raw != 0;
    }
    void Float(float& v)
    {
        m_ok = m_ok && m_b.ReadFloat(v) && std::isfinite(v);
    }
    void Text(QString& v) { m_ok = m_ok && m_b.ReadString(v); }
    /// A count of records, each at least minRecord bytes.
    void Count(qint32& v, qint64 minRecord)
    {
        Int(v);
        m_ok = m_ok && v >= 0 && qint64(v) * minRecord <= m_b.Remaining();
    }

private:
    SB& m_b;
    bool m_ok = true;
};

void ReadObject(FieldReader& r, ModelObject& o, qint32 version)
{
    r.Float(o.Rect.x);
    r.Float(o.Rect.y);
    r.Float(o.Rect.width);
    r.Float(o.Rect.height);
    r.Int(o.Shape);
    r.Text(o.Label);
    r.Int(o.RefTopic);
    r.Int(o.RefId);
    r.Float(o.FontSize);
    r.Int(o.Id);
    r.Colour(o.BorderColor);
    r.Colour(o.FillColor);
    r.Colour(o.TextColor);
    r.Colour(o.LabelFillColor);
    r.Colour(o.LabelFrameColor);
    r.Flag(o.SymbolShadow);
    r.Flag(o.LabelBox);
    r.Flag(o.LabelShadow);
    r.Text(o.FontName);
    r.Int(o.GroupId);
    r.Int(o.LayerId);
    r.Text(o.PictureFile);
    r.Flag(o.ShowSymbol);
    r.Flag(o.Framed);
    if (version == 0)
        return;
    r.Float(o.WrapFactor);
    r.Float(o.BorderWidth);
    r.Flag(o.IsBackground);
    r.Text(o.LinkedFile);
    r.Int(o.PictureQuality);
    if (version >= kModelImageMark)
        r.Text(o.GeoLinkFile);
}

void ReadLink(FieldReader& r, ModelLink& l)
{
    r.Int(l.Arrows);
    r.Text(l.Label);
    r.Int(l.SourceId);
    r.Int(l.TargetId);
    r.Float(l.FontSize);
    r.Colour(l.LineColor);
    r.Colour(l.TextColor);
    r.Colour(l.LabelFillColor);
    r.Colour(l.LabelFrameColor);
    r.Flag(l.LabelFramed);
    r.Flag(l.LabelShadow);
    r.Text(l.FontName);
    r.Int(l.DashStyle);
    r.Int(l.Width);
}

bool OnlyZerosLeft(const SB& buffer)
{
    const QByteArray& data = buffer.Data();
    return std::all_of(data.cbegin() + buffer.Position(), data.cend(), [](char c) { return c == 0; });
}

}  // namespace

ModelContent::ModelContent()
{
    Layers.push_back({0, g_pStringStore ? g_pStringStore->GetString(VisualText::BaseLayerName) : QString(), true});
}

bool WriteModelImage(const ModelContent& model, SerialBuffer& target)
{
    qint64 size = SB::SizeOfInt() + 4 * SB::SizeOfInt() + 3 * SB::SizeOfFloat() + 3 * SB::SizeOfInt();
    for (const ModelObject& o : model.Objects)
        size += SizeOfObject(o);
    for (const ModelLink& l : model.Links)
        size += SizeOfLink(l);
    for (size_t i = 1; i < model.Layers.size(); ++i)
        size += SB::SizeOfInt() + SB::SizeOfString(model.Layers[i].Name) + SB::SizeOfByte();

    SerialBuffer image;
    if (!image.Reserve(size))
        return false;
    bool ok = image.WriteInt(kModelImageMark) && image.WriteInt(model.LastObjectId)
              && image.WriteInt(model.LastGroupId) && image.WriteInt(model.LastLayerId)
              && image.WriteInt(model.CurrentLayer) && image.WriteFloat(model.Scale)
              && image.WriteFloat(model.OriginX) && image.WriteFloat(model.OriginY)
              && image.WriteInt(qint32(model.Objects.size()));
    for (size_t i = 0; ok && i < model.Objects.size(); ++i)
        ok = WriteObject(image, model.Objects[i]);
    ok = ok && image.WriteInt(qint32(model.Links.size()));
    for (size_t i = 0; ok && i < model.Links.size(); ++i)
        ok = WriteLink(image, model.Links[i]);
    ok = ok && image.WriteInt(qint32(std::max<size_t>(1, model.Layers.size())));
    for (size_t i = 1; ok && i < model.Layers.size(); ++i) {
        const ModelLayer& layer = model.Layers[i];
        ok = image.WriteInt(layer.Id) && image.WriteString(layer.Name) && image.WriteByte(layer.Visible);
    }
    if (!ok)
        return false;
    image.Rewind();
    target = std::move(image);
    return true;
}

bool ReadModelImage(SerialBuffer& source, ModelContent& model)
{
    ModelContent read;
    source.Rewind();
    if (source.Remaining() == 0) {
        model = std::move(read);
        return true;
    }
    FieldReader r(source);
    qint32 version = 0;
    r.Int(version);
    if (version < kModelImageExtendedFields) {
        version = 0;
        source.Rewind();
    }
    r.Int(read.LastObjectId);
    r.Int(read.LastGroupId);
    r.Int(read.LastLayerId);
    r.Int(read.CurrentLayer);
    r.Float(read.Scale);
    r.Float(read.OriginX);
    r.Float(read.OriginY);

    qint32 count = 0;
    r.Count(count, kMinObjectRecord);
    if (r.Ok())
        read.Objects.resize(size_t(count));
    for (qint32 i = 0; r.Ok() && i < count; ++i)
        ReadObject(r, read.Objects[size_t(i)], version);

    r.Count(count, kMinLinkRecord);
    if (r.Ok())
        read.Links.resize(size_t(count));
    for (qint32 i = 0; r.Ok() && i < count; ++i)
        ReadLink(r, read.Links[size_t(i)]);

    // Layer 0 is counted but never written.
    r.Int(count);
    if (r.Ok() && (count < 1 || qint64(count - 1) * kMinLayerRecord > source.Remaining()))
        r.Fail();
    for (qint32 i = 1; r.Ok() && i < count; ++i) {
        ModelLayer layer;
        r.Int(layer.Id);
        r.Text(layer.Name);
        r.Flag(layer.Visible);
        read.Layers.push_back(std::move(layer));
    }
    if (!r.Ok() || !OnlyZerosLeft(source))
        return false;
    // A scale of 0 would divide by zero; keep it within the zoom limits.
    read.Scale = std::clamp(read.Scale, kMinScale, kMaxScale);
    model = std::move(read);
    return true;
}
