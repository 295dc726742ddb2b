// Drawing of models without a window: label wrapping and layout, the scene
// in the canvas's order (screenshots at scale 1 and 2, hidden layers, the
// grid) and the picture exports.
#include "visual/canvasrecorder.h"
#include "common/screenshots.h"

#include "visual/modeldrawing.h"

#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QSvgRenderer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using visualtest::LinkBetween;

namespace {

// Ten pixels a character at size 10, twelve a line: sizes that do not
// depend on the fonts.
class FixedMeasurer : public ModelTextMeasurer {
public:
    QSizeF Measure(const QString& text, const QString&, float size) const override
    {
        if (text.isEmpty())
            return {};
        const QStringList lines = text.split(QStringLiteral("\r\n"));
        qsizetype widest = 0;
        for (const QString& line : lines)
            widest = std::max(widest, line.size());
        return {double(widest) * size, 1.2 * size * double(lines.size())};
    }
};

class MeasuredTest : public ::testing::Test {
protected:
    MeasuredTest() { SetTextMeasurer(&m_measurer); }
    ~MeasuredTest() override { SetTextMeasurer(nullptr); }

private:
    FixedMeasurer m_measurer;
};

using Wrapping = MeasuredTest;
using Layout = MeasuredTest;

ModelObject Object(qint32 id, ModelRect rect)
{
    ModelObject o;
    o.Id = id;
    o.Rect = rect;
    return o;
}

QString ReferencePath(const char* name)
{
    return QStringLiteral(KORVAN_TEST_DATA_DIR "/visual/%1.png").arg(QLatin1String(name));
}

}  // namespace

