#pragma once

// Compares a window's picture with a reference PNG in tests/data/screenshots.
// A pixel differs when any channel is off by more than the channel
// tolerance; the picture matches while few enough pixels differ (fonts and
// antialiasing vary a little between machines). With the environment
// variable KORVAN_RECORD_SCREENSHOTS set, the picture becomes the new
// reference instead. A failed comparison leaves the actual picture and a
// map of the differences in the temp folder.

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QString>
#include <QWidget>

#include <algorithm>
#include <cstdlib>

struct ScreenshotTolerance {
    int channel = 40;               // per channel, 0..255
    double differingFraction = 0.01;  // of all pixels
};

inline QString ScreenshotReferencePath(const QString& name)
{
    return QDir(QStringLiteral(KORVAN_TEST_DATA_DIR "/screenshots")).filePath(name + QStringLiteral(".png"));
}

inline ::testing::AssertionResult CompareScreenshot(const QImage& picture, const QString& name,
                                                    ScreenshotTolerance tolerance = {})
{
    const QImage actual = picture.convertToFormat(QImage::Format_ARGB32);
    const QString path = ScreenshotReferencePath(name);
    if (!qEnvironmentVariableIsEmpty("KORVAN_RECORD_SCREENSHOTS")) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        if (!actual.save(path, "PNG"))
            return ::testing::AssertionFailure() << "cannot write " << path.toStdString();
        return ::testing::AssertionSuccess() << "recorded " << path.toStdString();
    }
    const QString keep = QDir::temp().filePath(QStringLiteral("korvan-%1-actual.png").arg(name));
    QImage reference(path);
    if (reference.isNull()) {
        actual.save(keep, "PNG");
        return ::testing::AssertionFailure() << "no reference " << path.toStdString()
                                             << " (set KORVAN_RECORD_SCREENSHOTS=1 to record; actual in "
                                             << keep.toStdString() << ")";
    }
    reference = reference.convertToFormat(QImage::Format_ARGB32);
    if (reference.size() != actual.size()) {
        actual.save(keep, "PNG");
        return ::testing::AssertionFailure()
               << "size " << actual.width() << "x" << actual.height() << ", reference " << reference.width() << "x"
               << reference.height() << " (actual in " << keep.toStdString() << ")";
    }
    QImage differences(actual.size(), QImage::Format_ARGB32);
    differences.fill(Qt::white);
    qint64 differing = 0;
    for (int y = 0; y < actual.height(); ++y) {
        const auto* a = reinterpret_cast<const QRgb*>(actual.constScanLine(y));
        const auto* r = reinterpret_cast<const QRgb*>(reference.constScanLine(y));
        for (int x = 0; x < actual.width(); ++x) {
            const int off = std::max({std::abs(qRed(a[x]) - qRed(r[x])), std::abs(qGreen(a[x]) - qGreen(r[x])),
                                      std::abs(qBlue(a[x]) - qBlue(r[x])), std::abs(qAlpha(a[x]) - qAlpha(r[x]))});
            if (off > tolerance.channel) {
                ++differing;
                differences.setPixel(x, y, qRgb(255, 0, 0));
            }
        }
    }
    const qint64 allowed = qint64(tolerance.differingFraction * actual.width() * actual.height());
    if (differing <= allowed)
        return ::testing::AssertionSuccess();
    actual.save(keep, "PNG");
    differences.save(QDir::temp().filePath(QStringLiteral("korvan-%1-diff.png").arg(name)), "PNG");
    return ::testing::AssertionFailure() << differing << " pixels differ (allowed " << allowed << ") from "
                                         << path.toStdString() << "; actual in " << keep.toStdString();
}

/// The widget as it paints now, at its own size.
inline ::testing::AssertionResult CompareScreenshot(QWidget& widget, const QString& name,
                                                    ScreenshotTolerance tolerance = {})
{
    return CompareScreenshot(widget.grab().toImage(), name, tolerance);
}
