// Deletion of project objects: what goes with each kind of object, the
// counters after it, references checked on the reopened file, the
// broadcasts, the repairs of the ids the document keeps, and deletions
// that fail half-way.

#include "objectstest.h"

#include "common/recordingretrieval.h"
#include "document/rowfields.h"
#include "foundation/optionsrecord.h"
#include "store/topicdatabase.h"

#include <set>

using namespace doctest;

namespace {

using Ref = std::pair<qint32, qint32>;  // (topic, key)
using Refs = std::set<Ref>;

/// A small project with one object of each kind and their dependants.
struct Project {
    qint32 group, d1, d2, d3, set, m1, m3;
    qint32 code, sub, subsub, other, codeSet, csCode, csOther;
    qint32 k1, k2, k3, k4, k5;  // codings: d1/code, d1/sub, d2/subsub, d3/other, d3/code
    qint32 groupMemo, docMemo, posMemo, codeMemo, setMemo;
    qint32 l1, l2, mark;
    qint32 age;  // a document variable with values for d1 and d3

    Refs All() const
    {
        using namespace TopicId;
        return {{DocumentGroups, group}, {Documents, d1},     {Documents, d2},      {Documents, d3},
                {DocumentSets, set},     {DocumentSetMembers, m1}, {DocumentSetMembers, m3},
                {Codes, code},           {Codes, sub},        {Codes, subsub},      {Codes, other},
                {CodeSets, codeSet},     {CodeSetMembers, csCode}, {CodeSetMembers, csOther},
                {Codings, k1},           {Codings, k2},       {Codings, k3},        {Codings, k4},
                {Codings, k5},           {Memos, groupMemo},  {Memos, docMemo},     {Memos, posMemo},
                {Memos, codeMemo},       {Memos, setMemo},    {Links, l1},          {Links, l2},
                {MediaMarks, mark}};
    }
};

class DeleteTest : public ObjectsTest {
protected:
    void SetUp() override
    {
        ObjectsTest::SetUp();
        BuildOptionDefinitions();
        doc.SetRetrievalService(&retrieval);
    }
    void TearDown() override
    {
        doc.SetRetrievalService(nullptr);
        ObjectsTest::TearDown();
    }

    void SetField(qint32 topic, qint32 key, qint32 field, qint32 value)
    {
        RowBuffer row;
        ASSERT_TRUE(db().ReadRow(topic, key, row, false));
        ASSERT_TRUE(rowfields::SetInt(row, field, value));
        ASSERT_TRUE(row.Commit(false, false));
    }
    qint32 Member(qint32 topic, qint32 owner, qint32 object)
    {
        return AddRow(db(), topic, {{SetMemberField::SetID, owner}, {SetMemberField::ObjectID, object}});
    }
    Project Build()
    {
        using namespace TopicId;
        Project p{};
        p.group = AddGroup(QStringLiteral("G"));
        p.d1 = AddDocument(p.group, QStringLiteral("D1"));
        p.d2 = AddDocument(p.group, QStringLiteral("D2"));
        p.d3 = AddDocument(0, QStringLiteral("D3"));
        p.set = AddRow(db(), DocumentSets, {{GroupField::Name, QStringLiteral("S")}});
        p.m1 = Member(DocumentSetMembers, p.set, p.d1);
        p.m3 = Member(DocumentSetMembers, p.set, p.d3);
        p.code = AddCode(QStringLiteral("C"));
        p.sub = AddCode(QStringLiteral("C1"), p.code);
        p.subsub = AddCode(QStringLiteral("C11"), p.sub);
        p.other = AddCode(QStringLiteral("O"));
        p.codeSet = AddRow(db(), CodeSets, {{GroupField::Name, QStringLiteral("CS")}});
        p.csCode = Member(CodeSetMembers, p.codeSet, p.code);
        p.csOther = Member(CodeSetMembers, p.codeSet, p.other);
        const auto inGroup = [&](qint32 group) { return FieldValues{{CodingField::Group, group}}; };
        p.k1 = AddCoding(p.d1, p.code, 0, 4, inGroup(p.group));
        p.k2 = AddCoding(p.d1, p.sub, 5, 9, inGroup(p.group));
        p.k3 = AddCoding(p.d2, p.subsub, 0, 4, inGroup(p.group));
        p.k4 = AddCoding(p.d3, p.other, 0, 4);
        p.k5 = AddCoding(p.d3, p.code, 5, 9);
        p.groupMemo = AddMemo({{MemoField::GroupID, p.group}, {MemoField::Source, MemoSource::DocumentGroup}});
        p.docMemo = AddMemo({{MemoField::Document, p.d1}, {MemoField::GroupID, p.group}, {MemoField::Pos, -1},
                             {MemoField::Source, MemoSource::Document}});
        p.posMemo = AddMemo({{MemoField::Document, p.d2}, {MemoField::GroupID, p.group}, {MemoField::Pos, 5},
                             {MemoField::Source, MemoSource::DocumentPosition}});
        p.codeMemo = AddMemo({{MemoField::Code, p.code}, {MemoField::Source, MemoSource::Code}});
        p.setMemo = AddMemo({{MemoField::SetID, p.set}, {MemoField::Source, MemoSource::DocumentSet}});
        SetField(DocumentGroups, p.group, GroupField::MemoID, p.groupMemo);
        SetField(Documents, p.d1, DocumentField::MemoID, p.docMemo);
        SetField(Codes, p.code, CodeField::MemoID, p.codeMemo);
        SetField(DocumentSets, p.set, GroupField::MemoID, p.setMemo);
        p.l1 = AddRow(db(), Links, {{1, p.d1}});
        p.l2 = AddRow(db(), Links, {{1, p.d3}, {LinkField::LinkID, p.l1}});
        SetField(Links, p.l1, LinkField::LinkID, p.l2);
        p.mark = AddRow(db(), MediaMarks, {{MediaMarkField::Document, p.d2}});
        FieldDescriptor age;
        age.Name = QStringLiteral("Age");
        age.Type = FieldType::Integer;
        age.State = FieldState::UserVariable;
        EXPECT_TRUE(db().AddField(Documents, age));
        p.age = age.ID;
        for (const qint32 document : {p.d1, p.d3}) {
            RowBuffer row;
            EXPECT_TRUE(db().ReadRow(Documents, document, row, false));
            EXPECT_TRUE(row.SetFieldText(p.age, QString::number(document * 10)));
        }
        EXPECT_TRUE(doc.RecountCodings());
        log.Take();
        return p;
    }
    bool Exists(const Ref& ref) { return db().GetTable(ref.first)->HasKey(ref.second); }

