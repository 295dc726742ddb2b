// The model byte image: exact sizes, the three versions, a full round trip,
// and damaged images refused without touching the model.
#include "visual/modelimage.h"

#include "foundation/serialbuffer.h"

#include <gtest/gtest.h>

#include <QtEndian>

#include <limits>

namespace {

QByteArray Le32(qint32 value)
{
    QByteArray bytes(4, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

QByteArray LeFloat(float value)
{
    QByteArray bytes(4, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

QByteArray Image(const ModelContent& model)
{
    SerialBuffer buffer;
    EXPECT_TRUE(WriteModelImage(model, buffer));
    return buffer.Data();
}

ModelObject LabelledObject(const QString& label)
{
    ModelObject object;
    object.Label = label;
    return object;
}

// A model that sets every stored field away from its default.
ModelContent RichModel()
{
    ModelContent model;
    model.LastObjectId = 7;
    model.LastGroupId = 3;
    model.LastLayerId = 2;
    model.CurrentLayer = 2;
    model.Scale = 2.5f;
    model.OriginX = -12.25f;
    model.OriginY = 40.5f;
    ModelObject o;
    o.Id = 7;
    o.Shape = ModelShape::RoundedRectangle;
    o.Label = QStringLiteral("Grüße €");
    o.RefTopic = 8;
    o.RefId = 31;
    o.Rect = {1.5f, -2.5f, 60, 45};
    o.FontSize = 13.5f;
    o.BorderColor = 0xFF112233;
    o.FillColor = 0x80445566;
    o.TextColor = 0xFF778899;
    o.LabelFillColor = 0xFFAABBCC;
    o.LabelFrameColor = 0xFFDDEEFF;
    o.SymbolShadow = o.LabelBox = o.LabelShadow = true;
    o.FontName = QStringLiteral("DejaVu Sans");
    o.GroupId = 3;
    o.LayerId = 2;
    o.PictureFile = QStringLiteral("pic.png");
    o.ShowSymbol = false;
    o.Framed = true;
    o.WrapFactor = 4;
    o.BorderWidth = 7;
    o.IsBackground = true;
    o.LinkedFile = QStringLiteral("https://example.org/a");
    o.PictureQuality = 3;
    o.GeoLinkFile = QStringLiteral("route.kml");
    model.Objects.push_back(o);
    ModelLink l;
    l.Arrows = LinkArrows::AtSource;
    l.Label = QStringLiteral("causes");
    l.SourceId = 7;
    l.TargetId = 9;
    l.FontSize = 20;
    l.LineColor = 0xFF010203;
    l.TextColor = 0xFF040506;
    l.LabelFillColor = 0xFF070809;
    l.LabelFrameColor = 0xFF0A0B0C;
    l.LabelFramed = true;
    l.LabelShadow = false;
    l.FontName = QStringLiteral("Mono");
    l.DashStyle = LinkDash::Dotted;
    l.Width = 4;
    model.Links.push_back(l);
    model.Layers.push_back({2, QStringLiteral("Hidden ones"), false});
    return model;
}

void ExpectSameStoredFields(const ModelContent& a, const ModelContent& b)
{
    EXPECT_EQ(Image(a), Image(b));
    ASSERT_EQ(a.Layers.size(), b.Layers.size());
    for (size_t i = 0; i < a.Layers.size(); ++i) {
        EXPECT_EQ(a.Layers[i].Id, b.Layers[i].Id);
        EXPECT_EQ(a.Layers[i].Name, b.Layers[i].Name);
        EXPECT_EQ(a.Layers[i].Visible, b.Layers[i].Visible);
    }
}

}  // namespace

TEST(ModelImage, SizesAreExactAndPaddedWithZeros)
{
    ModelContent empty;
    const QByteArray emptyImage = Image(empty);
    const QByteArray expected = Le32(9080529) + Le32(0) + Le32(0) + Le32(0) + Le32(0) + LeFloat(1.0f) + LeFloat(0)
                                + LeFloat(0) + Le32(0) + Le32(0) + Le32(1) + QByteArray(4, '\0');
    EXPECT_EQ(emptyImage, expected);
    EXPECT_EQ(emptyImage.left(4), QByteArray::fromHex("d18e8a00"));

    const struct {
        const char* what;
        std::vector<ModelObject> objects;
        qsizetype size;
    } cases[] = {
        {"empty", {}, 48},
        {"one default object labelled ab: 44 + 120", {LabelledObject(QStringLiteral("ab"))}, 176},
        {"two default objects: 44 + 2 x 116", {ModelObject(), ModelObject()}, 288},
    };
    for (const auto& c : cases) {
        ModelContent model;
        model.Objects = c.objects;
        EXPECT_EQ(Image(model).size(), c.size) << c.what;
    }
    // A layer beyond layer 0 adds its record; layer 0 is never written.
    ModelContent layered;
    layered.Layers.push_back({1, QStringLiteral("L"), true});
    const QByteArray image = Image(layered);
    EXPECT_EQ(image.mid(40, 4), Le32(2));
    EXPECT_EQ(image.mid(44, 4), Le32(1));
    EXPECT_EQ(image.size(), 64);   // 44 + 4 + 6 + 1 = 55 rounded up
}

TEST(ModelImage, EveryStoredFieldSurvivesARoundTrip)
{
    const ModelContent model = RichModel();
    SerialBuffer buffer;
    ASSERT_TRUE(WriteModelImage(model, buffer));
    EXPECT_TRUE(buffer.IsUtf16());
    ModelContent read;
    ASSERT_TRUE(ReadModelImage(buffer, read));
    ExpectSameStoredFields(model, read);
    const ModelObject& o = read.Objects.at(0);
    EXPECT_EQ(o.Label, QStringLiteral("Grüße €"));
    EXPECT_EQ(o.GeoLinkFile, QStringLiteral("route.kml"));
    EXPECT_TRUE(o.IsBackground);
    EXPECT_FALSE(o.Selected);
    EXPECT_TRUE(o.NeedsLayout);
    EXPECT_EQ(read.Layers.at(0).Id, 0);
    EXPECT_TRUE(read.Layers.at(0).Visible);
}

TEST(ModelImage, TheFirstValueDecidesTheVersion)
{
    // One object; the fields after Framed are there only from the version
    // that carries them.
    const auto image = [](qint32 first, bool extended, bool geo) {
        QByteArray b = Le32(first);
        if (first < 9000000)
            b.clear();
        b += Le32(first < 9000000 ? first : 5) + Le32(0) + Le32(0) + Le32(0) + LeFloat(1) + LeFloat(0) + LeFloat(0);
        b += Le32(1);
        b += LeFloat(0) + LeFloat(0) + LeFloat(30) + LeFloat(30) + Le32(0) + Le32(0) + Le32(0) + Le32(0) + LeFloat(10)
             + Le32(5);
        for (int i = 0; i < 5; ++i)
            b += Le32(-1);
        b += QByteArray(3, '\0') + Le32(0) + Le32(0) + Le32(0) + Le32(0) + QByteArray("\1\0", 2);
        if (extended)
            b += LeFloat(2) + LeFloat(6) + QByteArray(1, '\0') + Le32(1) + QByteArray("x\0", 2) + Le32(2);
        if (geo)
            b += Le32(1) + QByteArray("g\0", 2);
        b += Le32(0) + Le32(1);
        return b;
    };
    const struct {
        qint32 first;
        bool extended;
        bool geo;
        qint32 lastObjectId;
        float wrap;
        QString linked;
        QString geoFile;
    } cases[] = {
        {8999999, false, false, 8999999, 10.0f, {}, {}},
        {0, false, false, 0, 10.0f, {}, {}},
        {-4, false, false, -4, 10.0f, {}, {}},
        {9000000, true, false, 5, 2.0f, QStringLiteral("x"), {}},
        {9080528, true, false, 5, 2.0f, QStringLiteral("x"), {}},
        {9080529, true, true, 5, 2.0f, QStringLiteral("x"), QStringLiteral("g")},
        {9900000, true, true, 5, 2.0f, QStringLiteral("x"), QStringLiteral("g")},
    };
    for (const auto& c : cases) {
        SerialBuffer buffer(image(c.first, c.extended, c.geo));
        ModelContent model;
        ASSERT_TRUE(ReadModelImage(buffer, model)) << c.first;
        EXPECT_EQ(model.LastObjectId, c.lastObjectId) << c.first;
        ASSERT_EQ(model.Objects.size(), 1u) << c.first;
        const ModelObject& o = model.Objects[0];
        EXPECT_EQ(o.Id, 5) << c.first;
        EXPECT_EQ(o.WrapFactor, c.wrap) << c.first;
        EXPECT_EQ(o.BorderWidth, c.extended ? 6.0f : 3.0f) << c.first;
        EXPECT_EQ(o.PictureQuality, c.extended ? 2 : 1) << c.first;
        EXPECT_EQ(o.LinkedFile, c.linked) << c.first;
        EXPECT_EQ(o.GeoLinkFile, c.geoFile) << c.first;
        EXPECT_EQ(o.BorderColor, 0xFFFFFFFFu) << c.first;
    }
}

TEST(ModelImage, OneByteStringsReadAsWindows1252)
{
    QByteArray b = Le32(9080529) + QByteArray(16, '\0') + LeFloat(1) + LeFloat(0) + LeFloat(0) + Le32(0) + Le32(0)
                   + Le32(2) + Le32(3) + Le32(4) + QByteArray("\x80\xE4h!\x01");
    SerialBuffer buffer(b);
    buffer.SetUtf16(false);
    ModelContent model;
    ASSERT_TRUE(ReadModelImage(buffer, model));
    ASSERT_EQ(model.Layers.size(), 2u);
    EXPECT_EQ(model.Layers[1].Id, 3);
    EXPECT_EQ(model.Layers[1].Name, QStringLiteral("€äh!"));
}

TEST(ModelImage, AnEmptyBufferIsAnEmptyModel)
{
    ModelContent model = RichModel();
    SerialBuffer empty;
    ASSERT_TRUE(ReadModelImage(empty, model));
    EXPECT_TRUE(model.Objects.empty());
    EXPECT_TRUE(model.Links.empty());
    ASSERT_EQ(model.Layers.size(), 1u);
    EXPECT_EQ(model.Scale, 1.0f);
    EXPECT_EQ(model.OriginX, 0.0f);
}

TEST(ModelImage, ScaleIsBroughtIntoItsLimits)
{
    const struct {
        float stored;
        float read;
    } cases[] = {{0.0f, 0.4f}, {-3.0f, 0.4f}, {0.39f, 0.4f}, {0.4f, 0.4f}, {2.0f, 2.0f}, {10.0f, 10.0f}, {1e30f, 10.0f}};
    for (const auto& c : cases) {
        ModelContent model;
        model.Scale = c.stored;
        SerialBuffer buffer(Image(model));
        ModelContent read;
        ASSERT_TRUE(ReadModelImage(buffer, read)) << c.stored;
        EXPECT_EQ(read.Scale, c.read) << c.stored;
    }
}

TEST(ModelImage, DamagedImagesAreRefusedAndTheModelStays)
{
    const QByteArray good = Image(RichModel());
    const auto patched = [&good](int at, const QByteArray& bytes) {
        QByteArray b = good;
        b.replace(at, bytes.size(), bytes);
        return b;
    };
    // Offsets in the rich model's image: header 32, object count at 32,
    // first object's rect from 36, its label count at 56.
    const struct {
        const char* what;
        QByteArray image;
    } cases[] = {
        {"object count larger than the bytes", patched(32, Le32(1000000))},
        {"negative object count", patched(32, Le32(-1))},
        {"label count larger than the bytes", patched(56, Le32(0x7FFFFFFF))},
        {"negative label length", patched(56, Le32(-2))},
        {"NaN scale", patched(20, LeFloat(std::numeric_limits<float>::quiet_NaN()))},
        {"infinite origin", patched(24, LeFloat(std::numeric_limits<float>::infinity()))},
        {"infinite symbol width", patched(44, LeFloat(-std::numeric_limits<float>::infinity()))},
        {"bytes other than padding after the layers", good + QByteArray("\0\0\1", 3)},
        {"mark only", Le32(9080529)},
    };
    for (const auto& c : cases) {
        SerialBuffer buffer(c.image);
        ModelContent model;
        model.LastObjectId = 77;
        EXPECT_FALSE(ReadModelImage(buffer, model)) << c.what;
        EXPECT_EQ(model.LastObjectId, 77) << c.what;
        EXPECT_TRUE(model.Objects.empty()) << c.what;
    }
    // A cut inside the records is refused; a cut inside the padding still
    // holds the whole model.
    for (qsizetype cut = 1; cut < good.size(); ++cut) {
        SerialBuffer buffer(good.left(cut));
        ModelContent model;
        const bool read = ReadModelImage(buffer, model);
        if (cut <= good.size() - 16) {
            EXPECT_FALSE(read) << cut;
        }
        if (read) {
            EXPECT_EQ(Image(model), good) << cut;
        }
    }
}
