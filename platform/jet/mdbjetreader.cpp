// JetReader on libmdb. libmdb finds tables, columns and rows; the values
// are decoded here from the raw row bytes, so nothing passes through
// libmdb's formatted text (which cuts long values and misprints dates).

#include "platform/jet/jetreader.h"

#include "platform/codepage/codepage.h"
#include "platform/jet/databasefilekind.h"

#include <QFile>
#include <QtEndian>

// glib first: mdbtools.h includes it inside extern "C".
#include <glib.h>
#include <mdbtools.h>

#include <charconv>
#include <cmath>
#include <vector>

namespace {

constexpr int kRowOffsetMask = 0x1fff;         // flags live in the top bits of a row offset
constexpr int kLongValueHeaderSize = 12;       // length word, page/row, reserved
constexpr quint32 kLongValueInline = 0x80000000u;
constexpr quint32 kLongValueSinglePage = 0x40000000u;
constexpr quint32 kLongValueFlagMask = 0xc0000000u;
constexpr double kMaxExactCurrency = 9007199254740992.0;  // 2^53: larger fixed-point values lose digits as double

struct ColumnSpec {
    int mdbType;
    JetColumnType type;
    int fixedSize;  // bytes of a fixed value; 0 for variable lengths
};

constexpr ColumnSpec kColumnSpecs[] = {
    {MDB_BOOL, JetColumnType::Boolean, 0},
    {MDB_BYTE, JetColumnType::Integer, 1},
    {MDB_INT, JetColumnType::Integer, 2},
    {MDB_LONGINT, JetColumnType::Integer, 4},
    {MDB_COMPLEX, JetColumnType::Integer, 4},
    {MDB_MONEY, JetColumnType::Currency, 8},
    {MDB_FLOAT, JetColumnType::Real, 4},
    {MDB_DOUBLE, JetColumnType::Real, 8},
    {MDB_DATETIME, JetColumnType::Date, 8},
    {MDB_NUMERIC, JetColumnType::Decimal, 17},
    {MDB_REPID, JetColumnType::Binary, 16},
    {MDB_BINARY, JetColumnType::Binary, 0},
    {MDB_OLE, JetColumnType::Binary, 0},
    {MDB_TEXT, JetColumnType::Text, 0},
    {MDB_MEMO, JetColumnType::Memo, 0},
};

const ColumnSpec* FindSpec(int mdbType)
{
    for (const ColumnSpec& spec : kColumnSpecs)
        if (spec.mdbType == mdbType)
            return &spec;
    return nullptr;
}

quint32 ReadU32(const unsigned char* p) { return qFromLittleEndian<quint32>(p); }

// The double nearest to the shortest decimal that reads back as the same
// single (0.15f gives 0.15, not 0.15000000596046448): no digits that Jet
// never showed, and converting back to single restores the stored value.
double SingleAsDouble(float single)
{
    char digits[32];
    const auto written = std::to_chars(digits, digits + sizeof digits, single);
    double result = single;
    std::from_chars(digits, written.ptr, result);
    return result;
}

// A null QString or QByteArray would be written as NULL: "" must stay "".
QVariant TextValue(const QString& text) { return QVariant(text.isNull() ? QStringLiteral("") : text); }
QVariant BytesValue(const QByteArray& bytes) { return QVariant(bytes.isNull() ? QByteArray("") : bytes); }

struct TableDefDeleter {
    void operator()(MdbTableDef* table) const { mdb_free_tabledef(table); }
};
using TableDefPtr = std::unique_ptr<MdbTableDef, TableDefDeleter>;

class MdbJetReader final : public JetReader {
public:
    ~MdbJetReader() override
    {
        m_defs.clear();  // table definitions refer to the handle's catalogue
        if (m_mdb)
            mdb_close(m_mdb);
    }

    bool Open(const QString& path, QString* error);
    const QList<JetTable>& Tables() const override { return m_tables; }
    bool ReadRows(const QString& table, const RowSink& sink, QString* error) override;

private:
    bool CatalogComplete();
    bool ReadDefinition(MdbCatalogEntry* entry, QString* error);
    bool DecodeField(const MdbColumn* column, const MdbField& field, QVariant* value, QString* error);
    bool ReadLongValue(int start, int size, QByteArray* bytes, QString* error);
    bool DecodeText(const char* data, qsizetype size, QString* text);

