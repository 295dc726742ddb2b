#pragma once

// A small real data engine for the store's tests: topics in an SQLite file
// through the database layer, with the topic rows, field dictionary and
// records that the tables need, and switches that make writes fail.

#include "common/stubdataengine.h"
#include "platform/dao/database.h"
#include "platform/dao/recordset.h"
#include "store/fieldvalue.h"
#include "store/projectschema.h"
#include "store/rowbuffer.h"
#include "store/topicdatabase.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace storetest {

struct FieldSpec {
    qint32 id;
    const char* name;
    const char* source;  // null: the name
    qint32 type;
    qint32 state;
    qint32 parentTopic = 0;
    const char* defaultValue = "";
};

struct TopicSpec {
    qint32 id;
    const char* table;
    const char* sortField;
    const char* nameFormat;
    const char* fullNameFormat;
    const char* annotationFormat;
    QList<FieldSpec> fields;
};

// A cut-down project: groups, documents, codes (with parent codes), codings
// and memos, with the references, templates and orders of the real schema.
inline QList<TopicSpec> ProjectTopics()
{
    using namespace FieldType;
    return {
        {TopicId::DocumentGroups, "Textgroups", "Index", "$3", "$3", "$3",
         {{0, "ID", nullptr, Integer, 9}, {1, "Index", nullptr, Integer, 9}, {2, "State", nullptr, Integer, 9},
          {3, "Name", nullptr, ShortText, 1}, {4, "MemoID", nullptr, Integer, 9}}},
        {TopicId::Documents, "Texts", "Index", "$6", "$2;\\;$6", "$2;\\;$6",
         {{0, "ID", nullptr, Integer, 9}, {1, "Index", nullptr, Integer, 9},
          {2, "Group", "GroupID", Integer, 1, TopicId::DocumentGroups}, {3, "State", nullptr, Integer, 9},
          {4, "Type", nullptr, Integer, 33}, {5, "Text", nullptr, Blob, 9}, {6, "Name", nullptr, ShortText, 1},
          {7, "Date", nullptr, DateTime, 1}, {8, "Codes", nullptr, Integer, 1}}},
        {TopicId::Codes, "Codewords", "Index", "$5", "$2;\\;$5", "$2;\\;$5",
         {{0, "ID", nullptr, Integer, 9}, {1, "Index", nullptr, Integer, 1},
          {2, "Parent", "WordID", Integer, 1, TopicId::Codes}, {3, "State", nullptr, Integer, 9},
          {4, "Type", nullptr, Integer, 33}, {5, "Name", nullptr, ShortText, 1}, {6, "MemoID", nullptr, Integer, 9},
          {7, "Codes", nullptr, Integer, 1}}},
        {TopicId::Codings, "Codings", "ID", "$4", "$4", "$4;&[;$9;]",
         {{0, "ID", nullptr, Integer, 9}, {1, "TAID", nullptr, Integer, 9}, {2, "Type", nullptr, Integer, 33},
          {3, "Text", "TextID", Integer, 1, TopicId::Documents}, {4, "Codeword", "WordID", Integer, 1, TopicId::Codes},
          {5, "StartChar", nullptr, Integer, 9}, {6, "FinishChar", nullptr, Integer, 9},
          {7, "Start", "StartPara", Integer, 1}, {8, "Finish", "FinishPara", Integer, 1},
          {9, "Weight", nullptr, Integer, 65, 0, "0"}, {10, "Preview", nullptr, ShortText, 1},
          {11, "Text", nullptr, Blob, 9}, {12, "Author", nullptr, ShortText, 1}, {13, "Date", nullptr, DateTime, 1},
          {14, "Comment", "CommentL", Text, 65}, {15, "Group", "GroupID", Integer, 1, TopicId::DocumentGroups}}},
        {TopicId::Memos, "Memos", "ID", "", "", "$8",
         {{0, "ID", nullptr, Integer, 9}, {1, "GroupID", nullptr, Integer, 1, TopicId::DocumentGroups},
          {2, "Text", "TextID", Integer, 1, TopicId::Documents}, {4, "Codeword", "WordID", Integer, 1, TopicId::Codes},
          {8, "Title", nullptr, ShortText, 1}, {11, "Text", nullptr, Blob, 9}}},
    };
}

