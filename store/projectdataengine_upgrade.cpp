// The schema upgrade chain: each step turns one dated schema version into
// the next. A step runs in one transaction with the write of its version,
// so a failed step leaves the file exactly as the step found it.

#include "store/projectdataengine.h"

#include "platform/dao/recordset.h"
#include "store/compressedblob.h"
#include "store/projectschema.h"
#include "store/storeids.h"

#include <algorithm>

class SchemaUpgrade {
public:
    explicit SchemaUpgrade(dao::Database& db) : m_db(db) {}

    struct Step {
        const char* from;
        const char* to;
        bool (SchemaUpgrade::*run)();
    };
    static const Step* FindStep(const QString& from);

    bool UpgradeTo020524();
    bool UpgradeTo020905();
    bool UpgradeTo030419();
    bool UpgradeTo040328();
    bool UpgradeTo050829();
    bool UpgradeTo060909();
    bool UpgradeTo061229();
    bool UpgradeTo080302();
    bool UpgradeTo090101();
    bool UpgradeTo090827();
    bool UpgradeTo090909();
    bool UpgradeTo091031();
    bool UpgradeTo100101();
    bool UpgradeTo100121();
    bool UpgradeTo100206();
    bool UpgradeTo100526();
    bool UpgradeTo100806();
    bool UpgradeTo100813();
    bool UpgradeTo100829();

    bool SetVersion(const char* version)
    {
        return m_db.Execute(QStringLiteral("UPDATE [sys_Setup] SET [Value]=? WHERE [Key]=?;"),
                            {QString::fromLatin1(version), QString::fromLatin1(schema::kVersionKey)});
    }

private:
    bool Sql(const char* sql, const QVariantList& values = {})
    {
        return m_db.Execute(QString::fromLatin1(sql), values);
    }

    bool AddColumns(const char* table, const QList<schema::Column>& columns)
    {
        for (const schema::Column& column : columns) {
            if (!m_db.AddColumn(QString::fromLatin1(table), schema::FieldDefOf(column)))
                return false;
        }
        return true;
    }

    bool AddField(const schema::FieldRow& field)
    {
        return m_db.Execute(QStringLiteral("INSERT INTO [sys_Fields]([TopicID],[ID],[Name],[Source],[Type],[State],"
                                           "[ParentTopicID]) VALUES(?,?,?,?,?,?,?);"),
                            {field.topic, field.id, QString::fromLatin1(field.name), field.Source(), field.type,
                             field.state, field.parentTopic});
    }

    /// Each field's row, and its column in the topic's table.
    bool AddFieldsWithColumns(const QList<schema::FieldRow>& fields)
    {
        for (const schema::FieldRow& field : fields) {
            if (!AddColumns(schema::FindTopic(field.topic)->table, {field.AsColumn()}) || !AddField(field))
                return false;
        }
        return true;
    }

    /// The field rows of a topic as a new file has them.
    bool AddFieldsOf(qint32 topic)
    {
        for (const schema::FieldRow& field : schema::FieldRows()) {
            if (field.topic == topic && !AddField(field))
                return false;
        }
        return true;
    }

    bool AddTopic(qint32 id)
    {
        const schema::TopicRow* topic = schema::FindTopic(id);
        const QString table = QString::fromLatin1(topic->table);
        return m_db.Execute(QStringLiteral("INSERT INTO [sys_Topics]([ID],[Name],[Source],[SortField],[NameFormat],"
                                           "[FullNameFormat],[AnnotationFormat]) VALUES(?,?,?,?,?,?,?);"),
                            {topic->id, table, table, QString::fromLatin1(topic->sortField),
                             QString::fromLatin1(topic->nameFormat), QString::fromLatin1(topic->fullNameFormat),
                             QString::fromLatin1(topic->annotationFormat)});
    }

    bool HasTopic(qint32 id)
    {
        dao::Recordset rs(m_db);
        return rs.Open(QStringLiteral("SELECT 1 FROM [sys_Topics] WHERE [ID]=?;"), {id}) && !rs.IsEOF();
    }

