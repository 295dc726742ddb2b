// The rich-text outputs: memo blocks, coding and memo lists written as RTF
// files (read back by LibreOffice when it is installed), the search hits in
// three context widths, and the category overviews with their markers.

#include "lexicalfixture.h"

#include "document/rowfields.h"
#include "platform/office/officeconverter.h"
#include "platform/rtf/rtfreader.h"
#include "store/topicdatabase.h"

#include <QFileInfo>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QtEndian>

namespace lexicaltest {
namespace {

class RichOutputs : public LexicalTest {
protected:
    void SetUp() override
    {
        LexicalTest::SetUp();
        control = CreateHiddenRichEdit();
    }
    void Clear() { control->SetText(QStringLiteral("")); }

    /// The control's text with paragraph ends as "|".
    static QString Plain(const CRichEditCtrlEx& edit) { return QString(edit.TextMap().text()).replace(u'\r', u'|'); }

    qint32 Memo(const QString& title, qint32 document, qint32 position, qint32 paragraph, qint32 memoCode,
                const QList<qint32>& codes)
    {
        QByteArray ids;
        for (const qint32 id : codes) {
            char bytes[4];
            qToLittleEndian<qint32>(id, bytes);
            ids.append(bytes, 4);
        }
        doctest::FieldValues values = {{MemoField::Title, title},
                                       {MemoField::Document, document},
                                       {MemoField::Pos, position},
                                       {MemoField::Paragraph, paragraph},
                                       {MemoField::Code, memoCode},
                                       {9, QStringLiteral("Ada")},
                                       {MemoField::Text, doctest::RtfOf({title + QStringLiteral(" says hello")})}};
        if (!ids.isEmpty())
            values.push_back({12, ids});
        const qint32 memo = AddMemo(values);
        RowBuffer row;
        EXPECT_TRUE(db().ReadRow(TopicId::Memos, memo, row, false));
        EXPECT_TRUE(rowfields::SetDate(row, 10, QDateTime(QDate(2024, 5, 6), QTime(7, 8))));
        EXPECT_TRUE(row.Commit(false, true));
        return memo;
    }
    qint32 CodeRange(qint32 start, qint32 end, qint32 weight = 50)
    {
        CodingRecord record;
        record.TextID = report;
        record.WordID = code;
        record.StartChar = start;
        record.FinishChar = end;
        record.StartPara = 2;
        record.FinishPara = 3;
        record.Weight = weight;
        record.Text = doctest::RtfOf({reportText.mid(start, end - start)});
        qint32 action = 0;
        bool written = false;
        doc.AddCoding(record, action, OverlapMode::Replace, &written, false);
        EXPECT_TRUE(written);
        return record.ID;
    }
    /// The file as LibreOffice reads it, as plain text lines; empty (and
    /// the test skipped) without LibreOffice.
    QStringList OfficeText(const QString& file)
    {
        QString converted;
        QString error;
        if (ConvertWithOffice(file, QStringLiteral("txt:Text"), dir.path(), converted, error) !=
            OfficeConvertResult::Converted) {
            ADD_FAILURE() << error.toStdString();
            return {};
        }
        QString text = QString::fromUtf8(testutil::ReadFile(converted));
        text.remove(u'\r');
        return text.split(u'\n');
    }

