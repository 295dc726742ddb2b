// Pictures of PDF and picture areas, image files and the clipboard.

#include "common/pdfbuilder.h"
#include "common/testutil.h"
#include "foundation/imageexport.h"

#include <QBuffer>
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QScreen>

#include <gtest/gtest.h>

namespace {

// A 400 × 300 point page, white, with a black bar from (100, 100) to
// (200, 150) in points from the top left.
QByteArray BarPdf()
{
    return testutil::MakePdf(QSizeF(400, 300), {[](QPainter& painter) {
                                 painter.fillRect(QRectF(100, 100, 100, 50), Qt::black);
                             }});
}

bool IsBlack(QRgb pixel)
{
    return qGray(pixel) < 40;
}
bool IsWhite(QRgb pixel)
{
    return qGray(pixel) > 215;
}

// Pixels per point at the resolution the pictures are made at.
double PixelsPerPoint()
{
    return QGuiApplication::primaryScreen()->logicalDotsPerInchX() / 72.0;
}

QImage ClipboardImage()
{
    return QGuiApplication::clipboard()->image();
}

}  // namespace

TEST(ImageExport, PdfAreaAsPngShowsThePageArea)
{
    // From 50 to 250 points across and the bar's height, given with y
    // upwards as area codings store it (page height 300).
    int maxHeight = 0, maxWidth = 0;
    ASSERT_TRUE(CopyPdfAreaAsImage(BarPdf(), 1, 250, 300 - 150, 50, 300 - 100, maxHeight, maxWidth, false));
    const double f = PixelsPerPoint();
    EXPECT_NEAR(maxWidth, 200 * f, 1.5);
    EXPECT_NEAR(maxHeight, 50 * f, 1.5);

    // Through a PNG file, as an export writes it.
    testutil::TempDir dir;
    const QString png = dir.file(QStringLiteral("area.png"));
    ASSERT_TRUE(WriteImageFile(ClipboardImage(), png, QStringLiteral("image/png")));
    const QImage picture(png);
    ASSERT_EQ(picture.size(), QSize(maxWidth, maxHeight));
    const int y = maxHeight / 2;
    EXPECT_TRUE(IsWhite(picture.pixel(int(20 * f), y)));     // left of the bar: the paper is white
    EXPECT_TRUE(IsBlack(picture.pixel(int(100 * f), y)));    // the bar
    EXPECT_TRUE(IsWhite(picture.pixel(int(180 * f), y)));
    EXPECT_TRUE(IsBlack(picture.pixel(int(60 * f), 1)));

    // Twice as wide as the limit: halved both ways.
    int halfHeight = 0, halfWidth = maxWidth / 2;
    ASSERT_TRUE(CopyPdfAreaAsImage(BarPdf(), 1, 50, 200, 250, 150, halfHeight, halfWidth, false));
    EXPECT_EQ(halfWidth, maxWidth / 2);
    EXPECT_NEAR(halfHeight, maxHeight / 2, 1);
    const QImage half = ClipboardImage();
    EXPECT_EQ(half.size(), QSize(halfWidth, halfHeight));
    EXPECT_TRUE(IsBlack(half.pixel(int(50 * f), halfHeight / 2)));
    EXPECT_TRUE(IsWhite(half.pixel(int(5 * f), halfHeight / 2)));
}

TEST(ImageExport, SavedAreaIsTheTemporaryJpeg)
{
    int maxHeight = 40, maxWidth = 0;
    ASSERT_TRUE(CopyPdfAreaAsImage(BarPdf(), 1, 100, 200, 200, 150, maxHeight, maxWidth, true));
    EXPECT_EQ(maxHeight, 40);
    const QImage saved(TemporaryPictureFile(), "JPEG");
    ASSERT_FALSE(saved.isNull());
    EXPECT_EQ(saved.size(), QSize(maxWidth, maxHeight));
    EXPECT_TRUE(IsBlack(saved.pixel(maxWidth / 2, maxHeight / 2)));
    EXPECT_TRUE(TemporaryPictureFile().endsWith(QStringLiteral("/image.jpg")));
}

