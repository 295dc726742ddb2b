#include "foundation/tabledata.h"

#include "foundation/ids.h"
#include "foundation/serialbuffer.h"
#include "foundation/stringstore.h"

#include <algorithm>
#include <numeric>

namespace {

constexpr qint32 kImageVersion = 1;
constexpr qint64 kStoredRecordSize = 4 + 4 + 1;

bool ReadRecord(SerialBuffer& buffer, TableColumnRecord& record)
{
    return buffer.ReadInt(record.first) && buffer.ReadInt(record.second) && buffer.ReadByte(record.flag);
}

}  // namespace

bool CTableData::SetSize(qint32 rows, qint32 columns)
{
    if (rows < 0 || columns < 0 || qint64(rows) * columns > kMaxCells)
        return false;
    const qsizetype cells = qsizetype(rows) * columns;
    m_rows = rows;
    m_columns = columns;
    m_labels = QStringList(columns, QString());
    m_flags = QList<qint32>(columns, 0);
    m_columnRecords.resize(columns);
    for (qint32 i = 0; i < columns; ++i)
        m_columnRecords[i] = TableColumnRecord{i, i, 1, 0};
    m_cells = QStringList(cells, QString());
    m_cellValues = QList<qint32>(cells * 2, 0);
    return true;
}

bool CTableData::Create(qint32 rows, qint32 columns, bool noLabels)
{
    if (!SetSize(rows, columns))
        return false;
    if (!noLabels) {
        const QString word = LoadString(FoundationText::Column);
        for (qint32 i = 0; i < columns; ++i)
            m_labels[i] = QStringLiteral("%1 %2").arg(word).arg(i + 1);
    }
    return true;
}

QString CTableData::GetCell(qint32 row, qint32 column) const
{
    if (row < 0 || row >= m_rows || column < 0 || column >= m_columns)
        return QString();
    return m_cells[qsizetype(row) * m_columns + column];
}

bool CTableData::SetCell(qint32 row, qint32 column, const QString& text)
{
    if (row < 0 || row >= m_rows || column < 0 || column >= m_columns)
        return false;
    m_cells[qsizetype(row) * m_columns + column] = text;
    return true;
}

QString CTableData::GetColumnLabel(qint32 column) const
{
    return m_labels.value(column);
}

bool CTableData::SetColumnLabel(qint32 column, const QString& label)
{
    if (column < 0 || column >= m_columns)
        return false;
    m_labels[column] = label;
    return true;
}

qint32 CTableData::GetColumnFlag(qint32 column) const
{
    return m_flags.value(column);
}

bool CTableData::SetColumnFlag(qint32 column, qint32 flag)
{
    if (column < 0 || column >= m_columns)
        return false;
    m_flags[column] = flag;
    return true;
}

qint64 CTableData::GetTotalLabelLength() const
{
    qint64 total = 0;
    for (const QString& cell : m_cells)
        total += cell.size();
    return total;
}

qint64 CTableData::GetTextLength() const
{
    return GetTotalLabelLength();
}

void CTableData::GetIdentityOrder(QList<qint32>& rowOrder, QList<qint32>& columnOrder) const
{
    rowOrder.resize(m_rows);
    std::iota(rowOrder.begin(), rowOrder.end(), 0);
    columnOrder.resize(m_columns);
    std::iota(columnOrder.begin(), columnOrder.end(), 0);
}

// The image: version, rows, columns, the cells as a string array, the
// labels, the flags and the cell values, then the number of column records
// and each record's two integers and byte. The buffer's zero padding to a
// multiple of 16 bytes is part of the stored image.
bool CTableData::SaveToBytes(QByteArray& bytes) const
{
    const qint64 size = 3 * SerialBuffer::SizeOfInt() + SerialBuffer::SizeOfStringArray(m_cells)
                        + SerialBuffer::SizeOfStringArray(m_labels) + SerialBuffer::SizeOfIntArray(m_flags)
                        + SerialBuffer::SizeOfIntArray(m_cellValues) + SerialBuffer::SizeOfInt()
                        + kStoredRecordSize * m_columnRecords.size();
    SerialBuffer buffer;
    if (!buffer.Reserve(size))
        return false;
    bool ok = buffer.WriteInt(kImageVersion) && buffer.WriteInt(m_rows) && buffer.WriteInt(m_columns)
              && buffer.WriteStringArray(m_cells) && buffer.WriteStringArray(m_labels)
              && buffer.WriteIntArray(m_flags) && buffer.WriteIntArray(m_cellValues)
              && buffer.WriteInt(qint32(m_columnRecords.size()));
    for (const TableColumnRecord& record : m_columnRecords)
        ok = ok && buffer.WriteInt(record.first) && buffer.WriteInt(record.second) && buffer.WriteByte(record.flag);
    if (!ok)
        return false;
    bytes = buffer.Data();
    return true;
}

bool CTableData::LoadFromBytes(const QByteArray& bytes)
{
    SerialBuffer buffer(bytes);
    qint32 version = 0, rows = 0, columns = 0;
    if (!buffer.ReadInt(version) || !buffer.ReadInt(rows) || !buffer.ReadInt(columns))
        return false;
    // Check the sizes against the bytes left before anything is allocated:
    // every cell needs at least its string count and two cell values, every
    // column a label count and a flag. Rows without columns hold no cell, so
    // nothing in the image could back their count.
    if (rows < 0 || columns < 0 || qint64(rows) * columns > kMaxCells || (columns == 0 && rows > 0))
        return false;
    const qint64 cells = qint64(rows) * columns;
    // An image may end after its sizes (at most padded with zeros): a table
    // of that size with empty cells. As nothing backs its cells, its size is
    // held to what a stored document can sensibly hold.
    const QByteArray rest = bytes.mid(buffer.Position());
    if (rest.size() < 16 && std::all_of(rest.cbegin(), rest.cend(), [](char byte) { return byte == 0; })) {
        if (cells > kMaxUnbackedCells || columns > kMaxUnbackedColumns)
            return false;
        return SetSize(rows, columns);
    }
    if (cells * 12 + qint64(columns) * 8 > buffer.Remaining())
        return false;

    // Every list of the table is read whole below, so none is sized first.
    CTableData table;
    table.m_rows = rows;
    table.m_columns = columns;
    if (!buffer.ReadStringArray(table.m_cells) || table.m_cells.size() != cells)
        return false;
    if (!buffer.ReadStringArray(table.m_labels) || table.m_labels.size() != columns)
        return false;
    if (!buffer.ReadIntArray(table.m_flags) || table.m_flags.size() != columns)
        return false;
    if (!buffer.ReadIntArray(table.m_cellValues) || table.m_cellValues.size() != cells * 2)
        return false;
    qint32 recordCount = 0;
    if (!buffer.ReadInt(recordCount) || recordCount < 0
        || recordCount * kStoredRecordSize > buffer.Remaining())
        return false;
    table.m_columnRecords = QList<TableColumnRecord>(recordCount, TableColumnRecord{-1, -1, 0, 0});
    for (TableColumnRecord& record : table.m_columnRecords) {
        if (!ReadRecord(buffer, record))
            return false;
    }
    // Only the writer's zero padding may follow.
    const QByteArray tail = bytes.mid(buffer.Position());
    if (std::any_of(tail.cbegin(), tail.cend(), [](char byte) { return byte != 0; }))
        return false;
    *this = std::move(table);
    return true;
}
