// The headless platform the whole suite stands on: text renders into images
// (so fonts are installed and the offscreen platform works).
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTextDocument>

#include <gtest/gtest.h>

namespace {

int CountDarkPixels(const QImage& image)
{
    int dark = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 128)
                ++dark;
    return dark;
}

}  // namespace

TEST(HeadlessRendering, TextDocumentPaintsGlyphs)
{
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("offscreen"));
    struct Case {
        const char* script;
        QString text;
    };
    const Case cases[] = {
        {"latin", QStringLiteral("Interview with a researcher")},
        {"cjk", QString::fromUtf8("\xe8\xae\xbf\xe8\xb0\x88\xe8\xae\xb0\xe5\xbd\x95")},
        {"thai", QString::fromUtf8("\xe0\xb8\xaa\xe0\xb8\xa7\xe0\xb8\xb1\xe0\xb8\xaa\xe0\xb8\x94\xe0\xb8\xb5")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        QTextDocument doc;
        doc.setDefaultFont(QFont(QStringLiteral("DejaVu Sans"), 14));
        doc.setPlainText(c.text);
        QImage image(400, 60, QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            doc.drawContents(&painter);
        }
        // A box glyph would also be dark; real glyphs of a line give far more.
        EXPECT_GT(CountDarkPixels(image), 40);
    }
}
