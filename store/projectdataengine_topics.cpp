// Records and the field dictionary: loading topics, writing rows and single
// values, deleting objects, reading blobs, and the edits of sys_Fields.

#include "store/projectdataengine.h"

#include "foundation/externalfiles.h"
#include "foundation/filehelpers.h"
#include "platform/dao/recordset.h"
#include "store/fieldvalue.h"
#include "store/projectschema.h"
#include "store/rowbuffer.h"
#include "store/topictable.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QVarLengthArray>

#include <cstring>
#include <limits>
#include <optional>

namespace {

using Kind = dao::Recordset::Kind;

bool IsColumnField(const FieldDescriptor& field)
{
    return FieldDescriptor::IsKnownType(field.Type) && field.Type != FieldType::Memo && !field.Source.isEmpty() &&
           !field.HasState(FieldState::NotStored | FieldState::ValueTable);
}

// Dates between 0100-01-01 and 9998-12-31 are valid wherever their time
// rounds to; the few outside take the general conversion.
constexpr double kFirstSureDay = -657434.0;
constexpr double kLastSureDay = 2958100.0;

/// Where one loaded column goes in a row.
struct ColumnSlot {
    int position;  // of the field
    qint32 offset;
    qint32 type;
    qsizetype units;  // capacity of a text field
};

/// Stores the column of the current row into the row for the types and
/// storage classes a column normally holds; false when the value needs the
/// general conversion (and its checks). The row starts zeroed.
bool StoreColumn(const dao::Recordset& rs, int column, const ColumnSlot& slot, char* row)
{
    char* at = row + slot.offset;
    const Kind kind = rs.GetKind(column);
    switch (slot.type) {
    case FieldType::Integer:
    case FieldType::Boolean: {
        if (kind == Kind::Null)
            return true;
        const qint64 number = rs.GetInt64(column);
        if (kind != Kind::Integer || number < std::numeric_limits<qint32>::min() ||
            number > std::numeric_limits<qint32>::max())
            return false;
        const qint32 value = qint32(number);
        std::memcpy(at, &value, sizeof value);
        return true;
    }
    case FieldType::Real: {
        if (kind == Kind::Null)
            return true;
        if (kind != Kind::Real && kind != Kind::Integer)
            return false;
        const double value = rs.GetDouble(column);
        std::memcpy(at, &value, sizeof value);
        return true;
    }
    case FieldType::DateTime: {
        const double days = kind == Kind::Null ? 0 : rs.GetDouble(column);
        if (kind != Kind::Null && (kind != Kind::Real || !(days >= kFirstSureDay && days < kLastSureDay)))
            return false;
        const qint32 status = qint32(kind == Kind::Null ? DateStatus::Null : DateStatus::Valid);
        std::memcpy(at, &days, sizeof days);
        std::memcpy(at + sizeof days, &status, sizeof status);
        return true;
    }
    case FieldType::ShortText:
    case FieldType::Text:
    case FieldType::LongText: {
        if (kind == Kind::Null)
            return true;
        if (kind != Kind::Text)
            return false;
        const QStringView text = rs.GetTextView(column);
        qsizetype units = qMin(text.size(), slot.units);
        if (units < text.size() && units > 0 && text.at(units - 1).isHighSurrogate())
            --units;
        if (units > 0)
            std::memcpy(at, text.utf16(), size_t(units) * 2);
        return true;
    }
    default: return false;
    }
}

/// The text a value gives to another type: reals in full, everything else
/// as it is displayed.
QString TextForRetype(const FieldValue& value)
{
    return value.Type == FieldType::Real ? QString::number(value.GetReal(), 'f', QLocale::FloatingPointShortest)
                                         : value.Format();
}

}  // namespace

