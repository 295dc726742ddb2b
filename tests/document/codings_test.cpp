// Codings: the overlap rules, adding a coding with its counters and
// broadcasts, merges, refusals, deleting single codings, coding actions and
// their undo, copying, moving and pasting codings, and counts.

#include "codingstest.h"

#include "document/rowfields.h"
#include "foundation/optionsrecord.h"
#include "store/topicdatabase.h"

using namespace doctest;

namespace {

class CodingsOpsTest : public CodingsTest {
protected:
    double Real(qint32 topic, qint32 key, qint32 field)
    {
        RowBuffer row;
        FieldValue value;
        return db().ReadRow(topic, key, row, false) && row.GetFieldValue(field, value) ? value.GetReal() : -1.0;
    }
    qint32 Int(qint32 topic, qint32 key, qint32 field) { return db().GetIntValue(topic, key, field); }
};

}  // namespace

// ---- Overlap rules ---------------------------------------------------------------

TEST_F(CodingsOpsTest, OverlapRulesOfTheNewSegmentAgainstTheStoredOne)
{
    // A text coding of Joy at 10-30 (paragraphs 1 to 2) in the first document;
    // in the second an area of Joy on page 1 and a range on page 3 at x 4.
    const qint32 text = AddCoding(document, joy, 10, 30,
                                  {{CodingField::StartPara, 1}, {CodingField::FinishPara, 2}, {CodingField::Page, 1}});
    const qint32 area = AddCoding(other, joy, 100, 200,
                                  {{CodingField::IsText, 0}, {CodingField::PosX1, 100}, {CodingField::PosX2, 200},
                                   {CodingField::Page, 1}});
    const qint32 range = AddCoding(other, joy, 10, 30,
                                   {{CodingField::IsText, 2}, {CodingField::Page, 3}, {CodingField::PosX1, 4}});
    const qint32 r = OverlapResult::Replace, c = OverlapResult::Combined, f = OverlapResult::Free,
                 d = OverlapResult::Drop;
    struct Case {
        const char* name;
        qint32 doc, code, page, isText, start, finish, x1, x2;
        qint32 mode;
        qint32 result;
        qint32 id;       // the record's ID afterwards
        qint32 s, e;     // its extent afterwards
        qint32 ex1, ex2; // its x extent afterwards
    };
    const qint32 D = document, O = other;
    const Case cases[] = {
        {"equal", D, joy, 1, 1, 10, 30, 0, 0, OverlapMode::Union, d, text, 10, 30, 0, 0},
        {"inside, replace", D, joy, 1, 1, 15, 20, 0, 0, OverlapMode::Replace, r, text, 15, 20, 0, 0},
        {"inside, drop", D, joy, 1, 1, 15, 20, 0, 0, OverlapMode::Drop, d, 0, 15, 20, 0, 0},
        {"inside, union", D, joy, 1, 1, 15, 20, 0, 0, OverlapMode::Union, c, text, 10, 30, 0, 0},
        {"inside, intersection", D, joy, 1, 1, 15, 20, 0, 0, OverlapMode::Intersection, c, text, 15, 20, 0, 0},
        {"enclosing, union", D, joy, 1, 1, 5, 40, 0, 0, OverlapMode::Union, c, text, 5, 40, 0, 0},
        {"enclosing, intersection", D, joy, 1, 1, 5, 40, 0, 0, OverlapMode::Intersection, c, text, 10, 30, 0, 0},
        {"crossing, union", D, joy, 1, 1, 25, 45, 0, 0, OverlapMode::Union, c, text, 10, 45, 0, 0},
        {"crossing, intersection", D, joy, 1, 1, 25, 45, 0, 0, OverlapMode::Intersection, c, text, 25, 30, 0, 0},
        {"an unknown mode codes again", D, joy, 1, 1, 25, 45, 0, 0, 7, f, 0, 25, 45, 0, 0},
        {"touching before", D, joy, 1, 1, 0, 10, 0, 0, OverlapMode::Union, f, 0, 0, 10, 0, 0},
        {"touching after", D, joy, 1, 1, 30, 40, 0, 0, OverlapMode::Drop, f, 0, 30, 40, 0, 0},
        {"disjoint", D, joy, 1, 1, 40, 50, 0, 0, OverlapMode::Drop, f, 0, 40, 50, 0, 0},
        {"other code", D, fear, 1, 1, 15, 20, 0, 0, OverlapMode::Drop, f, 0, 15, 20, 0, 0},
        {"other page", D, joy, 2, 1, 15, 20, 0, 0, OverlapMode::Drop, f, 0, 15, 20, 0, 0},
        {"other document", O, joy, 1, 1, 15, 20, 0, 0, OverlapMode::Drop, f, 0, 15, 20, 0, 0},
        {"areas crossing at a corner", O, joy, 1, 0, 150, 250, 150, 250, OverlapMode::Union, c, area, 100, 250, 100, 250},
        {"areas crossing, intersection", O, joy, 1, 0, 150, 250, 150, 250, OverlapMode::Intersection, c, area, 150, 200,
         150, 200},
        {"areas sharing a side edge", O, joy, 1, 0, 100, 200, 200, 300, OverlapMode::Drop, d, 0, 100, 200, 200, 300},
        {"areas side by side", O, joy, 1, 0, 100, 200, 201, 300, OverlapMode::Drop, f, 0, 100, 200, 201, 300},
        {"areas one above the other", O, joy, 1, 0, 200, 300, 100, 200, OverlapMode::Drop, f, 0, 200, 300, 100, 200},
        {"equal area", O, joy, 1, 0, 100, 200, 100, 200, OverlapMode::Replace, d, area, 100, 200, 100, 200},
        {"page range at the same x", O, joy, 3, 2, 15, 20, 4, 9, OverlapMode::Replace, r, range, 15, 20, 4, 9},
        {"page range at another x", O, joy, 3, 2, 15, 20, 5, 9, OverlapMode::Replace, f, 0, 15, 20, 5, 9},
    };
    const QStringList before = Snapshot();
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        CodingRecord record = Segment(test.code, test.start, test.finish, test.doc);
        record.Page = test.page;
        record.IsText = test.isText;
        record.PosX1 = test.x1;
        record.PosX2 = test.x2;
        EXPECT_EQ(doc.FindOverlappingCoding(record, test.mode), test.result);
        EXPECT_EQ(record.ID, test.id);
        EXPECT_EQ(std::make_pair(record.StartChar, record.FinishChar), std::make_pair(test.s, test.e));
        EXPECT_EQ(std::make_pair(record.PosX1, record.PosX2), std::make_pair(test.ex1, test.ex2));
    }
    // Union and intersection take the paragraphs along.
    CodingRecord record = Segment(joy, 25, 45);
    record.StartPara = 2;
    record.FinishPara = 3;
    doc.FindOverlappingCoding(record, OverlapMode::Union);
    EXPECT_EQ(std::make_pair(record.StartPara, record.FinishPara), std::make_pair(1, 3));
    // The record's own coding is never its own overlap; the test writes nothing.
    record = Segment(joy, 10, 30);
    record.ID = text;
    EXPECT_EQ(doc.FindOverlappingCoding(record, OverlapMode::Drop), OverlapResult::Free);
    EXPECT_EQ(Snapshot(), before);
    EXPECT_EQ(log.Take(), Calls{});
}

