// Memos, links and media marks: free and object memos with their repair,
// memos at places in documents, a document made from a memo, memos linked
// to codes, link pairs, and media marks with their times.

#include "codingstest.h"

#include "document/rowfields.h"
#include "foundation/optionsrecord.h"
#include "foundation/richtexthelpers.h"
#include "platform/rtf/richeditctrlex.h"
#include "store/topicdatabase.h"

#include <QtEndian>

using namespace doctest;

namespace {

class MemosLinksTest : public CodingsTest {
protected:
    qint32 Int(qint32 topic, qint32 key, qint32 field) { return db().GetIntValue(topic, key, field); }
    static QByteArray CodeIds(std::initializer_list<qint32> ids)
    {
        QByteArray bytes;
        for (const qint32 id : ids) {
            char word[4];
            qToLittleEndian(id, word);
            bytes.append(word, 4);
        }
        return bytes;
    }
    QString PlainTextOf(qint32 documentId)
    {
        const QByteArray rtf = BlobOf(db(), TopicId::Documents, documentId, DocumentField::Text);
        const std::unique_ptr<CRichEditCtrlEx> edit = CreateHiddenRichEdit();
        edit->StreamInRtf(&rtf, false);
        return edit->GetTextRange(0, edit->GetTextLength());
    }
    CKorDoc::LinkRecord LinkAt(qint32 inDocument, qint32 start, qint32 finish, qint32 partner = 0)
    {
        CKorDoc::LinkRecord record;
        record.TextID = inDocument;
        record.StartChar = start;
        record.FinishChar = finish;
        record.LinkID = partner;
        record.Text = "anchor";
        return record;
    }
};

}  // namespace

// ---- Memos -----------------------------------------------------------------------

TEST_F(MemosLinksTest, AFreeMemoTakesItsDefaultsAndIsAnnounced)
{
    const qint32 memo = doc.NewMemo(QString(), QString(), QDateTime(), "{\\rtf1 body}");
    ASSERT_NE(memo, 0);
    EXPECT_EQ(log.Take(), Calls{"pane.OnObjectAdded(11," + N(memo) + ",0,0,0,1)"});
    EXPECT_EQ(Field(TopicId::Memos, memo, MemoField::Title), QStringLiteral("Memo %1").arg(memo));
    EXPECT_EQ(Field(TopicId::Memos, memo, MemoField::Author), QStringLiteral("Ada"));
    EXPECT_EQ(Field(TopicId::Memos, memo, MemoField::Source), QStringLiteral("0"));
    EXPECT_EQ(BlobOf(db(), TopicId::Memos, memo, MemoField::Text), QByteArray("{\\rtf1 body}"));
    const qint32 named = doc.NewMemo(QString(80, QLatin1Char('t')), QStringLiteral("Bo"),
                                     QDateTime(QDate(2020, 1, 2), QTime(3, 4, 5)), {});
    EXPECT_EQ(Field(TopicId::Memos, named, MemoField::Title), QString(63, QLatin1Char('t')));
    EXPECT_EQ(Field(TopicId::Memos, named, MemoField::Author), QStringLiteral("Bo"));
    EXPECT_TRUE(Field(TopicId::Memos, named, MemoField::Date).contains(QLatin1String("2020")));

    ExpectRefusedWrite(RefuseInsert("Memos"), [&] {
        EXPECT_EQ(doc.NewMemo(QStringLiteral("x"), QString(), QDateTime(), {}), 0);
        bool created = true;
        EXPECT_EQ(doc.GetCodeMemo(joy, created, true, {}), 0);
        EXPECT_FALSE(created);
        EXPECT_EQ(doc.NewDocumentMemo(document, 1, 5, 1), 0);
        EXPECT_EQ(doc.GetProjectMemo(created, true, {}), 0);
        EXPECT_EQ(Int(TopicId::Codes, joy, CodeField::MemoID), 0);
        EXPECT_EQ(Int(TopicId::Documents, document, DocumentField::Memos), 0);
    });
}

