// Model objects and links: defaults, growing and shrinking, the grid,
// copying, the styles of project objects and loading pictures.
#include "visual/modellink.h"
#include "visual/modelobject.h"

#include "store/storeids.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QTemporaryDir>

TEST(ModelObject, ANewObjectIsADefaultEllipse)
{
    const ModelObject o;
    EXPECT_EQ(o.Shape, ModelShape::Ellipse);
    EXPECT_EQ(o.Rect, (ModelRect{0, 0, 30, 30}));
    EXPECT_EQ(o.BorderWidth, 3.0f);
    EXPECT_EQ(o.BorderColor, 0xFF000000u);
    EXPECT_EQ(o.FillColor, 0xFFFFFFFFu);
    EXPECT_EQ(o.FontSize, 10.0f);
    EXPECT_EQ(o.FontName, QStringLiteral("Verdana"));
    EXPECT_TRUE(o.ShowSymbol);
    EXPECT_EQ(o.PictureQuality, 1);
    EXPECT_EQ(o.GetOutlineRect(), (ModelRect{-1.5f, -1.5f, 33, 33}));
}

TEST(ModelObject, GrowAndShrinkKeepTheCentre)
{
    const struct {
        const char* what;
        ModelRect rect;
        float border;
        float font;
        bool grow;
        qint32 steps;
        ModelRect rectAfter;
        float borderAfter;
        float fontAfter;
    } cases[] = {
        {"grow 30x20 by 1: square of 40", {0, 0, 30, 20}, 3, 10, true, 1, {-5, -10, 40, 40}, 4, 13.333f},
        {"shrink at width 30: nothing", {0, 0, 30, 50}, 3, 20, false, 2, {0, 0, 30, 50}, 3, 20},
        {"shrink 35 by 1 stops at 30", {0, 0, 35, 35}, 3, 12, false, 1, {2.5f, 2.5f, 30, 30}, 2.5f, 10},
        {"shrink 60 by 2", {0, 0, 60, 60}, 5, 20, false, 2, {10, 10, 40, 40}, 3, 13.334f},
        {"shrink keeps a border of 1", {0, 0, 100, 100}, 1.5f, 10, false, 3, {15, 15, 70, 70}, 1, 10},
    };
    for (const auto& c : cases) {
        ModelObject o;
        o.Rect = c.rect;
        o.BorderWidth = c.border;
        o.FontSize = c.font;
        o.NeedsLayout = false;
        if (c.grow)
            o.Grow(c.steps);
        else
            o.Shrink(c.steps);
        EXPECT_EQ(o.Rect, c.rectAfter) << c.what;
        EXPECT_FLOAT_EQ(o.BorderWidth, c.borderAfter) << c.what;
        EXPECT_NEAR(o.FontSize, c.fontAfter, 1e-3) << c.what;
    }
}

TEST(ModelObject, SnapToGridRoundsHalfAwayFromZero)
{
    const struct {
        ModelRect rect;
        bool moveOnly;
        ModelRect after;
    } cases[] = {
        {{7, 8, 30, 30}, true, {0, 15, 30, 30}},
        {{-7.5f, 22.5f, 30, 30}, true, {-15, 30, 30, 30}},
        {{0, 0, 37, 50}, false, {0, 0, 45, 45}},   // right 37 -> 30, bottom 50 -> 45: both take 45
        {{10, 10, 28, 50}, false, {10, 10, 50, 50}},   // right 38 -> 45, bottom 60 stays
    };
    for (const auto& c : cases) {
        ModelObject o;
        o.Rect = c.rect;
        o.SnapToGrid(15, c.moveOnly);
        EXPECT_EQ(o.Rect, c.after) << c.rect.x << "," << c.rect.width;
    }
    ModelObject o;
    o.SnapToGrid(0, true);
    EXPECT_EQ(o.Rect, (ModelRect{0, 0, 30, 30}));
}

