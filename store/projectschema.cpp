#include "store/projectschema.h"

#include "store/storeids.h"

namespace schema {

namespace {

using namespace FieldType;
using namespace FieldState;

QList<FieldRow> GroupFields(qint32 topic)
{
    return {{topic, 0, "ID", nullptr, Integer, BuiltIn | Hidden, 0},
            {topic, 1, "Index", nullptr, Integer, BuiltIn | Hidden, 0},
            {topic, 2, "State", nullptr, Integer, BuiltIn | Hidden, 0},
            {topic, 3, "Name", nullptr, ShortText, BuiltIn, 0},
            {topic, 4, "MemoID", nullptr, Integer, BuiltIn | Hidden, 0}};
}

/// The table of a stored topic: a column for each of its fields, in id order.
Table TableOfTopic(qint32 topic)
{
    Table table{FindTopic(topic)->table, {}, {{"ID", {"ID"}}}};
    for (const FieldRow& field : FieldRows()) {
        if (field.topic == topic)
            table.columns.append(field.AsColumn());
    }
    return table;
}

}  // namespace

const QList<Table>& Tables()
{
    static const QList<Table> tables = {
        {"sys_Setup", {{"Key", Text}, {"Value", Memo}, {"Data", Blob}}, {{"ID", {"Key"}}}},
        {"sys_Topics",
         {{"ID", Integer}, {"Name", ShortText}, {"Source", ShortText}, {"SortField", ShortText},
          {"NameFormat", Text}, {"FullNameFormat", Text}, {"AnnotationFormat", Text}},
         {{"ID", {"ID"}}}},
        {"sys_Fields",
         {{"TopicID", Integer}, {"ID", Integer}, {"Name", ShortText}, {"Source", ShortText}, {"Type", Integer},
          {"State", Integer}, {"ParentTopicID", Integer}, {"DefaultValue", LongText}, {"Categorial", Integer}},
         {{"ID", {"TopicID", "ID"}}}},
        // The second index serves the values of one object (reads and deletions).
        {"sys_Values",
         {{"TopicID", Integer}, {"FieldID", Integer}, {"ObjectID", Integer}, {"Value", ShortText}},
         {{"ID", {"TopicID", "FieldID", "ObjectID"}}, {"Object", {"TopicID", "ObjectID"}}}},
        TableOfTopic(TopicId::DocumentGroups),
        TableOfTopic(TopicId::DocumentSets),
        TableOfTopic(TopicId::Documents),
        TableOfTopic(TopicId::DocumentSetMembers),
        TableOfTopic(TopicId::Codes),
        TableOfTopic(TopicId::CodeSets),
        TableOfTopic(TopicId::CodeSetMembers),
        TableOfTopic(TopicId::Codings),
        TableOfTopic(TopicId::Memos),
        TableOfTopic(TopicId::Links),
        {"sys_Models",
         {{"ID", Integer}, {"Name", ShortText}, {"Date", DateTime}, {"Author", ShortText}, {"Comment", Blob},
          {"Data", Blob}},
         {{"ID", {"ID"}}}},
        TableOfTopic(TopicId::MediaMarks),
    };
    return tables;
}

const QList<TopicRow>& TopicRows()
{
    static const QList<TopicRow> rows = {
        {TopicId::DocumentGroups, "Textgroups", "Index", "$3", "$3", "$3"},
        {TopicId::DocumentSets, "Textsets", "Index", "$3", "$3", "$3"},
        {TopicId::Documents, "Texts", "Index", "$6", "$2;\\;$6", "$2;\\;$6"},
        {TopicId::DocumentSetMembers, "Textlinks", "Index", "$3", "$2;\\;$3", "$2;\\;$3"},
        {TopicId::Codes, "Codewords", "Index", "$5", "$2;\\;$5", "$2;\\;$5"},
        {TopicId::Codings, "Codings", "ID", "$4", "$4", "$4;&[;$9;]"},
        {TopicId::Memos, "Memos", "ID", "", "", kMemoAnnotation},
        {TopicId::Links, "Links", "ID", "", "", ""},
        {TopicId::CodeSets, "Wordsets", "Index", "$3", "$3", "$3"},
        {TopicId::CodeSetMembers, "Wordlinks", "Index", "$3", "$2;\\;$3", "$2;\\;$3"},
        {TopicId::MediaMarks, "MediaMarks", "Begin", "$4;-;$5", "$4;-;$5", "$4; ;-; ;$5;\r;$6"},
    };
    return rows;
}

const QList<FieldRow>& FieldRows()
{
    static const QList<FieldRow> rows = [] {
        using namespace TopicId;
        QList<FieldRow> list;
        list << GroupFields(DocumentGroups) << GroupFields(DocumentSets);
        list << QList<FieldRow>{
            {Documents, 0, "ID", nullptr, Integer, BuiltIn | Hidden, 0},
            {Documents, 1, "Index", nullptr, Integer, BuiltIn | Hidden, 0},
            {Documents, 2, "Group", "GroupID", Integer, BuiltIn, DocumentGroups},
            {Documents, 3, "State", nullptr, Integer, BuiltIn | Hidden, 0},
            {Documents, 4, "Type", nullptr, Integer, BuiltIn | Pinned, 0},
            {Documents, 5, "Text", nullptr, Blob, BuiltIn | Hidden, 0},
            {Documents, 6, "Name", nullptr, ShortText, BuiltIn, 0},
            {Documents, 7, "Date", nullptr, DateTime, BuiltIn, 0},
            {Documents, 8, "Codes", nullptr, Integer, BuiltIn, 0},
            {Documents, 9, "Memos", nullptr, Integer, BuiltIn, 0},
            {Documents, 10, "MemoID", nullptr, Integer, BuiltIn | Hidden, 0},
            {Documents, 11, "Author", nullptr, ShortText, BuiltIn, 0},
            {Documents, 12, "Size", nullptr, Integer, BuiltIn, 0},
            {Documents, 13, "DocType", nullptr, Integer, BuiltIn | Hidden, 0},
            {Documents, 14, "MediaFile", "MediaFileX", LongText, BuiltIn | Hidden, 0},
            {Documents, 15, "ScaleFactor", nullptr, Real, BuiltIn | Hidden, 0},
            {Documents, 16, "CodesWndWidth", nullptr, Integer, BuiltIn | Hidden, 0},
            {Documents, 17, "ScrollPosPage", nullptr, Integer, BuiltIn | Hidden, 0},
            {Documents, 18, "ScrollPosX", nullptr, Integer, BuiltIn | Hidden, 0},
            {Documents, 19, "ScrollPosY", nullptr, Integer, BuiltIn | Hidden, 0},
            {Documents, 20, "SelPage", nullptr, Integer, BuiltIn | Hidden, 0},
            {Documents, 21, "SelX1", nullptr, Integer, BuiltIn | Hidden, 0},
            {Documents, 22, "SelY1", nullptr, Integer, BuiltIn | Hidden, 0},
            {Documents, 23, "SelX2", nullptr, Integer, BuiltIn | Hidden, 0},
            {Documents, 24, "SelY2", nullptr, Integer, BuiltIn | Hidden, 0},
            {Documents, 25, "ExtLink1", nullptr, Text, BuiltIn | Hidden, 0},
            {Documents, 26, "ExtLink2", nullptr, Text, BuiltIn | Hidden, 0},
            {Documents, 27, "ExtLink3", nullptr, Text, BuiltIn | Hidden, 0},
            {DocumentSetMembers, 0, "ID", nullptr, Integer, BuiltIn | Hidden, 0},
            {DocumentSetMembers, 1, "Index", nullptr, Integer, BuiltIn | Hidden, 0},
            {DocumentSetMembers, 2, "SetID", nullptr, Integer, BuiltIn | Hidden, DocumentSets},
            {DocumentSetMembers, 3, "TextID", nullptr, Integer, BuiltIn | Hidden, Documents},
            {Codes, 0, "ID", nullptr, Integer, BuiltIn | Hidden, 0},
            {Codes, 1, "Index", nullptr, Integer, BuiltIn, 0},
            {Codes, 2, "Parent", "WordID", Integer, BuiltIn, Codes},
            {Codes, 3, "State", nullptr, Integer, BuiltIn | Hidden, 0},
            {Codes, 4, "Type", nullptr, Integer, BuiltIn | Pinned, 0},
            {Codes, 5, "Name", nullptr, ShortText, BuiltIn, 0},
            {Codes, 6, "MemoID", nullptr, Integer, BuiltIn | Hidden, 0},
            {Codes, 7, "Codes", nullptr, Integer, BuiltIn, 0},
            {Codes, 8, "ActiveCodes", nullptr, Integer, BuiltIn | NotStored, 0},
            {Codes, 9, "Author", nullptr, ShortText, BuiltIn, 0},
            {Codes, 10, "Date", nullptr, DateTime, BuiltIn, 0},
            {Codes, 11, "Variable", nullptr, Integer, BuiltIn | Hidden, 0},
            {Codes, 12, "CatVariable", nullptr, Integer, BuiltIn | Hidden, 0},
        };
        list << GroupFields(CodeSets);
        list << QList<FieldRow>{
            {CodeSetMembers, 0, "ID", nullptr, Integer, BuiltIn | Hidden, 0},
            {CodeSetMembers, 1, "Index", nullptr, Integer, BuiltIn | Hidden, 0},
            {CodeSetMembers, 2, "SetID", nullptr, Integer, BuiltIn | Hidden, CodeSets},
            {CodeSetMembers, 3, "WordID", nullptr, Integer, BuiltIn | Hidden, Codes},
            {Codings, 0, "ID", nullptr, Integer, BuiltIn | Hidden, 0},
            {Codings, 1, "TAID", nullptr, Integer, BuiltIn | Hidden, 0},
            {Codings, 2, "Type", nullptr, Integer, BuiltIn | Pinned, 0},
            {Codings, 3, "Text", "TextID", Integer, BuiltIn, Documents},
            {Codings, 4, "Codeword", "WordID", Integer, BuiltIn, Codes},
            {Codings, 5, "StartChar", nullptr, Integer, BuiltIn | Hidden, 0},
            {Codings, 6, "FinishChar", nullptr, Integer, BuiltIn | Hidden, 0},
            {Codings, 7, "Start", "StartPara", Integer, BuiltIn, 0},
            {Codings, 8, "Finish", "FinishPara", Integer, BuiltIn, 0},
            {Codings, 9, "Weight", nullptr, Integer, BuiltIn | WeightComment, 0},
            {Codings, 10, "Preview", nullptr, ShortText, BuiltIn, 0},
            {Codings, 11, "Text", nullptr, Blob, BuiltIn | Hidden, 0},
            {Codings, 12, "Author", nullptr, ShortText, BuiltIn, 0},
            {Codings, 13, "Date", nullptr, DateTime, BuiltIn, 0},
            {Codings, 14, "Comment", "CommentL", Text, BuiltIn | WeightComment, 0},
            {Codings, 15, "Group", "GroupID", Integer, BuiltIn, DocumentGroups},
            {Codings, 16, "PosX1", nullptr, Integer, BuiltIn | Hidden, 0},
            {Codings, 17, "PosX2", nullptr, Integer, BuiltIn | Hidden, 0},
            {Codings, 18, "Page", nullptr, Integer, BuiltIn, 0},
            {Codings, 19, "IsText", nullptr, Boolean, BuiltIn | Derived, 0},
            {Codings, 20, "Area", nullptr, Integer, BuiltIn | Derived, 0},
            {Codings, 21, "Coverage", nullptr, Real, BuiltIn | Derived, 0},
            {Memos, 0, "ID", nullptr, Integer, BuiltIn | Hidden, 0},
            {Memos, 1, "GroupID", nullptr, Integer, BuiltIn, DocumentGroups},
            {Memos, 2, "Text", "TextID", Integer, BuiltIn, Documents},
            {Memos, 3, "Paragraph", nullptr, Integer, BuiltIn, 0},
            {Memos, 4, "Codeword", "WordID", Integer, BuiltIn, Codes},
            {Memos, 5, "SetID", nullptr, Integer, BuiltIn, DocumentSets},
            {Memos, 6, "Type", nullptr, Integer, BuiltIn | Pinned, 0},
            {Memos, 7, "Pos", nullptr, Integer, BuiltIn | Hidden, 0},
            {Memos, 8, "Title", nullptr, ShortText, BuiltIn, 0},
            {Memos, 9, "Author", nullptr, ShortText, BuiltIn, 0},
            {Memos, 10, "Date", nullptr, DateTime, BuiltIn, 0},
            {Memos, 11, "Text", nullptr, Blob, BuiltIn | Hidden, 0},
            {Memos, 12, "Codewords", nullptr, Blob, BuiltIn | Hidden, 0},
            {Memos, 13, "Preview", nullptr, ShortText, BuiltIn, 0},
            {Memos, 14, "Page", nullptr, Integer, BuiltIn, 0},
            {Memos, 15, "Source", nullptr, Integer, BuiltIn, 0},
            {Links, 0, "ID", nullptr, Integer, BuiltIn | Hidden, 0},
            {Links, 1, "TextID", nullptr, Integer, BuiltIn | Hidden, Documents},
            {Links, 2, "StartChar", nullptr, Integer, BuiltIn | Hidden, 0},
            {Links, 3, "FinishChar", nullptr, Integer, BuiltIn | Hidden, 0},
            {Links, 4, "LinkID", nullptr, Integer, BuiltIn | Hidden, Links},
            {Links, 5, "Text", nullptr, Blob, BuiltIn | Hidden, 0},
            {Links, 6, "PosX1", nullptr, Integer, BuiltIn | Hidden, 0},
            {Links, 7, "PosX2", nullptr, Integer, BuiltIn | Hidden, 0},
            {Links, 8, "Page", nullptr, Integer, BuiltIn | Hidden, 0},
            {Links, 9, "IsText", nullptr, Boolean, BuiltIn | Derived, 0},
            {MediaMarks, 0, "ID", nullptr, Integer, BuiltIn | Hidden, 0},
            {MediaMarks, 1, "TextID", nullptr, Integer, BuiltIn | Hidden, Documents},
            {MediaMarks, 2, "State", nullptr, Integer, BuiltIn | Pinned, 0},
            {MediaMarks, 3, "StartChar", nullptr, Integer, BuiltIn | Hidden, 0},
            {MediaMarks, 4, "Begin", nullptr, ShortText, BuiltIn, 0},
            {MediaMarks, 5, "End", nullptr, ShortText, BuiltIn, 0},
            {MediaMarks, 6, "Comment", nullptr, Text, BuiltIn | WeightComment, 0},
        };
        return list;
    }();
    return rows;
}

const Table* FindTable(const char* name)
{
    for (const Table& table : Tables()) {
        if (qstrcmp(table.name, name) == 0)
            return &table;
    }
    return nullptr;
}

const TopicRow* FindTopic(qint32 id)
{
    for (const TopicRow& row : TopicRows()) {
        if (row.id == id)
            return &row;
    }
    return nullptr;
}

const FieldRow* FindField(qint32 topic, qint32 id)
{
    for (const FieldRow& row : FieldRows()) {
        if (row.topic == topic && row.id == id)
            return &row;
    }
    return nullptr;
}

dao::ColumnType ColumnTypeOf(qint32 type)
{
    switch (type) {
    case ShortText:
    case Text:
    case LongText:
    case Memo: return dao::ColumnType::Text;
    case Real:
    case DateTime: return dao::ColumnType::Real;
    case Blob: return dao::ColumnType::Blob;
    default: return dao::ColumnType::Integer;
    }
}

dao::FieldDef FieldDefOf(const Column& column)
{
    // Setup keys are compared as the original database compared them: without case.
    const bool noCase = qstrcmp(column.name, "Key") == 0;
    return {QString::fromLatin1(column.name), ColumnTypeOf(column.type), noCase};
}

dao::TableDef TableDefOf(const Table& table)
{
    dao::TableDef definition{QString::fromLatin1(table.name), {}, {}};
    for (const Column& column : table.columns)
        definition.fields.append(FieldDefOf(column));
    for (const Index& index : table.indexes) {
        QStringList columns;
        for (const char* column : index.columns)
            columns.append(QString::fromLatin1(column));
        definition.indexes.append({QString::fromLatin1(index.name), columns});
    }
    return definition;
}

}  // namespace schema
