// Requests of the views on rows and fields: single-field writes and their
// refusals, the list comparison, the field dictionary's edits with the
// variable lists, and one row with an area coding's picture.

#include "document/docfixture.h"
#include "document/documentids.h"
#include "document/listnotifyinfo.h"
#include "foundation/imageexport.h"
#include "store/topicdatabase.h"

#include <QBuffer>
#include <QImage>

#include <algorithm>

namespace doctest {
namespace {

class ViewRequestTest : public DocTest {
protected:
    void SetUp() override
    {
        DocTest::SetUp();
        NewProject();
        group = AddGroup(QStringLiteral("G"));
        docB = AddDocument(group, QStringLiteral("beta"));
        docA = AddDocument(group, QStringLiteral("Alpha"));
        code = AddCode(QStringLiteral("Code"));
        coding = AddCoding(docA, code, 0, 4, {{CodingField::Weight, 50}});
    }

    bool SetField(qint32 topic, qint32 key, qint32 field, const QString& text)
    {
        FieldValueNotifyInfo info;
        info.topic = topic;
        info.itemId = key;
        info.fieldId = field;
        info.text = text;
        doc.SetItemFieldValue(info);
        return info.result;
    }
    qint32 AddCategory(const QString& name)
    {
        return AddRow(db(), TopicId::DictionaryCategories, {{CategoryField::Name, name}});
    }
    qint32 AddEntry(qint32 category, const QString& text)
    {
        return AddRow(db(), TopicId::DictionaryEntries, {{EntryField::Category, category}, {EntryField::Text, text}});
    }

