// Activation of documents and codes: which objects each command switches,
// the counts, the broadcasts, and whether the retrieval reruns.

#include "docfixture.h"
#include "common/variables.h"

#include "common/recordingretrieval.h"
#include "document/colorhsl.h"
#include "foundation/ids.h"
#include "foundation/options.h"
#include "foundation/optionsrecord.h"
#include "store/topicdatabase.h"

#include <functional>
#include <set>

using namespace doctest;

namespace {

using Keys = std::set<qint32>;

class ActivationTest : public DocTest {
protected:
    void SetUp() override
    {
        DocTest::SetUp();
        BuildOptionDefinitions();
        m_savedSubcodes = g_qdaOptions.GetString(QdaOption::ActivateWithSubcodes);
        g_qdaOptions.SetValueText(QdaOption::ActivateWithSubcodes, QStringLiteral("1"));
        NewProject();
        doc.SetRetrievalService(&retrieval);

        group = AddGroup(QStringLiteral("G"));
        top = AddDocument(0, QStringLiteral("Top"));
        first = AddDocument(group, QStringLiteral("First"));
        second = AddDocument(group, QStringLiteral("Second"));
        set = AddRow(db(), TopicId::DocumentSets, {{GroupField::Name, QStringLiteral("S")}});
        topMember = AddMember(TopicId::DocumentSetMembers, set, top);
        firstMember = AddMember(TopicId::DocumentSetMembers, set, first);
        code = AddCode(QStringLiteral("C"));
        sub1 = AddCode(QStringLiteral("C1"), code);
        sub2 = AddCode(QStringLiteral("C2"), code);
        subsub = AddCode(QStringLiteral("C21"), sub2);
        other = AddCode(QStringLiteral("D"));
        codeSet = AddRow(db(), TopicId::CodeSets, {{GroupField::Name, QStringLiteral("CS")}});
        sub2Member = AddMember(TopicId::CodeSetMembers, codeSet, sub2);
        otherSet = AddRow(db(), TopicId::CodeSets, {{GroupField::Name, QStringLiteral("CT")}});
        otherMember = AddMember(TopicId::CodeSetMembers, otherSet, other);
        log.Take();
    }
    void TearDown() override
    {
        doc.SetRetrievalService(nullptr);
        g_qdaOptions.SetValueText(QdaOption::ActivateWithSubcodes, m_savedSubcodes);
        DocTest::TearDown();
    }

    qint32 AddMember(qint32 topic, qint32 owner, qint32 object)
    {
        return AddRow(db(), topic, {{SetMemberField::SetID, owner}, {SetMemberField::ObjectID, object}});
    }
    Keys Activated(qint32 topic)
    {
        QList<qint32> keys;
        db().GetAllKeys(topic, keys);
        Keys on;
        for (const qint32 key : keys) {
            if (doc.IsActivated(topic, key))
                on.insert(key);
        }
        return on;
    }
    /// Nothing activated, no run or broadcast on record.
    void Clear()
    {
        doc.DeactivateAll(false, true, true);
        retrieval.runs.clear();
        log.Take();
    }

    testutil::RecordingRetrieval retrieval;
    qint32 group = 0, top = 0, first = 0, second = 0, set = 0, topMember = 0, firstMember = 0;
    qint32 code = 0, sub1 = 0, sub2 = 0, subsub = 0, other = 0, codeSet = 0, sub2Member = 0, otherSet = 0,
           otherMember = 0;

private:
    QString m_savedSubcodes;
};

std::string N(qint64 value)
{
    return std::to_string(value);
}

}  // namespace

