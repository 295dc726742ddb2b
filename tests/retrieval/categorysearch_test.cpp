// The dictionary's category search over the project's documents: which
// texts are searched, the tallies per breakdown, the hit list and its
// positions.

#include "lexicalfixture.h"
#include "store/topicdatabase.h"

namespace lexicaltest {
namespace {

class CategorySearch : public LexicalTest {
protected:
    /// The hits as "document:page:text" with the text the positions name.
    QString Describe(const LexicalHitList& hits)
    {
        QStringList parts;
        for (const LexicalHit& hit : hits) {
            QString word;
            if (hit.document == report)
                word = reportText.mid(hit.base + hit.start, hit.end - hit.start);
            parts << QStringLiteral("%1:%2:%3:%4")
                         .arg(hit.document == report ? "R" : hit.document == scan ? "P" : "T")
                         .arg(hit.page)
                         .arg(hit.category == jobs ? "jobs" : "eco")
                         .arg(word.isEmpty() ? QString::number(hit.start) : word);
        }
        return parts.join(u' ');
    }
    qint32 Tally(qint32 entry, qint32 column) const
    {
        const auto found = tally.counts.find({entry, column});
        return found == tally.counts.end() ? 0 : found->second;
    }
};

TEST_F(CategorySearch, FindsEveryWordInEveryKindOfText)
{
    const LexicalHitList& hits = doc.SearchCategoryWords(0, nullptr);
    // The report: "work" as a whole word only ("works" is not), the
    // hyperlink's hidden instruction counted in the positions; the PDF's
    // pages; the table's cells by their numbers; "Home" matches case only.
    EXPECT_EQ(Describe(hits), QStringLiteral("R:0:jobs:work R:0:jobs:work R:0:jobs:work R:0:jobs:work "
                                             "R:0:jobs:work P:1:jobs:6 P:2:jobs:5 P:1:eco:0 T:1:jobs:0 T:3:jobs:8"));
    const qint32 site = qint32(reportText.indexOf(QStringLiteral("site for work")));
    EXPECT_EQ(hits[3].start, site + 9);
    EXPECT_GT(site, reportText.indexOf(QStringLiteral("HYPERLINK")));
    EXPECT_EQ(Tally(workEntry, 0), 9);
    EXPECT_EQ(Tally(alpEntry, 0), 1);
    EXPECT_EQ(Tally(homeEntry, 0), 0);
    EXPECT_EQ(doc.GetKeptDocuments(), (QList<qint32>{report, scan, sheet}));
    // The word table has its fixed columns only.
    EXPECT_EQ(db().GetTable(TopicId::WordFrequencies)->Fields().Count(), 7);
}

TEST_F(CategorySearch, TalliesPerDocumentAndPerDocumentSet)
{
    doc.SearchCategoryWords(5, nullptr);
    EXPECT_EQ(Tally(workEntry, report), 5);
    EXPECT_EQ(Tally(workEntry, scan), 2);
    EXPECT_EQ(Tally(workEntry, sheet), 2);
    EXPECT_EQ(Tally(workEntry, 0), 0);
    EXPECT_EQ(db().GetTable(TopicId::WordFrequencies)->Fields().Count(), 7 + 3);

    tally.counts.clear();
    const qint32 set = doctest::AddRow(db(), TopicId::DocumentSets, {{GroupField::Name, QStringLiteral("S")}});
    const qint32 other = doctest::AddRow(db(), TopicId::DocumentSets, {{GroupField::Name, QStringLiteral("T")}});
    for (const auto& [inSet, member] : {std::pair{set, report}, {set, sheet}, {other, sheet}})
        doctest::AddRow(db(), TopicId::DocumentSetMembers,
                        {{SetMemberField::SetID, inSet}, {SetMemberField::ObjectID, member}});
    doc.SearchCategoryWords(4, nullptr);
    EXPECT_EQ(Tally(workEntry, set), 7);
    EXPECT_EQ(Tally(workEntry, other), 2);
    EXPECT_EQ(Tally(alpEntry, set), 0);
    EXPECT_EQ(db().GetTable(TopicId::WordFrequencies)->Fields().Count(), 7 + 2);
}

TEST_F(CategorySearch, ALaterEntryOfTheSameWordTakesItsPlace)
{
    // The same word without regard to case, later in store order: the
    // earlier entry is not searched, the later one matches case.
    const qint32 later = Entry(eco, QStringLiteral("WORK"), false, true, false);
    const LexicalHitList& hits = doc.SearchCategoryWords(0, nullptr);
    EXPECT_EQ(Tally(workEntry, 0), 0);
    EXPECT_EQ(Tally(later, 0), 0);
    EXPECT_EQ(std::count_if(hits.begin(), hits.end(), [&](const LexicalHit& h) { return h.entry == workEntry; }), 0);
}

TEST_F(CategorySearch, OnlyActivatedDocumentsWhenAsked)
{
    Activate(TopicId::Documents, scan);
    doc.SetCategoryActivatedOnly(true);
    const LexicalHitList& hits = doc.SearchCategoryWords(0, nullptr);
    EXPECT_EQ(Describe(hits), QStringLiteral("P:1:jobs:6 P:2:jobs:5 P:1:eco:0"));
    EXPECT_EQ(doc.GetKeptDocuments(), QList<qint32>{scan});
}

TEST_F(CategorySearch, RetrievedSegmentsAreSearchedOnceWhereTheyOverlap)
{
    Activate(TopicId::Documents, report);
    Activate(TopicId::Documents, sheet);
    doc.SetCategoryInSegmentsOnly(true);
    const qint32 second = qint32(reportText.indexOf(QStringLiteral("A second")));
    const qint32 third = qint32(reportText.indexOf(QStringLiteral("See the")));
    CSegmentArray rows;
    rows.SetSize(3);
    // Paragraph 2, and an overlapping segment from its second half into
    // paragraph 3: the "work" they share is one hit.
    rows[0].document = report;
    rows[0].start = second;
    rows[0].end = third;
    rows[1].document = report;
    rows[1].start = second + 30;
    rows[1].end = third + 5;
    // The table's second row, first column.
    rows[2].document = sheet;
    rows[2].areaLeft = 1;
    rows[2].page = 1;
    rows[2].start = 0;
    rows[2].end = 22;
    doc.GetKeptDocuments() = {99};
    const LexicalHitList& hits = doc.SearchCategoryWords(0, &rows);
    EXPECT_EQ(Describe(hits), QStringLiteral("R:0:jobs:work R:0:jobs:work T:3:jobs:8"));
    EXPECT_EQ(Tally(workEntry, 0), 3);
    // Segments are no list of documents for later outputs.
    EXPECT_EQ(doc.GetKeptDocuments(), QList<qint32>{99});
}

TEST_F(CategorySearch, WithoutServiceNothingIsFound)
{
    doc.SetLexicalService(nullptr);
    doc.GetCategoryHits().append(LexicalHit{});
    EXPECT_TRUE(doc.SearchCategoryWords(0, nullptr).isEmpty());
    EXPECT_TRUE(tally.counts.empty());
}

}  // namespace
}  // namespace lexicaltest