TEST(ImageExport, BadAreasAndDocumentsMakeNoPicture)
{
    struct Case {
        const char* name;
        QByteArray pdf;
        int page, x1, y1, x2, y2;
    };
    const Case cases[] = {
        {"page 0", BarPdf(), 0, 50, 200, 250, 150},
        {"page past the end", BarPdf(), 2, 50, 200, 250, 150},
        {"no width", BarPdf(), 1, 50, 200, 50, 150},
        {"no height", BarPdf(), 1, 50, 200, 250, 200},
        {"not a PDF", QByteArray("%PDF-1.4 nothing"), 1, 50, 200, 250, 150},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int maxHeight = 7, maxWidth = 9;
        EXPECT_FALSE(CopyPdfAreaAsImage(c.pdf, c.page, c.x1, c.y1, c.x2, c.y2, maxHeight, maxWidth, true));
        EXPECT_EQ(maxHeight, 7);
        EXPECT_EQ(maxWidth, 9);
    }
}

TEST(ImageExport, PictureArea)
{
    // Red left half, blue right half.
    QImage image(100, 60, QImage::Format_RGB32);
    image.fill(Qt::blue);
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 50; ++x)
            image.setPixel(x, y, qRgb(255, 0, 0));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(image.save(&buffer, "PNG"));

    int maxHeight = 0, maxWidth = 0;
    ASSERT_TRUE(CopyPictureAreaAsImage(png, 80, 50, 40, 10, maxHeight, maxWidth, false));
    EXPECT_EQ(QSize(maxWidth, maxHeight), QSize(40, 40));
    const QImage area = ClipboardImage();
    EXPECT_EQ(qRed(area.pixel(5, 20)), 255);
    EXPECT_EQ(qBlue(area.pixel(30, 20)), 255);

    maxHeight = 10;
    maxWidth = 0;
    ASSERT_TRUE(CopyPictureAreaAsImage(png, 40, 10, 80, 50, maxHeight, maxWidth, false));
    EXPECT_EQ(QSize(maxWidth, maxHeight), QSize(10, 10));

    EXPECT_FALSE(CopyPictureAreaAsImage(png.left(30), 40, 10, 80, 50, maxHeight, maxWidth, false));
    EXPECT_FALSE(CopyPictureAreaAsImage(png, 40, 10, 40, 50, maxHeight, maxWidth, false));
}

TEST(ImageExport, EncodersAndImageFiles)
{
    QByteArray format;
    EXPECT_GE(GetEncoderClsid(QStringLiteral("image/png"), format), 0);
    EXPECT_EQ(format, "png");
    EXPECT_GE(GetEncoderClsid(QStringLiteral("image/jpeg"), format), 0);
    EXPECT_GE(GetEncoderClsid(QStringLiteral("image/bmp"), format), 0);
    EXPECT_EQ(format, "bmp");
    EXPECT_EQ(GetEncoderClsid(QStringLiteral("IMAGE/PNG"), format), -1);
    EXPECT_EQ(GetEncoderClsid(QStringLiteral("image/x-none"), format), -1);

    testutil::TempDir dir;
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::green);
    const QString path = dir.file(QStringLiteral("kept.bmp"));
    ASSERT_TRUE(testutil::WriteFile(path, "old"));
    EXPECT_FALSE(WriteImageFile(image, path, QStringLiteral("image/x-none")));
    EXPECT_FALSE(WriteImageFile(QImage(), path, QStringLiteral("image/bmp")));
    EXPECT_EQ(testutil::ReadFile(path), "old");
    EXPECT_FALSE(WriteImageFile(image, dir.file(QStringLiteral("missing/a.png")), QStringLiteral("image/png")));
    ASSERT_TRUE(WriteImageFile(image, path, QStringLiteral("image/bmp")));
    EXPECT_EQ(QImage(path).pixel(3, 3), qRgb(0, 255, 0));
}

TEST(ImageExport, ClipboardText)
{
    QGuiApplication::clipboard()->setText(QStringLiteral("Grüße \u0434\u043e\u043c"));
    EXPECT_EQ(GetClipboardText(), QStringLiteral("Grüße \u0434\u043e\u043c"));
    ClearClipboard();
    EXPECT_EQ(GetClipboardText(), QString());
}
