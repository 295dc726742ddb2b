// Questions on the code tree, activation, variable lists and whole-project
// services: statistics, exported code names and segment previews.

#include "document/docfixture.h"
#include "document/documentids.h"
#include "foundation/optionsrecord.h"
#include "foundation/programpaths.h"
#include "foundation/richtexthelpers.h"
#include "platform/profile/privateprofile.h"
#include "platform/rtf/richeditctrlex.h"
#include "store/topicdatabase.h"

#include <QFile>

namespace doctest {
namespace {

class ProjectQueryTest : public DocTest {
protected:
    void SetUp() override
    {
        DocTest::SetUp();
        NewProject();
        root = AddCode(QStringLiteral(" Emotions "));
        child = AddCode(QStringLiteral("joy"), root);
        grandchild = AddCode(QStringLiteral("Bliss"), child);
        leaf = AddCode(QStringLiteral("anger"), root);
        AddCode(QStringLiteral("EMOTIONS"));
    }

    qint32 root = 0, child = 0, grandchild = 0, leaf = 0;
};

TEST_F(ProjectQueryTest, TheCodeTreeAnswersAncestryDepthAndNames)
{
    EXPECT_FALSE(doc.IsCodeDescendant(root, root));
    EXPECT_TRUE(doc.IsCodeDescendant(root, grandchild));
    EXPECT_FALSE(doc.IsCodeDescendant(grandchild, root));
    EXPECT_FALSE(doc.IsCodeDescendant(root, 999));
    EXPECT_EQ(doc.GetMinLeafDepth(leaf, 3), 3);
    EXPECT_EQ(doc.GetMinLeafDepth(child, 0), 1);
    EXPECT_EQ(doc.GetMinLeafDepth(root, 0), 1);  // anger is a leaf one below

    QStringList names;
    doc.ListCodeNames(names);
    EXPECT_EQ(names, (QStringList{QStringLiteral("emotions"), QStringLiteral("joy"), QStringLiteral("bliss"),
                                  QStringLiteral("anger")}));
}

TEST_F(ProjectQueryTest, AnAliasEqualToTheCodesNameIsDropped)
{
    EXPECT_TRUE(doc.SetCodeAlias(child, QStringLiteral("Joy in the widest sense of the word, as the interviewees use it")));
    EXPECT_EQ(doc.GetCodeAlias(child), QStringLiteral("Joy in the widest sense of the word, as the interviewees use it"));
    EXPECT_FALSE(doc.SetCodeAlias(child, QStringLiteral("joy")));
    EXPECT_EQ(doc.GetCodeAlias(child), QStringLiteral("joy"));
}

TEST_F(ProjectQueryTest, ActivationOfMembersAndCodingsFollowsTheirObjects)
{
    const qint32 group = AddGroup(QStringLiteral("G"));
    const qint32 document = AddDocument(group, QStringLiteral("D"));
    const qint32 set = AddRow(db(), TopicId::DocumentSets, {{3, QStringLiteral("S")}});
    const qint32 member =
        AddRow(db(), TopicId::DocumentSetMembers, {{SetMemberField::SetID, set}, {SetMemberField::ObjectID, document}});
    const qint32 coding = AddCoding(document, child, 0, 3);
    const qint32 other = AddCoding(document, leaf, 0, 3);
    for (const auto& [topic, key] : {std::pair{TopicId::Documents, document}, std::pair{TopicId::Codes, child}}) {
        RowBuffer row;
        FieldValue state;
        ASSERT_TRUE(db().ReadRow(topic, key, row, false));
        row.GetFieldValue(topic == TopicId::Documents ? qint32(DocumentField::State) : qint32(CodeField::State), state);
        state.SetInt(ObjectState::Activated);
        row.WriteBack();
    }
    EXPECT_TRUE(doc.IsActivated(TopicId::DocumentSetMembers, member));
    EXPECT_TRUE(doc.IsActivated(TopicId::Codings, coding));
    EXPECT_FALSE(doc.IsActivated(TopicId::Codings, other));
    EXPECT_EQ(doc.CountActivatedRelated(TopicId::Codings, TopicId::Documents, document), 1);
    // A code the retrieval function names counts as activated for it.
    doc.GetRetrievalSettings().retrievalFunction = 7;
    doc.GetRetrievalSettings().excludedCode = leaf;
    EXPECT_TRUE(doc.IsActivated(TopicId::Codings, other));
    EXPECT_FALSE(doc.IsActivated(TopicId::Memos, 1));
    EXPECT_EQ(doc.GetSetMemberDocument(member), document);
    EXPECT_EQ(doc.GetDocumentGroup(document), group);
    EXPECT_EQ(doc.GetDocumentType(document), DocumentKind::RichText);
    EXPECT_EQ(doc.GetDocumentType(999), -1);
}

TEST_F(ProjectQueryTest, TheVariableListShowsEachFieldWithItsKindAndStoredVisibility)
{
    FieldDescriptor age;
    age.Name = QStringLiteral("Age");
    age.Type = FieldType::Integer;
    age.State = FieldState::UserVariable;
    ASSERT_TRUE(db().AddField(TopicId::Documents, age));
    const qint32 fromCode = doc.GetCodeVariableField(QStringLiteral("joy"));
    const QString savedProfile = std::exchange(g_program.ProfilePath, dir.file(QStringLiteral("KORVAN10.ini")));
    PrivateProfile(g_program.ProfilePath)
        .WriteString(QStringLiteral("dlgObjList5"), QStringLiteral("Field%1").arg(age.ID), QStringLiteral("0,80,2,0"));

    const bool built = doc.BuildVariableList(false);
    g_program.ProfilePath = savedProfile;
    ASSERT_TRUE(built);
    const auto cell = [&](qint32 field, qint32 column) {
        return ValueOf(db(), TopicId::DocumentVariables, field, column);
    };
    EXPECT_EQ(cell(age.ID, VariableListField::Kind), QString::number(VariableKind::User));
    EXPECT_EQ(cell(age.ID, VariableListField::Shown), QString());
    EXPECT_EQ(cell(age.ID, VariableListField::TypeName), CKorDoc::VariableTypeName(FieldType::Integer));
    EXPECT_EQ(cell(fromCode, VariableListField::Kind), QString::number(VariableKind::FromFrequencies));
    EXPECT_EQ(cell(fromCode, VariableListField::Shown), QStringLiteral("1"));
    EXPECT_EQ(cell(DocumentField::Name, VariableListField::Kind), QString::number(VariableKind::BuiltIn));
    // Building again replaces the rows.
    const qint32 rows = db().GetRowCount(TopicId::DocumentVariables);
    ASSERT_TRUE(doc.BuildVariableList(false));
    EXPECT_EQ(db().GetRowCount(TopicId::DocumentVariables), rows);
}

TEST_F(ProjectQueryTest, StatisticsCountTheProjectWithoutTemporaryRows)
{
    const qint32 group = AddGroup(QStringLiteral("G"));
    const qint32 document = AddDocument(group, QStringLiteral("D"));
    AddCoding(document, child, 0, 3);
    AddCoding(document, 0, 0, 3);  // a temporary result row
    const std::unique_ptr<CRichEditCtrlEx> edit = CreateHiddenRichEdit();
    ASSERT_TRUE(doc.WriteProjectStatistics(*edit));
    const QString text = edit->GetTextRange(0, edit->GetTextLength());
    EXPECT_TRUE(text.startsWith(QStringLiteral("\r\rProject statistics\r"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Codes: 5\r")));
    EXPECT_TRUE(text.contains(QStringLiteral("Coded segments: 1\r")));
    EXPECT_TRUE(text.contains(QStringLiteral("Documents: 1\r")));
}

TEST_F(ProjectQueryTest, ActivatedCodeNamesAreWrittenAsUtf16OrNotAtAll)
{
    RowBuffer row;
    FieldValue state;
    ASSERT_TRUE(db().ReadRow(TopicId::Codes, grandchild, row, false));
    row.GetFieldValue(CodeField::State, state);
    state.SetInt(ObjectState::Activated);
    row.WriteBack();
    const QString target = dir.file(QStringLiteral("codes.txt"));
    ASSERT_TRUE(doc.ExportActivatedCodeNames(target));
    QFile file(target);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_TRUE(bytes.startsWith("\xFF\xFE"));
    EXPECT_EQ(QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData() + 2), (bytes.size() - 2) / 2),
              QStringLiteral(" Emotions \\joy\\Bliss\r\n"));

    EXPECT_FALSE(doc.ExportActivatedCodeNames(QString()));
    EXPECT_FALSE(doc.ExportActivatedCodeNames(dir.file(QStringLiteral("missing/codes.txt"))));
    EXPECT_EQ(messages.texts.size(), 1);
}

TEST_F(ProjectQueryTest, APreviewShowsTheSegmentAndItsParagraph)
{
    const qint32 group = AddGroup(QStringLiteral("G"));
    const qint32 document = AddDocument(
        group, QStringLiteral("D"), RtfOf({QStringLiteral("First"), QStringLiteral("Second paragraph here")}));
    const qint32 pdf = AddDocument(group, QStringLiteral("P"), QByteArray("%PDF"), DocumentKind::Pdf);
    QString text;
    EXPECT_EQ(doc.GetSegmentPreview(document, 6, 12, text), 2);
    EXPECT_EQ(text, QStringLiteral("Second"));
    EXPECT_EQ(doc.GetSegmentPreview(pdf, 0, 3, text), 1);
    EXPECT_TRUE(text.isEmpty());
    EXPECT_EQ(doc.GetSegmentPreview(999, 0, 3, text), 0);
}

}  // namespace
}  // namespace doctest