    qint32 group = 0, docA = 0, docB = 0, code = 0, coding = 0;
};

TEST_F(ViewRequestTest, FieldWritesFromTextAreCheckedAndSurviveReopening)
{
    const qint32 category = AddCategory(QStringLiteral("Feelings"));
    const qint32 other = AddCategory(QStringLiteral("Places"));
    const qint32 entry = AddEntry(category, QStringLiteral("happy"));
    AddEntry(other, QStringLiteral("home"));
    const struct {
        qint32 topic, key, field;
        QString text;
        bool written;
    } cases[] = {
        {TopicId::Codings, coding, CodingField::Weight, QStringLiteral("101"), false},
        {TopicId::Codings, coding, CodingField::Weight, QStringLiteral("-1"), false},
        {TopicId::Codings, coding, CodingField::Weight, QStringLiteral("many"), false},
        {TopicId::Codings, coding, CodingField::Weight, QStringLiteral("0"), true},
        {TopicId::Codings, coding, CodingField::Weight, QStringLiteral("100"), true},
        {TopicId::Codings, coding, CodingField::Comment, QStringLiteral("It's \"quoted\""), true},
        // The key, references, counters and state have operations of their own.
        {TopicId::Codings, coding, 0, QStringLiteral("99"), false},
        {TopicId::Codings, coding, CodingField::Document, QString::number(docB), false},
        {TopicId::Documents, docA, DocumentField::Codes, QStringLiteral("7"), false},
        {TopicId::Documents, docA, DocumentField::State, QStringLiteral("4"), false},
        {TopicId::Codes, code, CodeField::Codes, QStringLiteral("7"), false},
        {TopicId::Documents, 999, DocumentField::Name, QStringLiteral("x"), false},
        // A category name any category has, even in other case or its own.
        {TopicId::DictionaryCategories, other, CategoryField::Name, QStringLiteral("FEELINGS"), false},
        {TopicId::DictionaryCategories, category, CategoryField::Name, QStringLiteral("feelings"), false},
        {TopicId::DictionaryCategories, other, CategoryField::Name, QStringLiteral("Towns"), true},
        // An entry text only its own category must not have.
        {TopicId::DictionaryEntries, entry, EntryField::Text, QStringLiteral("home"), true},
    };
    for (const auto& c : cases) {
        const QString before = ValueOf(db(), c.topic, c.key, c.field);
        EXPECT_EQ(SetField(c.topic, c.key, c.field, c.text), c.written) << c.text.toStdString();
        if (c.written)
            EXPECT_EQ(ValueOf(db(), c.topic, c.key, c.field), c.text) << c.text.toStdString();
        else
            EXPECT_EQ(ValueOf(db(), c.topic, c.key, c.field), before) << c.text.toStdString();
    }
    const qint32 second = AddEntry(category, QStringLiteral("sad"));
    EXPECT_FALSE(SetField(TopicId::DictionaryEntries, second, EntryField::Text, QStringLiteral("home")));
    EXPECT_TRUE(SetField(TopicId::DictionaryEntries, second, EntryField::Text, QStringLiteral("Home")));

    Reopen();
    EXPECT_EQ(ValueOf(db(), TopicId::Codings, coding, CodingField::Weight), QStringLiteral("100"));
    EXPECT_EQ(ValueOf(db(), TopicId::Codings, coding, CodingField::Comment), QStringLiteral("It's \"quoted\""));
    EXPECT_EQ(ValueOf(db(), TopicId::Documents, docA, DocumentField::Codes), QStringLiteral("0"));
}

TEST_F(ViewRequestTest, RowsSortByWhatTheyShowAndTiesByKey)
{
    const qint32 codeZ = AddCode(QStringLiteral("zebra"));
    const qint32 codeA = AddCode(QStringLiteral("Ant"));
    // Codings of documents "beta", "Alpha", "beta" and codes zebra, Ant, Ant.
    const qint32 c1 = AddCoding(docB, codeZ, 0, 1);
    const qint32 c2 = AddCoding(docA, codeA, 0, 1);
    const qint32 c3 = AddCoding(docB, codeA, 0, 1);
    const auto sorted = [&](qint32 field, QList<qint32> keys) {
        std::sort(keys.begin(), keys.end(), [&](qint32 a, qint32 b) {
            CompareRowsNotifyInfo info;
            info.topic = TopicId::Codings;
            info.fieldId = field;
            info.rowIdA = a;
            info.rowIdB = b;
            doc.HandleCompareRows(info);
            EXPECT_TRUE(info.handled);
            return info.comparison < 0;
        });
        return keys;
    };
    // Documents by short name without regard to case; equal names by key.
    EXPECT_EQ(sorted(CodingField::Document, {c3, c1, c2}), (QList<qint32>{c2, c1, c3}));
    EXPECT_EQ(sorted(CodingField::Code, {c1, c3, c2}), (QList<qint32>{c2, c3, c1}));
    // Rows that cannot be read sort last, among themselves by key.
    EXPECT_EQ(sorted(CodingField::StartChar, {998, c2, 997, c1}), (QList<qint32>{c1, c2, 997, 998}));
}

TEST_F(ViewRequestTest, UserFieldsKeepTheirVariableListsCurrent)
{
    doc.BuildVariableList(false);
    AddFieldNotifyInfo add;
    add.topic = TopicId::Documents;
    add.field.Name = QStringLiteral("Age");
    add.field.Type = FieldType::Integer;
    add.field.State = FieldState::UserVariable;
    doc.HandleAddField(add);
    ASSERT_TRUE(add.result);
    const qint32 field = add.field.ID;
    EXPECT_GE(field, FieldDescriptor::kFirstUserFieldId);
    EXPECT_EQ(ValueOf(db(), TopicId::DocumentVariables, field, VariableListField::Kind), QStringLiteral("0"));
    EXPECT_EQ(ValueOf(db(), TopicId::DocumentVariables, field, VariableListField::VarType),
              QString::number(FieldType::Integer));

    AddFieldNotifyInfo onCodings;
    onCodings.topic = TopicId::Codings;
    onCodings.field.Name = QStringLiteral("Rater");
    onCodings.field.Type = FieldType::ShortText;
    const qint32 rowsBefore = db().GetRowCount(TopicId::DocumentVariables);
    doc.HandleAddField(onCodings);
    EXPECT_TRUE(onCodings.result);
    EXPECT_EQ(db().GetRowCount(TopicId::DocumentVariables), rowsBefore);

    // A new type reloads the documents; their activation stays.
    RowBuffer row;
    FieldValue state;
    ASSERT_TRUE(db().ReadRow(TopicId::Documents, docA, row, false));
    row.GetFieldValue(DocumentField::State, state);
    state.SetInt(state.GetInt() | ObjectState::Activated);
    row.WriteBack();
    for (const auto& [type, categorial] : {std::pair{FieldType::Real, ""}, std::pair{FieldType::Boolean, "1"}}) {
        FieldTypeNotifyInfo change;
        change.topic = TopicId::Documents;
        change.fieldId = field;
        change.newType = type;
        doc.HandleChangeFieldType(change);
        EXPECT_TRUE(change.result);
        EXPECT_EQ(ValueOf(db(), TopicId::DocumentVariables, field, VariableListField::Categorial),
                  QLatin1String(categorial));
        EXPECT_EQ(ValueOf(db(), TopicId::DocumentVariables, field, VariableListField::TypeName),
                  CKorDoc::VariableTypeName(type));
    }
    EXPECT_TRUE(doc.IsActivated(TopicId::Documents, docA));
    EXPECT_FALSE(doc.IsActivated(TopicId::Documents, docB));

    DeleteFieldNotifyInfo remove;
    remove.topic = TopicId::Documents;
    remove.fieldId = field;
    doc.HandleDeleteField(remove);
    EXPECT_TRUE(remove.result);
    EXPECT_EQ(ValueOf(db(), TopicId::DocumentVariables, field, VariableListField::Kind), QStringLiteral("<absent>"));
}

TEST_F(ViewRequestTest, DeletingAVariableMadeFromACodeLeavesTheCodeWithoutIt)
{
    const qint32 field = doc.GetCodeVariableField(QStringLiteral("Code"));
    ASSERT_NE(field, 0);
    EXPECT_EQ(doc.GetCodeVariableField(QStringLiteral("CODE")), field);
    ASSERT_TRUE(SetField(TopicId::Codes, code, CodeField::Variable, QString::number(field)));

    DeleteFieldNotifyInfo remove;
    remove.topic = TopicId::Documents;
    remove.fieldId = field;
    doc.HandleDeleteField(remove);
    ASSERT_TRUE(remove.result);
    Reopen();
    EXPECT_EQ(ValueOf(db(), TopicId::Codes, code, CodeField::Variable), QStringLiteral("0"));
    FieldDescriptor gone;
    EXPECT_FALSE(db().GetFieldDescriptor(TopicId::Documents, field, gone));
}

TEST_F(ViewRequestTest, ARowComesWithItsDocumentKindAndAnAreaCodingWithItsPicture)
{
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    const qint32 picture = AddDocument(group, QStringLiteral("Photo"), png, DocumentKind::Picture);
    const qint32 area = AddCoding(picture, code, 5, 25,
                                  {{CodingField::PosX1, 10}, {CodingField::PosX2, 30}, {CodingField::IsText, 0}});

    RecordNotifyInfo text;
    text.topic = TopicId::Codings;
    text.key = coding;
    text.readBlobs = true;
    doc.HandleGetRecord(text);
    EXPECT_TRUE(text.found);
    EXPECT_EQ(text.documentKind, DocumentKind::RichText);
    EXPECT_FALSE(text.imageMade);

    RecordNotifyInfo info;
    info.topic = TopicId::Codings;
    info.key = area;
    info.readBlobs = true;
    doc.HandleGetRecord(info);
    EXPECT_TRUE(info.found);
    EXPECT_EQ(info.documentKind, DocumentKind::Picture);
    ASSERT_TRUE(info.imageMade);
    const QImage made = QImage::fromData(info.image);
    EXPECT_EQ(made.size(), QSize(20, 20));

    RecordNotifyInfo missing;
    missing.topic = TopicId::Codings;
    missing.key = 999;
    doc.HandleGetRecord(missing);
    EXPECT_FALSE(missing.found);
}

}  // namespace
}  // namespace doctest

