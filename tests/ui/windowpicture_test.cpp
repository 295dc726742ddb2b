// A window written as a PNG file.

#include "common/testutil.h"
#include "ui/windowpicture.h"

#include <QImage>
#include <QPalette>
#include <QWidget>

#include <gtest/gtest.h>

TEST(WindowPicture, SavesWhatTheWindowShows)
{
    QWidget window;
    window.resize(120, 80);
    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, QColor(200, 30, 40));
    window.setPalette(palette);
    window.setAutoFillBackground(true);

    testutil::TempDir dir;
    const QString path = dir.file(QStringLiteral("window.png"));
    ASSERT_TRUE(SaveWindowAsPng(&window, path));
    const QImage picture(path, "PNG");
    ASSERT_EQ(picture.size(), QSize(120, 80));
    EXPECT_EQ(picture.pixel(60, 40), qRgb(200, 30, 40));

    EXPECT_FALSE(SaveWindowAsPng(nullptr, dir.file(QStringLiteral("none.png"))));
    EXPECT_FALSE(QFile::exists(dir.file(QStringLiteral("none.png"))));
}