bool ProjectDataEngine::LoadTopic(TopicTable& table)
{
    m_writeStatements.clear();
    m_fieldStatements.clear();
    table.Reset();
    table.SetListener(this);
    const qint32 topic = table.GetTopicId();
    if (!IsOpen())
        return FailText(StoreText::ProjectMissing, EngineError::Failed);
    dao::Recordset rs(m_db);
    if (!rs.Open(QStringLiteral("SELECT [Name],[Source],[SortField],[NameFormat],[FullNameFormat],[AnnotationFormat] "
                                "FROM [sys_Topics] WHERE [ID]=?;"),
                 {topic}))
        return FailRead();
    if (rs.IsEOF())
        return FailText(StoreText::CannotRead, EngineError::BadValue,
                        QStringLiteral("sys_Topics has no row %1").arg(topic));
    table.SetName(rs.GetValue(0).toString());
    table.SetSource(rs.GetValue(1).toString());
    table.SetSortField(rs.GetValue(2).toString());
    for (int which = 1; which <= TopicTable::kTemplateCount; ++which)
        table.ParseDisplayTemplate(rs.GetValue(2 + which).toString(), which);

    if (!rs.Open(QStringLiteral("SELECT [ID],[Name],[Source],[Type],[State],[ParentTopicID],[DefaultValue],"
                                "[Categorial] FROM [sys_Fields] WHERE [TopicID]=? ORDER BY [ID];"),
                 {topic}))
        return FailRead();
    for (; !rs.IsEOF(); rs.MoveNext()) {
        // A field the table refuses (a type this program does not know, an
        // id given twice) would hide its values: the topic is not loaded.
        if (!table.AddField(FieldDescriptor::FromFieldRecord(
                qint32(rs.GetInt64(0)), rs.GetValue(1).toString(), rs.GetValue(2).toString(), qint32(rs.GetInt64(3)),
                qint32(rs.GetInt64(4)), qint32(rs.GetInt64(5)), rs.GetValue(6).toString(), qint32(rs.GetInt64(7)))))
            return FailText(StoreText::BadValue, EngineError::BadValue,
                            QStringLiteral("sys_Fields, %1: %2").arg(table.GetSource(), table.LastError()));
    }
    if (rs.IsOpen() && m_db.LastStatus() != dao::Status::Ok)
        return FailRead();
    table.SetFieldIdHighWater(ReadMark(schema::kFieldMarkPrefix, topic));
    const QString source = table.GetSource();
    if (source.isEmpty())
        return true;

    if (!rs.Open(QStringLiteral("SELECT count(*) FROM %1;").arg(dao::QuoteName(source))))
        return FailRead();
    const qint32 expected = qint32(qMin<qint64>(rs.GetInt64(0), std::numeric_limits<qint32>::max()));

    // The values kept in sys_Values, by object: one query for the topic.
    QHash<qint32, QList<std::pair<qint32, QString>>> userValues;
    if (table.CountValueFields() > 0) {
        if (!rs.Open(QStringLiteral("SELECT [ObjectID],[FieldID],[Value] FROM [sys_Values] WHERE [TopicID]=? "
                                    "ORDER BY rowid;"),
                     {topic}))
            return FailRead();
        for (; !rs.IsEOF(); rs.MoveNext())
            userValues[qint32(rs.GetInt64(0))].append({qint32(rs.GetInt64(1)), rs.GetValue(2).toString()});
    }

    const FieldList& fields = table.Fields();
    QList<ColumnSlot> loaded;
    QList<int> valuePositions;
    QStringList columns;
    for (int i = 0; i < fields.Count(); ++i) {
        const FieldDescriptor* field = fields.GetAt(i);
        if (field->HasState(FieldState::ValueTable) && !field->HasState(FieldState::NotStored))
            valuePositions.append(i);
        if (IsColumnField(*field) && field->Type != FieldType::Blob) {
            loaded.append({i, field->Offset, field->Type, FieldDescriptor::TextUnitsOfType(field->Type)});
            columns.append(dao::QuoteName(field->Source));
        }
    }
    if (columns.isEmpty())
        return true;
    // Records are mostly stored in key order: a topic ordered by key reads
    // them as they lie, and only when one comes out of order asks SQLite to
    // sort (through the key index, which costs a lookup per record).
    const QString sort = table.GetSortField();
    const bool byKey = sort.isEmpty() || sort.compare(QStringLiteral("ID"), Qt::CaseInsensitive) == 0;
    const QString select =
        QStringLiteral("SELECT %1 FROM %2").arg(columns.join(QLatin1Char(',')), dao::QuoteName(source));
    const QString sorted = select + QStringLiteral(" ORDER BY %1;")
                                        .arg(byKey ? QStringLiteral("[ID]")
                                                   : dao::QuoteName(sort) + QStringLiteral(",[ID]"));
    enum class Read { Done, OutOfOrder, Failed };
    const auto readRecords = [&](const QString& sql, bool inKeyOrder) {
        if (!rs.Open(sql))
            return FailRead(), Read::Failed;
        RowBuffer row;
        table.InitRowBuffer(row);
        qint32 previousKey = std::numeric_limits<qint32>::min();
        for (; !rs.IsEOF(); rs.MoveNext()) {
            char* data = row.RowData();
            std::memset(data, 0, size_t(table.GetRowSize()));
            for (int c = 0; c < loaded.size(); ++c) {
                if (StoreColumn(rs, c, loaded.at(c), data))
                    continue;
                FieldValue value;
                QString reason;
                row.GetFieldValueByIndex(loaded.at(c).position, value);
                if (!value.FromColumnValue(rs.GetValue(c), &reason)) {
                    row.SyncKey();
                    FailText(StoreText::BadValue, EngineError::BadValue,
                             QStringLiteral("%1, %2: %3").arg(source).arg(row.GetKey()).arg(reason));
                    return Read::Failed;
                }
            }
            row.SyncKey();
            if (inKeyOrder && row.GetKey() < previousKey)
                return Read::OutOfOrder;
            previousKey = row.GetKey();
            for (const auto& [fieldId, text] : userValues.value(row.GetKey())) {
                FieldValue value;
                if (!row.GetFieldValue(fieldId, value) || !valuePositions.contains(fields.PositionOf(fieldId)))
                    continue;
                // Read as strictly as a column: a text that is not wholly a
                // value of the field's type is refused, not read as zero.
                if (!value.FromColumnValue(text)) {
                    FailText(StoreText::BadValue, EngineError::BadValue,
                             QStringLiteral("sys_Values, %1 %2, %3: \"%4\"")
                                 .arg(source)
                                 .arg(row.GetKey())
                                 .arg(value.Name, text));
                    return Read::Failed;
                }
            }
            table.AppendRow(row, expected);
        }
        return m_db.LastStatus() == dao::Status::Ok ? Read::Done : (FailRead(), Read::Failed);
    };
    Read read = readRecords(byKey ? select + QLatin1Char(';') : sorted, byKey);
    if (read == Read::OutOfOrder) {
        table.ClearRows();
        read = readRecords(sorted, false);
    }
    if (read != Read::Done)
        return false;
    table.RebuildIndexes();
    table.SetKeyHighWater(ReadMark(schema::kKeyMarkPrefix, topic));
    return true;
}

