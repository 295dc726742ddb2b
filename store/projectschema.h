#pragma once

// The tables, topics and field dictionary of a project file of the current
// schema, as data: the schema creation writes them, and the upgrade steps
// take from them what a step adds.

#include "platform/dao/database.h"

#include <QList>
#include <QString>

namespace schema {

/// The schema version a project file is brought to.
inline constexpr char kCurrentVersion[] = "100829";
inline constexpr char kMainDataType[] = "MAIN";
inline constexpr char kExchangeDataType[] = "EXCHANGE";

/// Setup keys the engine writes itself.
inline constexpr char kVersionKey[] = "DataEngine";
inline constexpr char kDataTypeKey[] = "DataType";
inline constexpr char kModelsKey[] = "MOD";
inline constexpr char kRichTextKey[] = "RichText";
inline constexpr char kLogKey[] = "LOG";
/// Greatest key and greatest user field id a topic ever held, kept once a
/// deletion removed the greatest (suffix: the topic id).
inline constexpr char kKeyMarkPrefix[] = "HighKey_";
inline constexpr char kFieldMarkPrefix[] = "HighField_";

/// One column: its name and the field type code that decides its SQL type
/// (memo columns are TEXT).
struct Column {
    const char* name;
    qint32 type;
};

struct Index {
    const char* name;  ///< within its table; stored as "<table>_<name>"
    QList<const char*> columns;
};

struct Table {
    const char* name;
    QList<Column> columns;  ///< in ordinal order
    QList<Index> indexes;
};

/// A row of sys_Topics.
struct TopicRow {
    qint32 id;
    const char* table;  ///< Name and Source
    const char* sortField;
    const char* nameFormat;
    const char* fullNameFormat;
    const char* annotationFormat;
};

/// A row of sys_Fields; Source equals Name when null.
struct FieldRow {
    qint32 topic;
    qint32 id;
    const char* name;
    const char* source;
    qint32 type;
    qint32 state;
    qint32 parentTopic;
    /// The column of the field's topic table that holds it.
    Column AsColumn() const { return {source ? source : name, type}; }
    QString Source() const { return QString::fromLatin1(AsColumn().name); }
};

/// The tables of a new file, in creation order; the table of a stored
/// topic has a column for each of its sys_Fields rows.
const QList<Table>& Tables();
const Table* FindTable(const char* name);
/// The sys_Topics rows, in insertion order.
const QList<TopicRow>& TopicRows();
const TopicRow* FindTopic(qint32 id);
/// The sys_Fields rows, in insertion order.
const QList<FieldRow>& FieldRows();
const FieldRow* FindField(qint32 topic, qint32 id);

/// The SQL type of a field type code.
dao::ColumnType ColumnTypeOf(qint32 type);
dao::FieldDef FieldDefOf(const Column& column);
/// A table definition with its indexes ("<table>_ID", ...).
dao::TableDef TableDefOf(const Table& table);

/// The memo annotation template that named field ids of before the memo
/// fields were renumbered, and the one that names Title, Author, Date and
/// Preview.
inline constexpr char kOldMemoAnnotation[] = "$5;&;$6;&;$7;&;-----------------------------;&;$10";
inline constexpr char kMemoAnnotation[] = "$8;&;$9;&;$10;&;-----------------------------;&;$13";

}  // namespace schema
