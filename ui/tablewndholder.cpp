#include "ui/tablewndholder.h"

#include "foundation/serialbuffer.h"

namespace {

constexpr qint64 kRecordSize = qint64(sizeof(TableWndRecord));

}  // namespace

TableWindowPointers& SharedTableWindowPointers()
{
    static TableWindowPointers pointers;
    return pointers;
}

CTableWndHolder::~CTableWndHolder()
{
    SharedTableWindowPointers() = TableWindowPointers();
}

bool CTableWndHolder::GetStoredRange(qint32& first, qint32& second) const
{
    if (m_rangeFirst < 0 || m_rangeSecond < 0)
        return false;
    first = m_rangeFirst;
    second = m_rangeSecond;
    return true;
}

void CTableWndHolder::SetStoredRange(qint32 first, qint32 second)
{
    m_rangeFirst = first;
    m_rangeSecond = second;
}

qint64 CTableWndHolder::SizeOfRecords(const QList<TableWndRecord>& records)
{
    return SerialBuffer::SizeOfInt() + kRecordSize * qint64(records.size());
}

bool CTableWndHolder::WriteRecords(SerialBuffer& buffer, const QList<TableWndRecord>& records)
{
    if (records.size() > INT32_MAX || !buffer.WriteInt(qint32(records.size())))
        return false;
    for (const TableWndRecord& record : records)
        if (!buffer.WriteRaw(record.data(), kRecordSize))
            return false;
    return true;
}

bool CTableWndHolder::ReadRecords(SerialBuffer& buffer, QList<TableWndRecord>& records)
{
    records.clear();
    qint32 count = 0;
    if (!buffer.ReadInt(count) || count < 0 || qint64(count) * kRecordSize > buffer.Remaining())
        return false;
    records.resize(count);
    for (TableWndRecord& record : records) {
        if (!buffer.ReadRaw(record.data(), kRecordSize)) {
            records.clear();
            return false;
        }
    }
    return true;
}