bool ProjectDataEngine::WriteRecord(RowBuffer& row, bool withBlobs, bool full)
{
    TopicTable* table = row.GetTable();
    if (!IsOpen() || !table || table->GetSource().isEmpty() || row.GetKeyColumn().isEmpty())
        return false;
    const FieldList& fields = table->Fields();
    // The statements depend on the columns written: they are kept by the
    // topic id followed by the positions of those fields.
    QVarLengthArray<qint32, 64> columnSet{table->GetTopicId()};
    QVariantList values;
    values.reserve(fields.Count() + 1);
    for (int i = 0; i < fields.Count(); ++i) {
        const FieldDescriptor* field = fields.GetAt(i);
        // Without full, the user's variables stay as they are in the file.
        if (!IsColumnField(*field) || (!full && field->HasState(FieldState::UserVariable)) ||
            (field->Type == FieldType::Blob && !withBlobs))
            continue;
        FieldValue value;
        QVariant stored;
        if (!row.GetFieldValueByIndex(i, value) || !value.ToColumnValue(stored))
            continue;  // a blob that was not loaded keeps its column
        columnSet.append(i);
        values.append(stored);
    }
    if (values.isEmpty())
        return false;
    // Looked up without a copy; the key is copied only when it is new.
    const QByteArray key = QByteArray::fromRawData(reinterpret_cast<const char*>(columnSet.constData()),
                                                   columnSet.size() * qsizetype(sizeof(qint32)));
    auto statements = m_writeStatements.constFind(key);
    if (statements == m_writeStatements.cend()) {
        QStringList assignments;
        QStringList columns;
        for (qsizetype c = 1; c < columnSet.size(); ++c) {
            const QString column = dao::QuoteName(fields.GetAt(columnSet.at(c))->Source);
            assignments.append(column + QStringLiteral("=?"));
            columns.append(column);
        }
        const QString source = dao::QuoteName(table->GetSource());
        const QStringList marks(columns.size(), QStringLiteral("?"));
        statements = m_writeStatements.insert(
            QByteArray(key.constData(), key.size()),
            {QStringLiteral("UPDATE %1 SET %2 WHERE %3=?;")
                 .arg(source, assignments.join(QLatin1Char(',')), dao::QuoteName(row.GetKeyColumn())),
             QStringLiteral("INSERT INTO %1(%2) VALUES(%3);")
                 .arg(source, columns.join(QLatin1Char(',')), marks.join(QLatin1Char(',')))});
    }
    // The record is one statement that changes the file (an UPDATE that
    // finds no record changes nothing before its INSERT), and a statement is
    // atomic. Only the user's values add writes that must stand or fall
    // with it, and only they need a transaction of their own.
    const bool withValues = full && table->CountValueFields() > 0;
    std::optional<dao::Transaction> transaction;
    if (withValues && !transaction.emplace(m_db).IsActive())
        return FailDb();
    values.append(row.GetKey());
    bool ok = m_db.Execute(statements->first, values);
    if (ok && m_db.GetRecordsAffected() == 0) {
        values.removeLast();
        ok = m_db.Execute(statements->second, values);
    }
    ok = ok && (!withValues || (WriteUserValues(row) && transaction->Commit()));
    return ok || FailDb(table->GetSource());
}