    /// A table of a new file, created as it is there.
    bool NewTable(const char* name)
    {
        return m_db.CreateTable(schema::TableDefOf(*schema::FindTable(name)));
    }

    bool HasTable(const char* name)
    {
        return m_db.GetTableNames().contains(QString::fromLatin1(name), Qt::CaseInsensitive);
    }

    bool SetupText(const char* key, QString& value)
    {
        dao::Recordset rs(m_db);
        if (!rs.Open(QStringLiteral("SELECT [Value] FROM [sys_Setup] WHERE [Key]=? ORDER BY rowid LIMIT 1;"),
                     {QString::fromLatin1(key)}))
            return false;
        value = rs.IsEOF() ? QString() : rs.GetValue(0).toString();
        return true;
    }

    dao::Database& m_db;
};

using namespace FieldType;
using namespace TopicId;

namespace {

const SchemaUpgrade::Step kSteps[] = {
    {"010406", "020524", &SchemaUpgrade::UpgradeTo020524}, {"020524", "020905", &SchemaUpgrade::UpgradeTo020905},
    {"020905", "030419", &SchemaUpgrade::UpgradeTo030419}, {"030419", "040328", &SchemaUpgrade::UpgradeTo040328},
    {"040328", "050829", &SchemaUpgrade::UpgradeTo050829}, {"050829", "060909", &SchemaUpgrade::UpgradeTo060909},
    {"060909", "061229", &SchemaUpgrade::UpgradeTo061229}, {"061229", "080302", &SchemaUpgrade::UpgradeTo080302},
    {"080302", "090101", &SchemaUpgrade::UpgradeTo090101}, {"090101", "090827", &SchemaUpgrade::UpgradeTo090827},
    {"090827", "090909", &SchemaUpgrade::UpgradeTo090909}, {"090909", "091031", &SchemaUpgrade::UpgradeTo091031},
    {"091031", "100101", &SchemaUpgrade::UpgradeTo100101}, {"100101", "100121", &SchemaUpgrade::UpgradeTo100121},
    {"100121", "100206", &SchemaUpgrade::UpgradeTo100206}, {"100206", "100526", &SchemaUpgrade::UpgradeTo100526},
    {"100526", "100806", &SchemaUpgrade::UpgradeTo100806}, {"100806", "100813", &SchemaUpgrade::UpgradeTo100813},
    {"100813", "100829", &SchemaUpgrade::UpgradeTo100829},
};

}  // namespace

const SchemaUpgrade::Step* SchemaUpgrade::FindStep(const QString& from)
{
    for (const Step& step : kSteps) {
        if (from == QLatin1String(step.from))
            return &step;
    }
    return nullptr;
}

bool ProjectDataEngine::CanUpgradeFrom(const QString& version)
{
    QString at = version;
    // Every step moves forward, so the walk ends.
    while (at != QLatin1String(schema::kCurrentVersion)) {
        const SchemaUpgrade::Step* step = SchemaUpgrade::FindStep(at);
        if (!step)
            return false;
        at = QLatin1String(step->to);
    }
    return true;
}

bool ProjectDataEngine::UpgradeSchema()
{
    SchemaUpgrade upgrade(m_db);
    while (m_version != QLatin1String(schema::kCurrentVersion)) {
        const SchemaUpgrade::Step* step = SchemaUpgrade::FindStep(m_version);
        if (!step)
            return FailText(StoreText::CannotUpgrade, EngineError::CannotUpgrade, m_version);
        dao::Transaction transaction(m_db);
        if (!transaction.IsActive() || !(upgrade.*step->run)() || !upgrade.SetVersion(step->to) ||
            !transaction.Commit())
            return FailText(StoreText::CannotUpgrade, EngineError::CannotUpgrade,
                            QStringLiteral("%1 (%2)").arg(m_version, m_db.LastError()));
        m_version = QLatin1String(step->to);
    }
    return true;
}