    MdbHandle* m_mdb = nullptr;
    bool m_jet3 = false;
    int m_codePage = codepage::kWindows1252;  // of Jet 3 text
    // Bytes the code page leaves undefined become U+0080..U+00FF of the
    // same value, as Windows maps them, so no byte is dropped.
    codepage::CodePageDecoder m_decoder{codepage::Undecodable::KeepByte};
    QList<JetTable> m_tables;
    std::vector<TableDefPtr> m_defs;  // parallel to m_tables
};

bool MdbJetReader::Open(const QString& path, QString* error)
{
    QString why;
    const DatabaseFileKind kind = DetectDatabaseFile(path, &why);
    if (kind == DatabaseFileKind::Unreadable) {
        *error = why;
        return false;
    }
    if (kind != DatabaseFileKind::Jet) {
        *error = QStringLiteral("%1 is not a Jet database").arg(path);
        return false;
    }
    m_mdb = mdb_open(QFile::encodeName(path).constData(), MDB_NOFLAGS);
    if (!m_mdb) {
        *error = QStringLiteral("%1 cannot be opened as a Jet database; the file may be damaged").arg(path);
        return false;
    }
    // Object names reach us through libmdb's converter; it must hand out UTF-8.
    if (qstrcmp(mdb_target_charset(m_mdb), "UTF-8") != 0) {
        *error = QStringLiteral("The Jet reader is set to the character set %1 (MDB_ICONV), not UTF-8")
                     .arg(QString::fromLatin1(mdb_target_charset(m_mdb)));
        return false;
    }
    m_jet3 = m_mdb->f->jet_version == MDB_VER_JET3;
    if (m_jet3 && m_mdb->f->code_page) {
        m_codePage = m_mdb->f->code_page;
        if (!m_decoder.Knows(m_codePage))
            qWarning("Jet file %s: code page %d unknown, texts read as code page %d", qPrintable(path), m_codePage,
                     codepage::kWindows1252);
    }
    if (!mdb_read_catalog(m_mdb, MDB_TABLE) || !CatalogComplete()) {
        *error = QStringLiteral("The table list of %1 cannot be read completely; the file may be damaged").arg(path);
        return false;
    }
    for (unsigned i = 0; i < m_mdb->num_catalog; ++i) {
        auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(m_mdb->catalog, i));
        if (mdb_is_user_table(entry) && !ReadDefinition(entry, error)) {
            *error = QStringLiteral("%1: %2").arg(path, *error);
            return false;
        }
    }
    return true;
}

// libmdb builds the catalogue from the rows of MSysObjects it manages to
// read, so a file cut short would look like one with fewer tables.
bool MdbJetReader::CatalogComplete()
{
    for (unsigned i = 0; i < m_mdb->num_catalog; ++i) {
        auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(m_mdb->catalog, i));
        if (qstrcmp(entry->object_name, "MSysObjects") != 0)
            continue;
        TableDefPtr def(mdb_read_table(entry));
        if (!def || !mdb_read_columns(def.get()))
            return false;
        unsigned rows = 0;
        mdb_rewind_table(def.get());
        while (mdb_fetch_row(def.get()))
            ++rows;
        return rows >= def->num_rows;
    }
    return false;
}

bool MdbJetReader::ReadDefinition(MdbCatalogEntry* entry, QString* error)
{
    JetTable table;
    table.name = QString::fromUtf8(entry->object_name);
    TableDefPtr def(mdb_read_table(entry));
    if (!def || !mdb_read_columns(def.get())) {
        *error = QStringLiteral("the definition of table \"%1\" cannot be read").arg(table.name);
        return false;
    }
    for (unsigned c = 0; c < def->num_cols; ++c) {
        const auto* col = static_cast<const MdbColumn*>(g_ptr_array_index(def->columns, c));
        const QString name = QString::fromUtf8(col->name);
        const ColumnSpec* spec = FindSpec(col->col_type);
        if (!spec) {
            *error = QStringLiteral("column \"%1\" of table \"%2\" has the type %3, which cannot be read")
                         .arg(name, table.name)
                         .arg(col->col_type);
            return false;
        }
        table.columns.append({name, spec->type});
    }
    mdb_read_indices(def.get());  // its result differs between libmdb versions; the table holds the list
    if (def->indices) {
        for (unsigned i = 0; i < def->indices->len; ++i) {
            const auto* idx = static_cast<const MdbIndex*>(g_ptr_array_index(def->indices, i));
            constexpr int kForeignKeyReference = 2;  // mirrors the other table's index; no keys of its own
            if (idx->index_type == kForeignKeyReference || idx->num_keys == 0)
                continue;
            JetIndex index{QString::fromUtf8(idx->name), {}};
            for (unsigned k = 0; k < idx->num_keys && k < MDB_MAX_IDX_COLS; ++k) {
                const int column = idx->key_col_num[k] - 1;  // 1-based
                if (column < 0 || column >= table.columns.size()) {
                    *error = QStringLiteral("index \"%1\" of table \"%2\" names a column that does not exist")
                                 .arg(index.name, table.name);
                    return false;
                }
                index.columns.append(table.columns[column].name);
            }
            table.indexes.append(index);
        }
    }
    m_tables.append(table);
    m_defs.push_back(std::move(def));
    return true;
}