bool ProjectDataEngine::UpsertUserValue(qint32 topic, qint32 fieldId, qint32 objectId, const QString& text)
{
    const QVariantList where = {topic, fieldId, objectId};
    if (!m_db.Execute(QStringLiteral("UPDATE [sys_Values] SET [Value]=? WHERE [TopicID]=? AND [FieldID]=? AND "
                                     "[ObjectID]=?;"),
                      QVariantList{text} + where))
        return false;
    return m_db.GetRecordsAffected() > 0 ||
           m_db.Execute(QStringLiteral("INSERT INTO [sys_Values]([TopicID],[FieldID],[ObjectID],[Value]) "
                                       "VALUES(?,?,?,?);"),
                        where + QVariantList{text});
}

bool ProjectDataEngine::WriteUserValues(RowBuffer& row)
{
    TopicTable* table = row.GetTable();
    for (int i = 0; i < row.GetFieldCount(); ++i) {
        FieldValue value;
        if (!row.GetFieldValueByIndex(i, value) || !value.HasState(FieldState::ValueTable) ||
            value.HasState(FieldState::NotStored))
            continue;
        if (!UpsertUserValue(table->GetTopicId(), value.ID, row.GetKey(), value.ToStorageText()))
            return false;
    }
    return true;
}

bool ProjectDataEngine::WriteFieldValue(TopicTable& table, qint32 key, const FieldValue& value)
{
    if (!IsOpen())
        return false;
    if (value.HasState(FieldState::NotStored) || value.Type == FieldType::Memo)
        return true;
    if (value.HasState(FieldState::ValueTable))
        return UpsertUserValue(table.GetTopicId(), value.ID, key, value.ToStorageText()) || FailDb();
    const FieldDescriptor* keyField = table.Fields().GetById(0);
    QVariant stored;
    if (!keyField || table.GetSource().isEmpty() || !value.ToColumnValue(stored))
        return false;
    // Counters are written one value at a time, often in long loops.
    auto statement = m_fieldStatements.constFind({table.GetTopicId(), value.ID});
    if (statement == m_fieldStatements.cend()) {
        statement = m_fieldStatements.insert({table.GetTopicId(), value.ID},
                                             QStringLiteral("UPDATE %1 SET %2=? WHERE %3=?;")
                                                 .arg(dao::QuoteName(table.GetSource()), dao::QuoteName(value.Source),
                                                      dao::QuoteName(keyField->Source)));
    }
    if (!m_db.Execute(*statement, {stored, key}))
        return FailDb(table.GetSource());
    // A row that was never committed has no record to take the value.
    return m_db.GetRecordsAffected() > 0;
}