TEST(ModelObject, CopyFromStyleAndTemplateTakeTheirFields)
{
    ModelObject source;
    source.Id = 9;
    source.Rect = {100, 100, 50, 60};
    source.Label = QStringLiteral("src");
    source.RefTopic = 8;
    source.RefId = 4;
    source.Shape = ModelShape::Rectangle;
    source.FillColor = 0xFF00FF00;
    source.BorderWidth = 8;
    source.IsBackground = true;
    source.Selected = true;
    source.LinkedFile = QStringLiteral("a.pdf");

    ModelObject copy;
    copy.Id = 2;
    copy.Rect = {5, 6, 30, 30};
    copy.CopyFrom(source);
    EXPECT_EQ(copy.Id, 2);
    EXPECT_EQ(copy.Rect, (ModelRect{5, 6, 50, 60}));
    EXPECT_EQ(copy.Label, QStringLiteral("src"));
    EXPECT_EQ(copy.RefId, 4);
    EXPECT_EQ(copy.Shape, ModelShape::Rectangle);
    EXPECT_EQ(copy.LinkedFile, QStringLiteral("a.pdf"));
    EXPECT_FALSE(copy.IsBackground);
    EXPECT_FALSE(copy.Selected);

    ModelObject styled;
    styled.Label = QStringLiteral("mine");
    styled.CopyStyle(source);
    EXPECT_EQ(styled.FillColor, 0xFF00FF00u);
    EXPECT_EQ(styled.BorderWidth, 8.0f);
    EXPECT_EQ(styled.Label, QStringLiteral("mine"));
    EXPECT_EQ(styled.Shape, ModelShape::Ellipse);

    ModelObject templated;
    templated.RefTopic = 5;
    templated.RefId = 1;
    templated.Label = QStringLiteral("x");
    templated.ApplyTemplate(source);
    EXPECT_TRUE(templated.Label.isEmpty());
    EXPECT_EQ(templated.RefTopic, 5);
    EXPECT_EQ(templated.RefId, 1);
    EXPECT_EQ(templated.Rect, (ModelRect{0, 0, 30, 30}));
    EXPECT_EQ(templated.BorderWidth, 3.0f);
    EXPECT_EQ(templated.FillColor, 0xFF00FF00u);
    EXPECT_EQ(templated.Shape, ModelShape::Rectangle);
}

TEST(ModelObject, ProjectObjectsGetTheirShapeAndColours)
{
    const struct {
        const char* what;
        qint32 topic;
        qint32 value;
        qint32 shape;
        quint32 border;
        quint32 fill;
        bool showSymbol;
    } cases[] = {
        {"free text", 0, 0, ModelShape::Ellipse, 0xFF008000, 0xFFFFFF00, false},
        {"free ellipse", 0, 1, ModelShape::Ellipse, 0xFF008000, 0xFFFFFF00, true},
        {"free rectangle", 0, 2, ModelShape::Rectangle, 0xFF008000, 0xFFFFFF00, true},
        {"free rounded", 0, 3, ModelShape::RoundedRectangle, 0xFF008000, 0xFFFFFF00, true},
        {"free blue", 0, 4, ModelShape::Ellipse, 0xFF0000C4, 0xFFC4C4FF, true},
        {"document value 0", TopicId::Documents, 0, ModelShape::Document, 0xFF008000, 0xFFFFFFFF, true},
        {"document palette 3", TopicId::Documents, 3, ModelShape::Document, 0xFFA40000, 0xFFFFFFFF, true},
        {"code red reference", TopicId::Codes, 0x0000FF, ModelShape::Code, 0xFFFF0000, 0xFFFFFFFF, true},
        {"coding palette 10", TopicId::Codings, 10, ModelShape::Coding, 0xFFFF00FF, 0xFFFFFFFF, true},
        {"coding negative reference", TopicId::Codings, -1, ModelShape::Coding, 0xFFFFFFFF, 0xFFFFFFFF, true},
        {"memo type 0", TopicId::Memos, 0, ModelShape::Memo, 0xFF808000, 0xFFFFFF00, true},
        {"memo type 2", TopicId::Memos, 2, ModelShape::MemoQuestion, 0xFF808000, 0xFFFFFF00, true},
        {"memo type 7", TopicId::Memos, 7, ModelShape::Memo, 0xFF808000, 0xFFFF00FF, true},
        {"document group", TopicId::DocumentGroups, 0, ModelShape::DocumentGroup, 0xFF008080, 0xFFFFFFFF, true},
        {"document set", TopicId::DocumentSets, 0, ModelShape::DocumentSet, 0xFF008080, 0xFFFFFFFF, true},
        {"other topic", TopicId::Links, 0, ModelShape::Ellipse, 0xFF000000, 0xFFFFFFFF, true},
    };
    for (const auto& c : cases) {
        ModelObject o;
        o.ApplyKindStyle(c.topic, c.value);
        EXPECT_EQ(o.Shape, c.shape) << c.what;
        EXPECT_EQ(o.BorderColor, c.border) << c.what;
        EXPECT_EQ(o.FillColor, c.fill) << c.what;
        EXPECT_EQ(o.ShowSymbol, c.showSymbol) << c.what;
    }
}