    testutil::RecordingRetrieval retrieval;
};

}  // namespace

TEST_F(DeleteTest, EachKindTakesItsDependantsAndLeavesNoReferenceBehind)
{
    using namespace TopicId;
    const struct {
        const char* what;
        std::function<Ref(const Project&)> item;
        std::function<Refs(const Project&)> alsoGone;
    } cases[] = {
        {"group", [](const Project& p) { return Ref{DocumentGroups, p.group}; },
         [](const Project& p) {
             return Refs{{Documents, p.d1}, {Documents, p.d2},  {DocumentSetMembers, p.m1}, {Codings, p.k1},
                         {Codings, p.k2},   {Codings, p.k3},    {Memos, p.groupMemo},       {Memos, p.docMemo},
                         {Memos, p.posMemo}, {Links, p.l1},     {Links, p.l2},              {MediaMarks, p.mark}};
         }},
        {"document", [](const Project& p) { return Ref{Documents, p.d1}; },
         [](const Project& p) {
             return Refs{{DocumentSetMembers, p.m1}, {Codings, p.k1}, {Codings, p.k2}, {Memos, p.docMemo},
                         {Links, p.l1},              {Links, p.l2}};
         }},
        {"document set", [](const Project& p) { return Ref{DocumentSets, p.set}; },
         [](const Project& p) {
             return Refs{{DocumentSetMembers, p.m1}, {DocumentSetMembers, p.m3}, {Memos, p.setMemo}};
         }},
        {"set member", [](const Project& p) { return Ref{DocumentSetMembers, p.m3}; },
         [](const Project&) { return Refs{}; }},
        {"code with subcodes", [](const Project& p) { return Ref{Codes, p.code}; },
         [](const Project& p) {
             return Refs{{Codes, p.sub},   {Codes, p.subsub}, {CodeSetMembers, p.csCode}, {Codings, p.k1},
                         {Codings, p.k2},  {Codings, p.k3},   {Codings, p.k5},            {Memos, p.codeMemo}};
         }},
        {"subcode", [](const Project& p) { return Ref{Codes, p.sub}; },
         [](const Project& p) { return Refs{{Codes, p.subsub}, {Codings, p.k2}, {Codings, p.k3}}; }},
        {"code set", [](const Project& p) { return Ref{CodeSets, p.codeSet}; },
         [](const Project& p) { return Refs{{CodeSetMembers, p.csCode}, {CodeSetMembers, p.csOther}}; }},
        {"code-set member", [](const Project& p) { return Ref{CodeSetMembers, p.csOther}; },
         [](const Project&) { return Refs{}; }},
        {"coding", [](const Project& p) { return Ref{Codings, p.k5}; }, [](const Project&) { return Refs{}; }},
        {"document memo", [](const Project& p) { return Ref{Memos, p.docMemo}; },
         [](const Project&) { return Refs{}; }},
        {"code memo", [](const Project& p) { return Ref{Memos, p.codeMemo}; },
         [](const Project&) { return Refs{}; }},
        {"group memo", [](const Project& p) { return Ref{Memos, p.groupMemo}; },
         [](const Project&) { return Refs{}; }},
        {"link", [](const Project& p) { return Ref{Links, p.l2}; },
         [](const Project& p) { return Refs{{Links, p.l1}}; }},
        {"media mark", [](const Project& p) { return Ref{MediaMarks, p.mark}; },
         [](const Project&) { return Refs{}; }},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        path = dir.file(QStringLiteral("case %1.kv4").arg(++n));
        NewProject();
        const Project p = Build();
        const Ref item = c.item(p);
        Refs gone = c.alsoGone(p);
        gone.insert(item);

        ASSERT_TRUE(doc.DeleteItem(item.first, item.second));
        frame.ExitCommand();
        EXPECT_EQ(ConsistencyFaults(path), QStringList());
        ASSERT_TRUE(frame.OpenCommand(path));
        for (const Ref& ref : p.All())
            EXPECT_EQ(Exists(ref), !gone.count(ref)) << ref.first << " " << ref.second;
        // Nothing named the deleted object's key since.
        EXPECT_FALSE(doc.DeleteItem(item.first, item.second));
    }
}