TEST_F(CodingsOpsTest, AnEqualCodingWinsOverAnOverlapFoundFirst)
{
    const qint32 first = AddCoding(document, joy, 0, 20, {{CodingField::Page, 1}});
    const qint32 equal = AddCoding(document, joy, 10, 30, {{CodingField::Page, 1}});
    CodingRecord record = Segment(joy, 10, 30);
    EXPECT_EQ(doc.FindOverlappingCoding(record, OverlapMode::Replace), OverlapResult::Drop);
    EXPECT_EQ(record.ID, equal);
    EXPECT_NE(record.ID, first);
}

// ---- Adding a coding ----------------------------------------------------------------

TEST_F(CodingsOpsTest, ANewCodingIsWrittenCountedAndAnnouncedInOrder)
{
    const qint32 set = db().GetLastKey(TopicId::DocumentSets) + 1;
    ASSERT_TRUE(doc.NewDocumentSetFromGroup(group));
    const qint32 member = db().GetLastKey(TopicId::DocumentSetMembers) - 1;  // the first document's
    ASSERT_EQ(Int(TopicId::DocumentSetMembers, member, SetMemberField::ObjectID), document);
    Activate(TopicId::Documents, document);
    doc.SetRetrievalCounters(1, 4);
    log.Take();

    CodingRecord record = Segment(joy, 30, 5);  // reversed
    record.Weight = 250;
    record.Comment = QStringLiteral("why");
    qint32 action = 0;
    bool written = false;
    // Joy is not activated: written, but no rerun.
    EXPECT_FALSE(doc.AddCoding(record, action, OverlapMode::Replace, &written, true));
    const qint32 key = record.ID;
    EXPECT_TRUE(written);
    EXPECT_EQ(action, key);
    EXPECT_TRUE(record.Text.isEmpty());
    EXPECT_EQ(log.Take(), Join({{"frame.CommitDocumentEdits()", "pane.OnObjectAdded(10," + N(key) + ",0,5," + N(document) + ",1)",
                                 "pane.OnObjectAdded(10," + N(key) + ",0,8," + N(joy) + ",1)"},
                                Changed(8, joy), Changed(5, document), Changed(2, group), Changed(6, member),
                                Changed(4, set), Changed(1, 0), Changed(3, 0), Changed(7, 0)}));
    const std::vector<std::pair<qint32, QString>> fields = {
        {1, QString::number(key)},          {CodingField::StartChar, QStringLiteral("5")},
        {CodingField::FinishChar, QStringLiteral("30")}, {CodingField::Weight, QStringLiteral("100")},
        {CodingField::Group, QString::number(group)},    {CodingField::Author, QStringLiteral("Ada")},
        {CodingField::Comment, QStringLiteral("why")},   {CodingField::Preview, QStringLiteral("preview")}};
    for (const auto& [field, value] : fields)
        EXPECT_EQ(Field(TopicId::Codings, key, field), value) << "field " << field;
    EXPECT_EQ(BlobOf(db(), TopicId::Codings, key, CodingField::Text), QByteArray("{\\rtf1 segment}"));
    EXPECT_EQ(Int(TopicId::Documents, document, DocumentField::Codes), 1);
    EXPECT_EQ(Int(TopicId::Codes, joy, CodeField::Codes), 1);
    EXPECT_EQ(Int(TopicId::Codes, joy, CodeField::ActiveCodes), 1);
    EXPECT_EQ(Int(TopicId::Codes, joy, CodeFrequencyField::DocumentCount), 1);
    EXPECT_DOUBLE_EQ(Real(TopicId::Codes, joy, CodeFrequencyField::ShareOfCodings), 100.0);
    EXPECT_DOUBLE_EQ(Real(TopicId::Codes, joy, CodeFrequencyField::ShareOfActivated), 25.0);

    // The second coding of Joy in the document raises no document count;
    // one in the second document, which is not activated, no active count.
    EXPECT_NE(Code(joy, 40, 45), 0);
    EXPECT_EQ(Int(TopicId::Codes, joy, CodeFrequencyField::DocumentCount), 1);
    EXPECT_NE(Code(joy, 40, 45, other), 0);
    EXPECT_EQ(Int(TopicId::Codes, joy, CodeFrequencyField::DocumentCount), 2);
    EXPECT_EQ(Int(TopicId::Codes, joy, CodeField::ActiveCodes), 2);
    EXPECT_EQ(Int(TopicId::Codes, joy, CodeField::Codes), 3);
    EXPECT_EQ(Int(TopicId::Documents, document, DocumentField::Codes), 2);

    // Everything but the memory-only counters is in the file.
    Reopen();
    EXPECT_EQ(Int(TopicId::Codes, joy, CodeField::Codes), 3);
    EXPECT_EQ(Int(TopicId::Documents, document, DocumentField::Codes), 2);
    EXPECT_EQ(Field(TopicId::Codings, key, CodingField::FinishChar), QStringLiteral("30"));
    EXPECT_EQ(BlobOf(db(), TopicId::Codings, key, CodingField::Text), QByteArray("{\\rtf1 segment}"));
}