TEST_F(MemosLinksTest, ObjectMemosAreMadeOnlyWhenAskedAndFoundAgain)
{
    ASSERT_TRUE(doc.NewDocumentSetFromGroup(group));
    const qint32 set = db().GetLastKey(TopicId::DocumentSets);
    const qint32 member = db().GetLastKey(TopicId::DocumentSetMembers);
    log.Take();
    const struct {
        const char* name;
        std::function<qint32(bool&, bool)> get;
        qint32 topic;
        qint32 id;
        qint32 memoField;
        qint32 ownerField;
        qint32 source;
    } cases[] = {
        {"code", [&](bool& c, bool create) { return doc.GetCodeMemo(joy, c, create, "{\\rtf1 j}"); }, TopicId::Codes,
         joy, CodeField::MemoID, MemoField::Code, MemoSource::Code},
        {"document", [&](bool& c, bool create) { return doc.GetDocumentMemo(document, c, create, {}); },
         TopicId::Documents, document, DocumentField::MemoID, MemoField::Document, MemoSource::Document},
        {"group", [&](bool& c, bool create) { return doc.GetGroupMemo(group, c, create, {}); },
         TopicId::DocumentGroups, group, GroupField::MemoID, MemoField::GroupID, MemoSource::DocumentGroup},
        {"set", [&](bool& c, bool create) { return doc.GetSetMemo(set, c, create, {}); }, TopicId::DocumentSets, set,
         GroupField::MemoID, MemoField::SetID, MemoSource::DocumentSet},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        bool created = true;
        EXPECT_EQ(test.get(created, false), 0);
        EXPECT_FALSE(created);
        EXPECT_EQ(log.Take(), Calls{});
        const qint32 memo = test.get(created, true);
        ASSERT_NE(memo, 0);
        EXPECT_TRUE(created);
        EXPECT_EQ(log.Take(), Join({{"pane.OnObjectAdded(11," + N(memo) + ",0,0,0,1)"}, Changed(test.topic, test.id)}));
        EXPECT_EQ(Int(test.topic, test.id, test.memoField), memo);
        EXPECT_EQ(Int(TopicId::Memos, memo, test.ownerField), test.id);
        EXPECT_EQ(Int(TopicId::Memos, memo, MemoField::Pos), -1);
        EXPECT_EQ(Int(TopicId::Memos, memo, MemoField::Source), test.source);
        EXPECT_EQ(test.get(created, true), memo);
        EXPECT_FALSE(created);
    }
    const qint32 documentMemo = Int(TopicId::Documents, document, DocumentField::MemoID);
    EXPECT_EQ(Int(TopicId::Documents, document, DocumentField::Memos), 1);
    EXPECT_EQ(Int(TopicId::Memos, documentMemo, MemoField::GroupID), group);
    EXPECT_EQ(BlobOf(db(), TopicId::Memos, Int(TopicId::Codes, joy, CodeField::MemoID), MemoField::Text),
              QByteArray("{\\rtf1 j}"));
    bool created = false;
    log.Take();
    EXPECT_EQ(doc.GetSetMemberMemo(member, created), Int(TopicId::Documents, other, DocumentField::MemoID));
    EXPECT_EQ(doc.GetSetMemberMemo(member - 1, created), documentMemo);
    EXPECT_EQ(log.Take(), Join({Changed(5, other), Changed(5, document)}));
    EXPECT_EQ(doc.GetCodeMemo(dread + 30, created, true), 0);

    // The project memo, kept under its key.
    EXPECT_EQ(doc.GetProjectMemo(created, false), 0);
    const qint32 project = doc.GetProjectMemo(created, true);
    EXPECT_TRUE(created);
    EXPECT_EQ(doc.GetProjectMemo(), project);
    Reopen();
    EXPECT_EQ(doc.GetProjectMemo(created, false), project);
    const qint32 joyMemo = Int(TopicId::Codes, joy, CodeField::MemoID);
    EXPECT_EQ(doc.GetCodeMemo(joy, created), joyMemo);
    EXPECT_NE(joyMemo, 0);
    EXPECT_EQ(Int(TopicId::Documents, document, DocumentField::Memos), 1);
    // Deleting the document's memo through the store counts it out again.
    QList<ObjectRef> removed, changed;
    ASSERT_TRUE(db().DeleteRow(TopicId::Memos, documentMemo, removed, changed));
    EXPECT_EQ(Int(TopicId::Documents, document, DocumentField::Memos), 0);
}

