#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <memory>

/// What a Jet column holds, and so which value type its rows carry.
enum class JetColumnType {
    Boolean,   // bool, never null (Jet keeps it in the null mask)
    Integer,   // qint64 (byte, integer, long integer)
    Real,      // double (single, double)
    Currency,  // double, the fixed-point value divided by 10,000
    Date,      // double: OLE days (day 0 = 1899-12-30) exactly as stored
    Text,      // QString (up to 255 characters)
    Memo,      // QString of any length
    Decimal,   // QString: the exact decimal number as text
    Binary,    // QByteArray of full length (OLE object, binary, replication id)
};

struct JetColumn {
    QString name;
    JetColumnType type = JetColumnType::Text;
};

/// An index of a table; only the key columns in order are kept.
struct JetIndex {
    QString name;
    QStringList columns;
};

struct JetTable {
    QString name;
    QList<JetColumn> columns;
    QList<JetIndex> indexes;
};

/// @short Read access to the user tables of a legacy Jet (Access) database.
///
/// A row is one QVariant per column in column order: a null QVariant for
/// NULL, else the type named at `JetColumnType`. Non-null texts and byte
/// blocks are never null QString / QByteArray, so "" stays apart from NULL.
/// Implemented on libmdb by OpenJetDatabase; tests serve tables from memory.
class JetReader {
public:
    /// Receives one row; returning false stops the reading.
    using RowSink = std::function<bool(const QVariantList& row)>;

    virtual ~JetReader() = default;

    /// The user tables in catalogue order (system and linked tables left out).
    virtual const QList<JetTable>& Tables() const = 0;

    /// Hands every row of the named table to sink in storage order. False
    /// with error set when a row cannot be read completely; false with error
    /// untouched when the sink stopped the reading.
    virtual bool ReadRows(const QString& table, const RowSink& sink, QString* error) = 0;
};

/// Opens a Jet 3, Jet 4 or ACE file read-only (scrambled pages need no
/// password) and reads its table definitions. Null with error set when the
/// file is missing, not a Jet database, damaged, or holds a column type
/// whose values could not be read without loss.
std::unique_ptr<JetReader> OpenJetDatabase(const QString& path, QString* error);
