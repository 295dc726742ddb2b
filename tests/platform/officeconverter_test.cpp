// LibreOffice ends with 0 even when it could not convert: the converter
// judges by the file it expects, and says why there is none.
#include "platform/office/officeconverter.h"

#include "common/testutil.h"

#include <QDir>

#include <gtest/gtest.h>

TEST(OfficeConverter, AFileLibreOfficeCannotLoadIsAFailure)
{
    if (FindOfficeProgram().isEmpty())
        GTEST_SKIP() << "LibreOffice is not installed";
    testutil::TempDir dir;
    const QString source = dir.file(QStringLiteral("damaged.xlsx"));
    ASSERT_TRUE(testutil::WriteFile(source, QByteArray("PK\x03\x04 not a workbook")));
    const QString out = dir.file(QStringLiteral("out"));
    ASSERT_TRUE(QDir().mkpath(out));
    QString made = QStringLiteral("stale");
    QString error;
    EXPECT_EQ(ConvertWithOffice(source, QStringLiteral("xls:MS Excel 97"), out, made, error),
              OfficeConvertResult::Failed);
    EXPECT_TRUE(made.isEmpty());
    EXPECT_TRUE(error.contains(source)) << error.toStdString();
    EXPECT_TRUE(QDir(out).isEmpty());
}

TEST(OfficeConverter, WithoutLibreOfficeNothingRuns)
{
    const QByteArray saved = qgetenv("PATH");
    testutil::TempDir empty;
    qputenv("PATH", empty.path().toUtf8());
    QString made;
    QString error;
    const OfficeConvertResult result =
        ConvertWithOffice(empty.file(QStringLiteral("a.xlsx")), QStringLiteral("xls:MS Excel 97"), empty.path(), made, error);
    qputenv("PATH", saved);
    EXPECT_EQ(result, OfficeConvertResult::NotInstalled);
    EXPECT_TRUE(error.contains(QStringLiteral("LibreOffice"))) << error.toStdString();
}