bool MdbJetReader::ReadRows(const QString& tableName, const RowSink& sink, QString* error)
{
    qsizetype t = 0;
    while (t < m_tables.size() && m_tables[t].name != tableName)
        ++t;
    if (t == m_tables.size()) {
        *error = QStringLiteral("There is no table \"%1\"").arg(tableName);
        return false;
    }
    MdbTableDef* def = m_defs[t].get();
    const int columnCount = static_cast<int>(def->num_cols);
    std::vector<MdbField> fields(columnCount);
    QVariantList row(columnCount);
    unsigned rowsRead = 0;
    mdb_rewind_table(def);
    while (mdb_fetch_row(def)) {
        // mdb_fetch_row leaves the row's page in pg_buf and points past the row;
        // the row is cracked again here to see its null mask and raw bytes.
        int start = 0;
        size_t size = 0;
        if (mdb_find_row(m_mdb, static_cast<int>(def->cur_row) - 1, &start, &size) != 0
            || mdb_crack_row(def, start & kRowOffsetMask, size, fields.data()) < 0) {
            *error = QStringLiteral("Row %1 of table \"%2\" cannot be read; the file may be damaged")
                         .arg(rowsRead + 1)
                         .arg(tableName);
            return false;
        }
        for (const MdbField& field : fields) {
            if (field.colnum < 0 || field.colnum >= columnCount)
                continue;
            const auto* col = static_cast<const MdbColumn*>(g_ptr_array_index(def->columns, field.colnum));
            QString why;
            if (!DecodeField(col, field, &row[field.colnum], &why)) {
                *error = QStringLiteral("Row %1 of table \"%2\", column \"%3\": %4")
                             .arg(rowsRead + 1)
                             .arg(tableName, QString::fromUtf8(col->name), why);
                return false;
            }
        }
        ++rowsRead;
        if (!sink(row))
            return false;
    }
    // libmdb ends the scan without a word when a page cannot be read or a row
    // is malformed; the row count of the table definition tells.
    if (rowsRead < def->num_rows) {
        *error = QStringLiteral("Only %1 of the %2 rows of table \"%3\" could be read; the file may be damaged")
                     .arg(rowsRead)
                     .arg(def->num_rows)
                     .arg(tableName);
        return false;
    }
    return true;
}

bool MdbJetReader::DecodeField(const MdbColumn* column, const MdbField& field, QVariant* value, QString* error)
{
    const ColumnSpec* spec = FindSpec(column->col_type);
    if (spec->type == JetColumnType::Boolean) {
        // The null-mask bit is the value: set means true.
        *value = QVariant(!field.is_null);
        return true;
    }
    if (field.is_null) {
        *value = QVariant();
        return true;
    }
    const qsizetype pageSize = m_mdb->fmt->pg_size;
    if (field.start < 0 || field.siz < 0 || field.start + field.siz > pageSize) {
        *error = QStringLiteral("the value lies outside its page");
        return false;
    }
    if (spec->fixedSize && field.siz != spec->fixedSize) {
        *error = QStringLiteral("the value has %1 bytes instead of %2").arg(field.siz).arg(spec->fixedSize);
        return false;
    }
    const unsigned char* p = m_mdb->pg_buf + field.start;
    switch (column->col_type) {
    case MDB_BYTE:
        *value = QVariant(qint64(*p));
        return true;
    case MDB_INT:
        *value = QVariant(qint64(qFromLittleEndian<qint16>(p)));
        return true;
    case MDB_LONGINT:
    case MDB_COMPLEX:
        *value = QVariant(qint64(qFromLittleEndian<qint32>(p)));
        return true;
    case MDB_MONEY: {
        const qint64 tenThousandths = qFromLittleEndian<qint64>(p);
        if (std::abs(double(tenThousandths)) > kMaxExactCurrency) {
            *error = QStringLiteral("the currency value is too large to be kept exactly");
            return false;
        }
        *value = QVariant(double(tenThousandths) / 10000.0);
        return true;
    }
    case MDB_FLOAT:
        *value = QVariant(SingleAsDouble(qFromLittleEndian<float>(p)));
        return true;
    case MDB_DOUBLE:
    case MDB_DATETIME:
        *value = QVariant(qFromLittleEndian<double>(p));
        return true;
    case MDB_NUMERIC: {
        char* text = mdb_numeric_to_string(m_mdb, field.start, column->col_scale, column->col_prec);
        *value = TextValue(QString::fromUtf8(text));
        g_free(text);
        return true;
    }
    case MDB_REPID:
    case MDB_BINARY:
        *value = BytesValue(QByteArray(reinterpret_cast<const char*>(p), field.siz));
        return true;
    case MDB_TEXT: {
        QString text;
        if (!DecodeText(reinterpret_cast<const char*>(p), field.siz, &text)) {
            *error = QStringLiteral("the text is malformed");
            return false;
        }
        *value = TextValue(text);
        return true;
    }
    case MDB_OLE:
    case MDB_MEMO: {
        QByteArray bytes;
        if (field.siz > 0 && !ReadLongValue(field.start, field.siz, &bytes, error))
            return false;
        if (column->col_type == MDB_OLE) {
            *value = BytesValue(bytes);
            return true;
        }
        QString text;
        if (!DecodeText(bytes.constData(), bytes.size(), &text)) {
            *error = QStringLiteral("the memo text is malformed");
            return false;
        }
        *value = TextValue(text);
        return true;
    }
    }
    *error = QStringLiteral("the column type %1 cannot be read").arg(column->col_type);
    return false;
}

