// The PDF engine: page geometry with y upwards, page texts, hit tests
// within the engine's tolerance, run rectangles, rendering and outlines.

#include "common/pdfbuilder.h"
#include "platform/pdf/pdfengine.h"

#include <QPainter>

#include <gtest/gtest.h>

namespace {

constexpr QSizeF kPage(400, 300);

/// Two lines on the first page ("Alpha trust" with its baseline 100 points
/// from the top, "beta" 40 points lower), nothing on the second.
QByteArray TwoPagePdf()
{
    return testutil::MakePdf(kPage, {testutil::TextLines({QStringLiteral("Alpha trust"), QStringLiteral("beta")}),
                                     nullptr});
}

PdfPageRect Union(const QList<PdfPageRect>& rects)
{
    PdfPageRect all = rects.value(0);
    for (const PdfPageRect& r : rects) {
        all.left = qMin(all.left, r.left);
        all.right = qMax(all.right, r.right);
        all.top = qMax(all.top, r.top);
        all.bottom = qMin(all.bottom, r.bottom);
    }
    return all;
}

}  // namespace

TEST(PdfEngine, PagesTextsAndSizes)
{
    PdfEngine engine;
    ASSERT_TRUE(engine.Load(TwoPagePdf()));
    EXPECT_EQ(engine.PageCount(), 2);
    EXPECT_EQ(engine.PageSize(0), kPage);
    EXPECT_TRUE(engine.PageSize(2).isEmpty());
    // Lines are joined by CR LF, which count as characters.
    EXPECT_EQ(engine.PageText(0), QStringLiteral("Alpha trust\r\nbeta"));
    EXPECT_EQ(engine.CountChars(0), 17);
    EXPECT_EQ(engine.GetText(0, 6, 5), QStringLiteral("trust"));
    EXPECT_EQ(engine.GetText(0, 13, 100), QStringLiteral("beta"));
    EXPECT_EQ(engine.GetText(0, 17, 1), QString());
    EXPECT_EQ(engine.CountChars(1), 0);
    EXPECT_EQ(engine.CountChars(5), 0);

    engine.Close();
    EXPECT_FALSE(engine.IsOpen());
    EXPECT_EQ(engine.PageCount(), 0);
    EXPECT_EQ(engine.PageText(0), QString());
}

TEST(PdfEngine, RefusesBytesThatAreNoPdf)
{
    const QByteArray pdf = TwoPagePdf();
    PdfEngine engine;
    ASSERT_TRUE(engine.Load(pdf));
    for (const QByteArray& bytes : {QByteArray(), QByteArray("%PDF-1.4 nothing else"), pdf.left(pdf.size() / 2)}) {
        EXPECT_FALSE(engine.Load(bytes)) << bytes.left(20).toStdString();
        EXPECT_FALSE(engine.IsOpen());
        EXPECT_EQ(engine.CharIndexAtPos(0, QPointF(80, 200)), -1);
        EXPECT_TRUE(engine.Bookmarks().isEmpty());
    }
}

TEST(PdfEngine, RunRectanglesHaveYUpwards)
{
    PdfEngine engine;
    ASSERT_TRUE(engine.Load(TwoPagePdf()));
    // "Alpha": baseline 100 points below the top edge, that is at y = 200.
    const QList<PdfPageRect> rects = engine.RunRects(0, 0, 5);
    ASSERT_FALSE(rects.isEmpty());
    for (const PdfPageRect& r : rects)
        EXPECT_GT(r.top, r.bottom);
    const PdfPageRect alpha = Union(rects);
    EXPECT_NEAR(alpha.left, 72, 3);
    EXPECT_NEAR(alpha.bottom, 200, 5);
    EXPECT_GT(alpha.top, 205);
    EXPECT_LT(alpha.top, 220);

    // A run over the line break covers both lines, the second one lower.
    const QList<PdfPageRect> both = engine.RunRects(0, 6, 11);
    ASSERT_GE(both.size(), 2);
    EXPECT_LT(both.last().top, both.first().bottom);
    EXPECT_NEAR(both.last().bottom, 160, 5);
    EXPECT_NEAR(Union(both).bottom, 160, 5);
    EXPECT_EQ(engine.RunRects(0, 6, 11), both);  // from the cache, the same

    EXPECT_TRUE(engine.RunRects(0, 17, 3).isEmpty());
    EXPECT_TRUE(engine.RunRects(0, -1, 3).isEmpty());
    EXPECT_TRUE(engine.RunRects(1, 0, 3).isEmpty());
}

