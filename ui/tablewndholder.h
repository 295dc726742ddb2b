#pragma once

#include "foundation/tabledata.h"

#include <QByteArray>
#include <QList>

#include <array>

class QObject;
class SerialBuffer;
class CTableWndHolder;

/// One record of the holder's third list, kept as its raw bytes.
using TableWndRecord = std::array<quint8, 288>;

/// @short The table window's process-wide pointers: the window, its holder
/// and two of its parts. The holder's destruction clears them, so nothing
/// reaches a table window that is gone.
struct TableWindowPointers {
    QObject* window = nullptr;
    CTableWndHolder* holder = nullptr;
    QObject* firstPart = nullptr;
    QObject* secondPart = nullptr;
};
TableWindowPointers& SharedTableWindowPointers();

/// @short The data the table window keeps for the table it shows.
class CTableWndHolder {
public:
    CTableWndHolder() = default;
    ~CTableWndHolder();
    CTableWndHolder(const CTableWndHolder&) = delete;
    CTableWndHolder& operator=(const CTableWndHolder&) = delete;

    /// False while no range was stored (either value negative).
    bool GetStoredRange(qint32& first, qint32& second) const;
    void SetStoredRange(qint32 first, qint32 second);

    /// The third list as a 32-bit count followed by the records' bytes.
    static qint64 SizeOfRecords(const QList<TableWndRecord>& records);
    static bool WriteRecords(SerialBuffer& buffer, const QList<TableWndRecord>& records);
    /// Refuses a negative count or one the bytes left cannot hold, leaving
    /// `records` empty.
    static bool ReadRecords(SerialBuffer& buffer, QList<TableWndRecord>& records);

    CTableData table;
    QList<qint32> firstList;
    QList<QByteArray> secondList;
    QList<TableWndRecord> thirdList;

private:
    qint32 m_rangeFirst = -1;
    qint32 m_rangeSecond = -1;
};