TEST_F(DeleteTest, TheWindowsHearWhatWentThenWhatChanged)
{
    const Project p = Build();
    ASSERT_TRUE(doc.DeleteItem(TopicId::Documents, p.d3));
    std::vector<std::string> deleted;
    std::vector<std::string> changed;
    bool changeSeen = false;
    for (const std::string& call : log.Take()) {
        if (call.rfind("pane.OnObjectDeleted", 0) == 0) {
            EXPECT_FALSE(changeSeen) << call << " after a change";
            deleted.push_back(call.substr(21));
        } else if (call.rfind("pane.OnObjectChanged", 0) == 0) {
            changeSeen = true;
            changed.push_back(call.substr(21));
        }
    }
    // The document's dependants, then the document itself.
    EXPECT_EQ(deleted, (std::vector<std::string>{"6," + N(p.m3) + ")", "10," + N(p.k4) + ")",
                                                 "10," + N(p.k5) + ")", "12," + N(p.l1) + ")",
                                                 "12," + N(p.l2) + ")", "5," + N(p.d3) + ")"}));
    // Each changed object once, none that went; the codes whose counters fell among them.
    EXPECT_EQ(std::set<std::string>(changed.begin(), changed.end()).size(), changed.size());
    for (const std::string& call : changed)
        EXPECT_EQ(std::find(deleted.begin(), deleted.end(), call), deleted.end()) << call;
    for (const qint32 code : {p.code, p.other})
        EXPECT_NE(std::find(changed.begin(), changed.end(), "8," + N(code) + ")"), changed.end()) << code;
    EXPECT_NE(std::find(changed.begin(), changed.end(), "4," + N(p.set) + ")"), changed.end());
    EXPECT_EQ(Value(TopicId::Documents, p.d1, DocumentField::Codes), QStringLiteral("2"));
    EXPECT_EQ(Value(TopicId::Codes, p.code, CodeField::Codes), QStringLiteral("1"));

    EXPECT_FALSE(doc.DeleteItem(TopicId::Documents, p.d3));
    EXPECT_FALSE(doc.DeleteItem(99, 1));
    EXPECT_TRUE(log.Take().empty());
}