TEST_F(MemosLinksTest, AMemoThatLostItsOwnerIsAttachedAgainUnlessAnotherHoldsIt)
{
    bool created = false;
    const qint32 fearMemo = doc.GetCodeMemo(fear, created, true);
    const qint32 free = doc.NewMemo(QStringLiteral("loose"), QString(), QDateTime(), {});
    const qint32 placed = doc.NewDocumentMemo(document, 1, 4, 1);
    const auto pointMemoId = [&](qint32 topic, qint32 id, qint32 field, qint32 memo) {
        RowBuffer row;
        ASSERT_TRUE(db().ReadRow(topic, id, row, false));
        ASSERT_TRUE(rowfields::SetInt(row, field, memo));
        ASSERT_TRUE(row.Commit(false, false));
    };
    // Joy names the free memo, which names no one: it becomes Joy's.
    pointMemoId(TopicId::Codes, joy, CodeField::MemoID, free);
    log.Take();
    EXPECT_EQ(doc.GetCodeMemo(joy, created), free);
    EXPECT_FALSE(created);
    EXPECT_EQ(Int(TopicId::Memos, free, MemoField::Code), joy);
    EXPECT_EQ(Int(TopicId::Memos, free, MemoField::Pos), -1);
    EXPECT_EQ(log.Take(), Join({Changed(11, free), Changed(8, joy)}));

    // Dread names Fear's memo and the other document a memo placed in the
    // first: both stay where they are, and the askers forget them.
    pointMemoId(TopicId::Codes, dread, CodeField::MemoID, fearMemo);
    pointMemoId(TopicId::Documents, other, DocumentField::MemoID, placed);
    EXPECT_EQ(doc.GetCodeMemo(dread, created), 0);
    EXPECT_EQ(Int(TopicId::Codes, dread, CodeField::MemoID), 0);
    EXPECT_EQ(Int(TopicId::Memos, fearMemo, MemoField::Code), fear);
    EXPECT_EQ(doc.GetDocumentMemo(other, created), 0);
    EXPECT_EQ(Int(TopicId::Documents, other, DocumentField::MemoID), 0);
    EXPECT_EQ(Int(TopicId::Memos, placed, MemoField::Pos), 4);
    EXPECT_EQ(Int(TopicId::Documents, document, DocumentField::Memos), 1);

    // A document that names a free memo counts it once attached.
    pointMemoId(TopicId::Documents, other, DocumentField::MemoID, fearMemo + 10);
    EXPECT_EQ(doc.GetDocumentMemo(other, created), 0);
    const qint32 loose = doc.NewMemo(QStringLiteral("loose 2"), QString(), QDateTime(), {});
    pointMemoId(TopicId::Documents, other, DocumentField::MemoID, loose);
    EXPECT_EQ(doc.GetDocumentMemo(other, created), loose);
    EXPECT_EQ(Int(TopicId::Documents, other, DocumentField::Memos), 1);
    EXPECT_EQ(Int(TopicId::Memos, loose, MemoField::GroupID), group);
}

TEST_F(MemosLinksTest, AMemoAtAPlaceInADocument)
{
    const qint32 memo = doc.NewDocumentMemo(document, 2, 17, 3);
    ASSERT_NE(memo, 0);
    EXPECT_EQ(log.Take(), Join({{"pane.OnObjectAdded(11," + N(memo) + ",0,5," + N(document) + ",1)"},
                                Changed(5, document)}));
    const std::vector<std::pair<qint32, QString>> fields = {
        {MemoField::Title, QStringLiteral("Memo %1").arg(memo)}, {MemoField::Author, QStringLiteral("Ada")},
        {MemoField::Page, QStringLiteral("2")},  {MemoField::Pos, QStringLiteral("17")},
        {MemoField::Paragraph, QStringLiteral("3")}, {MemoField::Source, QStringLiteral("1")},
        {MemoField::Document, QString::number(document)}, {MemoField::GroupID, QString::number(group)}};
    for (const auto& [field, value] : fields)
        EXPECT_EQ(Field(TopicId::Memos, memo, field), value) << "field " << field;
    EXPECT_EQ(Int(TopicId::Documents, document, DocumentField::Memos), 1);
    EXPECT_FALSE(doc.IsMemoPlaceFree(document, 2, 17, QStringLiteral("Memo %1").arg(memo)));
    EXPECT_TRUE(doc.IsMemoPlaceFree(document, 2, 17, QStringLiteral("memo %1").arg(memo)));
    EXPECT_TRUE(doc.IsMemoPlaceFree(document, 1, 17, QStringLiteral("Memo %1").arg(memo)));
    EXPECT_TRUE(doc.IsMemoPlaceFree(other, 2, 17, QStringLiteral("Memo %1").arg(memo)));
    EXPECT_EQ(doc.NewDocumentMemo(other + 20, 1, 1, 1), 0);
    Reopen();
    EXPECT_EQ(Int(TopicId::Documents, document, DocumentField::Memos), 1);
    EXPECT_EQ(Field(TopicId::Memos, memo, MemoField::Pos), QStringLiteral("17"));
}