TEST_F(Wrapping, LabelsBreakAtTheLastBlankThatMakesTheLineFit)
{
    const struct {
        const char* label;
        float maxWidth;
        const char* expected;
    } cases[] = {
        {"aa bb cc", 80, "aa bb cc"},              // narrower than the maximum
        {"aa bb cc", 60, "aa bb\r\ncc"},           // the first line takes what fits
        {"aa bb cc", 30, "aa\r\nbb\r\ncc"},
        {"abcdefgh ij", 30, "abcdefgh\r\nij"},     // a long word keeps its own line
        {"aa bb\r\ncc dd ee", 60, "aa bb\r\ncc dd\r\nee\r\n"},  // paragraphs wrap one by one
        {"", 10, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(WrapLabel(QString::fromLatin1(c.label), QStringLiteral("Verdana"), 10, c.maxWidth),
                  QString::fromLatin1(c.expected))
            << c.label << " at " << c.maxWidth;
    }
}

TEST_F(Layout, BoundsFollowSymbolLabelAndMargins)
{
    // A 30 x 30 symbol has a shadow of 3.33.
    ModelObject plain = Object(1, {0, 0, 30, 30});
    EXPECT_NEAR(ShadowSize(plain), 3.333, 0.001);

    // Without symbol and label: the symbol grown by 2.
    ModelObject hidden = Object(1, {10, 20, 30, 30});
    hidden.ShowSymbol = false;
    LayoutObject(hidden);
    EXPECT_EQ(hidden.Bounds, (ModelRect{8, 18, 34, 34}));
    EXPECT_FALSE(hidden.LabelLaidOut);
    EXPECT_FALSE(hidden.NeedsLayout);

    // A label wider than the symbol widens the bounds to it.
    ModelObject wide = Object(1, {0, 0, 30, 30});
    wide.Label = QStringLiteral("abcdef");   // 60 wide, 12 high
    LayoutObject(wide);
    const float s = 30.0f / 9;
    EXPECT_TRUE(wide.LabelLaidOut);
    EXPECT_FLOAT_EQ(wide.LabelRect.x, 15 - 30);
    EXPECT_FLOAT_EQ(wide.LabelRect.y, 30 - 4 + 1 + s / 4 + 3);
    EXPECT_FLOAT_EQ(wide.LabelRect.width, 60);
    EXPECT_FLOAT_EQ(wide.Bounds.x, -15 - 2);
    EXPECT_FLOAT_EQ(wide.Bounds.width, 60 + 4);
    EXPECT_GE(wide.Bounds.Bottom(), wide.LabelRect.Bottom());

    // A narrow label: the symbol grown by two thirds of the border.
    ModelObject narrow = Object(1, {0, 0, 90, 90});
    narrow.Label = QStringLiteral("ab");
    narrow.BorderWidth = 3;
    LayoutObject(narrow);
    EXPECT_FLOAT_EQ(narrow.Bounds.x, -2);
    EXPECT_FLOAT_EQ(narrow.Bounds.width, 94);

    // Without symbol the label moves up to the top of the symbol.
    ModelObject textOnly = Object(1, {0, 50, 30, 30});
    textOnly.ShowSymbol = false;
    textOnly.Label = QStringLiteral("a");
    LayoutObject(textOnly);
    EXPECT_FLOAT_EQ(textOnly.LabelRect.y, 50);
    EXPECT_FLOAT_EQ(textOnly.Bounds.y, 48);
}

TEST_F(Layout, APictureNarrowerThanTheSymbolCentresTheBounds)
{
    ModelObject o = Object(1, {0, 0, 100, 100});
    o.Picture = QImage(50, 100, QImage::Format_RGB32);
    LayoutObject(o);
    // 50 x 100 drawn, moved right by 25, then grown by 2.
    EXPECT_EQ(o.Bounds, (ModelRect{23, -2, 54, 104}));
    ModelObject background = o;
    background.IsBackground = true;
    LayoutObject(background);
    EXPECT_EQ(background.Bounds, (ModelRect{-2, -2, 54, 104}));
}

// ---------------------------------------------------------------------------
// The scene

namespace {

class Scene : public MeasuredTest {
protected:
    void SetUp() override
    {
        core.Attach(nullptr, &view, false, false);
        core.SetViewportSize(size);
    }
    ModelObject& Add(qint32 shape, ModelRect rect, const char* label = "")
    {
        ModelObject o = Object(++core.EditModel().LastObjectId, rect);
        o.Shape = shape;
        o.Label = QString::fromLatin1(label);
        core.Objects().push_back(o);
        return core.Objects().back();
    }
    QImage Paint(ModelSceneState state = {})
    {
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        QPainter painter(&image);
        PaintModelScene(painter, core, size, state);
        painter.end();
        return image;
    }

    // Every shape, labels with boxes and shadows, a picture, framed objects,
    // dashed and labelled links with their arrows, a hidden layer.
    void BuildShowcase()
    {
        for (qint32 shape = 0; shape <= 13; ++shape) {
            ModelObject& o = Add(shape, {float(20 + (shape % 7) * 64), float(20 + (shape / 7) * 90), 40, 40});
            o.Label = QStringLiteral("S%1").arg(shape);
            o.FillColor = 0xFFE0F0FF;
            o.BorderColor = shape % 2 ? 0xFF0000C4 : 0xFF008000;
            o.SymbolShadow = shape % 3 == 0;
            o.LabelBox = shape % 4 == 1;
            o.LabelShadow = shape % 4 == 1;
            o.Framed = shape == 12;
        }
        ModelObject& picture = Add(ModelShape::Ellipse, {30, 200, 60, 40}, "pic");
        picture.Picture = QImage(30, 40, QImage::Format_RGB32);
        picture.Picture.fill(QColor(200, 80, 40));
        ModelContent& model = core.EditModel();
        model.Layers.push_back({1, QStringLiteral("hidden"), false});
        ModelObject& hidden = Add(ModelShape::Rectangle, {400, 220, 40, 40}, "hidden");
        hidden.LayerId = 1;
        hidden.FillColor = 0xFFFF0000;
        const struct {
            qint32 from, to, arrows, dash, width;
            const char* label;
        } links[] = {
            {1, 2, LinkArrows::AtTarget, LinkDash::Solid, 1, ""},
            {2, 3, LinkArrows::AtBothEnds, LinkDash::Dashed, 2, "both"},
            {3, 4, LinkArrows::AtSource, LinkDash::Dotted, 3, ""},
            {8, 10, LinkArrows::None, LinkDash::Solid, 1, "plain"},
            {9, 16, LinkArrows::AtTarget, LinkDash::Solid, 1, ""},   // to the hidden object
        };
        for (const auto& l : links) {
            ModelLink link = LinkBetween(l.from, l.to);
            link.Arrows = l.arrows;
            link.DashStyle = l.dash;
            link.Width = l.width;
            link.Label = QString::fromLatin1(l.label);
            link.LabelFramed = l.label[0] == 'b';
            core.Links().push_back(link);
        }
        core.Objects()[5].Selected = true;
        core.Objects()[6].Selected = true;
    }

    QSize size{480, 320};
    visualtest::CanvasRecorder view;
    ModelerCanvasCore core;
};

bool HasColour(const QImage& image, QRgb colour)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF))
                return true;
    return false;
}

}  // namespace

TEST_F(Scene, ShowcaseMatchesItsPicturesAtScaleOneAndTwo)
{
    BuildShowcase();
    ModelSceneState state;
    state.grid = true;
    EXPECT_TRUE(testutil::MatchesReferenceImage(Paint(state), ReferencePath("showcase_scale1")));
    core.EditModel().Scale = 2;
    core.EditModel().OriginX = -10;
    core.EditModel().OriginY = -5;
    EXPECT_TRUE(testutil::MatchesReferenceImage(Paint(state), ReferencePath("showcase_scale2")));
}