TEST_F(DeleteTest, ManyObjectsOfOneActionGoTogetherOrNotAtAll)
{
    const Project p = Build();
    // The second object fails in the middle of its codings: the first stays too.
    ExpectRefusedWrite(
        QStringLiteral("CREATE TRIGGER [refuse] BEFORE DELETE ON [Codings] WHEN OLD.ID=%1 "
                       "BEGIN SELECT RAISE(ABORT, 'refused'); END;")
            .arg(p.k5),
        [&] {
            EXPECT_FALSE(doc.DeleteItems({{TopicId::Documents, p.d2}, {TopicId::Codes, p.code}}));
            for (const Ref& ref : p.All())
                EXPECT_TRUE(Exists(ref)) << ref.first << " " << ref.second;
            EXPECT_EQ(Value(TopicId::Codes, p.code, CodeField::Codes), QStringLiteral("2"));
            EXPECT_EQ(Value(TopicId::Documents, p.d1, DocumentField::Codes), QStringLiteral("2"));
            EXPECT_EQ(Value(TopicId::Codes, p.subsub, CodeField::Codes), QStringLiteral("1"));
        });
    for (const Ref& ref : p.All())
        EXPECT_TRUE(Exists(ref)) << ref.first << " " << ref.second;

    // Without the trigger: both go, and a subcode the code took along is
    // skipped, not refused.
    EXPECT_TRUE(doc.DeleteItems({{TopicId::Codes, p.code}, {TopicId::Codes, p.sub}, {TopicId::Documents, p.d2}}));
    EXPECT_FALSE(Exists({TopicId::Codes, p.sub}));
    EXPECT_FALSE(Exists({TopicId::Documents, p.d2}));
    EXPECT_FALSE(doc.DeleteItems({{TopicId::Codes, p.code}}));
    frame.ExitCommand();
    EXPECT_EQ(ConsistencyFaults(path), QStringList());
}

TEST_F(DeleteTest, KeptIdsOfObjectsThatWentAreForgotten)
{
    const Project p = Build();
    ASSERT_TRUE(doc.SetOpenDocument(p.d1, 1));
    ASSERT_TRUE(doc.WriteSettingString(QLatin1String(SetupKey::ProjectMemo), QString::number(p.posMemo)));
    doc.LoadProjectSettings();
    ASSERT_EQ(doc.GetProjectMemo(), p.posMemo);
    OptionsRecord& settings = doc.GetRetrievalSettings();
    settings.codeIds = {p.other, p.subsub};
    settings.retrievalFunction = 1;
    doc.GetProgramLists().quickCodes = {p.sub, p.other};
    doc.ActivateDocument(p.d1, true, false);
    doc.ActivateDocument(p.d3, true, false);
    retrieval.runs.clear();

    // The group takes the open document, an activated document and the
    // project memo with it.
    ASSERT_TRUE(doc.DeleteItem(TopicId::DocumentGroups, p.group));
    EXPECT_EQ(doc.GetShownDocument(), 0);
    EXPECT_EQ(doc.GetProjectMemo(), 0);
    EXPECT_EQ(doc.GetActivatedCount(TopicId::Documents), 1);
    EXPECT_TRUE(retrieval.runs.empty());
    QString memo;
    ASSERT_TRUE(doc.ReadSetting(QLatin1String(SetupKey::ProjectMemo), memo));
    EXPECT_EQ(memo, QStringLiteral("0"));

    // A code outside the retrieval's list reruns nothing; a subcode in it
    // leaves the list and reruns the retrieval.
    ASSERT_TRUE(doc.DeleteItem(TopicId::Codes, p.other));
    EXPECT_EQ(retrieval.runs.size(), 1u);  // p.other was in the list
    EXPECT_EQ(settings.codeIds, std::vector<qint32>{p.subsub});
    retrieval.runs.clear();
    settings.retrievalFunction = 5;
    settings.codeA = p.subsub;
    settings.documentCode = p.sub;
    ASSERT_TRUE(doc.DeleteItem(TopicId::Codes, p.sub));
    EXPECT_TRUE(settings.codeIds.empty());
    EXPECT_EQ(settings.codeA, 0);
    EXPECT_EQ(settings.documentCode, 0);
    EXPECT_EQ(retrieval.runs.size(), 1u);
    EXPECT_TRUE(doc.GetProgramLists().quickCodes.isEmpty());
}

TEST_F(DeleteTest, SpecialCodesAndTheirSubtreesLeaveTheirSlots)
{
    const Project p = Build();
    SetField(TopicId::Codes, p.subsub, CodeField::State, CKorDoc::kSpecialCodeBits[1]);
    doc.FindSpecialCodes();
    ASSERT_EQ(doc.GetSpecialCode(1), p.subsub);
    doc.SetItemActivation(TopicId::Codes, p.code, true, false);
    ASSERT_EQ(doc.GetActivatedCount(TopicId::Codes), 3);
    ASSERT_TRUE(doc.DeleteItem(TopicId::Codes, p.sub));
    EXPECT_EQ(doc.GetSpecialCode(1), 0);
    EXPECT_EQ(doc.GetActivatedCount(TopicId::Codes), 1);
}