TEST_F(MemosLinksTest, ADocumentMadeFromAMemoStartsWithItsHeading)
{
    const QByteArray body = RtfOf({QStringLiteral("Body text.")});
    const qint32 memo = doc.NewMemo(QStringLiteral("Ideas"), QStringLiteral("Bo"),
                                    QDateTime(QDate(2021, 3, 4), QTime(5, 6, 0)), body);
    log.Take();
    const qint32 made = doc.NewDocumentFromMemo(memo);
    ASSERT_NE(made, 0);
    EXPECT_EQ(log.Take(), Calls{"pane.OnObjectAdded(5," + N(made) + ",0,2,0,1)"});
    EXPECT_EQ(Field(TopicId::Documents, made, DocumentField::Name), QStringLiteral("Ideas"));
    const QString date = QLocale().toString(QDateTime(QDate(2021, 3, 4), QTime(5, 6, 0)), QLocale::ShortFormat);
    EXPECT_EQ(PlainTextOf(made), QStringLiteral("Ideas \rBo \r") + date + QStringLiteral(" \r \rBody text."));
    EXPECT_TRUE(BlobOf(db(), TopicId::Documents, made, DocumentField::Text).contains("Verdana"));
    EXPECT_EQ(doc.NewDocumentFromMemo(memo + 40), 0);
}

TEST_F(MemosLinksTest, MemosLinkedToCodes)
{
    const qint32 a = doc.NewMemo(QStringLiteral("a"), QString(), QDateTime(), {});
    const qint32 b = doc.NewMemo(QStringLiteral("b"), QString(), QDateTime(), {});
    const qint32 c = doc.NewMemo(QStringLiteral("c"), QString(), QDateTime(), {});
    const auto link = [&](qint32 memo, const QByteArray& ids) {
        RowBuffer row;
        ASSERT_TRUE(db().ReadRow(TopicId::Memos, memo, row, false));
        ASSERT_TRUE(rowfields::SetBlob(row, MemoField::Codewords, ids));
        ASSERT_TRUE(row.Commit(true, false));
    };
    link(a, CodeIds({joy, fear}));
    link(b, CodeIds({dread}) + "xy");  // two stray bytes are no code
    link(c, CodeIds({dread + 90}));
    QList<qint32> ids;
    EXPECT_TRUE(doc.CollectMemosOfCode(fear, ids));
    EXPECT_EQ(ids, QList<qint32>{a});
    doc.GetRetrievalSettings().l4 = true;
    EXPECT_TRUE(doc.CollectMemosOfCode(fear, ids));
    EXPECT_EQ(ids, (QList<qint32>{a, b}));
    EXPECT_TRUE(doc.CollectCodeMemos(ids));
    EXPECT_EQ(ids, (QList<qint32>{a, b}));
    EXPECT_EQ(doc.GetMemoCodes(b), QList<qint32>{dread});
}

// ---- Links -----------------------------------------------------------------------

