// Small widgets and drawing classes: pictures, captions, strips, links and
// the folder picker.

#include "common/testutil.h"
#include "ui/dib.h"
#include "ui/extlabellink.h"
#include "ui/folderpickerdialog.h"
#include "ui/imagelistex.h"
#include "ui/richtextrenderer.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QPainter>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

QImage blank(int w, int h)
{
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(Qt::white);
    return image;
}

/// Takes the URLs the desktop would open.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened.append(url); }
};

}  // namespace

TEST(Dib, SameSizeCopiesOtherSizesStretch)
{
    QImage picture(2, 1, QImage::Format_ARGB32);
    picture.setPixel(0, 0, qRgb(255, 0, 0));
    picture.setPixel(1, 0, qRgb(0, 0, 255));
    CDib dib;
    QImage target = blank(8, 4);
    QPainter painter(&target);
    EXPECT_FALSE(dib.Draw(painter));
    dib.SetImage(picture);
    const QRect copy(1, 1, 2, 1);
    ASSERT_TRUE(dib.Draw(painter, &copy));
    const QRect stretch(4, 0, 4, 2);
    ASSERT_TRUE(dib.Draw(painter, &stretch));
    painter.end();
    EXPECT_EQ(target.pixel(1, 1), qRgb(255, 0, 0));
    EXPECT_EQ(target.pixel(2, 1), qRgb(0, 0, 255));
    EXPECT_EQ(target.pixel(3, 1), qRgb(255, 255, 255));
    // Stretched twice as wide and high, pixel by pixel.
    for (int x = 4; x < 8; ++x)
        for (int y = 0; y < 2; ++y)
            EXPECT_EQ(target.pixel(x, y), x < 6 ? qRgb(255, 0, 0) : qRgb(0, 0, 255)) << x << "," << y;
    EXPECT_FALSE(dib.LoadFromFile(QStringLiteral("/nonexistent.png")));
    EXPECT_FALSE(dib.IsNull());
}

TEST(RichTextRenderer, DrawsInsideTheRectangleAndNothingForNoText)
{
    RichTextRenderer renderer;
    ASSERT_TRUE(renderer.Create(Qt::AlignRight, QStringLiteral("Tahoma"), 200));
    EXPECT_DOUBLE_EQ(renderer.Font().pointSizeF(), 10.0);
    EXPECT_FALSE(renderer.Create(Qt::AlignLeft, QStringLiteral("Tahoma"), 0));

    QImage target = blank(200, 40);
    {
        QPainter painter(&target);
        renderer.DrawText(painter, QString(), QRect(0, 0, 200, 40), Qt::black, Qt::yellow, false, false);
    }
    EXPECT_EQ(target, blank(200, 40));

    {
        QPainter painter(&target);
        renderer.DrawText(painter, QStringLiteral("Ab"), QRect(100, 0, 100, 20), Qt::black, QColor(), true, true);
    }
    // Right-aligned in its rectangle: ink near its right edge, none left of it.
    int leftmost = target.width();
    for (int y = 0; y < target.height(); ++y)
        for (int x = 0; x < target.width(); ++x)
            if (target.pixel(x, y) != qRgb(255, 255, 255))
                leftmost = std::min(leftmost, x);
    EXPECT_GT(leftmost, 150);
    for (int y = 20; y < 40; ++y)
        EXPECT_EQ(target.pixel(180, y), qRgb(255, 255, 255));
}

TEST(FolderPicker, StatusTextIsCutAfter35Characters)
{
    const QString exact(35, QLatin1Char('a'));
    EXPECT_EQ(FolderPickerDialog::ShortenText(exact), exact);
    EXPECT_EQ(FolderPickerDialog::ShortenText(exact + "b"), exact + "...");
}

TEST(FolderPicker, GivesTheChosenFolderOrKeepsTheInitialOne)
{
    testutil::TempDir root;
    QDir(root.path()).mkdir(QStringLiteral("inner"));
    const QString inner = QDir(root.path()).filePath(QStringLiteral("inner"));
    for (const bool choose : {true, false}) {
        SCOPED_TRACE(choose);
        FolderPickerDialog picker(root.path(), nullptr);
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            if (choose) {
                dialog->selectFile(inner);
                static_cast<QDialog*>(dialog)->accept();
            } else {
                dialog->reject();
            }
        });
        const int result = picker.DoModal();
        EXPECT_EQ(result, choose ? FolderPickerDialog::kOk : FolderPickerDialog::kCancel);
        EXPECT_EQ(QDir(picker.GetPath()), QDir(choose ? inner : root.path()));
    }
}

TEST(ImageStrip, CutsOneImagePerWidthWithTheMaskClear)
{
    QPixmap strip(64, 16);
    strip.fill(QColor(0, 255, 255));
    {
        QPainter p(&strip);
        for (int i = 0; i < 4; ++i)
            p.fillRect(i * 16 + 4, 4, 8, 8, QColor(i * 60, 0, 0));
    }
    CImageListEx images;
    ASSERT_TRUE(images.CreateFromBitmap(strip, 16, 16, QColor(0, 255, 255)));
    ASSERT_EQ(images.Count(), 4);
    const QImage third = images.Image(2).toImage().convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(qAlpha(third.pixel(0, 0)), 0);
    EXPECT_EQ(third.pixel(8, 8), qRgb(120, 0, 0));
    EXPECT_FALSE(images.CreateFromBitmap(QPixmap(), 16, 16, Qt::cyan));

    CIconButton button;
    EXPECT_TRUE(button.SetIconFromStrip(strip, QColor(0, 255, 255), 16));
    EXPECT_EQ(button.iconSize(), QSize(16, 16));
    EXPECT_FALSE(button.SetIconFromStrip(strip.copy(0, 0, 48, 16), QColor(0, 255, 255), 16));
}

TEST(LabelLink, AClickOpensTheLinkAndMarksItVisited)
{
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "open");
    struct Case {
        const char* link;
        const char* text;
        const char* opened;
    };
    for (const Case& c : {Case{"https://example.org/a", "Label", "https://example.org/a"},
                          Case{"", "https://example.org/from-text", "https://example.org/from-text"}}) {
        SCOPED_TRACE(c.text);
        catcher.opened.clear();
        CExtLabelLink label(QString::fromLatin1(c.link));
        label.setText(QString::fromLatin1(c.text));
        label.resize(200, 20);
        label.show();
        EXPECT_EQ(label.TextColour(), CExtLabelLink::kLinkColour);
        EXPECT_TRUE(label.font().underline());
        QTest::mouseClick(&label, Qt::LeftButton, {}, QPoint(5, 5));
        ASSERT_EQ(catcher.opened.size(), 1);
        EXPECT_EQ(catcher.opened[0], QUrl(QString::fromLatin1(c.opened)));
        EXPECT_EQ(label.TextColour(), CExtLabelLink::kVisitedColour);
    }
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
}

#include "smallwidgets_test.moc"
