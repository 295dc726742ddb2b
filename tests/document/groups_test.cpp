// Document groups, documents and document sets: each creation takes the
// next key, writes the file first and announces as the windows expect; a
// refused write changes nothing; the imports' lookup by names; set members.

#include "objectstest.h"

#include "foundation/richtexthelpers.h"
#include "foundation/tabledata.h"
#include "platform/rtf/richeditctrlex.h"
#include "store/topicdatabase.h"

using namespace doctest;

TEST_F(ObjectsTest, EachCreationTakesTheNextKeyAndIsAnnouncedUnderItsParent)
{
    const qint32 group = doc.NewDocumentGroupNamed(QStringLiteral("  Interviews  "));
    ASSERT_NE(group, 0);
    // A deleted greatest key is never given again.
    const qint32 gone = doc.NewDocumentGroupNamed(QStringLiteral("gone"));
    ASSERT_TRUE(db().RemoveRow(TopicId::DocumentGroups, gone));
    log.Take();

    const QByteArray rtf = RtfOf({QStringLiteral("ab"), QStringLiteral("cd")});
    const struct {
        const char* name;
        std::function<qint32()> create;
        qint32 topic;
        std::function<Calls(qint32 id)> calls;
        std::vector<std::pair<qint32, QString>> fields;  // field, value; "%1" stands for the key
    } cases[] = {
        {"a group offered for renaming",
         [&] { return doc.NewDocumentGroup() ? db().GetLastKey(TopicId::DocumentGroups) : 0; },
         TopicId::DocumentGroups,
         [](qint32 id) {
             return Calls{"pane.OnObjectAdded(2," + N(id) + ",0,1,0,1)", "pane.BeginEditLabel(2," + N(id) + ")"};
         },
         {{GroupField::Name, QStringLiteral("Document group %1")}, {GroupField::State, QStringLiteral("1")}}},
        {"a named group", [&] { return doc.NewDocumentGroupNamed(QString(70, QLatin1Char('g'))); },
         TopicId::DocumentGroups, [](qint32 id) { return Calls{"pane.OnObjectAdded(2," + N(id) + ",0,1,0,1)"}; },
         {{GroupField::Name, QString(63, QLatin1Char('g'))}}},
        {"a rich-text document measured as the control counts",
         [&] { return doc.NewDocument(group, QString(), rtf, QStringLiteral(" talk.mp3 ")); }, TopicId::Documents,
         [group](qint32 id) { return Calls{"pane.OnObjectAdded(5," + N(id) + ",0,2," + N(group) + ",1)"}; },
         {{DocumentField::Name, QStringLiteral("Document %1")},
          {DocumentField::Size, QStringLiteral("5")},
          {DocumentField::GroupID, QString::number(group)},
          {DocumentField::MediaFile, QStringLiteral("talk.mp3")},
          {DocumentField::Author, QStringLiteral("Ada")},
          {DocumentField::DocType, QStringLiteral("0")},
          {DocumentField::State, QStringLiteral("0")}}},
        {"an empty document at the end of the top level",
         [&] { return doc.NewTableDocument(0, QStringLiteral("Notes"), QString(), true, false, 0, 0); },
         TopicId::Documents, [](qint32 id) { return Calls{"pane.OnObjectAdded(5," + N(id) + ",-1,2,0,1)"}; },
         {{DocumentField::Name, QStringLiteral("Notes")}, {DocumentField::DocType, QStringLiteral("0")}}},
        {"a table document", [&] { return doc.NewTableDocument(group, QString(), QString(), false, true, 2, 3); },
         TopicId::Documents,
         [group](qint32 id) { return Calls{"pane.OnObjectAdded(5," + N(id) + ",0,2," + N(group) + ",1)"}; },
         {{DocumentField::Name, QStringLiteral("Document %1")}, {DocumentField::DocType, QStringLiteral("3")}}},
        {"a PDF measured in bytes",
         [&] { return doc.NewExternalDocument(0, QStringLiteral(" P "), QByteArray(1234, 'x'), DocumentKind::Pdf); },
         TopicId::Documents, [](qint32 id) { return Calls{"pane.OnObjectAdded(5," + N(id) + ",0,2,0,1)"}; },
         {{DocumentField::Name, QStringLiteral("P")},
          {DocumentField::Size, QStringLiteral("1234")},
          {DocumentField::DocType, QStringLiteral("1")}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const qint32 highest = std::max(db().GetLastKey(c.topic), c.topic == TopicId::DocumentGroups ? gone : 0);
        const qint32 id = c.create();
        EXPECT_EQ(id, highest + 1);
        EXPECT_EQ(log.Take(), c.calls(id));
        for (const auto& [field, value] : c.fields)
            EXPECT_EQ(Value(c.topic, id, field), value.contains(QLatin1String("%1")) ? value.arg(id) : value)
                << "field " << field;
    }
    const qint32 table = db().GetLastKey(TopicId::Documents) - 1;
    CTableData data;
    ASSERT_TRUE(data.LoadFromBytes(BlobOf(db(), TopicId::Documents, table, DocumentField::Text)));
    EXPECT_EQ(data.GetRowCount(), 2);
    EXPECT_EQ(data.GetColumnCount(), 3);

    // Everything reached the file.
    Reopen();
    EXPECT_EQ(db().GetRowCount(TopicId::DocumentGroups), 3);
    EXPECT_EQ(db().GetRowCount(TopicId::Documents), 4);
}

TEST_F(ObjectsTest, TheSizeOfANewDocumentIsTheControlsCharacterCount)
{
    // Hidden link instructions and table marks take positions too.
    const QByteArray rtf = "{\\rtf1\\ansi{\\field{\\*\\fldinst HYPERLINK \"http://a.b\"}{\\fldrslt link}}\\par"
                           "\\trowd\\cellx1000\\cellx2000 x\\cell y\\cell\\row end}";
    const std::unique_ptr<CRichEditCtrlEx> edit = CreateHiddenRichEdit();
    edit->StreamInRtf(&rtf, false);
    const qint32 document = doc.NewDocument(0, QStringLiteral("T"), rtf, QString());
    EXPECT_EQ(Value(TopicId::Documents, document, DocumentField::Size), QString::number(edit->GetTextLength()));
    EXPECT_GT(edit->GetTextLength(), 20);
}

TEST_F(ObjectsTest, ARefusedCreationChangesNothingAndAnnouncesNothing)
{
    const qint32 group = doc.NewDocumentGroupNamed(QStringLiteral("G"));
    const qint32 document = doc.NewDocument(group, QStringLiteral("D"), RtfOf({QStringLiteral("x")}), QString());
    log.Take();
    // Absent parents are refused before anything is written.
    EXPECT_EQ(doc.NewDocument(group + 7, QStringLiteral("D"), {}, QString()), 0);
    EXPECT_EQ(doc.NewTableDocument(group + 7, QStringLiteral("D"), QString(), false, false, 0, 0), 0);
    EXPECT_FALSE(doc.NewDocumentSetFromGroup(group + 7));
    EXPECT_FALSE(doc.DuplicateDocument(document, TopicId::DocumentGroups, group + 7));
    EXPECT_FALSE(doc.DuplicateDocument(document, TopicId::DocumentSets, 0));
    EXPECT_FALSE(doc.DuplicateDocument(document + 9, TopicId::DocumentGroups, group));
    EXPECT_EQ(log.Take(), Calls{});

    ExpectRefusedWrite(RefuseInsert("Texts"), [&] {
        EXPECT_EQ(doc.NewDocument(group, QStringLiteral("D2"), RtfOf({QStringLiteral("y")}), QString()), 0);
        EXPECT_EQ(doc.NewExternalDocument(group, QStringLiteral("P"), "%PDF", DocumentKind::Pdf), 0);
        EXPECT_FALSE(doc.DuplicateDocument(document, TopicId::Documents, document));
        EXPECT_EQ(db().GetRowCount(TopicId::Documents), 1);
    });
    ExpectRefusedWrite(RefuseInsert("Textgroups"), [&] {
        EXPECT_FALSE(doc.NewDocumentGroup());
        EXPECT_EQ(doc.NewDocumentGroupNamed(QStringLiteral("H")), 0);
        EXPECT_EQ(db().GetRowCount(TopicId::DocumentGroups), 1);
    });
    // A set whose member cannot be written is not kept either.
    Activate(TopicId::Documents, document);
    ExpectRefusedWrite(RefuseInsert("Textlinks"), [&] {
        Activate(TopicId::Documents, document);
        EXPECT_FALSE(doc.NewDocumentSet(QStringLiteral("S")));
        EXPECT_EQ(db().GetRowCount(TopicId::DocumentSets), 0);
    });
}

TEST_F(ObjectsTest, ADuplicateStartsWithoutCodingsMemosOrMemo)
{
    const qint32 group = doc.NewDocumentGroupNamed(QStringLiteral("G"));
    const qint32 other = doc.NewDocumentGroupNamed(QStringLiteral("H"));
    const QByteArray rtf = RtfOf({QStringLiteral("text")});
    const qint32 source = doc.NewDocument(group, QString(60, QLatin1Char('n')), rtf, QString());
    const qint32 target = doc.NewDocument(other, QStringLiteral("T"), {}, QString());
    AddCoding(source, AddCode(QStringLiteral("C")), 0, 2);
    const qint32 memo = AddMemo({});
    RowBuffer row;
    ASSERT_TRUE(db().ReadRow(TopicId::Documents, source, row, false));
    ASSERT_TRUE(row.SetFieldText(DocumentField::Codes, QStringLiteral("1")));
    ASSERT_TRUE(row.SetFieldText(DocumentField::MemoID, QString::number(memo)));
    row.Release();
    log.Take();

    ASSERT_TRUE(doc.DuplicateDocument(source, TopicId::Documents, target));
    const qint32 copy = db().GetLastKey(TopicId::Documents);
    EXPECT_EQ(log.Take(), Calls{"pane.OnObjectAdded(5," + N(copy) + "," + N(target) + ",2," + N(other) + ",1)"});
    EXPECT_EQ(Value(TopicId::Documents, copy, DocumentField::Name),
              CutToUnits(QString(60, QLatin1Char('n')) + QStringLiteral(" (%1)").arg(copy), 63));
    for (const qint32 field : {DocumentField::Codes, DocumentField::Memos, DocumentField::MemoID})
        EXPECT_EQ(Value(TopicId::Documents, copy, field), QStringLiteral("0"));
    EXPECT_EQ(Value(TopicId::Documents, copy, DocumentField::GroupID), QString::number(other));
    EXPECT_EQ(BlobOf(db(), TopicId::Documents, copy, DocumentField::Text), rtf);

    ASSERT_TRUE(doc.DuplicateDocument(source, TopicId::DocumentGroups, group));
    EXPECT_EQ(log.Take(), Calls{"pane.OnObjectAdded(5," + N(copy + 1) + ",0,2," + N(group) + ",1)"});
}

TEST_F(ObjectsTest, ImportsFindDocumentsByTrimmedNamesWithoutCase)
{
    const QString longGroup(70, QLatin1Char('G'));
    const qint32 group = doc.NewDocumentGroupNamed(longGroup);
    const qint32 document = doc.NewDocument(group, QStringLiteral("Interview 1"), {}, QString());
    const qint32 top = doc.NewDocument(0, QStringLiteral("Top"), {}, QString());
    log.Take();
    const struct {
        const char* name;
        QString group;
        QString document;
        bool create;
        bool result;
        qint32 found;  // -1: a new document
    } cases[] = {
        {"found", longGroup.toLower() + QStringLiteral("  "), QStringLiteral(" interview 1 "), false, true, document},
        {"top level", QString(), QStringLiteral("TOP"), false, true, top},
        {"an existing document is not made twice", longGroup, QStringLiteral("Interview 1"), true, false, document},
        {"missing document", longGroup, QStringLiteral("Interview 2"), false, false, 0},
        {"missing group", QStringLiteral("Other"), QStringLiteral("Interview 1"), false, false, 0},
        {"made in its group", longGroup, QStringLiteral("Interview 2"), true, true, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RowBuffer row;
        EXPECT_EQ(doc.FindOrCreateDocument(c.group, c.document, row, c.create), c.result);
        const qint32 expected = c.found < 0 ? db().GetLastKey(TopicId::Documents) : c.found;
        EXPECT_EQ(row.IsEmpty() ? 0 : row.GetKey(), expected);
    }
    EXPECT_EQ(db().GetRowCount(TopicId::DocumentGroups), 1);
    const qint32 made = db().GetLastKey(TopicId::Documents);
    EXPECT_EQ(doc.GetDocumentGroup(made), group);
    EXPECT_EQ(log.Take(), Calls{"pane.OnObjectAdded(5," + N(made) + ",-1,2," + N(group) + ",1)"});

    // Names of new groups are stored trimmed.
    RowBuffer row;
    ASSERT_TRUE(doc.FindOrCreateDocument(QStringLiteral(" New "), QStringLiteral("D"), row, true));
    const qint32 newGroup = db().GetLastKey(TopicId::DocumentGroups);
    EXPECT_EQ(Value(TopicId::DocumentGroups, newGroup, GroupField::Name), QStringLiteral("New"));
    EXPECT_EQ(log.Take(), (Calls{"pane.OnObjectAdded(2," + N(newGroup) + ",0,1,0,0)",
                                 "pane.OnObjectAdded(5," + N(row.GetKey()) + ",-1,2," + N(newGroup) + ",1)"}));
}

TEST_F(ObjectsTest, SetsTakeTheActivatedDocumentsAndRefuseASecondMembership)
{
    const qint32 group = doc.NewDocumentGroupNamed(QStringLiteral("G"));
    const qint32 a = doc.NewDocument(group, QStringLiteral("A"), {}, QString());
    const qint32 b = doc.NewDocument(0, QStringLiteral("B"), {}, QString());
    const qint32 c = doc.NewDocument(group, QStringLiteral("C"), {}, QString());
    Activate(TopicId::Documents, c);
    Activate(TopicId::Documents, a);
    log.Take();

    ASSERT_TRUE(doc.NewDocumentSet(QString()));
    const qint32 set = db().GetLastKey(TopicId::DocumentSets);
    const qint32 last = db().GetLastKey(TopicId::DocumentSetMembers);
    EXPECT_EQ(Value(TopicId::DocumentSets, set, GroupField::Name), QStringLiteral("Set %1").arg(set));
    // Store order: a before c.
    EXPECT_EQ(log.Take(), (Calls{"pane.OnObjectAdded(4," + N(set) + ",0,3,0,1)",
                                 "pane.OnObjectsAdded(6,[" + N(last - 1) + "," + N(last) + "],4," + N(set) + ")",
                                 "pane.OnObjectChanged(4," + N(set) + ")", "owner.OnObjectChanged(4," + N(set) + ")",
                                 "pane.OnObjectChanged(3,0)", "owner.OnObjectChanged(3,0)"}));
    EXPECT_EQ(db().GetIntValue(TopicId::DocumentSetMembers, last - 1, SetMemberField::ObjectID), a);
    EXPECT_EQ(db().GetIntValue(TopicId::DocumentSetMembers, last, SetMemberField::ObjectID), c);

    EXPECT_FALSE(doc.AddDocumentSetMember(a, set, 0));       // already a member
    EXPECT_FALSE(doc.AddDocumentSetMember(b + 10, set, 0));  // no such document
    EXPECT_FALSE(doc.AddDocumentSetMember(b, set + 1, 0));   // no such set
    EXPECT_EQ(log.Take(), Calls{});
    ASSERT_TRUE(doc.AddDocumentSetMember(b, set, -1));
    EXPECT_EQ(log.Take(), (Calls{"pane.OnObjectAdded(6," + N(last + 1) + ",-1,4," + N(set) + ",1)",
                                 "pane.OnObjectChanged(4," + N(set) + ")", "owner.OnObjectChanged(4," + N(set) + ")",
                                 "pane.OnObjectChanged(3,0)", "owner.OnObjectChanged(3,0)"}));

    ASSERT_TRUE(doc.NewDocumentSetFromGroup(group));
    const qint32 fromGroup = db().GetLastKey(TopicId::DocumentSets);
    QList<qint32> members;
    db().FindKeysByParent(TopicId::DocumentSetMembers, TopicId::DocumentSets, fromGroup, members);
    EXPECT_EQ(members.size(), 2);

    // Without activated documents the set is empty and still announced.
    doc.DeleteContents();
    Reopen();
    log.Take();
    ASSERT_TRUE(doc.NewDocumentSet(QStringLiteral("Empty")));
    const qint32 empty = db().GetLastKey(TopicId::DocumentSets);
    EXPECT_EQ(log.Take().at(1), "pane.OnObjectsAdded(6,[],4," + N(empty) + ")");

    // Opening a set member opens its document.
    ASSERT_TRUE(doc.OpenSetMemberDocument(last, 1));
    EXPECT_EQ(doc.GetShownDocument(), c);
    EXPECT_FALSE(doc.OpenSetMemberDocument(last + 100, 1));
}

TEST_F(ObjectsTest, OpeningAListMakesTheFirstCurrentAndOnlyItCarriesTheMark)
{
    const qint32 a = doc.NewDocument(0, QStringLiteral("A"), {}, QString());
    const qint32 b = doc.NewDocument(0, QStringLiteral("B"), {}, QString());
    const qint32 c = doc.NewDocument(0, QStringLiteral("C"), {}, QString());
    ASSERT_TRUE(doc.SetOpenDocument(b, 1));
    log.Take();
    doc.OpenDocuments({a, b, c}, true);
    EXPECT_EQ(doc.GetShownDocument(), a);
    const Calls calls = log.Take();
    EXPECT_EQ(calls.front(), "pane.OnObjectDeleted(27,0)");
    const auto shown = [&calls](qint32 id, int mode) {
        return std::count(calls.begin(), calls.end(), "pane.ShowDocument(5," + N(id) + "," + N(mode) + ")");
    };
    EXPECT_EQ(shown(c, 2), 1);
    EXPECT_EQ(shown(b, 2), 1);
    EXPECT_EQ(shown(a, 1), 1);
    for (const qint32 document : {a, b, c})
        EXPECT_EQ(Value(TopicId::Documents, document, DocumentField::State), document == a ? QStringLiteral("2") : QStringLiteral("0"));
    Reopen();
    EXPECT_EQ(doc.GetShownDocument(), a);
    log.Take();
    doc.OpenDocuments({}, true);
    EXPECT_EQ(log.Take(), Calls{});
}

TEST_F(ObjectsTest, DocumentQueriesAnswerZeroForAbsentDocuments)
{
    const qint32 group = doc.NewDocumentGroupNamed(QStringLiteral("G"));
    const qint32 document = doc.NewDocument(group, QStringLiteral("A"), {}, QString());
    RowBuffer row;
    ASSERT_TRUE(db().ReadRow(TopicId::Documents, document, row, false));
    ASSERT_TRUE(row.SetFieldText(DocumentField::ExtLink2, QStringLiteral("http://x")));
    ASSERT_TRUE(row.SetFieldText(DocumentField::Index, QStringLiteral("7")));
    row.Release();
    qint32 index = -1;
    EXPECT_FALSE(doc.IsDocumentActivated(document, index));
    EXPECT_EQ(index, 7);
    Activate(TopicId::Documents, document);
    EXPECT_TRUE(doc.IsDocumentActivated(document, index));
    EXPECT_FALSE(doc.IsDocumentActivated(document + 1, index));
    EXPECT_EQ(index, 0);
    EXPECT_EQ(doc.GetDocumentGroup(document), group);
    EXPECT_EQ(doc.GetDocumentGroup(document + 1), 0);
    QString one = QStringLiteral("kept"), two, three;
    EXPECT_TRUE(doc.GetDocumentSourceInfo(document, one, two, three));
    EXPECT_EQ(one, QString());
    EXPECT_EQ(two, QStringLiteral("http://x"));
    one = QStringLiteral("kept");
    EXPECT_FALSE(doc.GetDocumentSourceInfo(document + 1, one, two, three));
    EXPECT_EQ(one, QStringLiteral("kept"));
}
