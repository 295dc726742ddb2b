// Topics that live in memory only: their field dictionaries are the
// program's, they have no engine behind them, and their rows never reach
// the project file.

#include "document/kordoc.h"
#include "document/kordoc_p.h"

#include "document/documentids.h"

#include "foundation/stringstore.h"
#include "store/fieldvalue.h"
#include "store/rowbuffer.h"
#include "store/storeids.h"

#include <algorithm>

namespace {

/// One field of a memory-only topic. Its name is the text of textId
/// followed by name, or name alone when textId is 0.
struct ListColumn {
    qint32 id;
    int textId;
    const char* name;
    qint32 type;
    qint32 state;
    qint32 parentTopic = 0;
};

/// Field State values of these topics: every field is built in.
constexpr qint32 kVisible = FieldState::BuiltIn;
constexpr qint32 kHidden = FieldState::BuiltIn | FieldState::Hidden;
constexpr qint32 kPinned = FieldState::BuiltIn | FieldState::Pinned;
constexpr qint32 kWeighted = FieldState::BuiltIn | FieldState::WeightComment;

using namespace FieldType;

struct ListTopic {
    qint32 topic;
    QList<ListColumn> columns;
    const char* shortTemplate = nullptr;  // display templates; none when null
    const char* fullTemplate = nullptr;   // also the annotation
};

const QList<ListTopic>& ListTopics()
{
    static const QList<ListColumn> variableList = {
        {0, 0, "ID", Integer, kVisible},       {1, 0, "Type", Integer, kPinned},
        {2, 5782, "", ShortText, kWeighted},   {3, 5783, "", ShortText, kVisible},
        {4, 5784, "", Boolean, kWeighted},     {5, 101001, "", ShortText, kVisible},
        {6, 102224, "", ShortText, kWeighted}, {7, 102225, "", Boolean, kWeighted},
        {8, 0, "VarType", Integer, kHidden}};
    static const QList<ListTopic> topics = {
        {TopicId::CoderComparison,
         {{0, 0, "ID", Integer, kHidden},
          {1, 0, "Type", Integer, kPinned},
          {2, 102169, "", Integer, kVisible, TopicId::Documents},
          {3, 102170, "", Integer, kVisible, TopicId::Codes},
          {4, 102171, "", Boolean, kVisible},
          {5, 102172, "", Boolean, kVisible},
          {6, 102173, "", Boolean, kVisible},
          {7, 0, "Coding1ID", Integer, kHidden},
          {8, 0, "Coding2ID", Integer, kHidden},
          {9, 57846, "", Integer, kVisible},
          {10, 57847, "", Integer, kVisible}}},
        {TopicId::CoderAgreement,
         {{0, 0, "ID", Integer, kHidden},
          {1, 0, "Type", Integer, kPinned},
          {2, 102175, "", Integer, kVisible, TopicId::Codes},
          {3, 102176, "", Integer, kVisible},
          {4, 102177, "", Integer, kVisible},
          {5, 102178, "", Integer, kVisible},
          {6, 102179, "", Real, kVisible}}},
        {TopicId::DocumentVariables, variableList},
        {TopicId::CodeVariables, variableList},
        {TopicId::MapLinks,
         {{0, 0, "ID", Integer, kHidden},
          {1, 0, "Type", Integer, kPinned},
          {2, 0, "LinkID1", Integer, kHidden},
          {3, 1042, " 1", Integer, kVisible, TopicId::Documents},
          {4, 57834, " 1", Integer, kVisible},
          {5, 57849, " 1", ShortText, kVisible},
          {6, 0, "Page1", Integer, kHidden},
          {7, 0, "PosX1_1", Integer, kHidden},
          {8, 0, "PosX2_1", Integer, kHidden},
          {9, 0, "IsText1", Boolean, kHidden},
          {10, 0, "LinkID2", Integer, kHidden},
          {11, 1042, " 2", Integer, kVisible, TopicId::Documents},
          {12, 57834, " 2", Integer, kVisible},
          {13, 57849, " 2", ShortText, kVisible},
          {14, 0, "Page2", Integer, kHidden},
          {15, 0, "PosX1_2", Integer, kHidden},
          {16, 0, "PosX2_2", Integer, kHidden},
          {17, 0, "IsText2", Boolean, kHidden}}},
        {TopicId::SearchHits,
         {{0, 0, "ID", Integer, kHidden},
          {1, 0, "Type", Integer, kPinned},
          {2, 1042, "", Integer, kVisible, TopicId::Documents},
          {3, 57732, "", ShortText, kVisible},
          {4, 57698, "", Integer, kHidden},
          {5, 57698, "", Integer, kHidden},
          {6, 102085, "", Integer, kVisible},
          {7, 57834, "", Integer, kVisible},
          {8, 5750, "", Integer, kVisible, TopicId::DictionaryCategories}}},
        {TopicId::DictionaryCategories,
         {{0, 0, "ID", Integer, kHidden},
          {1, 0, "Type", Integer, kPinned},
          {2, 5750, "", ShortText, kWeighted},
          {3, 5762, "", Integer, kVisible},
          {4, 101022, "", Integer, kVisible, TopicId::DictionaryCategories},
          {5, 0, "State", Integer, kHidden}},
         "$2",
         "$4;\\;$2"},
        {TopicId::DictionaryEntries,
         {{0, 0, "ID", Integer, kHidden},
          {1, 0, "Cat", Integer, kHidden, TopicId::DictionaryCategories},
          {2, 0, "Type", Integer, kPinned},
          {3, 5749, "", ShortText, kWeighted},
          {4, 5751, "", Boolean, kWeighted},
          {5, 5752, "", Boolean, kWeighted},
          {6, 5765, "", Boolean, kWeighted}},
         "$3",
         "$3"},
    };
    return topics;
}

const QList<ListColumn>& WordTableColumns()
{
    static const QList<ListColumn> columns = {
        {0, 0, "ID", Integer, kHidden},      {1, 0, "Type", Integer, kPinned},
        {2, 5736, "", ShortText, kVisible},  {3, 5741, "", Integer, kVisible},
        {4, 5737, "", Integer, kVisible},    {5, 5738, "", Real, kVisible},
        {6, 0, "QntDicWordID", Integer, kHidden}};
    return columns;
}

const QList<ListColumn>& OverviewColumns()
{
    static const QList<ListColumn> columns = {
        {0, 0, "ID", Integer, kHidden},
        {OverviewField::Type, 0, "Type", Integer, kPinned},
        {OverviewField::Group, 57718, "", Integer, kVisible, TopicId::DocumentGroups},
        {OverviewField::Document, 1042, "", Integer, kVisible, TopicId::Documents},
        {OverviewField::Segments, 5764, "", Integer, kVisible},
        {OverviewField::Code, 1040, "", Integer, kVisible, TopicId::Codes},
        {OverviewField::Result, 5761, "", Integer, kVisible}};
    return columns;
}

/// Fields of a dictionary category read here.
constexpr qint32 kCategoryType = 1;
constexpr qint32 kCategoryName = 2;

/// Word-count columns of documents or document sets: 100000000 + the id.
constexpr qint32 kWordCountBase = 100000000;

FieldDescriptor MakeField(qint32 id, const QString& name, qint32 type, qint32 state, qint32 parentTopic = 0)
{
    FieldDescriptor field;
    field.ID = id;
    field.Name = name;
    field.Type = type;
    field.State = state;
    field.ParentTopicID = parentTopic;
    return field;
}

void AddColumns(TopicTable& table, const QList<ListColumn>& columns)
{
    for (const ListColumn& column : columns) {
        const QString literal = QString::fromLatin1(column.name);
        const QString name = column.textId ? LoadString(column.textId) + literal : literal;
        table.AddField(MakeField(column.id, name, column.type, column.state, column.parentTopic));
    }
}

}  // namespace