TEST_F(MemosLinksTest, TwoEndsMakeALinkAndTheThirdWaits)
{
    CKorDoc::LinkRecord first = LinkAt(document, 0, 5);
    ASSERT_TRUE(doc.AddLink(first));
    EXPECT_EQ(first.LinkID, 0);
    EXPECT_TRUE(first.Text.isEmpty());
    EXPECT_EQ(log.Take(), Calls{"pane.OnObjectAdded(12," + N(first.ID) + ",0,5," + N(document) + ",1)"});
    // A link to a file or address never pairs.
    CKorDoc::LinkRecord external = LinkAt(other, 1, 3, -1);
    ASSERT_TRUE(doc.AddLink(external));
    EXPECT_EQ(Int(TopicId::Links, first.ID, LinkField::LinkID), 0);
    log.Take();

    CKorDoc::LinkRecord second = LinkAt(other, 10, 20);
    ASSERT_TRUE(doc.AddLink(second));
    EXPECT_EQ(second.LinkID, first.ID);
    EXPECT_EQ(Int(TopicId::Links, first.ID, LinkField::LinkID), second.ID);
    EXPECT_EQ(Int(TopicId::Links, second.ID, LinkField::LinkID), first.ID);
    EXPECT_EQ(Int(TopicId::Links, external.ID, LinkField::LinkID), -1);
    EXPECT_EQ(log.Take(), Join({Changed(12, first.ID),
                                {"pane.OnObjectAdded(12," + N(second.ID) + ",0,5," + N(other) + ",1)"}}));
    EXPECT_EQ(BlobOf(db(), TopicId::Links, second.ID, LinkField::Text), QByteArray("anchor"));
    CKorDoc::LinkRecord third = LinkAt(document, 30, 40);
    ASSERT_TRUE(doc.AddLink(third));
    EXPECT_EQ(third.LinkID, 0);

    EXPECT_FALSE(doc.IsLinkPlaceFree(other, 1, 10, 20, 0, 0));
    EXPECT_TRUE(doc.IsLinkPlaceFree(other, 1, 10, 21, 0, 0));
    CKorDoc::LinkRecord nowhere = LinkAt(other + 30, 0, 1);
    EXPECT_FALSE(doc.AddLink(nowhere));

    CKorDoc::LinkRecord moved = LinkAt(other, 12, 22);
    moved.ID = second.ID;
    moved.Text = "moved";
    log.Take();
    EXPECT_TRUE(doc.UpdateLink(moved));
    EXPECT_EQ(log.Take(), Changed(12, second.ID));
    EXPECT_EQ(Int(TopicId::Links, second.ID, LinkField::StartChar), 12);
    EXPECT_EQ(BlobOf(db(), TopicId::Links, second.ID, LinkField::Text), QByteArray("moved"));
    moved.ID = third.ID + 10;
    EXPECT_FALSE(doc.UpdateLink(moved));

    Reopen();
    EXPECT_EQ(Int(TopicId::Links, first.ID, LinkField::LinkID), second.ID);
    EXPECT_EQ(db().GetRowCount(TopicId::Links), 4);
}

TEST_F(MemosLinksTest, DeletingALinkTakesItsPartnerAndTheMapLinksNamingThem)
{
    CKorDoc::LinkRecord first = LinkAt(document, 0, 5);
    CKorDoc::LinkRecord second = LinkAt(other, 10, 20);
    CKorDoc::LinkRecord waiting = LinkAt(document, 30, 40, 0);
    ASSERT_TRUE(doc.AddLink(first) && doc.AddLink(second));
    ASSERT_TRUE(doc.AddLink(waiting));
    const qint32 onMap = AddRow(db(), TopicId::MapLinks, {{MapLinkField::FirstLink, 99}, {MapLinkField::SecondLink, second.ID}});
    const qint32 elsewhere = AddRow(db(), TopicId::MapLinks, {{MapLinkField::FirstLink, waiting.ID}});
    log.Take();

    EXPECT_TRUE(doc.DeleteLink(first.ID));
    EXPECT_EQ(log.Take(), Join({Deleted(12, second.ID), Deleted(12, first.ID), Deleted(21, onMap)}));
    EXPECT_EQ(db().GetRowCount(TopicId::Links), 1);
    EXPECT_TRUE(db().GetTable(TopicId::MapLinks)->HasKey(elsewhere));
    EXPECT_FALSE(doc.DeleteLink(first.ID));

    EXPECT_TRUE(doc.DeleteFirstLink());
    EXPECT_FALSE(db().GetTable(TopicId::Links)->HasKey(waiting.ID));
    EXPECT_FALSE(db().GetTable(TopicId::MapLinks)->HasKey(elsewhere));
    EXPECT_FALSE(doc.DeleteFirstLink());
    Reopen();
    EXPECT_EQ(db().GetRowCount(TopicId::Links), 0);
}

// ---- Media marks ---------------------------------------------------------------