bool SchemaUpgrade::UpgradeTo020524()
{
    return NewTable("sys_Values");
}

bool SchemaUpgrade::UpgradeTo020905()
{
    return Sql("INSERT INTO [sys_Setup]([Key],[Value]) VALUES(?,'1');", {QString::fromLatin1(schema::kRichTextKey)});
}

bool SchemaUpgrade::UpgradeTo030419()
{
    return AddFieldsWithColumns({{Codes, 9, "Author", nullptr, ShortText, 1, 0},
                                 {Codes, 10, "Date", nullptr, DateTime, 1, 0},
                                 {Codes, 11, "Variable", nullptr, Integer, 9, 0},
                                 {Codings, 12, "Author", nullptr, ShortText, 1, 0},
                                 {Codings, 13, "Date", nullptr, DateTime, 1, 0}}) &&
           // Memo fields make room for the three new owner fields: 1 -> 2,
           // 2 -> 4, above 2 up by 3.
           Sql("UPDATE [sys_Fields] SET [ID]=CASE WHEN [ID]>2 THEN [ID]+3 WHEN [ID]=2 THEN 4 WHEN [ID]=1 THEN 2 "
               "ELSE [ID] END WHERE [TopicID]=?;",
               {Memos}) &&
           AddFieldsWithColumns({{Memos, 1, "GroupID", nullptr, Integer, 1, DocumentGroups},
                                 {Memos, 3, "Paragraph", nullptr, Integer, 1, 0},
                                 {Memos, 5, "SetID", nullptr, Integer, 1, DocumentSets}}) &&
           Sql("UPDATE [sys_Fields] SET [State]=1 WHERE [TopicID]=? AND [ID]=9;", {Memos}) &&
           // Document user fields move up by 4 for the new built-in fields.
           Sql("UPDATE [sys_Fields] SET [ID]=[ID]+4 WHERE [TopicID]=? AND [ID]>8;", {Documents}) &&
           Sql("UPDATE [sys_Values] SET [FieldID]=[FieldID]+4 WHERE [TopicID]=? AND [FieldID]>8;", {Documents}) &&
           AddFieldsWithColumns({{Documents, 9, "Memos", nullptr, Integer, 1, 0},
                                 {Documents, 10, "MemoID", nullptr, Integer, 9, 0},
                                 {Documents, 11, "Author", nullptr, ShortText, 1, 0},
                                 {Documents, 12, "Size", nullptr, Integer, 1, 0},
                                 {DocumentGroups, 4, "MemoID", nullptr, Integer, 9, 0},
                                 {DocumentSets, 4, "MemoID", nullptr, Integer, 9, 0}}) &&
           // The links table starts with its key; its other columns come with their fields.
           m_db.CreateTable({QStringLiteral("Links"),
                             {{QStringLiteral("ID"), dao::ColumnType::Integer}},
                             {{QStringLiteral("ID"), {QStringLiteral("ID")}}}}) &&
           AddField({Links, 0, "ID", nullptr, Integer, 9, 0}) &&
           AddFieldsWithColumns({{Links, 1, "TextID", nullptr, Integer, 9, Documents},
                                 {Links, 2, "StartChar", nullptr, Integer, 9, 0},
                                 {Links, 3, "FinishChar", nullptr, Integer, 9, 0},
                                 {Links, 4, "LinkID", nullptr, Integer, 9, Links},
                                 {Links, 5, "Text", nullptr, Blob, 9, 0}}) &&
           // The topic row without which links never load.
           (HasTopic(Links) || AddTopic(Links));
}

bool SchemaUpgrade::UpgradeTo040328()
{
    return AddFieldsWithColumns({{Codings, 14, "Comment", nullptr, ShortText, 65, 0}});
}

bool SchemaUpgrade::UpgradeTo050829()
{
    // A file may hold the models table already (its "MOD" row says so).
    return HasTable("sys_Models") || NewTable("sys_Models");
}