TEST_F(DeleteTest, TheCategoricalValueFollowsTheCodingsThatWent)
{
    const Project p = Build();
    // code's direct subcode sub is coded once in d1; the other subcode twice.
    const qint32 sibling = AddCode(QStringLiteral("C2"), p.code);
    const qint32 s1 = AddCoding(p.d1, sibling, 10, 12);
    AddCoding(p.d1, sibling, 13, 14);
    const qint32 s3 = AddCoding(p.d3, sibling, 10, 12);
    ASSERT_TRUE(doc.RecountCodings());
    const qint32 field = doc.CreateCodeVariable(p.code, true);
    ASSERT_NE(field, 0);
    ASSERT_TRUE(doc.FillCodeVariable(p.code, field, true));
    const QString siblingName = db().FormatRowDisplay(TopicId::Codes, sibling, false);
    const QString subName = db().FormatRowDisplay(TopicId::Codes, p.sub, false);
    ASSERT_EQ(Value(TopicId::Documents, p.d1, field), siblingName);

    // One coding less: a tie.
    ASSERT_TRUE(doc.DeleteItem(TopicId::Codings, s1));
    EXPECT_NE(Value(TopicId::Documents, p.d1, field), siblingName);
    // The last coding of the subcode in d3 goes with the subcode itself.
    ASSERT_TRUE(doc.DeleteItem(TopicId::Codes, sibling));
    EXPECT_EQ(Value(TopicId::Documents, p.d1, field), subName);
    EXPECT_EQ(Value(TopicId::Documents, p.d3, field), QString());
    EXPECT_FALSE(Exists({TopicId::Codings, s3}));
    Reopen();
    EXPECT_EQ(Value(TopicId::Documents, p.d1, field), subName);
}

TEST_F(DeleteTest, MapRowsOfALinkGoWithIt)
{
    const Project p = Build();
    const qint32 first = AddRow(db(), TopicId::MapLinks, {{2, p.l1}, {10, 0}});
    const qint32 second = AddRow(db(), TopicId::MapLinks, {{2, 0}, {10, p.l2}});
    const qint32 third = AddRow(db(), TopicId::MapLinks, {{2, p.l1}, {10, p.l2}});
    const qint32 unrelated = AddRow(db(), TopicId::MapLinks, {{2, 999}, {10, 0}});
    ASSERT_NE(unrelated, 0);
    log.Take();
    ASSERT_TRUE(doc.DeleteItem(TopicId::Links, p.l1));
    for (const qint32 row : {first, second, third})
        EXPECT_FALSE(Exists({TopicId::MapLinks, row})) << row;
    EXPECT_TRUE(Exists({TopicId::MapLinks, unrelated}));
    const std::vector<std::string> calls = log.Take();
    EXPECT_NE(std::find(calls.begin(), calls.end(), "pane.OnObjectDeleted(21," + N(third) + ")"), calls.end());
}

TEST_F(DeleteTest, KeysOfDeletedObjectsAreNotGivenOutAgain)
{
    const Project p = Build();
    ASSERT_TRUE(doc.DeleteItem(TopicId::Codes, p.other));
    ASSERT_TRUE(doc.DeleteItem(TopicId::Memos, p.setMemo));
    Reopen();
    CodeRecord record;
    record.name = QStringLiteral("New");
    EXPECT_GT(doc.NewCode(record), p.other);
    EXPECT_GT(AddMemo({{MemoField::Source, MemoSource::None}}), p.setMemo);
}