inline FieldDescriptor DescriptorOf(const FieldSpec& field)
{
    return FieldDescriptor::FromFieldRecord(field.id, QString::fromLatin1(field.name),
                                            QString::fromLatin1(field.source ? field.source : field.name), field.type,
                                            field.state, field.parentTopic, QString::fromLatin1(field.defaultValue), 0);
}

/// A table of the database filled from a spec, in memory only.
inline TopicTable* AddTopic(TopicDatabase& database, const TopicSpec& topic)
{
    TopicTable* table = database.CreateTable(topic.id);
    table->SetName(QString::fromLatin1(topic.table));
    table->SetSource(QString::fromLatin1(topic.table));
    table->SetSortField(QString::fromLatin1(topic.sortField));
    table->ParseDisplayTemplate(QString::fromLatin1(topic.nameFormat), 1);
    table->ParseDisplayTemplate(QString::fromLatin1(topic.fullNameFormat), 2);
    table->ParseDisplayTemplate(QString::fromLatin1(topic.annotationFormat), 3);
    for (const FieldSpec& field : topic.fields)
        EXPECT_TRUE(table->AddField(DescriptorOf(field))) << table->LastError().toStdString();
    return table;
}

/// Adds and commits a row with values typed by field id; the new key, or
/// 0 when the row could not be added or committed.
inline qint32 AddObject(TopicDatabase& database, qint32 topic, qint32 key,
                        std::initializer_list<std::pair<qint32, QString>> values)
{
    RowBuffer row;
    if (!database.AddRow(topic, row, key))
        return 0;
    for (const auto& [id, text] : values) {
        FieldValue value;
        EXPECT_TRUE(row.GetFieldValue(id, value)) << id;
        value.Parse(text);
    }
    const qint32 added = row.GetKey();
    return row.Commit(false, false) ? added : 0;
}

/// A field of a stored row as text.
inline QString TextOf(TopicDatabase& database, qint32 topic, qint32 key, qint32 fieldId)
{
    RowBuffer row;
    FieldValue value;
    if (!database.ReadRow(topic, key, row, false) || !row.GetFieldValue(fieldId, value))
        return QStringLiteral("<absent>");
    return value.Format();
}

/// Writes the system tables and the topic tables of the specs.
inline bool CreateProject(dao::Database& db, const QList<TopicSpec>& topics)
{
    dao::Transaction transaction(db);
    bool ok = db.CreateTable(schema::TableDefOf(*schema::FindTable("sys_Topics"))) &&
              db.CreateTable(schema::TableDefOf(*schema::FindTable("sys_Fields")));
    for (const TopicSpec& topic : topics) {
        const QString table = QString::fromLatin1(topic.table);
        ok = ok && db.Execute(QStringLiteral("INSERT INTO [sys_Topics] VALUES(?,?,?,?,?,?,?);"),
                              {topic.id, table, table, QString::fromLatin1(topic.sortField),
                               QString::fromLatin1(topic.nameFormat), QString::fromLatin1(topic.fullNameFormat),
                               QString::fromLatin1(topic.annotationFormat)});
        dao::TableDef definition{table, {}, {{QStringLiteral("ID"), {QStringLiteral("ID")}}}};
        for (const FieldSpec& field : topic.fields) {
            const QString source = QString::fromLatin1(field.source ? field.source : field.name);
            definition.fields.append({source, schema::ColumnTypeOf(field.type)});
            ok = ok && db.Execute(QStringLiteral("INSERT INTO [sys_Fields] VALUES(?,?,?,?,?,?,?,?,?);"),
                                  {topic.id, field.id, QString::fromLatin1(field.name), source, field.type,
                                   field.state, field.parentTopic, QString::fromLatin1(field.defaultValue), 0});
        }
        ok = ok && db.CreateTable(definition);
    }
    return ok && transaction.Commit();
}