TEST(ModelObject, OnlyFreeShapesAreChangeable)
{
    for (qint32 shape = 0; shape <= 13; ++shape) {
        ModelObject o;
        o.Shape = shape;
        EXPECT_EQ(o.IsShapeChangeable(), shape == 0 || shape == 12 || shape == 13) << shape;
    }
}

TEST(ModelObject, PicturesLoadAtTheReductionOfTheirQuality)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString big = dir.filePath(QStringLiteral("big.png"));
    QImage image(900, 450, QImage::Format_RGB32);
    image.fill(Qt::red);
    ASSERT_TRUE(image.save(big));
    const QString small = dir.filePath(QStringLiteral("small.png"));
    ASSERT_TRUE(image.scaled(20, 10).save(small));
    const QString junk = dir.filePath(QStringLiteral("junk.png"));
    QFile file(junk);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("\x89PNG\r\n\x1a\n this is not a picture");
    file.close();

    const struct {
        const char* what;
        QString path;
        qint32 quality;
        bool preview;
        bool background;
        QSize size;  // empty: no picture
    } cases[] = {
        {"quality 1: 300 wide", big, 1, false, false, {300, 150}},
        {"quality 2: 600 wide", big, 2, false, false, {600, 300}},
        {"quality 3 keeps the whole 900", big, 3, false, false, {900, 450}},
        {"preview: 60 wide", big, 3, true, false, {60, 30}},
        {"quality 0: full picture", big, 0, false, false, {900, 450}},
        {"background: full picture", big, 1, true, true, {900, 450}},
        {"a small picture stays whole", small, 1, false, false, {20, 10}},
        {"an undecodable file: none", junk, 1, false, false, {}},
        {"a missing file: none", dir.filePath(QStringLiteral("gone.png")), 1, false, false, {}},
        {"no file named: none", QString(), 1, false, false, {}},
    };
    for (const auto& c : cases) {
        ModelObject o;
        o.Picture = QImage(5, 5, QImage::Format_RGB32);
        o.PictureFile = c.path;
        o.PictureQuality = c.quality;
        o.IsBackground = c.background;
        o.NeedsLayout = false;
        EXPECT_EQ(o.LoadPicture(c.preview), !c.size.isEmpty()) << c.what;
        EXPECT_EQ(o.Picture.size(), c.size.isEmpty() ? QSize(0, 0) : c.size) << c.what;
        EXPECT_EQ(o.NeedsLayout, !c.size.isEmpty()) << c.what;
    }
}

TEST(ModelLink, LabelFontsStayWithinTenAndAHundred)
{
    ModelLink link;
    link.Label = QStringLiteral("x");
    link.LargerFont(3);
    EXPECT_EQ(link.FontSize, 40.0f);
    link.LargerFont(7);
    EXPECT_EQ(link.FontSize, 100.0f);
    link.SmallerFont(20);
    EXPECT_EQ(link.FontSize, 10.0f);
    ModelLink unlabelled;
    unlabelled.FontSize = 12;
    unlabelled.LargerFont(1);
    unlabelled.SmallerFont(1);
    EXPECT_EQ(unlabelled.FontSize, 12.0f);

    ModelLink styled;
    styled.Label = QStringLiteral("own");
    ModelLink source;
    source.LineColor = 0xFF123456;
    source.DashStyle = LinkDash::Dashed;
    source.Width = 5;
    source.Label = QStringLiteral("other");
    styled.CopyStyle(source);
    EXPECT_EQ(styled.LineColor, 0xFF123456u);
    EXPECT_EQ(styled.DashStyle, LinkDash::Dashed);
    EXPECT_EQ(styled.Width, 5);
    EXPECT_EQ(styled.Label, QStringLiteral("own"));
}