TEST_F(CodingsOpsTest, TheRetrievalRerunsForACodingInTheActivatedCodesUnderEveryFunction)
{
    Activate(TopicId::Documents, document);
    Activate(TopicId::Codes, fear);
    OptionsRecord& settings = doc.GetRetrievalSettings();
    const struct {
        const char* name;
        qint32 code;
        qint32 document;
        qint32 function;
        bool subcodes;
        bool weightFilter;
        bool rerun;
    } cases[] = {
        {"activated code, function 0", fear, document, 0, false, false, true},
        {"activated code, function 3", fear, document, 3, false, false, true},
        {"document not activated", fear, other, 1, false, false, false},
        {"code not activated", joy, document, 1, false, false, false},
        {"subcode without subcodes included", dread, document, 1, false, false, false},
        {"subcode with subcodes included", dread, document, 1, true, false, true},
        {"the code of function 5", joy, document, 5, false, false, true},
        {"weight outside the filter", fear, document, 1, false, true, false},
    };
    qint32 start = 0;
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        settings.retrievalFunction = test.function;
        settings.codeA = joy;
        settings.l4 = test.subcodes;
        settings.weightFilter = test.weightFilter;
        settings.weightMinimum = 60;  // the segments weigh 50
        CodingRecord record = Segment(test.code, start, start + 2, test.document);
        start += 3;
        qint32 action = 0;
        bool written = false;
        EXPECT_EQ(doc.AddCoding(record, action, OverlapMode::Replace, &written, false), test.rerun);
        EXPECT_TRUE(written);
        // A coding of it counts as activated exactly when it belongs in the retrieval.
        if (!test.weightFilter) {
            EXPECT_EQ(doc.IsCodingActivated(record.ID), test.rerun);
        }
    }
    // AddCoding only answers; the caller reruns once.
    EXPECT_TRUE(retrieval.runs.empty());
}