TEST_F(ActivationTest, EachItemTypeSwitchesItsObjectsAndRerunsOnce)
{
    const struct {
        const char* what;
        qint32 type;
        std::function<qint32()> id;
        bool flag;
        Keys documents;
        Keys codes;
    } cases[] = {
        {"all documents", 1, [] { return 0; }, false, {top, first, second}, {}},
        {"a group", 2, [&] { return group; }, false, {first, second}, {}},
        {"every set member", 3, [] { return 0; }, false, {top, first}, {}},
        {"a set", 4, [&] { return set; }, false, {top, first}, {}},
        {"a document", 5, [&] { return second; }, false, {second}, {}},
        {"a set member", 6, [&] { return firstMember; }, false, {first}, {}},
        {"the code system", 7, [] { return 0; }, false, {}, {code, sub1, sub2, subsub, other}},
        {"a code with subcodes", 8, [&] { return code; }, false, {}, {code, sub1, sub2, subsub}},
        {"a code alone", 8, [&] { return code; }, true, {}, {code}},
        {"every code-set member", 23, [] { return 0; }, false, {}, {sub2, subsub, other}},
        {"a code set", 24, [&] { return codeSet; }, false, {}, {sub2, subsub}},
        {"a code-set member", 25, [&] { return otherMember; }, false, {}, {other}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Clear();
        EXPECT_TRUE(doc.SetItemActivation(c.type, c.id(), true, c.flag));
        EXPECT_EQ(Activated(TopicId::Documents), c.documents);
        EXPECT_EQ(Activated(TopicId::Codes), c.codes);
        EXPECT_EQ(doc.GetActivatedCount(TopicId::Documents), qint32(c.documents.size()));
        EXPECT_EQ(doc.GetActivatedCount(TopicId::Codes), qint32(c.codes.size()));
        ASSERT_EQ(retrieval.runs.size(), 1u);
        EXPECT_EQ(retrieval.runs[0].flag, 0);

        // Switching the same objects on again changes nothing and reruns nothing.
        retrieval.runs.clear();
        log.Take();
        EXPECT_FALSE(doc.SetItemActivation(c.type, c.id(), true, c.flag));
        EXPECT_TRUE(retrieval.runs.empty());
        EXPECT_TRUE(log.Take().empty());

        // And off again: everything it switched on goes off.
        EXPECT_TRUE(doc.SetItemActivation(c.type, c.id(), false, c.flag));
        EXPECT_TRUE(Activated(TopicId::Documents).empty());
        EXPECT_TRUE(Activated(TopicId::Codes).empty());
        EXPECT_EQ(doc.GetActivatedCount(TopicId::Documents), 0);
        EXPECT_EQ(doc.GetActivatedCount(TopicId::Codes), 0);
        EXPECT_EQ(retrieval.runs.size(), 1u);
    }

    Clear();
    for (const qint32 type : {0, 9, 10, 99}) {
        EXPECT_FALSE(doc.SetItemActivation(type, code, true, false)) << type;
    }
    EXPECT_FALSE(doc.SetItemActivation(5, 999, true, false));  // no such document
    EXPECT_FALSE(doc.SetItemActivation(25, 999, true, false)); // no such member
    EXPECT_TRUE(Activated(TopicId::Documents).empty());
    EXPECT_TRUE(Activated(TopicId::Codes).empty());
    EXPECT_TRUE(retrieval.runs.empty());
    EXPECT_TRUE(log.Take().empty());
}

TEST_F(ActivationTest, AChangeIsAnnouncedWithTheSetMembersThatShowIt)
{
    Clear();
    EXPECT_TRUE(doc.ActivateDocument(first, true, false));
    EXPECT_EQ(log.Take(), (std::vector<std::string>{
                              "pane.OnObjectChanged(5," + N(first) + ")", "owner.OnObjectChanged(5," + N(first) + ")",
                              "pane.OnObjectChanged(6," + N(firstMember) + ")",
                              "owner.OnObjectChanged(6," + N(firstMember) + ")"}));
    EXPECT_TRUE(retrieval.runs.empty());

    EXPECT_TRUE(doc.SetCodeActivation(sub2, true, false, false, false));
    EXPECT_EQ(log.Take(), (std::vector<std::string>{
                              "pane.OnObjectChanged(8," + N(sub2) + ")", "owner.OnObjectChanged(8," + N(sub2) + ")",
                              "pane.OnObjectChanged(25," + N(sub2Member) + ")",
                              "owner.OnObjectChanged(25," + N(sub2Member) + ")"}));
    EXPECT_EQ(Activated(TopicId::Codes), (Keys{sub2}));

    // Toggling announces the same way and keeps the counts.
    EXPECT_TRUE(doc.ToggleCodeActivation(sub2));
    EXPECT_EQ(log.Take().size(), 4u);
    EXPECT_TRUE(doc.ToggleDocumentActivation(second));
    EXPECT_EQ(doc.GetActivatedCount(TopicId::Documents), 2);
    EXPECT_EQ(doc.GetActivatedCount(TopicId::Codes), 0);
    EXPECT_FALSE(doc.ToggleDocumentActivation(999));
    EXPECT_FALSE(doc.ToggleCodeActivation(999));
    EXPECT_TRUE(retrieval.runs.empty());

    doc.ToggleAllDocuments();
    EXPECT_EQ(Activated(TopicId::Documents), (Keys{top}));
    doc.ToggleAllCodes();
    EXPECT_EQ(Activated(TopicId::Codes), (Keys{code, sub1, sub2, subsub, other}));
    EXPECT_EQ(retrieval.runs.size(), 2u);
}

TEST_F(ActivationTest, SubcodesFollowOnlyWhileTheOptionIsOn)
{
    Clear();
    g_qdaOptions.SetValueText(QdaOption::ActivateWithSubcodes, QStringLiteral("0"));
    EXPECT_TRUE(doc.SetItemActivation(8, code, true, false));
    EXPECT_EQ(Activated(TopicId::Codes), (Keys{code}));
    EXPECT_TRUE(doc.ActivateCodeSetMember(sub2Member, true, false));
    EXPECT_EQ(Activated(TopicId::Codes), (Keys{code, sub2}));

    EXPECT_TRUE(doc.IsCodeOrAncestorActivated(subsub));
    EXPECT_TRUE(doc.IsCodeOrAncestorActivated(sub1));
    EXPECT_FALSE(doc.IsCodeOrAncestorActivated(other));
    EXPECT_FALSE(doc.IsCodeOrAncestorActivated(0));
    EXPECT_FALSE(doc.IsCodeOrAncestorActivated(999));
    EXPECT_TRUE(doc.IsCodeActivated(sub2));
    EXPECT_FALSE(doc.IsCodeActivated(subsub));
}

TEST_F(ActivationTest, ColourFiltersDecidePerObject)
{
    const COLORREF red = 0x0000FF;
    RowBuffer row;
    for (const qint32 key : {first, second}) {
        ASSERT_TRUE(db().ReadRow(TopicId::Documents, key, row, false));
        FieldValue type;
        ASSERT_TRUE(row.GetFieldValue(DocumentField::Type, type));
        type.SetInt(key == first ? qint32(red) : 3);
        ASSERT_TRUE(row.Commit(false, false));
    }
    for (const qint32 key : {sub1, other}) {
        ASSERT_TRUE(db().ReadRow(TopicId::Codes, key, row, false));
        FieldValue type;
        ASSERT_TRUE(row.GetFieldValue(CodeField::Type, type));
        type.SetInt(qint32(red));
        ASSERT_TRUE(row.Commit(false, false));
    }
    doc.GetProgramLists().documentsColorFilter = {red, ColorOfType(0)};
    doc.GetProgramLists().codesColorFilter = {red};

    Clear();
    EXPECT_TRUE(doc.ActivateDocumentsByColor(true, true));
    EXPECT_EQ(Activated(TopicId::Documents), (Keys{top, first}));  // top has the palette's green
    EXPECT_EQ(retrieval.runs.size(), 1u);

    // By colour every code of the tree is decided by its own colour.
    EXPECT_TRUE(doc.ActivateTopCodes(true, true));
    EXPECT_EQ(Activated(TopicId::Codes), (Keys{sub1, other}));
    EXPECT_EQ(retrieval.runs.size(), 2u);
}

TEST_F(ActivationTest, VariablesAreReadFromLeftToRight)
{
    FieldDescriptor age;
    age.Name = QStringLiteral("Age");
    age.Type = FieldType::Integer;
    age.State = FieldState::UserVariable;
    ASSERT_TRUE(db().AddField(TopicId::Documents, age));
    FieldDescriptor city;
    city.Name = QStringLiteral("City");
    city.Type = FieldType::ShortText;
    city.State = FieldState::UserVariable;
    ASSERT_TRUE(db().AddField(TopicId::Documents, city));
    FieldDescriptor urban;
    urban.Name = QStringLiteral("Urban");
    urban.Type = FieldType::Boolean;
    urban.State = FieldState::UserVariable;
    ASSERT_TRUE(db().AddField(TopicId::Documents, urban));
    const struct {
        qint32 document;
        const char* age;
        const char* city;
        const char* urban;
    } values[] = {{top, "30", "Bonn", "1"}, {first, "50", "Köln", "0"}, {second, "70", "Bonn", "0"}};
    for (const auto& v : values) {
        RowBuffer row;
        ASSERT_TRUE(db().ReadRow(TopicId::Documents, v.document, row, false));
        ASSERT_TRUE(row.SetFieldText(age.ID, QString::fromLatin1(v.age)));
        ASSERT_TRUE(row.SetFieldText(city.ID, QString::fromUtf8(v.city)));
        ASSERT_TRUE(row.SetFieldText(urban.ID, QString::fromLatin1(v.urban)));
    }
    const auto condition = [](qint32 field, qint32 link, qint32 comparison, const char* value) {
        return ActivationCondition{field, {}, link, comparison, QString::fromUtf8(value)};
    };
    const struct {
        const char* what;
        QList<ActivationCondition> conditions;
        Keys activated;
    } cases[] = {
        {"less", {condition(age.ID, 0, 2, "50")}, {top}},
        {"greater", {condition(age.ID, 0, 3, "50")}, {second}},
        {"not equal, case ignored", {condition(city.ID, 0, 1, "BONN")}, {first}},
        // (A or B) and C, not A or (B and C).
        {"or, then and",
         {condition(age.ID, 0, 0, "30"), condition(age.ID, 0, 0, "70"), condition(city.ID, 1, 0, "Köln")},
         {}},
        {"and, then or",
         {condition(age.ID, 0, 0, "30"), condition(city.ID, 1, 0, "Köln"), condition(age.ID, 0, 0, "70")},
         {second}},
        {"a field the documents lack is met", {condition(999, 0, 0, "x"), condition(age.ID, 1, 0, "50")}, {first}},
        {"a boolean compared with 0", {condition(urban.ID, 0, 0, "0")}, {first, second}},
        {"a boolean compared with 1", {condition(urban.ID, 0, 0, "1")}, {top}},
        {"an unknown comparison is met", {condition(age.ID, 0, 7, "1")}, {top, first, second}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Clear();
        EXPECT_EQ(doc.ActivateByVariables(c.conditions, false), !c.activated.empty());
        EXPECT_EQ(Activated(TopicId::Documents), c.activated);
        EXPECT_EQ(retrieval.runs.size(), c.activated.empty() ? 0u : 1u);
    }

    // Rows that already match are left alone; an empty list changes nothing.
    Clear();
    ASSERT_TRUE(doc.ActivateDocument(first, true, false));
    EXPECT_FALSE(doc.ActivateByVariables({condition(age.ID, 0, 0, "50")}, false));
    EXPECT_FALSE(doc.ActivateByVariables({}, false));
    EXPECT_EQ(Activated(TopicId::Documents), (Keys{first}));

    // Codes by their built-in fields, without their subcodes.
    Clear();
    EXPECT_TRUE(doc.ActivateByVariables({condition(CodeField::Name, 0, 0, "c2")}, true));
    EXPECT_EQ(Activated(TopicId::Codes), (Keys{sub2}));
}

TEST_F(ActivationTest, VariablesCompareByTheirType)
{
    const qint32 score = testutil::AddVariable(db(), TopicId::Documents, QStringLiteral("Score"), FieldType::Real);
    const qint32 met = testutil::AddVariable(db(), TopicId::Documents, QStringLiteral("Met"), FieldType::DateTime);
    ASSERT_TRUE(score && met);
    const struct {
        qint32 document;
        const char* scoreText;
        const char* metText;
    } values[] = {{top, "9.5", "2023-12-31"}, {first, "10.25", "2024-01-02"}, {second, "100", "2024-02-01"}};
    for (const auto& v : values) {
        RowBuffer row;
        ASSERT_TRUE(db().ReadRow(TopicId::Documents, v.document, row, false));
        ASSERT_TRUE(row.SetFieldText(score, QString::fromLatin1(v.scoreText)));
        ASSERT_TRUE(row.SetFieldText(met, QString::fromLatin1(v.metText)));
    }
    const struct {
        const char* what;
        ActivationCondition condition;
        Keys activated;
    } cases[] = {
        // As texts "100" < "9.5"; as numbers it is the largest.
        {"reals by number", {score, {}, 0, 3, QStringLiteral("10")}, {first, second}},
        {"reals equal in another form", {score, {}, 0, 0, QStringLiteral("10.250000")}, {first}},
        // As texts "2024-01-02" > "2024-01-10" fails; as dates it is earlier.
        {"dates by date", {met, {}, 0, 2, QStringLiteral("2024-01-10")}, {top, first}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Clear();
        log.Take();
        EXPECT_TRUE(doc.ActivateByVariables({c.condition}, false));
        EXPECT_EQ(Activated(TopicId::Documents), c.activated);
        EXPECT_EQ(doc.GetActivatedCount(TopicId::Documents), qint32(c.activated.size()));
        // One run for all the changes.
        ASSERT_EQ(retrieval.runs.size(), 1u);
    }
}

TEST_F(ActivationTest, DeactivatingEverythingDropsTheResultWithoutARun)
{
    Clear();
    doc.SetItemActivation(1, 0, true, false);
    doc.SetItemActivation(7, 0, true, false);
    doc.SetRetrievalCounters(5, 12);  // as a run that found twelve segments
    retrieval.runs.clear();
    log.Take();

    doc.DeactivateAll(false, true, true);
    EXPECT_TRUE(retrieval.runs.empty());
    for (const qint32 kind : {TopicId::Documents, TopicId::Codes, TopicId::Codings})
        EXPECT_EQ(doc.GetActivatedCount(kind), 0) << kind;
    EXPECT_TRUE(Activated(TopicId::Documents).empty());
    EXPECT_TRUE(Activated(TopicId::Codes).empty());
    // The windows drop the old result; nothing else is announced.
    EXPECT_EQ(log.Take(), (std::vector<std::string>{"pane.OnObjectDeleted(10,0)", "owner.OnObjectDeleted(10,0)"}));

    // Only the documents: the retrieval reruns; with notify the cleared
    // objects and all set members are announced.
    doc.SetItemActivation(5, first, true, false);
    retrieval.runs.clear();
    log.Take();
    doc.DeactivateAll(true, true, false);
    EXPECT_EQ(retrieval.runs.size(), 1u);
    const std::vector<std::string> calls = log.Take();
    const std::vector<std::string> expectedStart = {
        "pane.OnObjectChanged(5," + N(first) + ")", "owner.OnObjectChanged(5," + N(first) + ")",
        "pane.OnObjectChanged(6," + N(topMember) + ")", "owner.OnObjectChanged(6," + N(topMember) + ")",
        "pane.OnObjectChanged(6," + N(firstMember) + ")", "owner.OnObjectChanged(6," + N(firstMember) + ")"};
    ASSERT_GE(calls.size(), expectedStart.size());
    EXPECT_EQ(std::vector<std::string>(calls.begin(), calls.begin() + qsizetype(expectedStart.size())),
              expectedStart);
    EXPECT_EQ(std::count(calls.begin(), calls.end(), std::string("pane.OnObjectDeleted(10,0)")), 0);

    // DeactivateAllCodes tells the windows that the result went.
    doc.SetItemActivation(8, code, true, false);
    log.Take();
    doc.DeactivateAllCodes();
    EXPECT_TRUE(Activated(TopicId::Codes).empty());
    EXPECT_EQ(doc.GetActivatedCount(TopicId::Codes), 0);
    const std::vector<std::string> codeCalls = log.Take();
    ASSERT_FALSE(codeCalls.empty());
    EXPECT_EQ(codeCalls.back(), "owner.OnObjectDeleted(10,0)");
}

TEST_F(ActivationTest, ACodeSwitchedOffNoLongerNarrowsTheRetrieval)
{
    Clear();
    doc.SetItemActivation(8, code, true, false);
    doc.GetRetrievalSettings().documentCode = sub1;
    doc.SetItemActivation(8, sub2, false, false);
    EXPECT_EQ(doc.GetRetrievalSettings().documentCode, sub1);
    doc.SetItemActivation(8, sub1, false, false);
    EXPECT_EQ(doc.GetRetrievalSettings().documentCode, 0);

    doc.SetItemActivation(8, code, true, false);
    doc.GetRetrievalSettings().documentCode = code;
    doc.DeactivateAll(false, false, true);
    EXPECT_EQ(doc.GetRetrievalSettings().documentCode, 0);
}

TEST_F(ActivationTest, ActivationStaysInMemoryAndEndsWithTheProject)
{
    Clear();
    doc.SetItemActivation(1, 0, true, false);
    doc.SetItemActivation(7, 0, true, false);
    EXPECT_EQ(doc.GetActivatedCount(TopicId::Documents), 3);
    frame.ExitCommand();
    EXPECT_EQ(QueryRows(path, QStringLiteral("SELECT COUNT(*) FROM Texts WHERE (State & 4) <> 0")),
              QStringList{QStringLiteral("0")});
    EXPECT_EQ(QueryRows(path, QStringLiteral("SELECT COUNT(*) FROM Codewords WHERE (State & 4) <> 0")),
              QStringList{QStringLiteral("0")});
    ASSERT_TRUE(frame.OpenCommand(path));
    EXPECT_TRUE(Activated(TopicId::Documents).empty());
    EXPECT_TRUE(Activated(TopicId::Codes).empty());
    EXPECT_EQ(doc.GetActivatedCount(TopicId::Documents), 0);
}

TEST_F(ActivationTest, RebuildingTheTreesStartsWithNothingActivated)
{
    Clear();
    doc.SetItemActivation(1, 0, true, false);
    doc.SetItemActivation(7, 0, true, false);
    retrieval.runs.clear();
    doc.RebuildTree(false);
    EXPECT_TRUE(Activated(TopicId::Documents).empty());
    EXPECT_TRUE(Activated(TopicId::Codes).empty());
    EXPECT_EQ(doc.GetActivatedCount(TopicId::Documents), 0);
    EXPECT_TRUE(retrieval.runs.empty());
}