TEST_F(MemosLinksTest, MediaMarksAreStoredAndKeepTheirTimesWithoutGaps)
{
    EXPECT_TRUE(doc.AddMediaMarks(document, {{0, 0, 0, QStringLiteral("00:00:00.000"), QStringLiteral("00:00:05.000")},
                                             {0, 3, 18, QStringLiteral("00:00:05.000"), QStringLiteral("00:00:09.500")}}));
    EXPECT_FALSE(doc.AddMediaMarks(other + 30, {{}}));
    EXPECT_EQ(log.Take(), Calls{});
    QList<MediaTimestamp> marks;
    ASSERT_TRUE(doc.LoadDocumentTimestamps(document, marks));
    ASSERT_EQ(marks.size(), 2);
    CKorDoc::MediaMarkRecord record;
    ASSERT_TRUE(doc.GetMediaMark(marks.at(1).id, record));
    EXPECT_EQ(record.State, 3);
    EXPECT_EQ(record.StartChar, 18);
    EXPECT_EQ(record.End, QStringLiteral("00:00:09.500"));
    EXPECT_FALSE(doc.GetMediaMark(marks.at(1).id + 10, record));

    // One entry updated, one new, stored together.
    marks[1].end = 10000;
    marks.append({0, 42, 10000, 3723004});
    EXPECT_TRUE(doc.StoreMediaMarks(document, marks, {1, 2}));
    const qint32 added = marks.at(2).id;
    ASSERT_NE(added, 0);
    EXPECT_EQ(log.Take(), Join({Changed(26, marks.at(1).id),
                                {"pane.OnObjectAdded(26," + N(added) + "," + N(marks.at(1).id) + ",5," + N(document) + ",1)",
                                 "pane.SelectObject(26," + N(added) + ",0)"}}));
    EXPECT_EQ(Field(TopicId::MediaMarks, added, MediaMarkField::End), QStringLiteral("01:02:03.004"));
    EXPECT_EQ(Field(TopicId::MediaMarks, marks.at(1).id, MediaMarkField::End), QStringLiteral("00:00:10.000"));
    EXPECT_EQ(Field(TopicId::MediaMarks, marks.at(1).id, MediaMarkField::State), QStringLiteral("0"));

    // The middle mark: the one before takes over its end.
    EXPECT_TRUE(doc.DeleteMediaMark(marks.at(1).id));
    EXPECT_EQ(log.Take(), Join({Deleted(26, marks.at(1).id), Changed(26, marks.at(0).id)}));
    EXPECT_EQ(Field(TopicId::MediaMarks, marks.at(0).id, MediaMarkField::End), QStringLiteral("00:00:10.000"));
    // The first mark: the next one starts at 0.
    EXPECT_TRUE(doc.DeleteMediaMark(marks.at(0).id));
    EXPECT_EQ(Field(TopicId::MediaMarks, added, MediaMarkField::StartChar), QStringLiteral("0"));
    EXPECT_EQ(Field(TopicId::MediaMarks, added, MediaMarkField::Begin), QStringLiteral("00:00:00.000"));
    // The only mark stays.
    log.Take();
    EXPECT_FALSE(doc.DeleteMediaMark(added));
    EXPECT_FALSE(doc.DeleteMediaMark(added + 10));
    EXPECT_EQ(log.Take(), Calls{});
    EXPECT_TRUE(doc.DeleteMediaMarkRow(added));
    EXPECT_EQ(log.Take(), Deleted(26, added));
    Reopen();
    EXPECT_EQ(db().GetRowCount(TopicId::MediaMarks), 0);
}

TEST_F(MemosLinksTest, ARefusedMarkWriteLeavesNoIdsBehind)
{
    ExpectRefusedWrite(RefuseInsert("MediaMarks"), [&] {
        QList<MediaTimestamp> marks{{0, 0, 0, 1000}, {0, 5, 1000, 2000}};
        EXPECT_FALSE(doc.StoreMediaMarks(document, marks, {0, 1}));
        EXPECT_EQ(marks.at(0).id, 0);
        EXPECT_EQ(marks.at(1).id, 0);
        EXPECT_FALSE(doc.AddMediaMarks(document, {{0, 0, 0, QStringLiteral("a"), QStringLiteral("b")}}));
    });
}

TEST_F(MemosLinksTest, TimeMarkTexts)
{
    const struct {
        const char* text;
        bool ok;
        const char* file;
        const char* time;
    } cases[] = {
        {"file=\"talk.mp3\" time=\"3723004\"", true, "talk.mp3", "01:02:03.004"},
        {"  file= a &amp; b.wav  time= 1500 ", true, "a & b.wav", "00:00:01.500"},
        {"file=x.mp3 time=250ms", true, "x.mp3", "00:00:00.250"},
        {"file=x.mp3", false, "", ""},
        {"time=5 file=x.mp3", false, "", ""},
        {"file=x.mp3 time=", false, "", ""},
        {"file=x.mp3 time=abc", false, "", ""},
        {"", false, "", ""},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.text);
        QString file = QStringLiteral("unchanged");
        QString time = QStringLiteral("unchanged");
        EXPECT_EQ(CKorDoc::ParseTimeMark(QString::fromUtf8(test.text), file, time), test.ok);
        if (test.ok) {
            EXPECT_EQ(file, QString::fromUtf8(test.file));
            EXPECT_EQ(time, QString::fromUtf8(test.time));
        }
    }
}
