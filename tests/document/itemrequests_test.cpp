// What the views are told of objects and what they may change: images,
// counts, contents, renames and moves with their refusals, and time marks
// read from transcripts.

#include "document/docfixture.h"
#include "document/documentids.h"
#include "document/listnotifyinfo.h"
#include "foundation/richtexthelpers.h"
#include "platform/rtf/richeditctrlex.h"
#include "store/topicdatabase.h"

namespace doctest {
namespace {

class ItemRequestTest : public DocTest {
protected:
    void SetUp() override
    {
        DocTest::SetUp();
        NewProject();
        group = AddGroup(QStringLiteral("Interviews"));
        document = AddDocument(group, QStringLiteral("Anna"), RtfOf({QStringLiteral("Hello world")}));
    }

    ListNotifyInfo Query(qint32 kind, qint32 id, quint32 mask, bool showActivation = true)
    {
        ListNotifyInfo info;
        info.topic = kind;
        info.itemId = id;
        info.mask = mask;
        info.query = true;
        info.imageVariant = showActivation;
        doc.HandleItemQuery(info);
        return info;
    }
    bool Change(qint32 kind, qint32 id, quint32 mask, const std::function<void(ListNotifyInfo&)>& fill = {})
    {
        ListNotifyInfo info;
        info.topic = kind;
        info.itemId = id;
        info.mask = mask;
        if (fill)
            fill(info);
        doc.HandleItemChange(info);
        return info.handled;
    }
    void SetState(qint32 topic, qint32 key, qint32 field, qint32 bits)
    {
        RowBuffer row;
        FieldValue state;
        ASSERT_TRUE(db().ReadRow(topic, key, row, false));
        row.GetFieldValue(field, state);
        state.SetInt(bits);
        row.WriteBack();
    }