bool ProjectDataEngine::DeleteObject(TopicTable& table, qint32 key)
{
    const FieldDescriptor* keyField = table.Fields().GetById(0);
    if (!IsOpen() || !keyField || table.GetSource().isEmpty())
        return false;
    const qint32 topic = table.GetTopicId();
    dao::Transaction transaction(m_db);
    bool ok = transaction.IsActive() &&
              m_db.Execute(QStringLiteral("DELETE FROM %1 WHERE %2=?;")
                               .arg(dao::QuoteName(table.GetSource()), dao::QuoteName(keyField->Source)),
                           {key}) &&
              m_db.Execute(QStringLiteral("DELETE FROM [sys_Values] WHERE [TopicID]=? AND [ObjectID]=?;"),
                           {topic, key});
    // Once the greatest key is gone, only the kept mark keeps it from
    // being handed out again after the next open.
    if (ok && key >= ReadMark(schema::kKeyMarkPrefix, topic))
        ok = RaiseMark(schema::kKeyMarkPrefix, topic, qMax(key, table.GetKeyHighWater()));
    return (ok && transaction.Commit()) || FailDb(table.GetSource());
}

bool ProjectDataEngine::ReadRecord(RowBuffer& row)
{
    TopicTable* table = row.GetTable();
    if (!IsOpen() || !table || table->GetSource().isEmpty())
        return false;
    QList<int> positions;
    QStringList columns;
    for (int i = 0; i < row.GetFieldCount(); ++i) {
        const FieldDescriptor* field = table->Fields().GetAt(i);
        if (field->Type == FieldType::Blob && IsColumnField(*field)) {
            positions.append(i);
            columns.append(dao::QuoteName(field->Source));
        }
    }
    if (columns.isEmpty())
        return true;
    dao::Recordset rs(m_db);
    if (!rs.Open(QStringLiteral("SELECT %1 FROM %2 WHERE %3=? LIMIT 1;")
                     .arg(columns.join(QLatin1Char(',')), dao::QuoteName(table->GetSource()),
                          dao::QuoteName(row.GetKeyColumn())),
                 {row.GetKey()}))
        return FailRead(table->GetSource());
    for (int c = 0; !rs.IsEOF() && c < positions.size(); ++c) {
        FieldValue value;
        QString reason;
        row.GetFieldValueByIndex(positions.at(c), value);
        // A damaged blob stays not loaded, so no write replaces it.
        if (!value.FromColumnValue(rs.GetValue(c), &reason))
            FailText(StoreText::DamagedValue, EngineError::BadValue,
                     QStringLiteral("%1 %2: %3").arg(table->GetSource()).arg(row.GetKey()).arg(reason));
        else
            LoadExternalContent(value);
    }
    return true;
}