    std::unique_ptr<CRichEditCtrlEx> control;
};

TEST_F(RichOutputs, SegmentMemosAreTheDocumentsMemosInsideTheRange)
{
    CodeRecord record;
    record.name = QStringLiteral("Other");
    const qint32 other = doc.NewCode(record);
    Memo(QStringLiteral("Before"), report, 4, 0, 0, {});
    Memo(QStringLiteral("At the end"), report, 20, 2, 0, {code, other});
    Memo(QStringLiteral("Elsewhere"), scan, 10, 0, 0, {});
    Memo(QStringLiteral("After"), report, 21, 0, 0, {});
    EXPECT_TRUE(doc.WriteSegmentMemos(control.get(), report, 5, 20));
    const QString date = QLocale().toString(QDate(2024, 5, 6), QLocale::ShortFormat);
    EXPECT_EQ(Plain(*control), QStringLiteral("Memo\t\tAt the end|Document\tReport|Paragraph\t\t2|Author\t\tAda|"
                                              "Date\t%1|Codes\tAuto|\t\tOther|||At the end says hello|||")
                                   .arg(date));
    EXPECT_FALSE(doc.WriteSegmentMemos(nullptr, report, 0, 100));
}

TEST_F(RichOutputs, MemoListIsAnRtfFileOpenedAfterwards)
{
    const qint32 withCode = Memo(QStringLiteral("Of a code"), 0, -1, 0, code, {});
    const qint32 loose = Memo(QStringLiteral("Loose"), 0, -1, 0, 0, {});
    const QString file = dir.file(QStringLiteral("memos.rtf"));
    ASSERT_TRUE(doc.SaveMemosRtf(file, {withCode, loose}));
    EXPECT_EQ(opened, QStringList{file});
    QTextDocument read;
    ASSERT_TRUE(rtf::ReadRtf(testutil::ReadFile(file), read).ok);
    const QString text = read.toPlainText();
    // A memo without document and code has no second line.
    EXPECT_TRUE(text.contains(QStringLiteral("Memo\t\tOf a code\nCode\tAuto\nAuthor\t\tAda\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("Memo\t\tLoose\nAuthor\t\tAda\n")));
    if (FindOfficeProgram().isEmpty())
        GTEST_SKIP() << "LibreOffice is not installed";
    const QStringList lines = OfficeText(file);
    EXPECT_TRUE(lines.contains(QStringLiteral("Memo\t\tLoose")));
    EXPECT_TRUE(lines.contains(QStringLiteral("Loose says hello")));
}

TEST_F(RichOutputs, CodingListHasAHeaderPerCodingAndTheCodedText)
{
    const qint32 second = qint32(reportText.indexOf(QStringLiteral("A second")));
    const qint32 one = CodeRange(second, second + 8, 40);
    const QString file = dir.file(QStringLiteral("one.rtf"));
    ASSERT_TRUE(doc.SaveSegmentListRtf(file, {one}));
    QTextDocument read;
    ASSERT_TRUE(rtf::ReadRtf(testutil::ReadFile(file), read).ok);
    // One coding: no separating line before its header.
    EXPECT_EQ(read.toPlainText(),
              QStringLiteral("Document:\tReport\nWeight:\t40\nPosition:\t2 - 3\nCode:\t\tAuto\nA second\n"));
    const QTextCharFormat header = read.begin().begin().fragment().charFormat();
    EXPECT_EQ(header.fontFamilies().toStringList().value(0), QStringLiteral("Arial"));
    EXPECT_EQ(header.fontWeight(), QFont::Bold);
    EXPECT_EQ(header.foreground().color(), ToQColor(0x404040));

    const qint32 two = CodeRange(second + 30, second + 40, 60);
    ASSERT_TRUE(doc.SaveSegmentListRtf(file, {one, 999, two}));
    ASSERT_TRUE(rtf::ReadRtf(testutil::ReadFile(file), read).ok);
    EXPECT_TRUE(read.toPlainText().contains(QStringLiteral("A second\n\nDocument:\tReport\nWeight:\t60\n")));
    EXPECT_EQ(opened.size(), 2);
    if (FindOfficeProgram().isEmpty())
        GTEST_SKIP() << "LibreOffice is not installed";
    const QStringList lines = OfficeText(file);
    EXPECT_EQ(lines.count(QStringLiteral("Document:\tReport")), 2);
    EXPECT_TRUE(lines.contains(QStringLiteral("Weight:\t60")));
    EXPECT_TRUE(lines.contains(QStringLiteral("A second")));
}

TEST_F(RichOutputs, AFileThatCannotBeWrittenIsReportedAndNotOpened)
{
    const QString file = dir.file(QStringLiteral("no folder/list.rtf"));
    EXPECT_FALSE(doc.SaveMemosRtf(file, {}));
    EXPECT_FALSE(doc.SaveSegmentListRtf(file, {}));
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(file));
    ASSERT_EQ(messages.texts.size(), 2);
    EXPECT_TRUE(messages.texts[0].contains(file));
}

TEST_F(RichOutputs, SearchHitsBySentenceHitAndParagraph)
{
    const QList<qint32> hits = {ReportHit(1, 1), ReportHit(2, 2), ReportHit(3, 2), Hit(scan, 6, 10, 1, 1),
                                Hit(report, 0, 2, 1, 1, 1)};
    bool pdfSeen = false;
    EXPECT_EQ(doc.FormatSearchHitList(hits, control.get(), pdfSeen), 3);
    EXPECT_TRUE(pdfSeen);
    EXPECT_EQ(Plain(*control), QStringLiteral("Report (1)|Is it work?||Report (2)|A second paragraph with work and more "
                                              "work.||Report (2)|A second paragraph with work and more work.||"));

    Clear();
    EXPECT_EQ(doc.FormatSearchHitCounts(hits, control.get(), false), 4);
    EXPECT_EQ(Plain(*control), QStringLiteral("Report (1)|work||Report (2)|work||Report (2)|work||Scan (1)|work||"));
    Clear();
    EXPECT_EQ(doc.FormatSearchHitCounts(hits, control.get(), true), 1);

    // Two hits in one paragraph give one block.
    Clear();
    pdfSeen = false;
    EXPECT_EQ(doc.FormatSearchHitRanges(hits, control.get(), pdfSeen), 2);
    EXPECT_TRUE(pdfSeen);
    EXPECT_EQ(Plain(*control), QStringLiteral("Report (1-1)|Dr. Who works at home. Is it work? Yes!|"
                                              "Report (2-2)|A second paragraph with work and more work.|"));

    EXPECT_EQ(doc.WriteSearchHitsInContext(hits[0]), QStringLiteral("Is it work?"));
    EXPECT_EQ(doc.WriteSearchHitsByDocument(hits[3]), QStringLiteral("work"));
    EXPECT_EQ(doc.WriteSearchHitsPlain(hits[1]), QStringLiteral("A second paragraph with work and more work."));
    EXPECT_TRUE(doc.WriteSearchHitsPlain(hits[4]).isEmpty());  // marked
    EXPECT_EQ(doc.FormatSearchHitList(hits, nullptr, pdfSeen), 0);
}

TEST_F(RichOutputs, CategoryMarkersFollowEachHit)
{
    QList<qint32> counts;
    const QString text = QStringLiteral("alpha Work work Home home");
    EXPECT_EQ(doc.MarkCategoryHits(report, 0, text, 100, {jobs, eco}, counts, control.get(), code), 4);
    EXPECT_EQ(counts, (QList<qint32>{2, 2}));
    EXPECT_EQ(Plain(*control), QStringLiteral("alpha[7] Work[5] work[5] Home[7] home"));
    // The markers on yellow, the text as it was.
    QTextCursor cursor(control->GetDocument());
    cursor.setPosition(7);
    EXPECT_EQ(cursor.charFormat().background().color(), ToQColor(0x00FFFF));
    EXPECT_EQ(cursor.charFormat().fontFamilies().toStringList().value(0), QStringLiteral("Tahoma"));
    cursor.setPosition(3);
    EXPECT_NE(cursor.charFormat().background().color(), ToQColor(0x00FFFF));
    // The hits carry the base position and the code.
    ASSERT_EQ(doc.GetOverviewHits().size(), 4);
    EXPECT_EQ(doc.GetOverviewHits()[0].base, 100);
    EXPECT_EQ(doc.GetOverviewHits()[0].code, code);
    // Without a control only the counting.
    EXPECT_EQ(doc.MarkCategoryHits(report, 0, text, 0, {eco}, counts, nullptr, 0), 2);
    EXPECT_EQ(counts, (QList<qint32>{4, 2}));
}

TEST_F(RichOutputs, DocumentOverviewHasAHeadingAndTheMarkedTexts)
{
    EXPECT_EQ(doc.WriteOverview(report, control.get()), 5);
    const QString text = Plain(*control);
    EXPECT_TRUE(text.startsWith(QStringLiteral("Report||Dr. Who works at home. Is it work[5]? Yes!|"))) << text.toStdString();
    QTextCursor cursor(control->GetDocument());
    cursor.setPosition(1);
    EXPECT_EQ(cursor.charFormat().foreground().color(), ToQColor(0x800000));
    Clear();
    EXPECT_EQ(doc.WriteOverview(scan, control.get()), 3);
    EXPECT_EQ(Plain(*control), QStringLiteral("Scan||Alpha[7] work[5] beta||More work[5]||"));
}

TEST_F(RichOutputs, OverviewRowsCountTheHitsInsideTheCodings)
{
    const qint32 with = qint32(reportText.indexOf(QStringLiteral("with work")));
    // The stored end is exclusive: "with wor" holds no hit.
    CodeRange(with, with + 8);
    CodeRange(with + 14, with + 23);  // "more work"
    EXPECT_TRUE(doc.BuildOverviewTable(1, {report, sheet}, {code}));
    TopicTable* table = db().GetTable(TopicId::OverviewTable);
    QList<qint32> rows;
    db().GetAllKeys(TopicId::OverviewTable, rows);
    ASSERT_EQ(rows.size(), 2);
    const auto value = [&](qint32 row, qint32 field) { return table->GetIntValue(row, field); };
    EXPECT_EQ(value(rows[0], OverviewField::Document), report);
    EXPECT_EQ(value(rows[0], OverviewField::Code), code);
    EXPECT_EQ(value(rows[0], OverviewField::Group), group);
    EXPECT_EQ(value(rows[0], OverviewField::Segments), 2);
    EXPECT_EQ(value(rows[0], OverviewField::Result), 1);
    EXPECT_EQ(value(rows[0], jobs), 1);
    EXPECT_EQ(value(rows[0], eco), 0);
    EXPECT_EQ(value(rows[1], OverviewField::Result), 0);

    // The dictionary's switch leaves out rows where nothing was found.
    g_dictioOptions.SetBool(DictioOption::WholeWords, true);
    EXPECT_TRUE(doc.BuildOverviewTable(1, {report, sheet}, {code}));
    db().GetAllKeys(TopicId::OverviewTable, rows);
    EXPECT_EQ(rows.size(), 1);
    EXPECT_EQ(doc.GetOverviewHits().size(), 1);

    // Above the target depth the rows come from the subcodes.
    EXPECT_EQ(doc.BuildOverviewRows(report, 0, 0, 1, nullptr), 1);
}

}  // namespace
}  // namespace lexicaltest