    qint32 group = 0;
    qint32 document = 0;
};

TEST_F(ItemRequestTest, DocumentImagesFollowKindMediaOpenAndActivation)
{
    const struct {
        qint32 docType;
        const char* media;
        qint32 state;
        bool showActivation;
        qint32 image, memberImage, mediaKind;
    } cases[] = {
        {DocumentKind::Pdf, "", ObjectState::ShownInBrowser | ObjectState::Activated, true, 25, 37, 2},
        {DocumentKind::Pdf, "", ObjectState::ShownInBrowser | ObjectState::Activated, false, 24, 36, 2},
        {DocumentKind::Picture, "", ObjectState::Activated, true, 27, 39, 3},
        {DocumentKind::Table, "", 0, true, 43, 47, 4},
        {DocumentKind::RichText, "talk.mp3", ObjectState::ShownInBrowser, true, 20, 32, 1},
        // A media file of blanks is no media file.
        {DocumentKind::RichText, "   ", 0, true, 4, 8, 0},
    };
    const qint32 set = AddRow(db(), TopicId::DocumentSets, {{3, QStringLiteral("S")}});
    for (const auto& c : cases) {
        const qint32 id = AddRow(db(), TopicId::Documents,
                                 {{DocumentField::GroupID, group},
                                  {DocumentField::DocType, c.docType},
                                  {DocumentField::MediaFile, QString::fromLatin1(c.media)}});
        const qint32 member = AddRow(db(), TopicId::DocumentSetMembers,
                                     {{SetMemberField::SetID, set}, {SetMemberField::ObjectID, id}});
        SetState(TopicId::Documents, id, DocumentField::State, c.state);
        const ListNotifyInfo info = Query(TopicId::Documents, id, ListNotifyMask::Image, c.showActivation);
        EXPECT_TRUE(info.handled);
        EXPECT_EQ(info.image, c.image) << c.docType << c.media;
        EXPECT_EQ(info.documentKind, c.mediaKind);
        EXPECT_EQ(Query(TopicId::DocumentSetMembers, member, ListNotifyMask::Image, c.showActivation).image,
                  c.memberImage);
    }
    EXPECT_FALSE(Query(TopicId::Documents, 999, ListNotifyMask::Image).handled);
}

TEST_F(ItemRequestTest, CountsTextsAndContentsAsTheViewsAskForThem)
{
    AllowInconsistentProject();  // the code counters below are set by hand
    const qint32 parent = AddCode(QStringLiteral("Parent"));
    const qint32 child = AddCode(QStringLiteral("Child"), parent);
    for (const auto& [code, count] : {std::pair{parent, 2}, std::pair{child, 3}}) {
        RowBuffer row;
        FieldValue value;
        ASSERT_TRUE(db().ReadRow(TopicId::Codes, code, row, false));
        row.GetFieldValue(CodeField::Codes, value);
        value.SetInt(count);
        row.Commit(false, false);
    }
    // A collapsed code shows what its subtree holds, an expanded one its own.
    EXPECT_EQ(Query(TopicId::Codes, parent, ListNotifyMask::CountSubcodes).count, 5);
    SetState(TopicId::Codes, parent, CodeField::State, ObjectState::Expanded);
    EXPECT_EQ(Query(TopicId::Codes, parent, ListNotifyMask::CountSubcodes).count, 2);
    EXPECT_EQ(Query(TopicId::Codes, parent, ListNotifyMask::Count).count, 2);
    EXPECT_EQ(Query(TopicKind::CodeSystemRoot, 0, ListNotifyMask::Name).name, QStringLiteral("Code system"));
    EXPECT_EQ(Query(TopicKind::Paragraph, 7, ListNotifyMask::LongText).longText, QStringLiteral("§ 7"));
    EXPECT_EQ(Query(TopicId::Documents, document, ListNotifyMask::Name).name, QStringLiteral("Anna"));
    EXPECT_EQ(Query(TopicId::Codes, child, ListNotifyMask::FullName).name, QStringLiteral("Parent\\Child"));

    // Each content query hands over its own copy; the row keeps its text.
    ListNotifyInfo first = Query(TopicId::Documents, document, ListNotifyMask::Content);
    first.content.fill('x');
    const ListNotifyInfo second = Query(TopicId::Documents, document, ListNotifyMask::Content);
    EXPECT_EQ(second.content, RtfOf({QStringLiteral("Hello world")}));
    EXPECT_EQ(BlobOf(db(), TopicId::Documents, document, DocumentField::Text), second.content);
}

TEST_F(ItemRequestTest, CodeRenamesAndMovesKeepNamesUniqueAmongSiblings)
{
    const qint32 a = AddCode(QStringLiteral("A"));
    const qint32 b = AddCode(QStringLiteral("B"));
    const qint32 bChild = AddCode(QStringLiteral("Topic"), b);
    AddCode(QStringLiteral("Topic (1)"), b);
    const qint32 aChild = AddCode(QStringLiteral("Topic"), a);
    const QString longName(FieldDescriptor::kNameUnits, QLatin1Char('L'));
    const qint32 longA = AddCode(longName, a);
    AddCode(longName, b);
    const auto rename = [&](qint32 id, const QString& name) {
        return Change(TopicId::Codes, id, ListNotifyMask::Name, [&](ListNotifyInfo& i) { i.name = name; });
    };
    const auto move = [&](qint32 id, qint32 parentKind, qint32 parent) {
        return Change(TopicId::Codes, id, ListNotifyMask::Parent, [&](ListNotifyInfo& i) {
            i.newParentTopic = parentKind;
            i.newParentId = parent;
        });
    };
    const auto name = [&](qint32 id) { return ValueOf(db(), TopicId::Codes, id, CodeField::Name); };

    EXPECT_TRUE(rename(aChild, QStringLiteral("TOPIC")));  // its own name in other case
    EXPECT_FALSE(rename(longA, QStringLiteral("TOPIC")));  // a sibling's name
    EXPECT_EQ(name(longA), longName);

    EXPECT_TRUE(move(aChild, TopicId::Codes, b));
    EXPECT_EQ(name(aChild), QStringLiteral("TOPIC"));  // names compare with case
    EXPECT_TRUE(rename(aChild, QStringLiteral("Topic x")));
    EXPECT_TRUE(move(aChild, TopicId::Codes, a));
    EXPECT_TRUE(rename(aChild, QStringLiteral("Topic")));
    EXPECT_TRUE(move(aChild, TopicId::Codes, b));
    EXPECT_EQ(name(aChild), QStringLiteral("Topic (2)"));
    // The number always fits: the name gives way.
    EXPECT_TRUE(move(longA, TopicId::Codes, b));
    EXPECT_EQ(name(longA), QString(FieldDescriptor::kNameUnits - 4, QLatin1Char('L')) + QStringLiteral(" (1)"));
    // Never under itself or its own subtree.
    EXPECT_FALSE(move(b, TopicId::Codes, bChild));
    EXPECT_FALSE(move(b, TopicId::Codes, b));
    EXPECT_EQ(ValueOf(db(), TopicId::Codes, b, CodeField::Parent), QStringLiteral("0"));
    EXPECT_TRUE(move(bChild, TopicKind::CodeSystemRoot, 0));
    EXPECT_EQ(ValueOf(db(), TopicId::Codes, bChild, CodeField::Parent), QStringLiteral("0"));

    Reopen();
    EXPECT_EQ(name(aChild), QStringLiteral("Topic (2)"));
    EXPECT_EQ(ValueOf(db(), TopicId::Codes, aChild, CodeField::Parent), QString::number(b));
}

TEST_F(ItemRequestTest, ViewsChangeOnlyTheExpandedBitAndNoEmptyNames)
{
    SetState(TopicId::Documents, document, DocumentField::State, ObjectState::Activated);
    EXPECT_TRUE(Change(TopicId::Documents, document, ListNotifyMask::State,
                       [](ListNotifyInfo& i) { i.state = ObjectState::Expanded | ObjectState::ShownInBrowser; }));
    EXPECT_EQ(ValueOf(db(), TopicId::Documents, document, DocumentField::State),
              QString::number(ObjectState::Expanded | ObjectState::Activated));
    EXPECT_FALSE(Change(TopicId::DocumentGroups, group, ListNotifyMask::Name,
                        [](ListNotifyInfo& i) { i.name = QStringLiteral("   "); }));
    EXPECT_EQ(ValueOf(db(), TopicId::DocumentGroups, group, 3), QStringLiteral("Interviews"));
}

TEST_F(ItemRequestTest, MovingADocumentTakesItsCodingsAndMemosAlong)
{
    const qint32 other = AddGroup(QStringLiteral("Other"));
    const qint32 code = AddCode(QStringLiteral("C"));
    const qint32 coding = AddCoding(document, code, 0, 5, {{CodingField::Group, group}});
    const qint32 memo = AddMemo({{MemoField::Document, document}, {MemoField::GroupID, group}});
    log.Take();
    EXPECT_TRUE(Change(TopicId::Documents, document, ListNotifyMask::Parent, [&](ListNotifyInfo& i) {
        i.newParentTopic = TopicId::DocumentGroups;
        i.newParentId = other;
    }));
    const auto calls = log.Take();
    for (const std::string& expected : {"pane.OnObjectChanged(2," + std::to_string(other) + ")",
                                        "pane.OnObjectChanged(2," + std::to_string(group) + ")",
                                        "pane.OnObjectChanged(10," + std::to_string(coding) + ")"})
        EXPECT_NE(std::find(calls.begin(), calls.end(), expected), calls.end()) << expected;
    Reopen();
    EXPECT_EQ(ValueOf(db(), TopicId::Documents, document, DocumentField::GroupID), QString::number(other));
    EXPECT_EQ(ValueOf(db(), TopicId::Codings, coding, CodingField::Group), QString::number(other));
    EXPECT_EQ(ValueOf(db(), TopicId::Memos, memo, MemoField::GroupID), QString::number(other));
}

TEST_F(ItemRequestTest, AMemberMovedToAnotherCodeSetTellsBoth)
{
    const qint32 code = AddCode(QStringLiteral("C"));
    const qint32 first = AddRow(db(), TopicId::CodeSets, {{3, QStringLiteral("One")}});
    const qint32 second = AddRow(db(), TopicId::CodeSets, {{3, QStringLiteral("Two")}});
    const qint32 member =
        AddRow(db(), TopicId::CodeSetMembers, {{SetMemberField::SetID, first}, {SetMemberField::ObjectID, code}});
    log.Take();
    EXPECT_TRUE(Change(TopicId::CodeSetMembers, member, ListNotifyMask::Parent, [&](ListNotifyInfo& i) {
        i.newParentTopic = TopicId::CodeSets;
        i.newParentId = second;
    }));
    EXPECT_EQ(log.Take(), (std::vector<std::string>{
                              "pane.OnObjectChanged(24," + std::to_string(second) + ")",
                              "owner.OnObjectChanged(24," + std::to_string(second) + ")",
                              "pane.OnObjectChanged(24," + std::to_string(first) + ")",
                              "owner.OnObjectChanged(24," + std::to_string(first) + ")",
                          }));
}

TEST_F(ItemRequestTest, TranscriptStampsBecomeMarksOfTheSegmentsBetweenThem)
{
    // "#hh:mm:ss-t#" stamps: each ends a segment and is replaced by a blank
    // and a paragraph break.
    const std::unique_ptr<CRichEditCtrlEx> edit = CreateHiddenRichEdit();
    const QByteArray rtf = RtfOf({QStringLiteral("Intro #00:00:05-2# Anna speaks #00:01:00-0#"), QStringLiteral("End")});
    edit->StreamInRtf(&rtf, false);
    QList<TranscriptMark> marks;
    EXPECT_EQ(doc.ReadTranscriptTimestamps(*edit, marks), QStringLiteral("*"));
    ASSERT_EQ(marks.size(), 2);
    EXPECT_EQ(marks[0].startChar, 0);
    EXPECT_EQ(marks[0].begin, QStringLiteral("00:00:00.000"));
    EXPECT_EQ(marks[0].end, QStringLiteral("00:00:05.200"));
    EXPECT_EQ(marks[1].begin, QStringLiteral("00:00:05.200"));
    EXPECT_EQ(marks[1].end, QStringLiteral("00:01:00.000"));
    const QString text = edit->GetTextRange(0, edit->GetTextLength());
    EXPECT_EQ(text, QStringLiteral("Intro  \rAnna speaks  \rEnd"));
    // Each segment starts right after the break that ended the one before.
    EXPECT_EQ(text.mid(marks[1].startChar, 4), QStringLiteral("Anna"));

    // Hyperlink stamps: the media file comes from the first of them.
    const QByteArray links =
        "{\\rtf1\\ansi Start {\\field{\\*\\fldinst HYPERLINK \"file=talk.mp3 time=1500\"}{\\fldrslt [1]}}\\par "
        "Second {\\field{\\*\\fldinst HYPERLINK \"file=talk.mp3 time=4000\"}{\\fldrslt [2]}}\\par Third}";
    edit->StreamInRtf(&links, false);
    EXPECT_EQ(doc.ReadTranscriptTimestamps(*edit, marks), QStringLiteral("talk.mp3"));
    ASSERT_EQ(marks.size(), 3);
    EXPECT_EQ(marks[0].end, QStringLiteral("00:00:01.500"));
    EXPECT_EQ(marks[1].begin, QStringLiteral("00:00:01.500"));
    EXPECT_EQ(marks[1].end, QStringLiteral("00:00:04.000"));
    EXPECT_EQ(marks[2].end, QString());
    const QString visible = QStringLiteral("Start [1]\rSecond [2]\rThird");
    EXPECT_EQ(visible.mid(marks[1].startChar, 6), QStringLiteral("Second"));
    EXPECT_EQ(visible.mid(marks[2].startChar, 5), QStringLiteral("Third"));

    const QByteArray none = RtfOf({QStringLiteral("No #stamps# here")});
    edit->StreamInRtf(&none, false);
    EXPECT_EQ(doc.ReadTranscriptTimestamps(*edit, marks), QString());
    EXPECT_TRUE(marks.isEmpty());
}

TEST_F(ItemRequestTest, MediaMarksComeByStartPosition)
{
    for (const auto& [start, begin] : {std::pair{40, "00:00:02"}, std::pair{3, "00:00:01.250"}}) {
        AddRow(db(), TopicId::MediaMarks,
               {{MediaMarkField::Document, document},
                {MediaMarkField::StartChar, start},
                {MediaMarkField::Begin, QString::fromLatin1(begin)},
                {MediaMarkField::End, QStringLiteral("01:00")}});
    }
    QList<MediaTimestamp> marks;
    EXPECT_TRUE(doc.LoadDocumentTimestamps(document, marks));
    ASSERT_EQ(marks.size(), 2);
    EXPECT_EQ(marks[0].startChar, 3);
    EXPECT_EQ(marks[0].begin, 1250);
    EXPECT_EQ(marks[1].begin, 2000);
    EXPECT_EQ(marks[1].end, 60000);
}

}  // namespace
}  // namespace doctest
