#pragma once

// Typed access to the fields of a row buffer, for the document's
// operations. A field the row does not have reads as 0 or empty, and
// setting it gives false.

#include "store/fieldvalue.h"
#include "store/oledate.h"
#include "store/rowbuffer.h"
#include "store/topicdatabase.h"

#include <QDateTime>

#include <cstring>

namespace rowfields {

inline qint32 IntOf(RowBuffer& row, qint32 field)
{
    FieldValue value;
    return row.GetFieldValue(field, value) ? value.GetInt() : 0;
}

inline QString TextOf(RowBuffer& row, qint32 field)
{
    FieldValue value;
    return row.GetFieldValue(field, value) ? value.GetText() : QString();
}

inline bool SetInt(RowBuffer& row, qint32 field, qint32 newValue)
{
    FieldValue value;
    return row.GetFieldValue(field, value) && value.SetInt(newValue);
}

/// Cut to the field's capacity.
inline bool SetText(RowBuffer& row, qint32 field, const QString& text)
{
    FieldValue value;
    return row.GetFieldValue(field, value) && value.SetText(text);
}

inline bool SetReal(RowBuffer& row, qint32 field, double newValue)
{
    FieldValue value;
    return row.GetFieldValue(field, value) && value.SetReal(newValue);
}

inline bool SetDate(RowBuffer& row, qint32 field, const QDateTime& time)
{
    FieldValue value;
    return row.GetFieldValue(field, value) &&
           value.SetDate(OleDate{OleDaysFromDateTime(time.date(), time.time()), DateStatus::Valid});
}

inline bool SetBlob(RowBuffer& row, qint32 field, const QByteArray& bytes)
{
    FieldValue value;
    return row.GetFieldValue(field, value) && value.SetBlob(bytes);
}

inline bool SetBlob(RowBuffer& row, qint32 field, const QByteArray& bytes, const PreparedBlob& prepared)
{
    FieldValue value;
    return row.GetFieldValue(field, value) && value.SetBlob(bytes, prepared);
}

/// An integer field of a packed row, read without a field value: for
/// passes over every row of a topic (TopicTable::ForEachRow).
inline qint32 IntAt(const char* row, qint32 offset)
{
    qint32 value;
    std::memcpy(&value, row + offset, sizeof value);
    return value;
}

/// A field of a stored row as text, without copying the row; empty when
/// the row or field is absent.
inline QString TextOfKey(const TopicDatabase& db, qint32 topic, qint32 key, qint32 fieldId)
{
    const TopicTable* table = db.GetTable(topic);
    const FieldDescriptor* field = table ? table->Fields().GetById(fieldId) : nullptr;
    const char* row = table ? table->RowOfKey(key) : nullptr;
    if (!field || !row)
        return {};
    return FieldValue(*field, const_cast<char*>(row) + field->Offset).GetText();
}

}  // namespace rowfields
