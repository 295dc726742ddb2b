// Project files of every older schema version, built here table by table
// as that version had them, opened into the current schema.

#include "projectfixture.h"

#include "common/testutil.h"
#include "store/compressedblob.h"
#include "store/projectschema.h"

#include <QLocale>

#include <gtest/gtest.h>

using projecttest::ExecOnFile;
using projecttest::Project;
using projecttest::QueryFile;
using projecttest::QueryValue;
using storetest::TextOf;

namespace {

// Every version a file can have, oldest first; the last is current.
const QStringList kVersions = {"010406", "020524", "020905", "030419", "040328", "050829", "060909",
                               "061229", "080302", "090101", "090827", "090909", "091031", "100101",
                               "100121", "100206", "100526", "100806", "100813", "100829"};

// The version from which a built-in field exists; the others were there
// from the first version.
struct FieldsSince {
    qint32 topic, first, last;
    const char* since;
};
const FieldsSince kFieldsSince[] = {
    {2, 4, 4, "030419"},    {4, 4, 4, "030419"},    {5, 9, 12, "030419"},   {5, 13, 14, "090101"},
    {5, 15, 15, "090909"},  {5, 16, 24, "100101"},  {5, 25, 27, "100121"},  {8, 9, 11, "030419"},
    {8, 12, 12, "100806"},  {10, 12, 13, "030419"}, {10, 14, 14, "040328"}, {10, 15, 15, "060909"},
    {10, 16, 18, "090827"}, {10, 19, 21, "100829"}, {11, 1, 1, "030419"},   {11, 3, 3, "030419"},
    {11, 5, 5, "030419"},   {11, 14, 14, "090909"}, {11, 15, 15, "100206"}, {12, 0, 5, "030419"},
    {12, 6, 8, "091031"},   {12, 9, 9, "100829"},   {24, 0, 4, "061229"},   {25, 0, 3, "061229"},
    {26, 0, 6, "090101"},
};

QString Since(qint32 topic, qint32 id)
{
    for (const FieldsSince& range : kFieldsSince) {
        if (range.topic == topic && id >= range.first && id <= range.last)
            return QString::fromLatin1(range.since);
    }
    return kVersions.first();
}

/// One user field of an old file: its id before and after the versions
/// that moved user fields up.
struct UserField {
    qint32 topic;
    const char* name;
    qint32 type, state;
    const char* since;
    qint32 IdAt(const QString& version) const
    {
        if (topic == TopicId::Documents) {  // 9 first, +4 at 030419, +100000000 at 090101
            const qint32 base = qstrcmp(name, "Age") == 0 ? 9 : 10;
            return base + (version >= QLatin1String("030419") ? 4 : 0) +
                   (version >= QLatin1String("090101") ? 100000000 : 0);
        }
        const qint32 base = qstrcmp(name, "Rank") == 0 ? 12 : 13;  // codes: +100000000 at 100806
        return base + (version >= QLatin1String("100806") ? 100000000 : 0);
    }
};
const UserField kUserFields[] = {
    {TopicId::Documents, "Age", FieldType::Integer, 3, "010406"},
    {TopicId::Documents, "Region", FieldType::ShortText, 0x82, "020524"},
    {TopicId::Codes, "Rank", FieldType::Integer, 2, "030419"},
    {TopicId::Codes, "Note", FieldType::ShortText, 0x82, "030419"},
};

/// A sys_Fields row as a file of the version holds it.
struct OldField {
    qint32 topic, id;
    QString name, source;
    qint32 type, state, parent;
};

QList<OldField> FieldsAt(const QString& version)
{
    // Memo field ids before they made room for three owner fields.
    static const QHash<qint32, qint32> kOldMemoIds = {{0, 0},  {2, 1},  {4, 2},   {6, 3},   {7, 4},   {8, 5},
                                                      {9, 6},  {10, 7}, {11, 8},  {12, 9},  {13, 10}};
    const bool early = version < QLatin1String("030419");
    QList<OldField> fields;
    for (const schema::FieldRow& row : schema::FieldRows()) {
        if (Since(row.topic, row.id) > version)
            continue;
        OldField field{row.topic, row.id, QString::fromLatin1(row.name), row.Source(), row.type, row.state,
                       row.parentTopic};
        if (row.topic == TopicId::Memos && early) {
            field.id = kOldMemoIds.value(row.id);
            if (row.id == 9)
                field.state = 9;  // Author, shown only from 030419 on
        }
        if (row.topic == TopicId::Codings && row.id == 14 && version < QLatin1String("100121")) {
            field.source = QStringLiteral("Comment");
            field.type = FieldType::ShortText;
        }
        if (row.topic == TopicId::Documents && row.id == 14) {
            field.type = FieldType::Text;
            if (version < QLatin1String("100526"))
                field.source = QStringLiteral("MediaFile");
        }
        fields.append(field);
    }
    for (const UserField& user : kUserFields) {
        if (QLatin1String(user.since) <= version)
            fields.append({user.topic, user.IdAt(version), QString::fromLatin1(user.name),
                           QString::fromLatin1(user.name), user.type, user.state, 0});
    }
    return fields;
}

/// Inserts the values whose columns the table has at this version.
void Insert(dao::Database& db, const QString& table, const QList<std::pair<const char*, QVariant>>& values)
{
    const QStringList columns = db.GetColumnNames(table);
    QStringList names;
    QVariantList bound;
    for (const auto& [column, value] : values) {
        if (columns.contains(QString::fromLatin1(column))) {
            names.append(QStringLiteral("[%1]").arg(QLatin1String(column)));
            bound.append(value);
        }
    }
    const QStringList marks(names.size(), QStringLiteral("?"));
    ASSERT_TRUE(db.Execute(QStringLiteral("INSERT INTO [%1](%2) VALUES(%3);")
                               .arg(table, names.join(QLatin1Char(',')), marks.join(QLatin1Char(','))),
                           bound))
        << table.toStdString() << ": " << db.LastError().toStdString();
}

const QString kLogText = QStringLiteral("{\\rtf1 Logbook \\'fc ü}");

/// A project file of the version, with a few objects of every topic it has.
void BuildOldProject(const QString& path, const QString& version)
{
    using dao::ColumnType;
    dao::Database db;
    ASSERT_TRUE(db.Create(path));
    const auto has = [&version](const char* since) { return QLatin1String(since) <= version; };

    dao::TableDef setup{QStringLiteral("sys_Setup"),
                        {{QStringLiteral("Key"), ColumnType::Text, true}, {QStringLiteral("Value"), ColumnType::Text}},
                        {{QStringLiteral("ID"), {QStringLiteral("Key")}}}};
    if (has("080302"))
        setup.fields.append({QStringLiteral("Data"), ColumnType::Blob});
    ASSERT_TRUE(db.CreateTable(setup));
    ASSERT_TRUE(db.CreateTable(schema::TableDefOf(*schema::FindTable("sys_Topics"))));
    dao::TableDef fields{QStringLiteral("sys_Fields"), {}, {{QStringLiteral("ID"), {"TopicID", "ID"}}}};
    for (const char* column : {"TopicID", "ID", "Name", "Source", "Type", "State", "ParentTopicID"})
        fields.fields.append({QString::fromLatin1(column),
                              qstrcmp(column, "Name") && qstrcmp(column, "Source") ? ColumnType::Integer
                                                                                     : ColumnType::Text});
    if (has("100806"))
        fields.fields << dao::FieldDef{QStringLiteral("DefaultValue"), ColumnType::Text}
                      << dao::FieldDef{QStringLiteral("Categorial"), ColumnType::Integer};
    ASSERT_TRUE(db.CreateTable(fields));
    for (const auto& [since, table] : {std::pair{"020524", "sys_Values"}, {"050829", "sys_Models"}}) {
        if (has(since)) {
            ASSERT_TRUE(db.CreateTable(schema::TableDefOf(*schema::FindTable(table))));
        }
    }

    const QList<OldField> dictionary = FieldsAt(version);
    for (const schema::TopicRow& topic : schema::TopicRows()) {
        // Topic rows as old files hold them: links have none.
        if (Since(topic.id, 0) > version)
            continue;
        dao::TableDef table{QString::fromLatin1(topic.table), {}, {{QStringLiteral("ID"), {QStringLiteral("ID")}}}};
        for (const OldField& field : dictionary) {
            if (field.topic == topic.id && !(field.state & FieldState::ValueTable))
                table.fields.append({field.source, schema::ColumnTypeOf(field.type)});
        }
        ASSERT_TRUE(db.CreateTable(table)) << db.LastError().toStdString();
        if (topic.id == TopicId::Links)
            continue;
        const bool memos = topic.id == TopicId::Memos;
        ASSERT_TRUE(db.Execute(QStringLiteral("INSERT INTO [sys_Topics] VALUES(?,?,?,?,?,?,?);"),
                               {topic.id, QString::fromLatin1(topic.table), QString::fromLatin1(topic.table),
                                QString::fromLatin1(topic.sortField), QString::fromLatin1(topic.nameFormat),
                                QString::fromLatin1(topic.fullNameFormat),
                                QString::fromLatin1(memos ? schema::kOldMemoAnnotation : topic.annotationFormat)}));
    }
    for (const OldField& field : dictionary) {
        Insert(db, QStringLiteral("sys_Fields"),
               {{"TopicID", field.topic}, {"ID", field.id}, {"Name", field.name}, {"Source", field.source},
                {"Type", field.type}, {"State", field.state}, {"ParentTopicID", field.parent},
                {"Categorial", has("100813") && (field.type == 2 || field.type == 3 || field.type == 8 ||
                                                  field.type == 9)
                                   ? QVariant(1)
                                   : QVariant()}});
    }

    Insert(db, QStringLiteral("sys_Setup"), {{"Key", QStringLiteral("DataEngine")}, {"Value", version}});
    Insert(db, QStringLiteral("sys_Setup"), {{"Key", QStringLiteral("DataType")}, {"Value", QStringLiteral("MAIN")}});
    if (has("020905"))
        Insert(db, QStringLiteral("sys_Setup"), {{"Key", QStringLiteral("RichText")}, {"Value", QStringLiteral("1")}});
    if (has("080302"))
        Insert(db, QStringLiteral("sys_Setup"), {{"Key", QStringLiteral("LOG")}, {"Value", kLogText},
                                                 {"Data", kLogText.toUtf8()}});
    else
        Insert(db, QStringLiteral("sys_Setup"), {{"Key", QStringLiteral("LOG")}, {"Value", kLogText}});

    QByteArray text = QByteArray("{\\rtf1 ") + QByteArray(300, 't') + "}";
    CompressBlob(text);
    Insert(db, QStringLiteral("Textgroups"), {{"ID", 1}, {"Index", 0}, {"State", 0}, {"Name", "Group 1"}});
    for (int id : {1, 2}) {
        Insert(db, QStringLiteral("Texts"),
               {{"ID", id}, {"Index", id}, {"GroupID", 1}, {"State", 0}, {"Type", 0}, {"Text", text},
                {"Name", QStringLiteral("Doc %1").arg(id)}, {"Date", 40000.5}, {"Codes", 1}, {"Age", 40 + id},
                {"DocType", id == 1 ? 0 : 2}, {"MediaFile", "clip.mp3"}, {"MediaFileX", "clip.mp3"},
                {"ScrollPosX", 5}});
    }
    Insert(db, QStringLiteral("Codewords"),
           {{"ID", 1}, {"Index", 0}, {"WordID", 0}, {"State", 0}, {"Type", 3}, {"Name", "Code 1"}, {"Codes", 2},
            {"Rank", 7}});
    for (int id : {1, 2}) {
        Insert(db, QStringLiteral("Codings"),
               {{"ID", id}, {"TAID", id}, {"Type", 3}, {"TextID", id}, {"WordID", 1}, {"StartChar", 10 * id},
                {"FinishChar", 10 * id + 5}, {"Weight", 50}, {"Preview", "preview"}, {"Comment", "it's a comment"},
                {"CommentL", "it's a comment"}, {"GroupID", 1}, {"Page", 1}});
    }
    Insert(db, QStringLiteral("Memos"), {{"ID", 1}, {"TextID", 1}, {"WordID", 1}, {"Pos", 12}, {"Title", "Memo"},
                                         {"Author", "ann"}, {"Page", 1}});
    if (has("020524")) {
        const qint32 region = kUserFields[1].IdAt(version);
        Insert(db, QStringLiteral("sys_Values"), {{"TopicID", 5}, {"FieldID", region}, {"ObjectID", 1}, {"Value", "North"}});
    }
    if (has("030419")) {
        Insert(db, QStringLiteral("sys_Values"),
               {{"TopicID", 8}, {"FieldID", kUserFields[3].IdAt(version)}, {"ObjectID", 1}, {"Value", "note"}});
        Insert(db, QStringLiteral("Links"), {{"ID", 1}, {"TextID", 1}, {"StartChar", 3}, {"FinishChar", 4}});
    }
}

/// The dictionary rows and topic rows, one text each.
std::string DictionaryOf(const QString& path, bool withUserFields = true)
{
    QStringList rows;
    for (const QVariantList& row :
         QueryFile(path, QStringLiteral("SELECT * FROM [sys_Fields] WHERE [ID]<? OR ? ORDER BY [TopicID],[ID];"),
                   {FieldDescriptor::kFirstUserFieldId - 1, withUserFields}))
        rows.append(QVariant(row).toStringList().join(QLatin1Char('|')));
    for (const QVariantList& row : QueryFile(path, QStringLiteral("SELECT * FROM [sys_Topics] ORDER BY [ID];")))
        rows.append(QVariant(row).toStringList().join(QLatin1Char('|')));
    return rows.join(QLatin1Char('\n')).toStdString();
}

QStringList ColumnsOf(const QString& path, const QString& table)
{
    QStringList columns;
    for (const QVariantList& info : QueryFile(path, QStringLiteral("PRAGMA table_info([%1]);").arg(table)))
        columns.append(info.at(1).toString());
    columns.sort();
    return columns;
}

class OldProjectFile : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override
    {
        m_savedLocale = QLocale();
        QLocale::setDefault(QLocale::c());
    }
    void TearDown() override { QLocale::setDefault(m_savedLocale); }