// A memo or OLE value: a 12-byte header in the row (length and format in the
// first word, the page/row of the data in the second), then the data inline,
// in one row of a long-value page, or in a chain of such rows, each starting
// with the page/row of the next.
bool MdbJetReader::ReadLongValue(int start, int size, QByteArray* bytes, QString* error)
{
    if (size < kLongValueHeaderSize) {
        *error = QStringLiteral("the long value header is cut short");
        return false;
    }
    const unsigned char* header = m_mdb->pg_buf + start;
    const quint32 word = ReadU32(header);
    const qsizetype length = word & ~kLongValueFlagMask;
    const quint32 format = word & kLongValueFlagMask;
    bytes->clear();  // not reserved from the header: a damaged length must not allocate a gigabyte
    if (format == kLongValueInline) {
        bytes->append(reinterpret_cast<const char*>(header + kLongValueHeaderSize), size - kLongValueHeaderSize);
    } else if (format == kLongValueSinglePage || format == 0) {
        const bool chained = format == 0;
        int pageRow = static_cast<int>(ReadU32(header + 4));
        while (pageRow) {
            void* page = nullptr;
            int offset = 0;
            size_t rowSize = 0;
            if (mdb_find_pg_row(m_mdb, pageRow, &page, &offset, &rowSize) != 0
                || offset + qsizetype(rowSize) > m_mdb->fmt->pg_size) {
                *error = QStringLiteral("a page of the long value cannot be read");
                return false;
            }
            const auto* data = static_cast<const unsigned char*>(page) + offset;
            const int link = chained ? 4 : 0;
            if (qsizetype(rowSize) < link || bytes->size() + qsizetype(rowSize) - link > length) {
                // Also ends a chain that loops back on itself.
                *error = QStringLiteral("the long value is longer than its header says");
                return false;
            }
            bytes->append(reinterpret_cast<const char*>(data + link), qsizetype(rowSize) - link);
            pageRow = chained ? static_cast<int>(ReadU32(data)) : 0;
        }
    } else {
        *error = QStringLiteral("the long value has the unknown format %1").arg(format >> 30);
        return false;
    }
    if (bytes->size() != length) {
        *error = QStringLiteral("the long value has %1 bytes, its header says %2").arg(bytes->size()).arg(length);
        return false;
    }
    return true;
}

// Jet 4 text is UTF-16LE, or "compressed" after the marker FF FE: one byte
// per character (high byte 0) until a 0 byte switches to two-byte
// characters, and the next 0 back. Jet 3 text is in the file's code page.
bool MdbJetReader::DecodeText(const char* data, qsizetype size, QString* text)
{
    if (m_jet3) {
        text->clear();
        m_decoder.append(*text, data, size, m_codePage);
        return true;
    }
    const auto* p = reinterpret_cast<const unsigned char*>(data);
    if (size >= 2 && p[0] == 0xff && p[1] == 0xfe) {
        QString out;
        out.reserve(size);
        bool compressed = true;
        for (qsizetype i = 2; i < size;) {
            if (p[i] == 0) {
                compressed = !compressed;
                ++i;
            } else if (compressed) {
                out.append(QChar(char16_t(p[i])));
                ++i;
            } else if (i + 1 < size) {
                out.append(QChar(qFromLittleEndian<char16_t>(p + i)));
                i += 2;
            } else {
                return false;
            }
        }
        *text = out;
        return true;
    }
    if (size % 2)
        return false;
    *text = QString(size / 2, Qt::Uninitialized);
    qFromLittleEndian<char16_t>(p, size / 2, text->data());
    return true;
}

}  // namespace

std::unique_ptr<JetReader> OpenJetDatabase(const QString& path, QString* error)
{
    auto reader = std::make_unique<MdbJetReader>();
    QString why;
    if (!reader->Open(path, &why)) {
        if (error)
            *error = why;
        return nullptr;
    }
    return reader;
}
