#pragma once

// Screenshots compared against reference pictures in tests/data.
//
// Tests draw with the fonts the shared test main pins (DejaVu for every
// family), whatever else the machine has installed. Antialiasing and hinting
// still vary a little, so a picture need not match to the pixel: a pixel
// counts as different only when one of its
// channels moves by more than a tolerance, and a small share of different
// pixels is allowed. A layout that breaks (a control moved, cut off or
// missing) changes far more than that.
//
// Set KORVAN_RECORD_SCREENSHOTS=1 to write the pictures taken as the new
// references instead of comparing; review them before committing.

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QString>
#include <QWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace testutil {

struct ImageTolerance {
    int channel = 40;                ///< largest change of a channel that still counts as equal
    double differentShare = 0.01;    ///< share of pixels that may differ
};

/// True while references are being recorded.
inline bool RecordingScreenshots()
{
    return !qEnvironmentVariableIsEmpty("KORVAN_RECORD_SCREENSHOTS");
}

/// Compares `actual` with the PNG at `referencePath`. On a mismatch the
/// picture taken is kept beside the temporary folder's other files and
/// named in the message, for a look.
inline ::testing::AssertionResult MatchesReferenceImage(const QImage& actual, const QString& referencePath,
                                                        ImageTolerance tolerance = {})
{
    if (actual.isNull())
        return ::testing::AssertionFailure() << "no picture was taken";
    if (RecordingScreenshots()) {
        QDir().mkpath(QFileInfo(referencePath).absolutePath());
        if (!actual.save(referencePath, "PNG"))
            return ::testing::AssertionFailure() << "cannot record " << referencePath.toStdString();
        return ::testing::AssertionSuccess() << "recorded";
    }
    const QImage expected(referencePath, "PNG");
    const QString keptPath = QDir(QDir::tempPath()).filePath(QFileInfo(referencePath).completeBaseName()
                                                              + QStringLiteral(".actual.png"));
    if (expected.isNull()) {
        actual.save(keptPath, "PNG");
        return ::testing::AssertionFailure() << "no reference picture " << referencePath.toStdString()
                                             << " (record it with KORVAN_RECORD_SCREENSHOTS=1; taken: "
                                             << keptPath.toStdString() << ")";
    }
    if (expected.size() != actual.size()) {
        actual.save(keptPath, "PNG");
        return ::testing::AssertionFailure() << "size " << actual.width() << "x" << actual.height()
                                             << " differs from the reference's " << expected.width() << "x"
                                             << expected.height() << " (taken: " << keptPath.toStdString() << ")";
    }
    const QImage a = actual.convertToFormat(QImage::Format_ARGB32);
    const QImage e = expected.convertToFormat(QImage::Format_ARGB32);
    qint64 different = 0;
    for (int y = 0; y < a.height(); ++y) {
        const auto* lineA = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* lineE = reinterpret_cast<const QRgb*>(e.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            const int delta = std::max({std::abs(qRed(lineA[x]) - qRed(lineE[x])),
                                        std::abs(qGreen(lineA[x]) - qGreen(lineE[x])),
                                        std::abs(qBlue(lineA[x]) - qBlue(lineE[x])),
                                        std::abs(qAlpha(lineA[x]) - qAlpha(lineE[x]))});
            if (delta > tolerance.channel)
                ++different;
        }
    }
    const double share = double(different) / double(qint64(a.width()) * a.height());
    if (share > tolerance.differentShare) {
        actual.save(keptPath, "PNG");
        return ::testing::AssertionFailure() << different << " pixels (" << share * 100
                                             << " %) differ from " << referencePath.toStdString()
                                             << " (taken: " << keptPath.toStdString() << ")";
    }
    return ::testing::AssertionSuccess();
}

/// The widget as it draws itself, compared as above.
inline ::testing::AssertionResult MatchesReferenceImage(QWidget* widget, const QString& referencePath,
                                                        ImageTolerance tolerance = {})
{
    if (!widget)
        return ::testing::AssertionFailure() << "no widget";
    return MatchesReferenceImage(widget->grab().toImage(), referencePath, tolerance);
}

}  // namespace testutil