namespace doctest {
namespace {

TEST_F(ViewRequestTest, VariableValuesOfEveryTypeRoundTripAndMisfitsAreRefused)
{
    const struct {
        qint32 type;
        QString value, misfit;
    } cases[] = {
        {FieldType::ShortText, QStringLiteral("Grüße, it's \"fine\""), QString()},
        {FieldType::Integer, QStringLiteral("-42"), QStringLiteral("forty")},
        {FieldType::Real, QStringLiteral("3.25"), QStringLiteral("pi")},
        {FieldType::DateTime, QStringLiteral("2024-02-29 13:45:10"), QStringLiteral("yesterday")},
        {FieldType::Boolean, QStringLiteral("1"), QString()},
    };
    QList<qint32> fields;
    for (const auto& c : cases) {
        AddFieldNotifyInfo add;
        add.topic = TopicId::Documents;
        add.field.Name = QStringLiteral("Var %1").arg(c.type);
        add.field.Type = c.type;
        add.field.State = FieldState::UserVariable;
        doc.HandleAddField(add);
        ASSERT_TRUE(add.result);
        fields.append(add.field.ID);
        const QString empty = ValueOf(db(), TopicId::Documents, docA, add.field.ID);
        if (!c.misfit.isEmpty()) {
            EXPECT_FALSE(SetField(TopicId::Documents, docA, add.field.ID, c.misfit)) << c.type;
            EXPECT_EQ(ValueOf(db(), TopicId::Documents, docA, add.field.ID), empty);
        }
        EXPECT_TRUE(SetField(TopicId::Documents, docA, add.field.ID, c.value)) << c.type;
    }
    Reopen();
    for (qsizetype i = 0; i < fields.size(); ++i) {
        FieldDescriptor field;
        ASSERT_TRUE(db().GetFieldDescriptor(TopicId::Documents, fields[i], field));
        EXPECT_EQ(ValueOf(db(), TopicId::Documents, docA, fields[i]),
                  FieldValue::NormaliseText(field.Type, cases[i].value))
            << cases[i].type;
    }
}

}  // namespace
}  // namespace doctest