TEST_F(CodingsOpsTest, ActionIdsNameTheFirstCodingOfAnAction)
{
    qint32 action = 0;
    CodingRecord first = Segment(joy, 0, 2);
    doc.AddCoding(first, action, OverlapMode::Replace, nullptr, false);
    EXPECT_EQ(action, first.ID);
    CodingRecord second = Segment(fear, 0, 2);
    doc.AddCoding(second, action, OverlapMode::Replace, nullptr, false);
    EXPECT_EQ(Int(TopicId::Codings, second.ID, 1), first.ID);
    qint32 none = -1;
    CodingRecord loose = Segment(joy, 5, 7);
    doc.AddCoding(loose, none, OverlapMode::Replace, nullptr, false);
    EXPECT_EQ(Int(TopicId::Codings, loose.ID, 1), 0);
    EXPECT_EQ(none, -1);
    qint32 given = 77;
    CodingRecord kept = Segment(joy, 9, 11);
    doc.AddCoding(kept, given, OverlapMode::Replace, nullptr, false);
    EXPECT_EQ(Int(TopicId::Codings, kept.ID, 1), 77);

    // A merge keeps the coding's own action and hands none out, so the undo
    // of the new action never reaches the older coding.
    qint32 next = 0;
    CodingRecord merged = Segment(joy, 1, 4);
    bool written = false;
    doc.AddCoding(merged, next, OverlapMode::Union, &written, false);
    EXPECT_TRUE(written);
    EXPECT_EQ(merged.ID, first.ID);
    EXPECT_EQ(next, 0);
    EXPECT_EQ(Int(TopicId::Codings, first.ID, 1), first.ID);
}

TEST_F(CodingsOpsTest, DuplicatesAndDroppedOverlapsWriteNothing)
{
    const qint32 stored = Code(joy, 10, 30);
    log.Take();
    const QStringList before = Snapshot();
    for (const qint32 mode : {OverlapMode::Replace, OverlapMode::Drop, OverlapMode::Union}) {
        CodingRecord same = Segment(joy, 10, 30);
        qint32 action = 0;
        bool written = true;
        EXPECT_FALSE(doc.AddCoding(same, action, mode, &written, false));
        EXPECT_FALSE(written);
        EXPECT_EQ(same.ID, stored);
        EXPECT_FALSE(same.Text.isEmpty()) << "the text stays with the record";
    }
    CodingRecord inside = Segment(joy, 12, 20);
    qint32 action = 0;
    EXPECT_FALSE(doc.AddCoding(inside, action, OverlapMode::Drop, nullptr, false));
    EXPECT_EQ(action, 0);
    EXPECT_EQ(Snapshot(), before);
    EXPECT_EQ(log.Take(), Calls{});
}

TEST_F(CodingsOpsTest, AbsentObjectsAreRefusedAndOddValuesMended)
{
    const QStringList before = Snapshot();
    const struct {
        const char* name;
        qint32 document;
        qint32 code;
    } refused[] = {{"absent document", other + 50, joy}, {"absent code", document, dread + 50}, {"no document", 0, joy}};
    for (const auto& test : refused) {
        SCOPED_TRACE(test.name);
        CodingRecord record = Segment(test.code, 0, 5);
        record.TextID = test.document;
        qint32 action = 0;
        bool written = true;
        EXPECT_FALSE(doc.AddCoding(record, action, OverlapMode::Replace, &written, false));
        EXPECT_FALSE(written);
        EXPECT_EQ(record.ID, 0);
    }
    EXPECT_EQ(Snapshot(), before);
    EXPECT_EQ(log.Take(), Calls{});

    // An end one past the text (the last paragraph mark counted) is kept.
    const qint32 pastEnd = Code(joy, 41, kTextLength + 1);
    ASSERT_NE(pastEnd, 0);
    EXPECT_EQ(Field(TopicId::Codings, pastEnd, CodingField::FinishChar), QString::number(kTextLength + 1));
    // Merged into, it keeps its end and reads up to the end of the text.
    CodingRecord inside = Segment(joy, 44, 48);
    qint32 none = 0;
    bool merged = false;
    doc.AddCoding(inside, none, OverlapMode::Union, &merged, false);
    EXPECT_TRUE(merged);
    EXPECT_EQ(inside.ID, pastEnd);
    EXPECT_EQ(Field(TopicId::Codings, pastEnd, CodingField::FinishChar), QString::number(kTextLength + 1));
    EXPECT_EQ(Field(TopicId::Codings, pastEnd, CodingField::Preview), QStringLiteral("Third one."));
    CodingRecord light = Segment(fear, 0, 3);
    light.Weight = -4;
    qint32 action = 0;
    doc.AddCoding(light, action, OverlapMode::Replace, nullptr, false);
    EXPECT_EQ(Int(TopicId::Codings, light.ID, CodingField::Weight), 0);

    // A coding without a code checks no overlap and counts nowhere.
    const qint32 loose = Code(0, 42, 45);
    const qint32 again = Code(0, 42, 45);
    EXPECT_NE(loose, 0);
    EXPECT_NE(again, 0);
    EXPECT_EQ(Int(TopicId::Documents, document, DocumentField::Codes), 2);
    EXPECT_TRUE(doc.DeleteCoding(loose));
    EXPECT_EQ(Int(TopicId::Documents, document, DocumentField::Codes), 2);
}

