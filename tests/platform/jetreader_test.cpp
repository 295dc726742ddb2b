// The libmdb reader on real Jet 3 and Jet 4 files: names, types, every kind
// of value at full length, and damaged files refused with a clear error.
#include "platform/jet/jetreader.h"

#include "common/testutil.h"

#include <QCryptographicHash>
#include <QDate>

namespace {

constexpr char kNwind[] = "jet/nwind.mdb";           // Jet 3, code page 1252
constexpr char kDates[] = "jet/DateTestDatabase.mdb";  // Jet 4

std::unique_ptr<JetReader> Open(const QString& path)
{
    QString error;
    auto reader = OpenJetDatabase(path, &error);
    EXPECT_TRUE(reader) << error.toStdString();
    return reader;
}

QList<QVariantList> AllRows(JetReader& reader, const QString& table)
{
    QList<QVariantList> rows;
    QString error;
    EXPECT_TRUE(reader.ReadRows(table, [&](const QVariantList& row) {
        rows.append(row);
        return true;
    }, &error)) << error.toStdString();
    return rows;
}

const JetTable* FindTable(const JetReader& reader, const QString& name)
{
    for (const JetTable& table : reader.Tables())
        if (table.name == name)
            return &table;
    return nullptr;
}

QVariantList RowWithKey(const QList<QVariantList>& rows, const QVariant& key)
{
    for (const QVariantList& row : rows)
        if (row[0] == key)
            return row;
    ADD_FAILURE() << "no row with key " << key.toString().toStdString();
    return {};
}

QDate OleDay(double days) { return QDate(1899, 12, 30).addDays(qint64(days)); }

// Every user table is read completely: the Jet row counts are all there.
TEST(JetReader, ListsUserTablesWithAllRows)
{
    struct Case {
        const char* file;
        QList<QPair<QString, int>> tables;  // name, rows, in catalogue order
    };
    const Case cases[] = {
        {kNwind,
         {{"Order Details", 2155}, {"Orders", 830}, {"Products", 77}, {"Shippers", 3}, {"Categories", 8},
          {"Customers", 91}, {"Employees", 9}, {"Suppliers", 29}, {QString::fromUtf8("Umsätze"), 830}}},
        {kDates, {{"DateTest", 6}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        auto reader = Open(testutil::DataPath(c.file));
        ASSERT_TRUE(reader);
        QList<QPair<QString, int>> seen;
        for (const JetTable& table : reader->Tables())
            seen.append({table.name, int(AllRows(*reader, table.name).size())});
        EXPECT_EQ(seen, c.tables);
    }
}

TEST(JetReader, GivesColumnsWithTypesAndIndexesWithKeys)
{
    auto reader = Open(testutil::DataPath(kNwind));
    ASSERT_TRUE(reader);
    const JetTable* employees = FindTable(*reader, "Employees");
    ASSERT_TRUE(employees);
    using T = JetColumnType;
    const QList<QPair<QString, T>> expected = {
        {"EmployeeID", T::Integer}, {"LastName", T::Text},   {"FirstName", T::Text},   {"Title", T::Text},
        {"TitleOfCourtesy", T::Text}, {"BirthDate", T::Date}, {"HireDate", T::Date},    {"Address", T::Text},
        {"City", T::Text},          {"Region", T::Text},     {"PostalCode", T::Text},  {"Country", T::Text},
        {"HomePhone", T::Text},     {"Extension", T::Text},  {"Photo", T::Binary},     {"Notes", T::Memo},
        {"ReportsTo", T::Integer},
    };
    QList<QPair<QString, T>> columns;
    for (const JetColumn& column : employees->columns)
        columns.append({column.name, column.type});
    EXPECT_EQ(columns, expected);

    const JetTable* products = FindTable(*reader, "Products");
    ASSERT_TRUE(products);
    EXPECT_EQ(products->columns[5].type, T::Currency);  // UnitPrice
    EXPECT_EQ(products->columns[9].type, T::Boolean);   // Discontinued
    EXPECT_EQ(FindTable(*reader, "Order Details")->columns[4].type, T::Real);  // Discount, a single

    // Relationship entries (".rD", "EmployeesOrders") mirror other indexes and are left out.
    QStringList indexes;
    for (const JetIndex& index : FindTable(*reader, "Order Details")->indexes)
        indexes.append(index.name + QLatin1Char('=') + index.columns.join(QLatin1Char('+')));
    EXPECT_EQ(indexes, QStringList({"OrderID=OrderID", "PrimaryKey=OrderID+ProductID", "ProductID=ProductID"}));
}

TEST(JetReader, ReadsJet3ValuesExactly)
{
    auto reader = Open(testutil::DataPath(kNwind));
    ASSERT_TRUE(reader);

    const QVariantList nancy = RowWithKey(AllRows(*reader, "Employees"), qint64(1));
    ASSERT_EQ(nancy.size(), 17);
    EXPECT_EQ(nancy[1], QVariant(QStringLiteral("Davolio")));
    EXPECT_EQ(nancy[5].typeId(), QMetaType::Double);
    EXPECT_EQ(nancy[5].toDouble(), 17875.0);
    EXPECT_EQ(OleDay(nancy[5].toDouble()), QDate(1948, 12, 8));
    EXPECT_EQ(nancy[7], QVariant(QStringLiteral("507 - 20th Ave. E.\r\nApt. 2A")));
    EXPECT_FALSE(nancy[9].isNull());  // Region "WA"
    // The photo spans several long-value pages, beyond libmdb's 16 KB bind
    // buffer; its digest is the one libmdb's own OLE reader gives.
    const QByteArray photo = nancy[14].toByteArray();
    EXPECT_EQ(photo.size(), 21626);
    EXPECT_EQ(QCryptographicHash::hash(photo, QCryptographicHash::Md5).toHex(), "bfc7175746f175a1a18de18840986ba2");
    const QString notes = nancy[15].toString();
    EXPECT_EQ(notes.size(), 175);
    EXPECT_TRUE(notes.startsWith(QStringLiteral("Education includes a BA in psychology"))) << notes.toStdString();
    EXPECT_EQ(nancy[16], QVariant(qint64(2)));

    const QVariantList fuller = RowWithKey(AllRows(*reader, "Employees"), qint64(2));
    EXPECT_FALSE(fuller[16].isValid());  // ReportsTo is NULL for the boss

    // Code page 1252 text.
    const QList<QVariantList> customers = AllRows(*reader, "Customers");
    EXPECT_EQ(RowWithKey(customers, QStringLiteral("ANATR"))[5], QVariant(QString::fromUtf8("México D.F.")));
    EXPECT_EQ(RowWithKey(customers, QStringLiteral("BERGS"))[4], QVariant(QString::fromUtf8("Berguvsvägen  8")));
    EXPECT_EQ(RowWithKey(customers, QStringLiteral("KOENE"))[1], QVariant(QString::fromUtf8("Königlich Essen")));
    EXPECT_FALSE(RowWithKey(customers, QStringLiteral("ALFKI"))[6].isValid());  // Region NULL

    // Currency divided by 10,000; a single as its shortest decimal; booleans.
    const QList<QVariantList> details = AllRows(*reader, "Order Details");
    EXPECT_EQ(details[1][2], QVariant(9.8));
    int discountsOf15 = 0;
    for (const QVariantList& row : details)
        discountsOf15 += row[4] == QVariant(0.15);
    EXPECT_EQ(discountsOf15, 157);
    EXPECT_EQ(RowWithKey(AllRows(*reader, "Orders"), qint64(10332))[7], QVariant(52.84));
    int discontinued = 0;
    for (const QVariantList& row : AllRows(*reader, "Products")) {
        ASSERT_EQ(row[9].typeId(), QMetaType::Bool);
        discontinued += row[9].toBool();
    }
    EXPECT_EQ(discontinued, 8);
}

TEST(JetReader, ReadsJet4DatesAsRawOleDays)
{
    auto reader = Open(testutil::DataPath(kDates));
    ASSERT_TRUE(reader);
    const QList<QVariantList> rows = AllRows(*reader, "DateTest");
    ASSERT_EQ(rows.size(), 6);
    struct Case {
        int row;
        int column;
        double days;
        QDate date;
    };
    const Case cases[] = {
        {0, 1, 44532, QDate(2021, 12, 2)},
        {1, 1, 2958101, QDate(9999, 1, 1)},
        {2, 1, -728, QDate(1898, 1, 1)},
        {2, 2, -363, QDate(1899, 1, 1)},
        {2, 3, 2, QDate(1900, 1, 1)},
        {3, 1, -463126, QDate(632, 1, 1)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row);
        ASSERT_EQ(rows[c.row][c.column].typeId(), QMetaType::Double);
        EXPECT_EQ(rows[c.row][c.column].toDouble(), c.days);
        EXPECT_EQ(OleDay(c.days), c.date);
    }
    // Memo and text, compressed UTF-16 in the file.
    EXPECT_EQ(rows[1][4], QVariant(QStringLiteral("Year 9999")));
    EXPECT_EQ(rows[1][5], QVariant(QStringLiteral("Year 1999")));
    EXPECT_EQ(rows[4][4], QVariant(QStringLiteral("Escaped new line \\r\\n in field")));
    EXPECT_EQ(rows[5][4], QVariant(QStringLiteral("New line\r\nin field")));
}

/// The first value of a table's first row whose text starts as given.
QString FirstTextStarting(JetReader& reader, const QString& table, const QString& start)
{
    for (const QVariantList& row : AllRows(reader, table))
        for (const QVariant& value : row)
            if (value.typeId() == QMetaType::QString && value.toString().startsWith(start))
                return value.toString();
    return QString();
}

// Fixture bytes changed in place, same length: a Jet 3 name with bytes that
// code page 1252 maps beyond Latin-1 (0x80) or leaves undefined (0x81), and a
// Jet 4 memo that switches from one-byte to two-byte characters and back.
TEST(JetReader, DecodesCodePageAndCompressedUnicode)
{
    testutil::TempDir dir;
    QByteArray nwind = testutil::ReadFile(testutil::DataPath(kNwind));
    const qsizetype name = nwind.indexOf("Davolio");
    ASSERT_GE(name, 0);
    nwind.replace(name, 7, QByteArray("Dav\x80\x81io"));
    ASSERT_TRUE(testutil::WriteFile(dir.file("cp1252.mdb"), nwind));
    auto jet3 = Open(dir.file("cp1252.mdb"));
    ASSERT_TRUE(jet3);
    EXPECT_EQ(FirstTextStarting(*jet3, "Employees", "Dav"), QString::fromUtf8("Dav\u20ac\u0081io"));

    QByteArray dates = testutil::ReadFile(testutil::DataPath(kDates));
    const QByteArray compressed("\xff\xfeYear 9999", 11);
    const QByteArray mixed("\xff\xfeY\x00\x22\x20\xac\x20\x00r!", 11);  // Y, U+2022, U+20AC, r, !
    const qsizetype memo = dates.indexOf(compressed);
    ASSERT_GE(memo, 0);
    dates.replace(memo, compressed.size(), mixed);
    ASSERT_TRUE(testutil::WriteFile(dir.file("mixed.mdb"), dates));
    auto jet4 = Open(dir.file("mixed.mdb"));
    ASSERT_TRUE(jet4);
    EXPECT_EQ(FirstTextStarting(*jet4, "DateTest", "Y\u2022"), QString::fromUtf8("Y\u2022\u20acr!"));
}

TEST(JetReader, SinkStopsTheReading)
{
    auto reader = Open(testutil::DataPath(kNwind));
    ASSERT_TRUE(reader);
    int seen = 0;
    QString error = QStringLiteral("untouched");
    EXPECT_FALSE(reader->ReadRows("Orders", [&](const QVariantList&) { return ++seen < 3; }, &error));
    EXPECT_EQ(seen, 3);
    EXPECT_EQ(error, QStringLiteral("untouched"));
    EXPECT_FALSE(reader->ReadRows("Nowhere", [](const QVariantList&) { return true; }, &error));
    EXPECT_TRUE(error.contains("Nowhere"));
}

/// The file with the page that holds the first `marker` filled with zeros.
QByteArray ZeroPageHolding(const QByteArray& file, const QByteArray& marker, int pageSize)
{
    const qsizetype at = file.indexOf(marker);
    EXPECT_GE(at, 0);
    QByteArray damaged = file;
    const qsizetype page = at / pageSize * pageSize;
    damaged.replace(page, pageSize, QByteArray(pageSize, '\0'));
    return damaged;
}

// A damaged file is refused at opening, or the table it hurts fails to
// read; either way with a message that says what could not be read.
TEST(JetReader, DamagedFilesGiveClearErrors)
{
    const QByteArray nwind = testutil::ReadFile(testutil::DataPath(kNwind));
    const QByteArray dates = testutil::ReadFile(testutil::DataPath(kDates));
    ASSERT_FALSE(nwind.isEmpty());
    QByteArray memoTooLong = dates;
    {
        // The inline memo "Year 9999" (compressed: FF FE, then the text) claims 200 bytes.
        const qsizetype text = dates.indexOf("Year 9999");
        ASSERT_GT(text, 14);
        memoTooLong[text - 14] = char(200);
    }
    struct Case {
        const char* name;
        QByteArray bytes;
        const char* failingTable;  // null: the opening fails
        const char* message;
    };
    const Case cases[] = {
        {"header only", nwind.left(100), nullptr, "cannot"},
        {"first pages only", nwind.left(6 * 2048), nullptr, "table list"},
        {"cut in the middle", nwind.left(nwind.size() / 2), nullptr, "Umsätze"},
        {"Jet header, then garbage", nwind.left(32) + QByteArray(8192, '\x5a'), nullptr, "cannot"},
        {"a page of Employees zeroed", ZeroPageHolding(nwind, "Davolio", 2048), "Employees", "rows of table"},
        {"memo longer than its bytes", memoTooLong, "DateTest", "LongTextCol"},
        {"not Jet at all", QByteArray("SQLite format 3\0", 16) + QByteArray(4080, '\0'), nullptr, "not a Jet database"},
    };
    testutil::TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.file("damaged.kv3");
        ASSERT_TRUE(testutil::WriteFile(path, c.bytes));
        QString error;
        auto reader = OpenJetDatabase(path, &error);
        if (!c.failingTable) {
            EXPECT_FALSE(reader);
        } else {
            ASSERT_TRUE(reader) << error.toStdString();
            bool failed = false;
            for (const JetTable& table : reader->Tables()) {
                const bool read = reader->ReadRows(table.name, [](const QVariantList&) { return true; }, &error);
                EXPECT_EQ(read, table.name != QLatin1String(c.failingTable)) << table.name.toStdString();
                failed = failed || !read;
            }
            EXPECT_TRUE(failed);
            EXPECT_TRUE(error.contains(QLatin1String(c.failingTable))) << error.toStdString();
        }
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.message))) << error.toStdString();
    }
}

TEST(JetReader, MissingFileIsNamed)
{
    testutil::TempDir dir;
    QString error;
    EXPECT_FALSE(OpenJetDatabase(dir.file("gone.kv3"), &error));
    EXPECT_TRUE(error.contains("gone.kv3")) << error.toStdString();
}

}  // namespace