TEST_F(Scene, AHiddenLayerPaintsNeitherItsObjectsNorTheirLinks)
{
    Add(ModelShape::Rectangle, {20, 20, 40, 40}).FillColor = 0xFF00FF00;
    ModelObject& hidden = Add(ModelShape::Rectangle, {200, 20, 40, 40});
    hidden.FillColor = 0xFFFF0000;
    hidden.LayerId = 1;
    ModelLink link = LinkBetween(1, 2);
    link.LineColor = 0xFF0000FF;
    link.Width = 3;
    core.Links().push_back(link);
    core.EditModel().Layers.push_back({1, QStringLiteral("L"), true});
    QImage shown = Paint();
    EXPECT_TRUE(HasColour(shown, 0xFF0000));
    EXPECT_TRUE(HasColour(shown, 0x0000FF));
    core.SetLayerVisible(1, false);
    QImage painted = Paint();
    EXPECT_TRUE(HasColour(painted, 0x00FF00));
    EXPECT_FALSE(HasColour(painted, 0xFF0000));
    EXPECT_FALSE(HasColour(painted, 0x0000FF));
}

TEST_F(Scene, GridPointsStayOnePixelAtAnyScale)
{
    for (const float scale : {1.0f, 2.0f}) {
        core.EditModel().Scale = scale;
        ModelSceneState state;
        state.grid = true;
        const QImage image = Paint(state);
        // Grid points are 15 units apart: 15 or 30 pixels, each one pixel alone.
        const int step = int(15 * scale);
        EXPECT_EQ(image.pixel(step, step) & 0xFFFFFF, 0xC4C4C4u) << scale;
        EXPECT_EQ(image.pixel(step + 1, step) & 0xFFFFFF, 0xFFFFFFu) << scale;
        EXPECT_EQ(image.pixel(step, step + 1) & 0xFFFFFF, 0xFFFFFFu) << scale;
    }
}

TEST_F(Scene, SelectedLinksAndArrowHeadsAreDrawnWhereAsked)
{
    Add(ModelShape::Rectangle, {0, 100, 30, 30});
    Add(ModelShape::Rectangle, {300, 100, 30, 30});
    ModelLink link = LinkBetween(1, 2);
    link.LineColor = 0xFF00C000;
    link.Width = 4;
    core.Links().push_back(link);
    // The line runs at y 115 from x 31.5 to 298.5; heads of this width are
    // 28 long and 20 wide, so 20 from each end a head is 14 across.
    const auto headWidth = [&](double x) {
        const QImage image = Paint();
        int painted = 0;
        for (int y = 95; y < 136; ++y)
            painted += (image.pixel(int(x), y) & 0xFFFFFF) != 0xFFFFFF;
        return painted;
    };
    const struct {
        qint32 arrows;
        bool atSource;
        bool atTarget;
    } cases[] = {
        {LinkArrows::None, false, false},
        {LinkArrows::AtTarget, false, true},
        {LinkArrows::AtBothEnds, true, true},
        {LinkArrows::AtSource, true, false},
    };
    for (const auto& c : cases) {
        core.Links()[0].Arrows = c.arrows;
        EXPECT_EQ(headWidth(51.5) > 8, c.atSource) << c.arrows;
        EXPECT_EQ(headWidth(278.5) > 8, c.atTarget) << c.arrows;
    }
    core.Links()[0].Selected = true;
    EXPECT_TRUE(HasColour(Paint(), 0x0000FF));
}

// ---------------------------------------------------------------------------
// Exports

TEST(ModelExport, FormatsFollowTheExtensionOrTheFilter)
{
    const struct {
        const char* name;
        int filter;
        ModelPictureFormat format;
        const char* path;
    } cases[] = {
        {"/t/model", 2, ModelPictureFormat::Bmp, "/t/model.bmp"},
        {"/t/model.PNG", 1, ModelPictureFormat::Jpeg, "/t/model.PNG.jpg"},
        {"/t/model.SVG", 1, ModelPictureFormat::Svg, "/t/model.SVG"},
        {"/t/model.Jpg", 3, ModelPictureFormat::Jpeg, "/t/model.Jpg"},
        {"/t/model", 3, ModelPictureFormat::Svg, "/t/model.svg"},
        {"/t/model", 7, ModelPictureFormat::Jpeg, "/t/model.jpg"},
    };
    for (const auto& c : cases) {
        QString path = QString::fromLatin1(c.name);
        EXPECT_EQ(ExportFormatForName(path, c.filter), c.format) << c.name;
        EXPECT_EQ(path, QString::fromLatin1(c.path));
    }
}

