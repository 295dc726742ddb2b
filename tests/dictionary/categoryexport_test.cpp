// The category export: paths from the tree's order and the exact bytes.

#include "dictionary/categoryexport.h"

#include "common/testutil.h"

#include <QFile>

#include <gtest/gtest.h>

TEST(CategoryExportTest, PathsFollowThePreorderAndWordsTheirLines)
{
    const QList<CategoryExportItem> tree = {
        {1, 0, QStringLiteral("Emotion"), {QStringLiteral("angry"), QStringLiteral("sad")}},
        {2, 1, QStringLiteral("Anger"), {}},
        {3, 2, QStringLiteral("Rage"), {QStringLiteral("fury")}},
        {4, 0, QStringLiteral("Places"), {}},
        {5, 99, QStringLiteral("Orphan"), {}},   // parent not listed: bare name
    };
    EXPECT_EQ(BuildCategoryExportText(tree),
              QStringLiteral("Emotion\tangry\r\n\tsad\r\nEmotion\\Anger\t\r\nEmotion\\Anger\\Rage\tfury\r\n"
                             "Places\t\r\nOrphan\t\r\n"));
    EXPECT_EQ(BuildCategoryExportText({}), QString());
}

TEST(CategoryExportTest, TheFileIsUtf16WithMarkOrUntouched)
{
    testutil::TempDir dir;
    const QString path = dir.file(QStringLiteral("export.txt"));
    const QList<CategoryExportItem> tree = {
        {1, 0, QStringLiteral("Emotion"), {QStringLiteral("angry"), QStringLiteral("sad")}},
        {2, 1, QStringLiteral("Anger"), {}},
    };
    ASSERT_TRUE(WriteUtf16TextFile(path, BuildCategoryExportText(tree)));
    const QByteArray expected = QByteArray("\xFF\xFE", 2) +
                                QByteArray("E\0m\0o\0t\0i\0o\0n\0\t\0a\0n\0g\0r\0y\0\r\0\n\0\t\0s\0a\0d\0\r\0\n\0"
                                           "E\0m\0o\0t\0i\0o\0n\0\\\0A\0n\0g\0e\0r\0\t\0\r\0\n\0",
                                           (7 + 1 + 5 + 2 + 1 + 3 + 2 + 7 + 1 + 5 + 1 + 2) * 2);
    EXPECT_EQ(testutil::ReadFile(path), expected);

    // A folder that is not there: an error.
    QString error;
    EXPECT_FALSE(WriteUtf16TextFile(dir.file(QStringLiteral("no/such/x.txt")), QStringLiteral("x"), &error));
    EXPECT_FALSE(error.isEmpty());
    // A folder in the file's place is not replaced.
    EXPECT_FALSE(WriteUtf16TextFile(dir.path(), QStringLiteral("other")));
    EXPECT_EQ(testutil::ReadFile(path), expected);
}