TEST_F(CodingsOpsTest, MergesKeepTheStoredCodingAndLoseNothingCoded)
{
    const qint32 stored = Code(joy, 6, 10);  // "beta"
    ASSERT_NE(stored, 0);
    {
        RowBuffer row;
        ASSERT_TRUE(db().ReadRow(TopicId::Codings, stored, row, false));
        ASSERT_TRUE(rowfields::SetText(row, CodingField::Comment, QStringLiteral("first")));
        ASSERT_TRUE(row.Commit(false, false));
    }
    const qint32 later = Code(joy, 18, 24);  // "Second"
    log.Take();

    // Union with "gamma." (11-17): the stored coding grows; its text, preview
    // and shares are those of the stored extent, read from the document.
    CodingRecord record = Segment(joy, 8, 16);
    record.Comment = QStringLiteral("second");
    qint32 action = 0;
    bool written = false;
    doc.AddCoding(record, action, OverlapMode::Union, &written, false);
    EXPECT_TRUE(written);
    EXPECT_EQ(record.ID, stored);
    EXPECT_EQ(log.Take(), Join({Changed(10, stored)}));
    EXPECT_EQ(Field(TopicId::Codings, stored, CodingField::StartChar), QStringLiteral("6"));
    EXPECT_EQ(Field(TopicId::Codings, stored, CodingField::FinishChar), QStringLiteral("16"));
    EXPECT_EQ(Field(TopicId::Codings, stored, CodingField::Preview), QStringLiteral("beta gamma"));
    EXPECT_EQ(Field(TopicId::Codings, stored, CodingField::Area), QStringLiteral("10"));
    EXPECT_EQ(Field(TopicId::Codings, stored, CodingField::Comment), QStringLiteral("first"));
    EXPECT_TRUE(BlobOf(db(), TopicId::Codings, stored, CodingField::Text).contains("beta gamma"));
    EXPECT_EQ(Int(TopicId::Codes, joy, CodeField::Codes), 2);

    // A union that reaches a second coding takes it in and deletes it.
    record = Segment(joy, 14, 20);
    doc.AddCoding(record, action, OverlapMode::Union, &written, false);
    EXPECT_EQ(record.ID, stored);
    EXPECT_FALSE(db().GetTable(TopicId::Codings)->HasKey(later));
    EXPECT_EQ(Field(TopicId::Codings, stored, CodingField::FinishChar), QStringLiteral("24"));
    EXPECT_EQ(Int(TopicId::Codes, joy, CodeField::Codes), 1);
    EXPECT_EQ(Int(TopicId::Documents, document, DocumentField::Codes), 1);
    const Calls calls = log.Take();
    ASSERT_GE(calls.size(), 4u);
    EXPECT_EQ(Calls(calls.begin(), calls.begin() + 4), Join({Changed(10, stored), Deleted(10, later)}));

    // Replace: the stored coding takes the new extent and text.
    record = Segment(joy, 30, 45);
    doc.AddCoding(record, action, OverlapMode::Replace, &written, false);
    EXPECT_NE(record.ID, stored);  // no overlap: a new coding
    record = Segment(joy, 40, 44);
    record.Text = "{\\rtf1 new}";
    doc.AddCoding(record, action, OverlapMode::Replace, &written, false);
    const qint32 replaced = record.ID;
    EXPECT_EQ(Field(TopicId::Codings, replaced, CodingField::StartChar), QStringLiteral("40"));
    EXPECT_EQ(BlobOf(db(), TopicId::Codings, replaced, CodingField::Text), QByteArray("{\\rtf1 new}"));

    Reopen();
    EXPECT_EQ(Field(TopicId::Codings, stored, CodingField::FinishChar), QStringLiteral("24"));
    EXPECT_EQ(db().GetRowCount(TopicId::Codings), 2);
}

TEST_F(CodingsOpsTest, ARefusedWriteChangesNothingAndAnnouncesNothing)
{
    Code(joy, 0, 5);
    ExpectRefusedWrite(RefuseInsert("Codings"), [&] {
        const QStringList before = Snapshot();
        CodingRecord record = Segment(joy, 10, 20);
        qint32 action = 0;
        bool written = true;
        EXPECT_FALSE(doc.AddCoding(record, action, OverlapMode::Replace, &written, false));
        EXPECT_FALSE(written);
        EXPECT_EQ(action, 0);
        EXPECT_EQ(Snapshot(), before);
    });
    // The counters of code and document are written in the same transaction.
    ExpectRefusedWrite(RefuseUpdate("Texts"), [&] {
        const QStringList before = Snapshot();
        CodingRecord record = Segment(joy, 10, 20);
        qint32 action = 0;
        EXPECT_FALSE(doc.AddCoding(record, action, OverlapMode::Replace, nullptr, false));
        EXPECT_EQ(Snapshot(), before);
    });
    ExpectRefusedWrite(RefuseUpdate("Codings"), [&] {
        const QStringList before = Snapshot();
        CodingRecord record = Segment(joy, 2, 8);
        qint32 action = 0;
        EXPECT_FALSE(doc.AddCoding(record, action, OverlapMode::Union, nullptr, false));
        EXPECT_EQ(Snapshot(), before);
    });
}

