// The screenshot comparison forgives drawing noise and catches layouts
// that moved.

#include "common/screenshots.h"
#include "common/testutil.h"

#include <QPainter>

#include <gtest/gtest.h>

namespace {

QImage Picture(int blockX)
{
    QImage image(100, 60, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.fillRect(blockX, 10, 30, 30, Qt::black);
    return image;
}

}  // namespace

TEST(Screenshots, ToleranceAndMovedContent)
{
    if (testutil::RecordingScreenshots())
        GTEST_SKIP() << "recording references";
    testutil::TempDir dir;
    const QString reference = dir.file(QStringLiteral("reference.png"));
    ASSERT_TRUE(Picture(10).save(reference, "PNG"));

    EXPECT_TRUE(testutil::MatchesReferenceImage(Picture(10), reference));
    // Anti-aliasing noise: every pixel a little off, a few pixels far off.
    QImage noisy = Picture(10);
    for (int x = 0; x < noisy.width(); ++x)
        for (int y = 0; y < noisy.height(); ++y)
            noisy.setPixel(x, y, QColor(noisy.pixel(x, y)).darker(105).rgb());
    noisy.setPixel(90, 50, qRgb(255, 0, 0));
    EXPECT_TRUE(testutil::MatchesReferenceImage(noisy, reference));

    // A block moved by 20 pixels, a different size, a missing reference.
    EXPECT_FALSE(testutil::MatchesReferenceImage(Picture(30), reference));
    EXPECT_FALSE(testutil::MatchesReferenceImage(Picture(10).copy(0, 0, 99, 60), reference));
    EXPECT_FALSE(testutil::MatchesReferenceImage(Picture(10), dir.file(QStringLiteral("missing.png"))));
}
