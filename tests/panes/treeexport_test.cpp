// Both trees written as a workbook and as rich text, and read back.

#include "treefixture.h"

#include "foundation/workbook.h"
#include "platform/rtf/rtfreader.h"
#include "store/topicdatabase.h"

#include <QTextDocument>

#include <gmock/gmock.h>

using testing::ElementsAre;
using treetest::TreeTest;

namespace {

QStringList RichTextLines(const QString& path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    QTextDocument document;
    EXPECT_TRUE(rtf::ReadRtf(file.readAll(), document).ok);
    return document.toPlainText().split(QChar::ParagraphSeparator).join('\n').split('\n');
}

TEST_F(TreeTest, TheCodeSystemIsWrittenAsAWorkbookWithOneColumnPerLevel)
{
    BuildProject();
    const QString target = dir.file(QStringLiteral("codes.xlsx"));
    QString saved;
    QString error;
    ASSERT_TRUE(codeTree.ExportToExcel(target, false, true, false, &saved, &error)) << error.toStdString();
    EXPECT_EQ(saved, target);
    WorkbookSheetContent sheet;
    ASSERT_TRUE(ReadWorkbookSheet(target, 0, sheet, &error)) << error.toStdString();
    // Names stand in the column of their level, the counts after the deepest.
    EXPECT_EQ(sheet.Text(0, 0), QStringLiteral("Emotions"));
    EXPECT_EQ(sheet.Text(1, 1), QStringLiteral("Joy"));
    EXPECT_EQ(sheet.Cell(1, 3).kind, WorkbookCell::Number);
    EXPECT_EQ(sheet.Cell(1, 3).number, 3.0);
    EXPECT_EQ(sheet.Text(3, 2), QStringLiteral("At night"));
    EXPECT_EQ(sheet.Text(4, 0), QStringLiteral("Places"));
    EXPECT_EQ(sheet.rows, 5);
}

TEST_F(TreeTest, BothTreesAreWrittenAsRichTextWithMemos)
{
    BuildProject();
    const qint32 memo = Add(TopicId::Memos, {{MemoField::Title, QStringLiteral("Joy")},
                                             {MemoField::Text, QByteArray("{\\rtf1\\ansi Everything about joy}")}});
    RowBuffer row;
    FieldValue value;
    ASSERT_TRUE(db().ReadRow(TopicId::Codes, codeJoy, row, false) && row.GetFieldValue(CodeField::MemoID, value));
    value.SetInt(memo);
    ASSERT_TRUE(row.Commit(false, false));

    const QString codes = dir.file(QStringLiteral("codes.rtf"));
    ASSERT_TRUE(codeTree.ExportToExcel(codes, true, false, false));
    EXPECT_THAT(RichTextLines(codes), ElementsAre("Emotions [0]", "Joy [3]", "Everything about joy", "Fear [0]",
                                                  "At night [0]", "Places [0]"));
    const QString documents = dir.file(QStringLiteral("documents.rtf"));
    ASSERT_TRUE(docTree.ExportToExcel(documents, false, false, false));
    EXPECT_THAT(RichTextLines(documents),
                ElementsAre("Documents", "\t\tLoose page", "Interviews", "\t\tAnna", "\t\tBen", "Notes",
                            "\t\tField note", "Sets", "Women", "\t\tInterviews\\Anna"));
}

TEST_F(TreeTest, AnExportThatCannotBeWrittenSaysSoAndLeavesNoFile)
{
    BuildProject();
    const QString target = dir.file(QStringLiteral("missing/folder/codes.rtf"));
    QString error;
    EXPECT_FALSE(codeTree.ExportToExcel(target, false, false, false, nullptr, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(QFile::exists(target));
}

}  // namespace