// The tolerance of 10 points widens a character's box by 5 points on each
// side, as the engine applies it; QtPdf's own hit test reaches 8.
TEST(PdfEngine, CharacterAtPointWithinTheTolerance)
{
    PdfEngine engine;
    ASSERT_TRUE(engine.Load(TwoPagePdf()));
    const PdfPageRect a = engine.CharBox(0, 0);
    ASSERT_GT(a.right, a.left);
    ASSERT_GT(a.top, a.bottom);
    const double midY = (a.top + a.bottom) / 2;
    const PdfPageRect word = Union(engine.RunRects(0, 0, 11));
    struct Case {
        const char* name;
        QPointF point;
        int expected;
    };
    const Case cases[] = {
        {"inside the A", QPointF((a.left + a.right) / 2, midY), 0},
        {"4 points left of the A", QPointF(a.left - 4, midY), 0},
        {"4 points above the A", QPointF((a.left + a.right) / 2, a.top + 4), 0},
        // QtPdf itself still finds the A at 7 points.
        {"7 points left of the A", QPointF(a.left - 7, midY), -1},
        {"7 points above the line", QPointF((a.left + a.right) / 2, word.top + 7), -1},
        {"13 points left of the A", QPointF(a.left - 13, midY), -1},
        {"far from any text", QPointF(300, 50), -1},
        {"inside the last t", QPointF(engine.CharBox(0, 10).left + 1, midY), 10},
    };
    for (const Case& c : cases)
        EXPECT_EQ(engine.CharIndexAtPos(0, c.point), c.expected) << c.name;
    EXPECT_EQ(engine.CharIndexAtPos(1, QPointF(80, 200)), -1);
    EXPECT_EQ(engine.CharIndexAtPos(4, QPointF(80, 200)), -1);
}

TEST(PdfEngine, PageToDeviceTurnsYDownwards)
{
    PdfEngine engine;
    ASSERT_TRUE(engine.Load(TwoPagePdf()));
    const QRect device(10, 20, 800, 600);  // twice the page size
    EXPECT_EQ(engine.PageToDevice(0, device, QPointF(0, 0)), QPoint(10, 620));
    EXPECT_EQ(engine.PageToDevice(0, device, QPointF(400, 300)), QPoint(810, 20));
    EXPECT_EQ(engine.PageToDevice(0, device, QPointF(100, 200)), QPoint(210, 220));
    const QPointF back = engine.DeviceToPage(0, device, QPoint(210, 220));
    EXPECT_DOUBLE_EQ(back.x(), 100);
    EXPECT_DOUBLE_EQ(back.y(), 200);
}

TEST(PdfEngine, RendersOnWhite)
{
    PdfEngine engine;
    ASSERT_TRUE(engine.Load(TwoPagePdf()));
    const QImage empty = engine.RenderPage(1, QSize(40, 30));
    ASSERT_EQ(empty.size(), QSize(40, 30));
    EXPECT_EQ(empty.pixel(20, 15), qRgb(255, 255, 255));

    // Some ink where "Alpha" stands, paper elsewhere.
    const QImage page = engine.RenderPage(0, QSize(400, 300));
    int dark = 0;
    for (int x = 72; x < 120; ++x)
        for (int y = 88; y < 100; ++y)
            dark += qGray(page.pixel(x, y)) < 128;
    EXPECT_GT(dark, 20);
    EXPECT_EQ(page.pixel(300, 250), qRgb(255, 255, 255));

    QImage target(100, 100, QImage::Format_RGB32);
    target.fill(Qt::black);
    {
        QPainter painter(&target);
        engine.RenderPage(painter, 1, QRect(10, 10, 40, 30));
    }
    EXPECT_EQ(target.pixel(20, 20), qRgb(255, 255, 255));
    EXPECT_EQ(target.pixel(5, 5), qRgb(0, 0, 0));
    EXPECT_TRUE(engine.RenderPage(7, QSize(10, 10)).isNull());
}

TEST(PdfEngine, BookmarksWithTheirPages)
{
    using testutil::OutlineEntry;
    using Target = OutlineEntry::Target;
    const QByteArray pdf = testutil::MakeOutlinedPdf(
        3, {{"Intro", Target::Dest, 0, {}},
            {"Method", Target::GoToAction, 2, {{"Sample", Target::Dest, 1, {}}, {"Web", Target::UriAction, 0, {}}}},
            {"Results", Target::Dest, 2, {}}});
    PdfEngine engine;
    ASSERT_TRUE(engine.Load(pdf));
    EXPECT_EQ(engine.PageCount(), 3);
    const QList<PdfBookmark> outline = engine.Bookmarks();
    ASSERT_EQ(outline.size(), 3);
    EXPECT_EQ(outline[0].title, QStringLiteral("Intro"));
    EXPECT_EQ(outline[0].page, 0);
    EXPECT_EQ(outline[1].title, QStringLiteral("Method"));
    EXPECT_EQ(outline[1].page, 2);
    ASSERT_EQ(outline[1].children.size(), 2);
    EXPECT_EQ(outline[1].children[0].page, 1);
    EXPECT_EQ(outline[1].children[1].title, QStringLiteral("Web"));
    EXPECT_EQ(outline[1].children[1].page, 0);  // no go-to: the first page
    EXPECT_EQ(outline[2].page, 2);

    ASSERT_TRUE(engine.Load(TwoPagePdf()));
    EXPECT_TRUE(engine.Bookmarks().isEmpty());
}