bool ProjectDataEngine::LoadExternalContent(FieldValue& value)
{
    const QByteArray* blob = value.GetBlob();
    const QString name = StripExternPrefix(blob);
    if (name.isEmpty())
        return false;
    m_lastExternalName = name;
    QString externals = GetExternalsFolder();
    const QString found = ResolveLinkTarget(name, externals, QFileInfo(m_path).absolutePath());
    QFile file(found);
    if (found.isEmpty() || !file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray reference = *blob;
    return value.SetExternalContent(file.readAll(), reference);
}

// ---------------------------------------------------------------------------
// Field dictionary

bool ProjectDataEngine::AddField(TopicTable& table, const FieldDescriptor& field)
{
    m_writeStatements.clear();
    m_fieldStatements.clear();
    if (!IsOpen())
        return false;
    dao::Transaction transaction(m_db);
    bool ok = transaction.IsActive();
    // A value kept in sys_Values has no column. A new column takes the
    // default in every existing record, as the rows in memory do.
    if (ok && !field.HasState(FieldState::ValueTable)) {
        ok = m_db.AddColumn(table.GetSource(), {field.Source, schema::ColumnTypeOf(field.Type)});
        FieldDescriptor sized = field;
        sized.Size = FieldDescriptor::SizeOfType(field.Type);
        QByteArray bytes;
        QVariant stored;
        if (ok && !field.DefaultValue.isEmpty() && sized.BuildDefaultBytes(bytes) &&
            FieldValue(sized, bytes.data()).ToColumnValue(stored))
            ok = m_db.Execute(QStringLiteral("UPDATE %1 SET %2=?;")
                                  .arg(dao::QuoteName(table.GetSource()), dao::QuoteName(field.Source)),
                              {stored});
    }
    ok = ok &&
         m_db.Execute(QStringLiteral("INSERT INTO [sys_Fields]([TopicID],[ID],[Name],[Source],[Type],[State],"
                                     "[ParentTopicID],[DefaultValue],[Categorial]) VALUES(?,?,?,?,?,?,?,?,?);"),
                      {table.GetTopicId(), field.ID, field.Name, field.Source, field.Type, field.State,
                       field.ParentTopicID, field.DefaultValue, field.Categorial}) &&
         transaction.Commit();
    return ok || FailDb(field.Name);
}

bool ProjectDataEngine::SetFieldProperties(qint32 topicId, qint32 fieldId, const QString& text, int which)
{
    if (!IsOpen() || which < 0 || which > 2)
        return false;
    static const char* const kColumns[] = {"Name", "DefaultValue", "Categorial"};
    const QVariant value = which == 2 ? QVariant(ReadLeadingInt(text) != 0 ? 1 : 0) : QVariant(text);
    return m_db.Execute(QStringLiteral("UPDATE [sys_Fields] SET [%1]=? WHERE [TopicID]=? AND [ID]=?;")
                            .arg(QLatin1String(kColumns[which])),
                        {value, topicId, fieldId}) ||
           FailDb();
}

bool ProjectDataEngine::SetFieldType(qint32 topicId, qint32 fieldId, qint32 type)
{
    m_writeStatements.clear();
    m_fieldStatements.clear();
    if (!IsOpen() || !FieldDescriptor::IsKnownType(type))
        return false;
    dao::Transaction transaction(m_db);
    dao::Recordset rs(m_db);
    if (!transaction.IsActive() ||
        !rs.Open(QStringLiteral("SELECT [Name],[Source],[Type],[State] FROM [sys_Fields] WHERE [TopicID]=? AND "
                                "[ID]=?;"),
                 {topicId, fieldId}))
        return FailDb();
    if (rs.IsEOF())
        return false;
    const FieldDescriptor from = FieldDescriptor::FromFieldRecord(fieldId, rs.GetValue(0).toString(),
                                                                  rs.GetValue(1).toString(), qint32(rs.GetInt64(2)),
                                                                  qint32(rs.GetInt64(3)), 0, QString(), 0);
    rs.Close();
    const bool categorial = type == FieldType::ShortText || type == FieldType::Text ||
                            type == FieldType::Boolean || type == FieldType::LongText;
    const bool ok =
        m_db.Execute(QStringLiteral("UPDATE [sys_Fields] SET [Type]=?,[Categorial]=? WHERE [TopicID]=? AND [ID]=?;"),
                     {type, categorial ? 1 : 0, topicId, fieldId}) &&
        ConvertStoredValues(topicId, from, type) && transaction.Commit();
    return ok || FailDb(from.Name);
}

bool ProjectDataEngine::ConvertStoredValues(qint32 topicId, const FieldDescriptor& from, qint32 type)
{
    const auto convertible = [](qint32 code) {
        return FieldDescriptor::IsKnownType(code) && code != FieldType::Blob && code != FieldType::Memo;
    };
    if (from.Type == type || !convertible(from.Type) || !convertible(type))
        return true;
    FieldDescriptor to = from;
    to.Type = type;
    to.Size = FieldDescriptor::SizeOfType(type);
    QByteArray oldBytes(from.Size, '\0');
    QByteArray newBytes(to.Size, '\0');
    FieldValue oldValue(from, oldBytes.data());
    FieldValue newValue(to, newBytes.data());
    // Every stored value is read by the old type and typed in again.
    const auto retype = [&](const QVariant& stored, bool asText) {
        oldBytes.fill('\0');
        newBytes.fill('\0');
        const bool read = asText ? oldValue.Parse(stored.toString()) : oldValue.FromColumnValue(stored);
        newValue.Parse(read ? TextForRetype(oldValue) : stored.toString());
    };

    dao::Recordset rs(m_db);
    QList<std::pair<qint64, QVariant>> changes;
    if (from.HasState(FieldState::ValueTable)) {
        if (!rs.Open(QStringLiteral("SELECT rowid,[Value] FROM [sys_Values] WHERE [TopicID]=? AND [FieldID]=?;"),
                     {topicId, from.ID}))
            return false;
        for (; !rs.IsEOF(); rs.MoveNext()) {
            retype(rs.GetValue(1), true);
            changes.append({rs.GetInt64(0), newValue.ToStorageText()});
        }
        rs.Close();
        for (const auto& [rowid, value] : std::as_const(changes)) {
            if (!m_db.Execute(QStringLiteral("UPDATE [sys_Values] SET [Value]=? WHERE rowid=?;"), {value, rowid}))
                return false;
        }
        return true;
    }
    if (!rs.Open(QStringLiteral("SELECT [Source] FROM [sys_Topics] WHERE [ID]=?;"), {topicId}) || rs.IsEOF())
        return false;
    const QString table = dao::QuoteName(rs.GetValue(0).toString());
    const QString column = dao::QuoteName(from.Source);
    if (!rs.Open(QStringLiteral("SELECT rowid,%1 FROM %2;").arg(column, table)))
        return false;
    for (; !rs.IsEOF(); rs.MoveNext()) {
        retype(rs.GetValue(1), false);
        QVariant stored;
        newValue.ToColumnValue(stored);
        changes.append({rs.GetInt64(0), stored});
    }
    rs.Close();
    for (const auto& [rowid, value] : std::as_const(changes)) {
        if (!m_db.Execute(QStringLiteral("UPDATE %1 SET %2=? WHERE rowid=?;").arg(table, column), {value, rowid}))
            return false;
    }
    return true;
}

bool ProjectDataEngine::DeleteField(TopicTable& table, const FieldDescriptor& field)
{
    m_writeStatements.clear();
    m_fieldStatements.clear();
    if (!IsOpen())
        return false;
    const qint32 topic = table.GetTopicId();
    dao::Transaction transaction(m_db);
    bool ok = transaction.IsActive() &&
              m_db.Execute(QStringLiteral("DELETE FROM [sys_Fields] WHERE [TopicID]=? AND [ID]=?;"), {topic, field.ID});
    if (ok && field.HasState(FieldState::ValueTable))
        ok = m_db.Execute(QStringLiteral("DELETE FROM [sys_Values] WHERE [TopicID]=? AND [FieldID]=?;"),
                          {topic, field.ID});
    else if (ok && m_db.GetColumnNames(table.GetSource()).contains(field.Source, Qt::CaseInsensitive))
        ok = m_db.DropColumn(table.GetSource(), field.Source);
    if (ok && field.ID >= FieldDescriptor::kFirstUserFieldId && field.ID >= ReadMark(schema::kFieldMarkPrefix, topic))
        ok = RaiseMark(schema::kFieldMarkPrefix, topic, qMax(field.ID, table.Fields().GetIdHighWater()));
    return (ok && transaction.Commit()) || FailDb(field.Name);
}