// ---- Deleting single codings --------------------------------------------------------

TEST_F(CodingsOpsTest, DeletingACodingRestoresItsCountersAndTellsTheWindows)
{
    const qint32 mood = doc.CreateCodeVariable(fear, true);
    const qint32 count = doc.CreateCodeVariable(dread, false);
    ASSERT_NE(mood, 0);
    ASSERT_NE(count, 0);
    Activate(TopicId::Documents, document);
    doc.SetRetrievalCounters(1, 2);
    const QStringList empty = Snapshot();
    const qint32 coding = Code(dread, 0, 5);
    EXPECT_EQ(Field(TopicId::Documents, document, mood), QStringLiteral("Dread"));
    EXPECT_EQ(Field(TopicId::Documents, document, count), QStringLiteral("1"));
    EXPECT_EQ(Int(TopicId::Codes, dread, CodeField::ActiveCodes), 1);
    log.Take();

    EXPECT_TRUE(doc.DeleteCoding(coding));
    EXPECT_EQ(log.Take(), Join({Deleted(10, coding), Changed(8, dread), Changed(5, document), Changed(2, group),
                                Changed(1, 0), Changed(7, 0)}));
    EXPECT_EQ(Int(TopicId::Codes, dread, CodeField::Codes), 0);
    EXPECT_EQ(Int(TopicId::Codes, dread, CodeField::ActiveCodes), 0);
    EXPECT_EQ(Int(TopicId::Codes, dread, CodeFrequencyField::DocumentCount), 0);
    EXPECT_EQ(Field(TopicId::Documents, document, mood), QString());
    EXPECT_EQ(Field(TopicId::Documents, document, count), QStringLiteral("0"));
    EXPECT_EQ(Snapshot(), empty);

    EXPECT_FALSE(doc.DeleteCoding(coding));
    EXPECT_EQ(log.Take(), Calls{});
    Reopen();
    EXPECT_EQ(db().GetRowCount(TopicId::Codings), 0);
    EXPECT_EQ(Int(TopicId::Documents, document, DocumentField::Codes), 0);
}

TEST_F(CodingsOpsTest, ARefusedDeletionKeepsTheCoding)
{
    const qint32 coding = Code(joy, 0, 5);
    ExpectRefusedWrite(
        QStringLiteral("CREATE TRIGGER [refuse] BEFORE DELETE ON [Codings] BEGIN SELECT RAISE(ABORT, 'refused'); END;"),
        [&] {
            const QStringList before = Snapshot();
            EXPECT_FALSE(doc.DeleteCoding(coding));
            EXPECT_EQ(Snapshot(), before);
        });
}

// ---- Coding actions -------------------------------------------------------------------

TEST_F(CodingsOpsTest, UndoingAnActionRemovesExactlyItsCodings)
{
    Activate(TopicId::Documents, document);
    doc.SetRetrievalCounters(1, 3);
    Code(joy, 0, 5);                          // one action
    const QStringList beforeAction = Snapshot();
    qint32 action = 0;
    for (const auto& [code, start] : {std::pair{fear, 0}, std::pair{dread, 10}, std::pair{joy, 20}}) {
        CodingRecord record = Segment(code, start, start + 4, start == 10 ? other : 0);
        doc.AddCoding(record, action, OverlapMode::Replace, nullptr, false);
    }
    EXPECT_EQ(doc.CountActionCodings(action), 3);
    qint32 code = 0;
    EXPECT_EQ(doc.FindPreviousAction(code, 0), action);
    EXPECT_EQ(code, fear);
    const qint32 older = doc.FindPreviousAction(code, action);
    EXPECT_EQ(code, joy);
    EXPECT_EQ(doc.FindPreviousAction(code, older), 0);

    QStringList lines;
    EXPECT_TRUE(doc.BuildCodeRankingList(5, lines));
    EXPECT_EQ(lines, (QStringList{QStringLiteral("Fear  (3)"), QStringLiteral("Joy  (1)")}));
    EXPECT_TRUE(doc.BuildCodeRankingList(1, lines));
    EXPECT_EQ(lines.size(), 1);

    EXPECT_FALSE(doc.UndoCodingAction(2));
    log.Take();
    EXPECT_TRUE(doc.UndoCodingAction(0));
    EXPECT_EQ(Snapshot(), beforeAction);
    // Each coding announced as gone, then the objects that changed, once each.
    const Calls calls = log.Take();
    EXPECT_EQ(std::count_if(calls.begin(), calls.end(),
                            [](const std::string& call) { return call.rfind("pane.OnObjectDeleted(10,", 0) == 0; }),
              3);
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "pane.OnObjectChanged(7,0)"), 1);
    EXPECT_TRUE(doc.UndoCodingAction(0));
    EXPECT_EQ(db().GetRowCount(TopicId::Codings), 0);
    EXPECT_FALSE(doc.UndoCodingAction(0));
    Reopen();
    EXPECT_EQ(db().GetRowCount(TopicId::Codings), 0);
}