TEST_F(DeleteTest, ExternalCopiesNoOtherDocumentUsesAreOffered)
{
    const QString externals = dir.file(QStringLiteral("externals"));
    ASSERT_TRUE(QDir().mkpath(externals));
    const QString savedFolder = g_qdaOptions.GetString(QdaOption::ExternalsFolder);
    g_qdaOptions.SetValueText(QdaOption::ExternalsFolder, externals);
    for (const char* name : {"shared.mp3", "own.mp3"})
        testutil::WriteFile(QDir(externals).filePath(QLatin1String(name)), "x");
    const auto media = [&](const char* name) { return QStringLiteral("/elsewhere/%1").arg(QLatin1String(name)); };
    const qint32 a = AddRow(db(), TopicId::Documents,
                            {{DocumentField::Name, QStringLiteral("A")}, {DocumentField::MediaFile, media("shared.mp3")}});
    const qint32 b = AddRow(db(), TopicId::Documents,
                            {{DocumentField::Name, QStringLiteral("B")}, {DocumentField::ExtLink2, media("shared.mp3")}});
    const qint32 c = AddRow(db(), TopicId::Documents,
                            {{DocumentField::Name, QStringLiteral("C")}, {DocumentField::MediaFile, media("own.mp3")}});

    // Still used by B: nothing is asked.
    ASSERT_TRUE(doc.DeleteItem(TopicId::Documents, a));
    EXPECT_TRUE(messages.texts.isEmpty());
    EXPECT_TRUE(QFile::exists(QDir(externals).filePath(QStringLiteral("shared.mp3"))));

    // Only C used its file: the user is asked and agrees.
    testutil::ScriptedMessages answers({MessageAnswer::Yes});
    ASSERT_TRUE(doc.DeleteItem(TopicId::Documents, c));
    ASSERT_EQ(answers.texts.size(), 1);
    EXPECT_TRUE(answers.texts.first().contains(QStringLiteral("own.mp3")));
    EXPECT_FALSE(QFile::exists(QDir(externals).filePath(QStringLiteral("own.mp3"))));
    EXPECT_TRUE(QFile::exists(QDir(externals).filePath(QStringLiteral("shared.mp3"))));
    EXPECT_TRUE(Exists({TopicId::Documents, b}));
    g_qdaOptions.SetValueText(QdaOption::ExternalsFolder, savedFolder);
}

TEST_F(DeleteTest, AVariableListRowGoesWithItsAnnouncement)
{
    FieldDescriptor age;
    age.Name = QStringLiteral("Age");
    age.Type = FieldType::Integer;
    age.State = FieldState::UserVariable;
    ASSERT_TRUE(db().AddField(TopicId::Documents, age));
    ASSERT_TRUE(doc.BuildVariableList(false));
    log.Take();
    EXPECT_FALSE(doc.DeleteVariableListRow(age.ID, true));  // not in the codes' list
    ASSERT_TRUE(doc.DeleteVariableListRow(age.ID, false));
    EXPECT_FALSE(Exists({TopicId::DocumentVariables, age.ID}));
    EXPECT_EQ(log.Take(), (Calls{"pane.OnObjectDeleted(22," + N(age.ID) + ")",
                                 "owner.OnObjectDeleted(22," + N(age.ID) + ")"}));
    EXPECT_FALSE(doc.DeleteVariableListRow(age.ID, false));
}

TEST_F(DeleteTest, CodesCountWhatIsLeftOfTheDocumentsThatWent)
{
    const Project p = Build();
    g_qdaOptions.SetValueText(QdaOption::FrequenciesWithSubcodes, QStringLiteral("1"));
    doc.SetAutoFrequencies(true);
    doc.ActivateDocument(p.d1, true, true);
    doc.ActivateDocument(p.d3, true, true);
    ASSERT_EQ(Value(TopicId::Codes, p.code, CodeField::ActiveCodes), QStringLiteral("2"));
    ASSERT_EQ(Value(TopicId::Codes, p.code, CodeFrequencyField::DocumentCount), QStringLiteral("2"));

    ASSERT_TRUE(doc.DeleteItem(TopicId::Documents, p.d3));
    EXPECT_EQ(Value(TopicId::Codes, p.code, CodeField::ActiveCodes), QStringLiteral("1"));
    EXPECT_EQ(Value(TopicId::Codes, p.code, CodeFrequencyField::DocumentCount), QStringLiteral("1"));
    EXPECT_EQ(Value(TopicId::Codes, p.other, CodeField::ActiveCodes), QStringLiteral("0"));
    EXPECT_EQ(Value(TopicId::Codes, p.other, CodeFrequencyField::DocumentCount), QStringLiteral("0"));
    ASSERT_TRUE(doc.DeleteItem(TopicId::DocumentGroups, p.group));
    EXPECT_EQ(Value(TopicId::Codes, p.code, CodeField::ActiveCodes), QStringLiteral("0"));
    EXPECT_EQ(Value(TopicId::Codes, p.subsub, CodeFrequencyField::DocumentCount), QStringLiteral("0"));
    EXPECT_EQ(doc.GetActivatedCount(TopicId::Documents), 0);
    doc.SetAutoFrequencies(false);
}