    testutil::TempDir dir;

private:
    QLocale m_savedLocale;
};

}  // namespace

TEST_P(OldProjectFile, AnOldFileOpensIntoTheCurrentSchema)
{
    const QString version = QString::fromStdString(GetParam());
    const auto had = [&version](const char* since) { return QLatin1String(since) <= version; };
    const QString path = dir.file(QStringLiteral("old.kv4"));
    BuildOldProject(path, version);
    if (HasFatalFailure())
        return;
    const QString fresh = dir.file(QStringLiteral("fresh.kv4"));
    {
        ProjectDataEngine engine;
        ASSERT_TRUE(engine.Create(fresh));
    }

    Project p;
    ASSERT_TRUE(p.Open(path)) << p.engine.LastError().toStdString();
    EXPECT_EQ(p.engine.GetSchemaVersion(), QStringLiteral("100829"));
    EXPECT_EQ(p.engine.GetOpenedVersion(), version);

    // User fields moved to the ids of today, with their values.
    const qint32 age = kUserFields[0].IdAt(QStringLiteral("100829"));
    const qint32 region = kUserFields[1].IdAt(QStringLiteral("100829"));
    EXPECT_EQ(age, 100000013);
    EXPECT_EQ(TextOf(p.db, TopicId::Documents, 1, age), QStringLiteral("41"));
    EXPECT_EQ(TextOf(p.db, TopicId::Documents, 2, age), QStringLiteral("42"));
    EXPECT_EQ(TextOf(p.db, TopicId::Documents, 1, region), had("020524") ? QStringLiteral("North") : QStringLiteral("<absent>"));
    if (had("030419")) {
        EXPECT_EQ(TextOf(p.db, TopicId::Codes, 1, 100000012), QStringLiteral("7"));
        EXPECT_EQ(TextOf(p.db, TopicId::Codes, 1, 100000013), QStringLiteral("note"));
        EXPECT_EQ(p.db.GetRowCount(TopicId::Links), 1);
    }
    // Data that steps moved or filled.
    EXPECT_EQ(TextOf(p.db, TopicId::Memos, 1, 8), QStringLiteral("Memo"));
    EXPECT_EQ(TextOf(p.db, TopicId::Memos, 1, 7), QStringLiteral("12"));
    EXPECT_EQ(TextOf(p.db, TopicId::Memos, 1, 14), QStringLiteral("1"));
    EXPECT_EQ(TextOf(p.db, TopicId::Codings, 1, 14), had("040328") ? QStringLiteral("it's a comment") : QString());
    EXPECT_EQ(TextOf(p.db, TopicId::Codings, 2, 15), QStringLiteral("1"));  // group of its document
    EXPECT_EQ(TextOf(p.db, TopicId::Codings, 2, 18), QStringLiteral("1"));
    EXPECT_EQ(TextOf(p.db, TopicId::Codings, 1, 19), QStringLiteral("1"));
    // A coding of a picture document is no text coding.
    EXPECT_EQ(TextOf(p.db, TopicId::Codings, 2, 19), had("090101") ? QString() : QStringLiteral("1"));
    EXPECT_EQ(TextOf(p.db, TopicId::Documents, 1, DocumentField::MediaFile),
              had("090101") ? QStringLiteral("clip.mp3") : QString());
    EXPECT_EQ(TextOf(p.db, TopicId::Documents, 1, 18), had("100526") ? QStringLiteral("5") : QStringLiteral("0"));
    QString value;
    QByteArray log;
    ASSERT_TRUE(p.engine.GetSetupData(QStringLiteral("LOG"), log));
    EXPECT_EQ(log, had("080302") ? kLogText.toUtf8() : kLogText.toLatin1());
    ASSERT_TRUE(p.engine.GetSetupValue(QStringLiteral("RichText"), value));
    EXPECT_EQ(value, QStringLiteral("1"));
    RowBuffer row;
    FieldValue text;
    ASSERT_TRUE(p.db.ReadRow(TopicId::Documents, 1, row, true));
    ASSERT_TRUE(row.GetFieldValue(DocumentField::Text, text));
    EXPECT_EQ(text.GetBlob()->size(), 308);
    row.Release();
    p.Close();

    // The same dictionary, topics and columns as a new file, apart from the
    // user's own fields.
    EXPECT_EQ(DictionaryOf(path, false), DictionaryOf(fresh));
    for (const schema::Table& table : schema::Tables()) {
        QStringList columns = ColumnsOf(path, QString::fromLatin1(table.name));
        columns.removeAll(QStringLiteral("Age"));
        columns.removeAll(QStringLiteral("Rank"));
        EXPECT_EQ(columns.join(u',').toStdString(), ColumnsOf(fresh, QString::fromLatin1(table.name)).join(u',').toStdString());
    }
}