// ---- Comments, extents, copies, moves ---------------------------------------------------

TEST_F(CodingsOpsTest, ACommentIsWrittenOnlyIntoAnEmptyOne)
{
    const qint32 coding = Code(joy, 0, 5);
    log.Take();
    EXPECT_FALSE(doc.SetCodingComment(coding, QString()));
    EXPECT_TRUE(doc.SetCodingComment(coding, QString(200, QLatin1Char('c'))));
    EXPECT_EQ(log.Take(), Changed(10, coding));
    EXPECT_EQ(doc.GetCodingComment(coding), QString(127, QLatin1Char('c')));
    EXPECT_FALSE(doc.SetCodingComment(coding, QStringLiteral("other")));
    EXPECT_FALSE(doc.SetCodingComment(coding + 9, QStringLiteral("other")));
    EXPECT_EQ(doc.GetCodingComment(coding + 9), QString());
}

TEST_F(CodingsOpsTest, UpdatingTheSegmentOfACoding)
{
    const qint32 coding = Code(joy, 0, 5);
    log.Take();
    CodingRecord record = Segment(joy, 20, 12);
    record.ID = coding;
    record.Preview = QStringLiteral("moved");
    record.Text = "{\\rtf1 moved}";
    EXPECT_TRUE(doc.UpdateCodingSegment(record));
    EXPECT_TRUE(record.Text.isEmpty());
    EXPECT_EQ(log.Take(), Changed(10, coding));
    EXPECT_EQ(Field(TopicId::Codings, coding, CodingField::StartChar), QStringLiteral("12"));
    EXPECT_EQ(Field(TopicId::Codings, coding, CodingField::Preview), QStringLiteral("moved"));
    EXPECT_EQ(BlobOf(db(), TopicId::Codings, coding, CodingField::Text), QByteArray("{\\rtf1 moved}"));
    record.ID = coding + 5;
    record.Text = "x";
    EXPECT_FALSE(doc.UpdateCodingSegment(record));
    EXPECT_TRUE(record.Text.isEmpty());
}

TEST_F(CodingsOpsTest, CopyingAndMovingACodingToAnotherCode)
{
    Activate(TopicId::Documents, document);
    Activate(TopicId::Codes, fear);
    const qint32 coding = Code(joy, 0, 5);
    ASSERT_TRUE(doc.SetCodingComment(coding, QStringLiteral("note")));
    log.Take();

    EXPECT_FALSE(doc.CopyCodingToCode(coding, joy));
    EXPECT_FALSE(doc.CopyCodingToCode(coding, dread + 40));
    EXPECT_TRUE(doc.CopyCodingToCode(coding + 40, fear));
    EXPECT_TRUE(doc.CopyCodingToCode(coding, fear));
    const qint32 copy = db().GetLastKey(TopicId::Codings);
    EXPECT_EQ(Int(TopicId::Codings, copy, CodingField::Code), fear);
    EXPECT_EQ(BlobOf(db(), TopicId::Codings, copy, CodingField::Text), QByteArray("{\\rtf1 segment}"));
    EXPECT_EQ(doc.GetCodingComment(copy), QStringLiteral("note"));
    ASSERT_EQ(retrieval.runs.size(), 1u);
    // Copying again finds the copy there and adds nothing.
    EXPECT_TRUE(doc.CopyCodingToCode(coding, fear));
    EXPECT_EQ(db().GetRowCount(TopicId::Codings), 2);

    // A move onto an overlapping coding with a comment of its own: that
    // coding takes the extent and both comments; the original goes.
    const qint32 target = Code(dread, 2, 9);
    ASSERT_TRUE(doc.SetCodingComment(target, QStringLiteral("own")));
    EXPECT_TRUE(doc.MoveCodingToCode(coding, dread));
    EXPECT_FALSE(db().GetTable(TopicId::Codings)->HasKey(coding));
    EXPECT_EQ(Field(TopicId::Codings, target, CodingField::StartChar), QStringLiteral("0"));
    EXPECT_EQ(doc.GetCodingComment(target), QStringLiteral("own\n\nnote"));
    EXPECT_EQ(Int(TopicId::Codes, joy, CodeField::Codes), 0);
    EXPECT_EQ(Int(TopicId::Codes, dread, CodeField::Codes), 1);

    // A move that cannot be written keeps the original.
    const qint32 kept = Code(joy, 30, 35);
    EXPECT_FALSE(doc.MoveCodingToCode(kept, dread + 40));
    ExpectRefusedWrite(RefuseInsert("Codings"), [&] {
        EXPECT_TRUE(doc.MoveCodingToCode(kept, fear));
        EXPECT_TRUE(db().GetTable(TopicId::Codings)->HasKey(kept));
        EXPECT_EQ(log.Take(), Calls{"frame.CommitDocumentEdits()"});
    });
}