bool SchemaUpgrade::UpgradeTo060909()
{
    return AddFieldsWithColumns({{Codings, 15, "Group", "GroupID", Integer, 1, DocumentGroups}}) &&
           Sql("UPDATE [Codings] SET [GroupID]=(SELECT [Texts].[GroupID] FROM [Texts] WHERE "
               "[Texts].[ID]=[Codings].[TextID]) WHERE EXISTS (SELECT 1 FROM [Texts] WHERE "
               "[Texts].[ID]=[Codings].[TextID]);");
}

bool SchemaUpgrade::UpgradeTo061229()
{
    return NewTable("Wordsets") && AddTopic(CodeSets) && AddFieldsOf(CodeSets) && NewTable("Wordlinks") &&
           AddTopic(CodeSetMembers) && AddFieldsOf(CodeSetMembers);
}

bool SchemaUpgrade::UpgradeTo080302()
{
    // The project log moves from the text column into the data column. It
    // is RTF, which is 8-bit text: one byte per unit, or UTF-8 when a unit
    // does not fit a byte.
    QString log;
    if (!AddColumns("sys_Setup", {{"Data", Blob}}) || !SetupText(schema::kLogKey, log))
        return false;
    const bool narrow = std::all_of(log.cbegin(), log.cend(), [](QChar c) { return c.unicode() < 0x100; });
    QByteArray bytes = narrow ? log.toLatin1() : log.toUtf8();
    while (bytes.endsWith('\0'))
        bytes.chop(1);
    const QVariant data = StoredBlobValue(bytes);
    const QString key = QString::fromLatin1(schema::kLogKey);
    if (!Sql("UPDATE [sys_Setup] SET [Data]=? WHERE [Key]=?;", {data, key}))
        return false;
    return m_db.GetRecordsAffected() > 0 || Sql("INSERT INTO [sys_Setup]([Key],[Data]) VALUES(?,?);", {key, data});
}

bool SchemaUpgrade::UpgradeTo090101()
{
    return Sql("UPDATE [sys_Fields] SET [ID]=[ID]+100000000 WHERE [TopicID]=? AND [ID]>=13;", {Documents}) &&
           Sql("UPDATE [sys_Values] SET [FieldID]=[FieldID]+100000000 WHERE [TopicID]=? AND [FieldID]>=13;",
               {Documents}) &&
           AddFieldsWithColumns({{Documents, 13, "DocType", nullptr, Integer, 9, 0},
                                 {Documents, 14, "MediaFile", nullptr, Text, 9, 0}}) &&
           NewTable("MediaMarks") && AddTopic(MediaMarks) && AddFieldsOf(MediaMarks);
}

bool SchemaUpgrade::UpgradeTo090827()
{
    return AddFieldsWithColumns({{Codings, 16, "PosX1", nullptr, Integer, 9, 0},
                                 {Codings, 17, "PosX2", nullptr, Integer, 9, 0},
                                 {Codings, 18, "Page", nullptr, Integer, 1, 0}}) &&
           Sql("UPDATE [Codings] SET [Page]=1;");
}

bool SchemaUpgrade::UpgradeTo090909()
{
    return AddFieldsWithColumns({{Memos, 14, "Page", nullptr, Integer, 1, 0},
                                 {Documents, 15, "ScaleFactor", nullptr, Real, 9, 0}}) &&
           Sql("UPDATE [Memos] SET [Page]=1;");
}

bool SchemaUpgrade::UpgradeTo091031()
{
    return AddFieldsWithColumns({{Links, 6, "PosX1", nullptr, Integer, 9, 0},
                                 {Links, 7, "PosX2", nullptr, Integer, 9, 0},
                                 {Links, 8, "Page", nullptr, Integer, 9, 0}}) &&
           Sql("UPDATE [Links] SET [Page]=1;");
}

