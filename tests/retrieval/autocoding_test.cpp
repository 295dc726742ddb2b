// Autocoding of the search hits: the extents (hit, sentence, paragraphs
// with their context, table cell), what a coding holds, and that a run is
// one coding action, one transaction and one retrieval.

#include "lexicalfixture.h"

#include "foundation/optionsrecord.h"
#include "foundation/orderedwork.h"
#include "foundation/searchsettings.h"
#include "platform/rtf/rtfreader.h"
#include "store/topicdatabase.h"
#include "store/topicsearchsource.h"

#include <QTextDocument>

#include <array>

namespace lexicaltest {
namespace {

class AutoCoding : public LexicalTest {
protected:
    /// The code's codings as "document:text" (report and table: the text
    /// coded; PDF: "P<page>:start-end"), in key order.
    QString Codings()
    {
        QList<qint32> keys;
        db().FindKeysByParent(TopicId::Codings, TopicId::Codes, code, keys);
        std::sort(keys.begin(), keys.end());
        QStringList parts;
        for (const qint32 key : std::as_const(keys)) {
            const qint32 document = Int(key, CodingField::Document);
            const qint32 start = Int(key, CodingField::StartChar);
            const qint32 end = Int(key, CodingField::FinishChar);
            if (document == report) {
                parts << QStringLiteral("R:") + reportText.mid(start, end - start).replace(u'\r', u'|');
            } else if (document == sheet) {
                parts << QStringLiteral("T(%1,%2):%3-%4")
                             .arg(Int(key, CodingField::PosX1))
                             .arg(Int(key, CodingField::Page))
                             .arg(start)
                             .arg(end);
            } else {
                parts << QStringLiteral("P%1:%2-%3").arg(Int(key, CodingField::Page)).arg(start).arg(end);
            }
        }
        return parts.join(QStringLiteral(" / "));
    }
    qint32 Int(qint32 coding, qint32 field) { return db().GetIntValue(TopicId::Codings, coding, field); }
    QList<qint32> CodingKeys()
    {
        QList<qint32> keys;
        db().FindKeysByParent(TopicId::Codings, TopicId::Codes, code, keys);
        std::sort(keys.begin(), keys.end());
        return keys;
    }
    /// Hits in the report (P1 "work", P2 both, P3, P5), the PDF's first
    /// page, the table's second row, a marked hit in paragraph 4.
    void AddHits()
    {
        ReportHit(1, 1);
        ReportHit(2, 2);
        ReportHit(3, 2);
        ReportHit(4, 3);
        ReportHit(5, 5);
        Hit(scan, 6, 10, 1, 1);
        Hit(sheet, 8, 12, 1, 2);
        const qint32 nothing = qint32(reportText.indexOf(QStringLiteral("Nothing")));
        Hit(report, nothing, nothing + 7, 1, 4, 1);
    }
};

TEST_F(AutoCoding, ExactHitsOfEveryKindInOneActionAndOneRetrieval)
{
    AddHits();
    doc.GetRetrievalSettings().hitExtent = 0;
    EXPECT_EQ(doc.AutoCodeSearchHits(code), 7);
    EXPECT_EQ(Codings(), QStringLiteral("R:work / R:work / R:work / R:work / R:work / P1:6-10 / T(1,1):8-12"));
    EXPECT_EQ(retrieval.runs.size(), 1u);
    const QList<qint32> keys = CodingKeys();
    for (const qint32 key : keys) {
        EXPECT_EQ(Int(key, 1), keys.first()) << "one coding action";
        EXPECT_EQ(Value(TopicId::Codings, key, CodingField::Preview), QStringLiteral("work"));
    }
    // The table cell's coding in the stored form of cells.
    EXPECT_EQ(Int(keys.last(), CodingField::IsText), 2);
    EXPECT_EQ(Int(keys.last(), CodingField::StartPara), 2);
    // The report's third coding lies in paragraph 2 and holds its RTF.
    EXPECT_EQ(Int(keys[2], CodingField::StartPara), 2);
    EXPECT_EQ(Int(keys[2], CodingField::FinishPara), 2);
    QTextDocument segment;
    ASSERT_TRUE(rtf::ReadRtf(doctest::BlobOf(db(), TopicId::Codings, keys[2], CodingField::Text), segment).ok);
    EXPECT_EQ(segment.toPlainText(), QStringLiteral("work"));
    EXPECT_EQ(Value(TopicId::Codes, code, CodeField::Codes), QStringLiteral("7"));

    // Committed: they are there after reopening, counted in the file.
    Reopen();
    EXPECT_EQ(CodingKeys().size(), 7);
    EXPECT_EQ(Value(TopicId::Codes, code, CodeField::Codes), QStringLiteral("7"));
    EXPECT_EQ(Value(TopicId::Documents, report, DocumentField::Codes), QStringLiteral("5"));
    EXPECT_EQ(Value(TopicId::Documents, sheet, DocumentField::Codes), QStringLiteral("1"));
}

TEST_F(AutoCoding, SentencesThenThePdfHitsExactly)
{
    AddHits();
    doc.GetRetrievalSettings().hitExtent = 1;
    // The two hits of paragraph 2 lie in one sentence: one coding.
    EXPECT_EQ(doc.AutoCodeSearchHits(code), 6);
    EXPECT_EQ(Codings(), QStringLiteral("R:Is it work? / R:A second paragraph with work and more work. / "
                                        "R:See the HYPERLINK \"http://example.org\"site for work. / R:Last work line / "
                                        "T(1,1):3-18 / P1:6-10"));
    EXPECT_EQ(retrieval.runs.size(), 1u);
}

TEST_F(AutoCoding, AnAbbreviationDoesNotEndTheSentence)
{
    const qint32 works = qint32(reportText.indexOf(QStringLiteral("works")));
    Hit(report, works, works + 5, 1, 1);
    bool pdfSeen = true;
    EXPECT_EQ(doc.AutoCodeHitSentences(code, pdfSeen), 1);
    EXPECT_FALSE(pdfSeen);
    // Backwards the sentence starts after any "."; forwards "home." ends it.
    EXPECT_EQ(Codings(), QStringLiteral("R:Who works at home."));
}

TEST_F(AutoCoding, ParagraphsWithTheirContextMergedThenPdfAndCells)
{
    AddHits();
    doc.GetRetrievalSettings().hitExtent = 2;
    doc.GetRetrievalSettings().paragraphsAfter = 1;
    // Paragraphs 1-2, 2-3 (twice) and 3-4 merge into 1-4; 5 stays alone
    // (no paragraph after it); then the PDF hit and the table's cell.
    EXPECT_EQ(doc.AutoCodeSearchHits(code), 4);
    const QString first = reportText.left(reportText.indexOf(QStringLiteral("\rLast")));
    EXPECT_EQ(Codings(), QStringLiteral("R:") + QString(first).replace(u'\r', u'|') +
                             QStringLiteral(" / R:Last work line / P1:6-10 / T(1,1):0-22"));
    const qint32 merged = CodingKeys().first();
    EXPECT_EQ(Int(merged, CodingField::StartPara), 1);
    EXPECT_EQ(Int(merged, CodingField::FinishPara), 4);
    EXPECT_EQ(retrieval.runs.size(), 1u);
}

TEST_F(AutoCoding, TheParagraphPassReportsWhatItLeftToTheOthers)
{
    AddHits();
    bool pdfSeen = false;
    bool tableSeen = false;
    EXPECT_EQ(doc.AutoCodeHitParagraphs(code, pdfSeen, tableSeen), 4);
    EXPECT_TRUE(pdfSeen);
    EXPECT_TRUE(tableSeen);
    EXPECT_EQ(doc.AutoCodeHitsRemaining(code), 1);
    EXPECT_EQ(doc.AutoCodeHits(code, true), 1);
    EXPECT_EQ(retrieval.runs.size(), 3u);
}

TEST_F(AutoCoding, HitsOverlappingCodingsOfTheCodeMakeNoneAndNoRetrievalWithoutCodings)
{
    ReportHit(2, 2);
    ReportHit(3, 2);
    // Paragraph 2 is coded with the code already.
    CodingRecord existing;
    existing.TextID = report;
    existing.WordID = code;
    existing.StartChar = qint32(reportText.indexOf(QStringLiteral("A second")));
    existing.FinishChar = qint32(reportText.indexOf(QStringLiteral("See the")) - 1);
    qint32 action = 0;
    bool written = false;
    doc.AddCoding(existing, action, OverlapMode::Replace, &written, false);
    ASSERT_TRUE(written);
    const QByteArray before = doctest::BlobOf(db(), TopicId::Codings, existing.ID, CodingField::Text);

    EXPECT_EQ(doc.AutoCodeHits(code, false), 0);
    EXPECT_EQ(CodingKeys(), QList<qint32>{existing.ID});
    EXPECT_EQ(Int(existing.ID, CodingField::StartChar), existing.StartChar);
    EXPECT_TRUE(retrieval.runs.empty());
    // Neither a missing code nor hits of missing documents code anything.
    Hit(9999, 0, 4, 1, 1);
    EXPECT_EQ(doc.AutoCodeHits(9999, false), 0);
    EXPECT_EQ(doc.AutoCodeHits(code, false), 0);
    EXPECT_TRUE(retrieval.runs.empty());
}

TEST_F(AutoCoding, HelperThreadsFindAndCodeWhatARunOneByOneDoes)
{
    // Reports of their own, one with a table (left to the calling thread),
    // between the PDF and the table document, each hit written as the find
    // command writes it.
    const QByteArray withTable = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\pard Some work first.\\par "
                                 "\\trowd\\cellx2000\\cellx4000\\pard\\intbl work one\\par work two\\cell more "
                                 "work\\cell\\row\\pard After work. And work.\\par}";
    for (int i = 0; i < 5; ++i)
        doc.NewDocument(group, QStringLiteral("R%1").arg(i), i == 2 ? withTable : ReportRtf(), QString());
    const auto search = [&] {
        CSearchOptions options;
        options.terms = {QStringLiteral("work")};
        options.wholeWords = true;
        TopicSearchSource source(db());
        CSearchSettings settings(options, &source, false);
        EXPECT_TRUE(settings.SearchProject());
        QList<std::array<qint32, 6>> hits;
        for (const SearchHit& h : settings.Hits())
            hits.append({h.objectId, h.start, h.end, h.page, h.paragraph, h.tableRow});
        return hits;
    };
    SetOrderedWorkThreadLimit(0);
    const auto alone = search();
    SetOrderedWorkThreadLimit(3);
    const auto helped = search();
    ASSERT_GT(alone.size(), 30);
    EXPECT_EQ(helped, alone);
    for (const auto& [document, start, end, page, paragraph, row] : alone)
        Hit(document, start, end, page, paragraph);

    // Each extent codes the hits once alone and once with helpers, with a
    // code of its own each time; the codings agree in everything but the
    // code.
    const auto codings = [&](qint32 of) {
        QList<qint32> keys;
        db().FindKeysByParent(TopicId::Codings, TopicId::Codes, of, keys);
        std::sort(keys.begin(), keys.end());
        QStringList rows;
        for (const qint32 key : std::as_const(keys)) {
            QStringList fields;
            for (const qint32 field : {CodingField::Document, CodingField::StartChar, CodingField::FinishChar,
                                       CodingField::StartPara, CodingField::FinishPara, CodingField::Page,
                                       CodingField::IsText, CodingField::PosX1, CodingField::Weight,
                                       CodingField::Area, CodingField::Coverage, CodingField::Preview})
                fields << Value(TopicId::Codings, key, field);
            fields << QString::fromLatin1(doctest::BlobOf(db(), TopicId::Codings, key, CodingField::Text).toHex());
            rows << fields.join(u'|');
        }
        return rows;
    };
    doc.GetRetrievalSettings().paragraphsBefore = 1;
    for (const qint32 extent : {0, 1, 2}) {
        SCOPED_TRACE(extent);
        doc.GetRetrievalSettings().hitExtent = extent;
        CodeRecord record;
        record.name = QStringLiteral("Alone %1").arg(extent);
        const qint32 first = doc.NewCode(record);
        record.name = QStringLiteral("Helped %1").arg(extent);
        const qint32 second = doc.NewCode(record);
        SetOrderedWorkThreadLimit(0);
        const qint32 made = doc.AutoCodeSearchHits(first);
        SetOrderedWorkThreadLimit(3);
        EXPECT_EQ(doc.AutoCodeSearchHits(second), made);
        EXPECT_GT(made, 5);
        EXPECT_EQ(codings(second), codings(first));
    }
    SetOrderedWorkThreadLimit(-1);
}

}  // namespace
}  // namespace lexicaltest