/// The engine. Writes count down failAfter (when not negative) and fail
/// once it reaches 0, without touching the file.
class SqliteTestEngine : public testutil::SqliteRowsEngine {
public:
    int failAfter = -1;
    int writeRecordCalls = 0;
    int fullWrites = 0;
    QStringList loadErrors;  // values that did not fit, left at zero by LoadTopic

    bool LoadTopic(TopicTable& table) override
    {
        table.Reset();
        table.SetListener(this);
        dao::Recordset rs(db);
        if (!rs.Open(QStringLiteral("SELECT * FROM [sys_Topics] WHERE [ID]=?;"), {table.GetTopicId()}) || rs.IsEOF())
            return false;
        table.SetName(rs.GetValue(QStringLiteral("Name")).toString());
        table.SetSource(rs.GetValue(QStringLiteral("Source")).toString());
        table.SetSortField(rs.GetValue(QStringLiteral("SortField")).toString());
        table.ParseDisplayTemplate(rs.GetValue(QStringLiteral("NameFormat")).toString(), 1);
        table.ParseDisplayTemplate(rs.GetValue(QStringLiteral("FullNameFormat")).toString(), 2);
        table.ParseDisplayTemplate(rs.GetValue(QStringLiteral("AnnotationFormat")).toString(), 3);
        if (!rs.Open(QStringLiteral("SELECT * FROM [sys_Fields] WHERE [TopicID]=? ORDER BY [ID];"),
                     {table.GetTopicId()}))
            return false;
        for (; !rs.IsEOF(); rs.MoveNext()) {
            table.AddField(FieldDescriptor::FromFieldRecord(
                rs.GetValue(QStringLiteral("ID")).toInt(), rs.GetValue(QStringLiteral("Name")).toString(),
                rs.GetValue(QStringLiteral("Source")).toString(), rs.GetValue(QStringLiteral("Type")).toInt(),
                rs.GetValue(QStringLiteral("State")).toInt(), rs.GetValue(QStringLiteral("ParentTopicID")).toInt(),
                rs.GetValue(QStringLiteral("DefaultValue")).toString(),
                rs.GetValue(QStringLiteral("Categorial")).toInt()));
        }
        const QString sort = table.GetSortField();
        QString order = QStringLiteral("[ID]");
        if (!sort.isEmpty() && sort.compare(QStringLiteral("ID"), Qt::CaseInsensitive) != 0)
            order = dao::QuoteName(sort) + QStringLiteral(",[ID]");
        if (!rs.Open(QStringLiteral("SELECT * FROM %1 ORDER BY %2;").arg(dao::QuoteName(table.GetSource()), order)))
            return false;
        for (; !rs.IsEOF(); rs.MoveNext()) {
            RowBuffer row;
            table.InitRowBuffer(row);
            for (int i = 0; i < row.GetFieldCount(); ++i) {
                FieldValue value;
                QString error;
                if (row.GetFieldValueByIndex(i, value) && value.Type != FieldType::Blob &&
                    !value.FromColumnValue(rs.GetValue(value.Source), &error))
                    loadErrors.append(error);
            }
            table.AppendRow(row, 0);
        }
        table.RebuildIndexes();
        return true;
    }

    bool WriteRecord(RowBuffer& row, bool withBlobs, bool full) override
    {
        ++writeRecordCalls;
        fullWrites += full ? 1 : 0;
        if (Refuse())
            return false;
        dao::Recordset rs(db);
        if (!rs.OpenTable(row.GetTableSource(), QStringLiteral("%1=?").arg(dao::QuoteName(row.GetKeyColumn())),
                          {row.GetKey()}))
            return false;
        if (!(rs.IsEOF() ? rs.AddNew() : rs.Edit()))
            return false;
        for (int i = 0; i < row.GetFieldCount(); ++i) {
            FieldValue value;
            QVariant stored;
            row.GetFieldValueByIndex(i, value);
            if ((value.Type == FieldType::Blob && !withBlobs) || !value.ToColumnValue(stored))
                continue;
            if (!rs.SetValue(value.Source, stored))
                return false;
        }
        return rs.Update();
    }