bool SchemaUpgrade::UpgradeTo100101()
{
    static const char* const kViewFields[] = {"CodesWndWidth", "ScrollPosPage", "ScrollPosX", "ScrollPosY", "SelPage",
                                              "SelX1",         "SelY1",         "SelX2",      "SelY2"};
    qint32 id = 16;
    for (const char* name : kViewFields) {
        if (!AddFieldsWithColumns({{Documents, id++, name, nullptr, Integer, 9, 0}}))
            return false;
    }
    return true;
}

bool SchemaUpgrade::UpgradeTo100121()
{
    return AddColumns("Codings", {{"CommentL", Text}}) &&
           Sql("UPDATE [sys_Fields] SET [Source]='CommentL', [Type]=? WHERE [TopicID]=? AND [ID]=14;",
               {Text, Codings}) &&
           Sql("UPDATE [Codings] SET [CommentL]=[Comment];") &&
           m_db.DropColumn(QStringLiteral("Codings"), QStringLiteral("Comment")) &&
           AddFieldsWithColumns({{Documents, 25, "ExtLink1", nullptr, Text, 9, 0},
                                 {Documents, 26, "ExtLink2", nullptr, Text, 9, 0},
                                 {Documents, 27, "ExtLink3", nullptr, Text, 9, 0}});
}

bool SchemaUpgrade::UpgradeTo100206()
{
    return AddFieldsWithColumns({{Memos, 15, "Source", nullptr, Integer, 1, 0}});
}

bool SchemaUpgrade::UpgradeTo100526()
{
    return AddColumns("Texts", {{"MediaFileX", LongText}}) &&
           Sql("UPDATE [sys_Fields] SET [Source]='MediaFileX' WHERE [TopicID]=? AND [ID]=14;", {Documents}) &&
           Sql("UPDATE [Texts] SET [MediaFileX]=[MediaFile],[ScrollPosX]=0,[ScrollPosY]=0,[SelPage]=0,[SelX1]=0,"
               "[SelY1]=0,[SelX2]=0,[SelY2]=0;") &&
           m_db.DropColumn(QStringLiteral("Texts"), QStringLiteral("MediaFile"));
}

bool SchemaUpgrade::UpgradeTo100806()
{
    return Sql("UPDATE [sys_Fields] SET [ID]=[ID]+100000000 WHERE [TopicID]=? AND [ID]>=12;", {Codes}) &&
           Sql("UPDATE [sys_Values] SET [FieldID]=[FieldID]+100000000 WHERE [TopicID]=? AND [FieldID]>=12;",
               {Codes}) &&
           AddColumns("sys_Fields", {{"DefaultValue", LongText}, {"Categorial", Integer}}) &&
           AddFieldsWithColumns({{Codes, 12, "CatVariable", nullptr, Integer, 9, 0}});
}

bool SchemaUpgrade::UpgradeTo100813()
{
    return Sql("UPDATE [sys_Fields] SET [Categorial]=1 WHERE [Type]=2 OR [Type]=3 OR [Type]=8 OR [Type]=9;");
}

bool SchemaUpgrade::UpgradeTo100829()
{
    return AddFieldsWithColumns({{Codings, 19, "IsText", nullptr, Boolean, 5, 0},
                                 {Codings, 20, "Area", nullptr, Integer, 5, 0},
                                 {Codings, 21, "Coverage", nullptr, Real, 5, 0},
                                 {Links, 9, "IsText", nullptr, Boolean, 5, 0}}) &&
           // Fields added after the categorial flags were set get theirs; a
           // user's "not categorial" is 0, never NULL, and stays.
           Sql("UPDATE [sys_Fields] SET [Categorial]=1 WHERE [Categorial] IS NULL AND [Type] IN (2,3,8,9);") &&
           Sql("UPDATE [Codings] SET [IsText]=1 WHERE EXISTS (SELECT 1 FROM [Texts] WHERE "
               "[Texts].[ID]=[Codings].[TextID] AND ([Texts].[DocType] IS NULL OR [Texts].[DocType]<2));");
}