void CKorDoc::DefineListColumns()
{
    // All are reset before any is defined: a definition registers its
    // references with the tables it refers to, and a later reset of one of
    // those would forget them.
    for (const ListTopic& list : ListTopics()) {
        if (TopicTable* table = d->m_db.GetTable(list.topic))
            table->Reset();
    }
    for (const ListTopic& list : ListTopics()) {
        TopicTable* table = d->m_db.GetTable(list.topic);
        if (!table)
            continue;
        AddColumns(*table, list.columns);
        if (list.shortTemplate) {
            table->ParseDisplayTemplate(QString::fromLatin1(list.shortTemplate), 1);
            table->ParseDisplayTemplate(QString::fromLatin1(list.fullTemplate), 2);
            table->ParseDisplayTemplate(QString::fromLatin1(list.fullTemplate), 3);
        }
    }
}

void CKorDoc::PrepareWordTable(const QList<qint32>& ids, qint32 kind)
{
    TopicTable* table = d->m_db.GetTable(TopicId::WordFrequencies);
    if (!table)
        return;
    table->Reset();
    AddColumns(*table, WordTableColumns());
    if (kind != TopicId::Documents && kind != TopicId::DocumentSets)
        return;
    // W words x D documents or sets: the counts are held sparsely.
    for (const qint32 id : ids)
        table->AddField(MakeField(kWordCountBase + id, d->m_db.FormatRowDisplay(kind, id, false), Integer,
                                  kVisible | TopicTable::kSparseState));
}

bool CKorDoc::DefineOverviewTable()
{
    TopicTable* table = d->m_db.CreateTable(TopicId::OverviewTable);
    if (!table)
        return false;
    table->Reset();
    AddColumns(*table, OverviewColumns());
    QList<qint32> categories;
    d->m_db.GetAllKeys(TopicId::DictionaryCategories, categories);
    std::sort(categories.begin(), categories.end());
    for (const qint32 category : std::as_const(categories)) {
        if (d->m_db.GetIntValue(TopicId::DictionaryCategories, category, kCategoryType) != 0)
            continue;
        RowBuffer row;
        FieldValue name;
        if (d->m_db.ReadRow(TopicId::DictionaryCategories, category, row, false) && row.GetFieldValue(kCategoryName, name))
            table->AddField(MakeField(category, name.GetText(), Integer, kVisible));
    }
    return true;
}
