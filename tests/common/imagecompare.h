#pragma once

// Screenshot comparison against reference pictures under tests/data.

#include "common/testutil.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QString>

#include <gtest/gtest.h>

#include <cstdlib>

namespace testutil {

/// Compares `actual` with the reference PNG `relative` under tests/data: the
/// sizes must agree and at most `maxDifferent` pixels may differ by more than
/// `tolerance` in any channel (font hinting moves a few). With the
/// environment variable KORVAN_UPDATE_REFERENCES set the reference is
/// written instead. A mismatching picture is saved beside the temporary
/// folder's root as "<name>.actual.png" for inspection.
inline ::testing::AssertionResult MatchesReference(const QImage& actual, const QString& relative,
                                                   int tolerance = 16, int maxDifferent = 20)
{
    const QString path = DataPath(relative);
    if (qEnvironmentVariableIsSet("KORVAN_UPDATE_REFERENCES")) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        if (!actual.save(path, "PNG"))
            return ::testing::AssertionFailure() << "cannot write " << path.toStdString();
        return ::testing::AssertionSuccess();
    }
    const QImage expected(path, "PNG");
    if (expected.isNull())
        return ::testing::AssertionFailure() << "no reference picture " << path.toStdString();
    const QImage a = actual.convertToFormat(QImage::Format_ARGB32);
    const QImage e = expected.convertToFormat(QImage::Format_ARGB32);
    const auto keepActual = [&] {
        const QString saved = QDir(QDir::tempPath()).filePath(QFileInfo(path).completeBaseName() + ".actual.png");
        a.save(saved, "PNG");
        return saved.toStdString();
    };
    if (a.size() != e.size())
        return ::testing::AssertionFailure() << "size " << a.width() << "x" << a.height() << " against "
                                             << e.width() << "x" << e.height() << "; actual in " << keepActual();
    int different = 0;
    for (int y = 0; y < a.height(); ++y) {
        const auto* pa = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* pe = reinterpret_cast<const QRgb*>(e.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            if (std::abs(qRed(pa[x]) - qRed(pe[x])) > tolerance || std::abs(qGreen(pa[x]) - qGreen(pe[x])) > tolerance
                || std::abs(qBlue(pa[x]) - qBlue(pe[x])) > tolerance || std::abs(qAlpha(pa[x]) - qAlpha(pe[x])) > tolerance)
                ++different;
        }
    }
    if (different > maxDifferent)
        return ::testing::AssertionFailure() << different << " pixels differ from " << relative.toStdString()
                                             << "; actual in " << keepActual();
    return ::testing::AssertionSuccess();
}

}  // namespace testutil