std::vector<std::string> OlderVersions()
{
    std::vector<std::string> versions;
    for (const QString& version : kVersions.mid(0, kVersions.size() - 1))
        versions.push_back(version.toStdString());
    return versions;
}

INSTANTIATE_TEST_SUITE_P(EveryOlderVersion, OldProjectFile, ::testing::ValuesIn(OlderVersions()),
                         [](const ::testing::TestParamInfo<std::string>& info) { return "v" + info.param; });

TEST(SchemaUpgradeFailure, AFailedStepLeavesTheFileAsItWas)
{
    testutil::TempDir dir;
    const QString path = dir.file(QStringLiteral("old.kv4"));
    BuildOldProject(path, QStringLiteral("100101"));
    // Step 100121 adds columns to two tables; the second is in the way.
    ASSERT_TRUE(ExecOnFile(path, {QStringLiteral("ALTER TABLE [Texts] ADD COLUMN [ExtLink2] TEXT;")}));
    const QList<QVariantList> codingsBefore = QueryFile(path, QStringLiteral("SELECT * FROM [Codings];"));
    const std::string dictionaryBefore = DictionaryOf(path);
    {
        ProjectDataEngine engine;
        EXPECT_FALSE(engine.Open(path));
        EXPECT_EQ(engine.LastErrorKind(), EngineError::CannotUpgrade);
        EXPECT_TRUE(engine.LastError().contains(QStringLiteral("100101"))) << engine.LastError().toStdString();
        EXPECT_FALSE(engine.IsOpen());
    }
    EXPECT_EQ(QueryValue(path, QStringLiteral("SELECT [Value] FROM [sys_Setup] WHERE [Key]='DataEngine';")).toString(),
              QStringLiteral("100101"));
    EXPECT_EQ(QueryFile(path, QStringLiteral("SELECT * FROM [Codings];")), codingsBefore);
    EXPECT_EQ(DictionaryOf(path), dictionaryBefore);
    EXPECT_TRUE(ColumnsOf(path, QStringLiteral("Codings")).contains(QStringLiteral("Comment")));
    EXPECT_FALSE(ColumnsOf(path, QStringLiteral("Codings")).contains(QStringLiteral("CommentL")));

    // Once the obstacle is gone the same file upgrades.
    ASSERT_TRUE(ExecOnFile(path, {QStringLiteral("ALTER TABLE [Texts] DROP COLUMN [ExtLink2];")}));
    Project p;
    ASSERT_TRUE(p.Open(path)) << p.engine.LastError().toStdString();
    EXPECT_EQ(TextOf(p.db, TopicId::Codings, 1, 14), QStringLiteral("it's a comment"));
}

TEST(SchemaUpgradeFailure, AnUnknownVersionIsRefusedUntouched)
{
    testutil::TempDir dir;
    const QString path = dir.file(QStringLiteral("future.kv4"));
    BuildOldProject(path, QStringLiteral("100829"));
    ASSERT_TRUE(ExecOnFile(path, {QStringLiteral("UPDATE [sys_Setup] SET [Value]='999999' WHERE [Key]='DataEngine';")}));
    const QByteArray before = testutil::ReadFile(path);
    ProjectDataEngine engine;
    EXPECT_FALSE(engine.Open(path));
    EXPECT_EQ(engine.LastErrorKind(), EngineError::CannotUpgrade);
    EXPECT_TRUE(engine.LastError().contains(QStringLiteral("999999")));
    EXPECT_EQ(testutil::ReadFile(path), before);

    // A file without a version row is no project.
    ASSERT_TRUE(ExecOnFile(path, {QStringLiteral("DELETE FROM [sys_Setup] WHERE [Key]='DataEngine';")}));
    EXPECT_FALSE(engine.Open(path));
    EXPECT_EQ(engine.LastErrorKind(), EngineError::NotAProject);
}