    bool WriteFieldValue(TopicTable& table, qint32 key, const FieldValue& value) override
    {
        if (Refuse())
            return false;
        QVariant stored;
        const FieldDescriptor* keyField = table.Fields().GetById(0);
        dao::Recordset rs(db);
        return value.ToColumnValue(stored) &&
               rs.OpenTable(table.GetSource(), QStringLiteral("%1=?").arg(dao::QuoteName(keyField->Source)), {key}) &&
               !rs.IsEOF() && rs.Edit() && rs.SetValue(value.Source, stored) && rs.Update();
    }

    bool DeleteObject(TopicTable& table, qint32 key) override
    {
        if (Refuse())
            return false;
        return db.Execute(QStringLiteral("DELETE FROM %1 WHERE %2=?;")
                              .arg(dao::QuoteName(table.GetSource()),
                                   dao::QuoteName(table.Fields().GetById(0)->Source)),
                          {key});
    }

    bool ReadRecord(RowBuffer& row) override
    {
        dao::Recordset rs(db);
        if (!rs.OpenTable(row.GetTableSource(), QStringLiteral("%1=?").arg(dao::QuoteName(row.GetKeyColumn())),
                          {row.GetKey()}))
            return false;
        for (int i = 0; !rs.IsEOF() && i < row.GetFieldCount(); ++i) {
            FieldValue value;
            if (row.GetFieldValueByIndex(i, value) && value.Type == FieldType::Blob)
                value.FromColumnValue(rs.GetValue(value.Source));
        }
        return true;
    }

    bool AddField(TopicTable& table, const FieldDescriptor& field) override
    {
        if (Refuse())
            return false;
        return db.AddColumn(table.GetSource(), {field.Source, schema::ColumnTypeOf(field.Type)}) &&
               db.Execute(QStringLiteral("INSERT INTO [sys_Fields] VALUES(?,?,?,?,?,?,?,?,?);"),
                          {table.GetTopicId(), field.ID, field.Name, field.Source, field.Type, field.State,
                           field.ParentTopicID, field.DefaultValue, field.Categorial});
    }

    bool SetFieldProperties(qint32 topicId, qint32 fieldId, const QString& text, int which) override
    {
        if (Refuse())
            return false;
        const char* column[] = {"Name", "DefaultValue", "Categorial"};
        const QVariant value = which == 2 ? QVariant(text.toInt() != 0 ? 1 : 0) : QVariant(text);
        return db.Execute(QStringLiteral("UPDATE [sys_Fields] SET [%1]=? WHERE [TopicID]=? AND [ID]=?;")
                              .arg(QLatin1String(column[which])),
                          {value, topicId, fieldId});
    }

    bool SetFieldType(qint32 topicId, qint32 fieldId, qint32 type) override
    {
        if (Refuse())
            return false;
        return db.Execute(QStringLiteral("UPDATE [sys_Fields] SET [Type]=?,[Categorial]=0 WHERE [TopicID]=? AND [ID]=?;"),
                          {type, topicId, fieldId});
    }

    bool DeleteField(TopicTable& table, const FieldDescriptor& field) override
    {
        if (Refuse())
            return false;
        return db.Execute(QStringLiteral("DELETE FROM [sys_Fields] WHERE [TopicID]=? AND [ID]=?;"),
                          {table.GetTopicId(), field.ID}) &&
               db.DropColumn(table.GetSource(), field.Source);
    }

    /// Rows of a table in the file.
    int CountRows(const QString& table, const QString& where = {}, const QVariantList& values = {})
    {
        dao::Recordset rs(db);
        const QString sql = QStringLiteral("SELECT count(*) AS n FROM %1%2;")
                                .arg(dao::QuoteName(table), where.isEmpty() ? QString() : QStringLiteral(" WHERE ") + where);
        EXPECT_TRUE(rs.Open(sql, values)) << db.LastError().toStdString();
        return rs.GetValue(QStringLiteral("n")).toInt();
    }

private:
    bool Refuse()
    {
        if (failAfter < 0)
            return false;
        if (failAfter == 0)
            return true;
        --failAfter;
        return false;
    }
};

}  // namespace storetest