TEST_F(CodingsOpsTest, PastingPendingCodingsCopiesOrMovesThemAll)
{
    Activate(TopicId::Documents, document);
    Activate(TopicId::Codes, joy);
    const qint32 a = Code(joy, 0, 5);
    const qint32 b = Code(joy, 20, 25, other);
    ASSERT_TRUE(doc.SetCodingComment(b, QStringLiteral("b")));
    EXPECT_EQ(doc.PastePendingCodings(fear), 0);

    doc.SetPendingCodings(joy, true);
    EXPECT_EQ(doc.PastePendingCodings(joy), 0);
    EXPECT_EQ(doc.GetPendingCode(), joy);
    EXPECT_EQ(doc.PastePendingCodings(fear), joy);
    EXPECT_EQ(doc.GetPendingCode(), 0);
    EXPECT_EQ(Int(TopicId::Codes, fear, CodeField::Codes), 2);
    EXPECT_EQ(Int(TopicId::Codes, joy, CodeField::Codes), 2);
    // The copies form one action; fear is not activated: no rerun.
    qint32 code = 0;
    const qint32 action = doc.FindPreviousAction(code, 0);
    EXPECT_EQ(code, fear);
    EXPECT_EQ(doc.CountActionCodings(action), 2);
    EXPECT_TRUE(retrieval.runs.empty());

    doc.SetPendingCodings(joy, false);
    EXPECT_FALSE(doc.IsPendingCopy());
    EXPECT_EQ(doc.PastePendingCodings(dread), joy);
    EXPECT_EQ(Int(TopicId::Codes, joy, CodeField::Codes), 0);
    EXPECT_EQ(Int(TopicId::Codes, dread, CodeField::Codes), 2);
    EXPECT_FALSE(db().GetTable(TopicId::Codings)->HasKey(a));
    QList<qint32> moved;
    db().FindKeysByParent(TopicId::Codings, TopicId::Codes, dread, moved);
    ASSERT_EQ(moved.size(), 2);
    EXPECT_EQ(doc.GetCodingComment(moved.at(1)), QStringLiteral("b"));
    // Activated codings left the retrieval: it reruns once.
    EXPECT_EQ(retrieval.runs.size(), 1u);
    Reopen();
    EXPECT_EQ(Int(TopicId::Codes, dread, CodeField::Codes), 2);
    EXPECT_EQ(Int(TopicId::Codes, joy, CodeField::Codes), 0);
}

// ---- Counts ----------------------------------------------------------------------------

TEST_F(CodingsOpsTest, CountsByDocumentAndCode)
{
    Code(joy, 0, 5);
    Code(joy, 10, 15);
    Code(fear, 0, 5, other);
    CodingRecord heavy = Segment(fear, 20, 25);
    heavy.Weight = 90;
    qint32 action = 0;
    doc.AddCoding(heavy, action, OverlapMode::Replace, nullptr, false);
    const qint32 loose = Code(0, 30, 35);

    QList<qint32> counts;
    QList<quint8> presence;
    doc.CountCodingsByDocumentAndCode({document, other}, {joy, fear, dread}, counts, presence);
    EXPECT_EQ(counts, (QList<qint32>{2, 0, 1, 1, 0, 0}));
    EXPECT_EQ(presence, (QList<quint8>{1, 0, 1, 1, 0, 0}));
    doc.GetRetrievalSettings().weightFilter = true;
    doc.GetRetrievalSettings().weightMinimum = 60;
    doc.CountCodingsByDocumentAndCode({document, other}, {joy, fear, dread}, counts, presence);
    EXPECT_EQ(counts, (QList<qint32>{0, 0, 1, 0, 0, 0}));
    EXPECT_EQ(doc.CountCodingsOfCodeInDocument(joy, document), 2);
    EXPECT_EQ(doc.CountCodingsOfCodeInDocument(joy, other), 0);

    QList<qint32> ids{loose, heavy.ID, loose + 50};
    doc.RemoveDeadCodings(ids);
    EXPECT_EQ(ids, (QList<qint32>{heavy.ID, loose + 50}));
    log.Take();
    doc.SelectCodingCode(heavy.ID);
    EXPECT_EQ(log.Take(), Calls{"pane.SelectObject(8," + N(fear) + ",0)"});
}