TEST(ModelExport, TheFactorIsLoweredForHugeModels)
{
    EXPECT_DOUBLE_EQ(ExportFactor({0, 0, 200, 100}), 5.0);
    const double factor = ExportFactor({0, 0, 10000, 10000});
    EXPECT_LT(factor, 5.0);
    EXPECT_LE(10000 * factor * 10000 * factor, kMaxExportPixels * 1.0001);
}

namespace {

class Export : public MeasuredTest {
protected:
    void SetUp() override { core.Attach(nullptr, &view, false, false); }
    // A free object without symbol or label: bounds 2 beyond its rectangle.
    void AddBox(ModelRect rect)
    {
        ModelObject o = Object(++core.EditModel().LastObjectId, rect);
        o.ShowSymbol = false;
        core.Objects().push_back(o);
    }
    QString Path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }

    QTemporaryDir dir;
    visualtest::CanvasRecorder view;
    ModelerCanvasCore core;
};

QByteArray Bytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

TEST_F(Export, ATwoHundredByHundredModelIsAThousandByFiveHundredJpegOnWhite)
{
    AddBox({2, 2, 196, 96});
    ASSERT_EQ(ExportModelPicture(core, Path("m.jpg"), ModelPictureFormat::Jpeg), ModelExportResult::Written);
    QImageReader reader(Path("m.jpg"));
    EXPECT_EQ(reader.format(), "jpeg");
    const QImage image = reader.read();
    EXPECT_EQ(image.size(), QSize(1000, 500));
    EXPECT_GT(qGray(image.pixel(500, 250)), 250);
    // Quality 100 keeps a flat white picture close to white everywhere.
    EXPECT_GT(qGray(image.pixel(0, 0)), 250);
    ASSERT_EQ(ExportModelPicture(core, Path("m.bmp"), ModelPictureFormat::Bmp), ModelExportResult::Written);
    EXPECT_EQ(QImageReader(Path("m.bmp")).format(), "bmp");
}

TEST_F(Export, TheSvgParsesAndShowsTheModel)
{
    ModelObject o = Object(1, {0, 0, 60, 60});
    o.Label = QStringLiteral("svg");
    core.Objects().push_back(o);
    ASSERT_EQ(ExportModelPicture(core, Path("m.svg"), ModelPictureFormat::Svg), ModelExportResult::Written);
    QSvgRenderer renderer(Path("m.svg"));
    ASSERT_TRUE(renderer.isValid());
    EXPECT_GT(renderer.defaultSize().width(), 60 * 4);
    EXPECT_TRUE(Bytes(Path("m.svg")).contains("<svg"));
}

TEST_F(Export, AnEmptyModelOrAFailedWriteLeavesFilesAsTheyWere)
{
    QFile existing(Path("old.jpg"));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.write("old bytes");
    existing.close();
    for (const ModelPictureFormat format : {ModelPictureFormat::Jpeg, ModelPictureFormat::Bmp, ModelPictureFormat::Svg}) {
        EXPECT_EQ(ExportModelPicture(core, Path("empty.jpg"), format), ModelExportResult::EmptyModel);
        EXPECT_FALSE(QFile::exists(Path("empty.jpg")));
        EXPECT_EQ(ExportModelPicture(core, Path("old.jpg"), format), ModelExportResult::EmptyModel);
    }
    EXPECT_EQ(Bytes(Path("old.jpg")), QByteArray("old bytes"));
    AddBox({0, 0, 20, 20});
    for (const ModelPictureFormat format : {ModelPictureFormat::Jpeg, ModelPictureFormat::Svg})
        EXPECT_EQ(ExportModelPicture(core, Path("missing/folder/m.jpg"), format), ModelExportResult::WriteFailed);
}

TEST_F(Export, DrawModelIntoCentresTheModelAndRefusesAnEmptyOne)
{
    QImage image(300, 100, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    EXPECT_FALSE(DrawModelInto(painter, core, QRectF(0, 0, 300, 100)));
    ModelObject o = Object(1, {0, 0, 100, 100});
    o.Shape = ModelShape::Rectangle;
    o.FillColor = 0xFF0000FF;
    core.Objects().push_back(o);
    EXPECT_TRUE(DrawModelInto(painter, core, QRectF(0, 0, 300, 100)));
    painter.end();
    EXPECT_EQ(image.pixel(150, 50) & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(image.pixel(20, 50) & 0xFFFFFF, 0xFFFFFFu);
}
