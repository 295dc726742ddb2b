// Copying Jet tables into a new SQLite file: every value arrives as it was
// read, and a copy that cannot complete leaves no file behind.
#include "platform/jet/jetcopy.h"

#include "platform/jet/jetreader.h"

#include "common/fakejetreader.h"
#include "common/testutil.h"

#include <QDate>

#include <sqlite3.h>

#include <cmath>
#include <limits>

namespace {

using T = JetColumnType;

/// A read-only connection to a copied file, with a few queries.
class Copied {
public:
    explicit Copied(const QString& path)
    {
        EXPECT_EQ(sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    }
    ~Copied() { sqlite3_close(m_db); }

    /// Every row of a query, each value as the reader would give it:
    /// NULL invalid, integer qint64, real double, text QString, blob QByteArray.
    QList<QVariantList> Rows(const QString& sql, const QVariantList& args = {}) const
    {
        QList<QVariantList> rows;
        sqlite3_stmt* statement = nullptr;
        const QByteArray text = sql.toUtf8();
        if (sqlite3_prepare_v2(m_db, text.constData(), -1, &statement, nullptr) != SQLITE_OK) {
            ADD_FAILURE() << sqlite3_errmsg(m_db) << " in " << text.constData();
            return rows;
        }
        for (int i = 0; i < args.size(); ++i) {
            const QByteArray arg = args[i].toString().toUtf8();
            sqlite3_bind_text(statement, i + 1, arg.constData(), int(arg.size()), SQLITE_TRANSIENT);
        }
        while (sqlite3_step(statement) == SQLITE_ROW) {
            QVariantList row;
            for (int c = 0; c < sqlite3_column_count(statement); ++c) {
                switch (sqlite3_column_type(statement, c)) {
                case SQLITE_INTEGER:
                    row.append(qint64(sqlite3_column_int64(statement, c)));
                    break;
                case SQLITE_FLOAT:
                    row.append(sqlite3_column_double(statement, c));
                    break;
                case SQLITE_TEXT:
                    row.append(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, c)),
                                                 sqlite3_column_bytes(statement, c)));
                    break;
                case SQLITE_BLOB:
                    row.append(QByteArray(static_cast<const char*>(sqlite3_column_blob(statement, c)),
                                          sqlite3_column_bytes(statement, c)));
                    break;
                default:
                    row.append(QVariant());
                }
            }
            rows.append(row);
        }
        sqlite3_finalize(statement);
        return rows;
    }

    QVariant Value(const QString& sql, const QVariantList& args = {}) const
    {
        const QList<QVariantList> rows = Rows(sql, args);
        return rows.isEmpty() || rows[0].isEmpty() ? QVariant() : rows[0][0];
    }

private:
    sqlite3* m_db = nullptr;
};

/// The reader's value as it must come back from SQLite (booleans as 0/1).
QVariant Stored(const QVariant& value)
{
    if (value.typeId() == QMetaType::Bool)
        return QVariant(qint64(value.toBool() ? 1 : 0));
    return value;
}

/// The names in a folder, "|"-separated, dangling links included.
std::string FolderEntries(const QString& path)
{
    const QDir::Filters all = QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
    return QDir(path).entryList(all, QDir::Name).join(QLatin1Char('|')).toStdString();
}

bool Copy(JetReader& reader, const QString& target, QString* error = nullptr, const JetCopyOptions& options = {})
{
    QString why;
    const bool copied = CopyJetToSqlite(reader, target, &why, options);
    if (error)
        *error = why;
    return copied;
}

// Each fixture copied and read back: same tables, same columns, and every
// row value for value, with the reader's own reading as the reference.
TEST(JetCopy, CopiesEveryTableValueForValue)
{
    for (const char* fixture : {"jet/nwind.mdb", "jet/DateTestDatabase.mdb"}) {
        SCOPED_TRACE(fixture);
        QString error;
        auto reader = OpenJetDatabase(testutil::DataPath(fixture), &error);
        ASSERT_TRUE(reader) << error.toStdString();
        testutil::TempDir dir;
        const QString target = dir.file("copy.kv4");
        ASSERT_TRUE(Copy(*reader, target, &error)) << error.toStdString();
        EXPECT_EQ(FolderEntries(dir.path()), "copy.kv4");

        const Copied copied(target);
        QStringList tables;
        for (const QVariantList& row : copied.Rows("SELECT name FROM sqlite_master WHERE type='table' ORDER BY rowid"))
            tables.append(row[0].toString());
        QStringList expectedTables;
        for (const JetTable& table : reader->Tables()) {
            expectedTables.append(table.name);
            SCOPED_TRACE(table.name.toStdString());
            QList<QVariantList> expected;
            ASSERT_TRUE(reader->ReadRows(table.name, [&](const QVariantList& row) {
                QVariantList stored;
                for (const QVariant& value : row)
                    stored.append(Stored(value));
                expected.append(stored);
                return true;
            }, &error));
            const QList<QVariantList> rows = copied.Rows(QStringLiteral("SELECT * FROM [%1] ORDER BY rowid").arg(table.name));
            ASSERT_EQ(rows.size(), expected.size());
            for (qsizetype r = 0; r < rows.size(); ++r)
                ASSERT_EQ(rows[r], expected[r]) << "row " << r;
        }
        EXPECT_EQ(tables, expectedTables);
    }
}

TEST(JetCopy, DeclaresPortableTypesAndKeepsIndexes)
{
    QString error;
    auto reader = OpenJetDatabase(testutil::DataPath("jet/nwind.mdb"), &error);
    ASSERT_TRUE(reader) << error.toStdString();
    testutil::TempDir dir;
    const QString target = dir.file("nwind.kv4");
    ASSERT_TRUE(Copy(*reader, target, &error)) << error.toStdString();
    const Copied copied(target);

    QStringList declared;
    for (const QVariantList& row : copied.Rows("SELECT name, type FROM pragma_table_info('Employees')"))
        declared.append(row[0].toString() + QLatin1Char(' ') + row[1].toString());
    EXPECT_EQ(declared.mid(4, 3), QStringList({"TitleOfCourtesy TEXT", "BirthDate REAL", "HireDate REAL"}));
    EXPECT_EQ(declared.mid(14), QStringList({"Photo BLOB", "Notes TEXT", "ReportsTo INTEGER"}));
    EXPECT_EQ(copied.Value("SELECT type FROM pragma_table_info('Products') WHERE name='Discontinued'"), QVariant("INTEGER"));
    EXPECT_EQ(copied.Value("SELECT type FROM pragma_table_info('Products') WHERE name='UnitPrice'"), QVariant("REAL"));

    // Dates stay REAL even where they are whole days.
    EXPECT_EQ(copied.Value("SELECT typeof(BirthDate) || ' ' || BirthDate FROM Employees WHERE EmployeeID=1"),
              QVariant("real 17875.0"));
    EXPECT_EQ(copied.Value("SELECT length(Photo) FROM Employees WHERE EmployeeID=1"), QVariant(qint64(21626)));
    EXPECT_EQ(copied.Value(QString::fromUtf8("SELECT count(*) FROM [Umsätze] WHERE ShipCity='Montréal'")),
              QVariant(qint64(copied.Value("SELECT count(*) FROM Orders WHERE ShipCity='Montréal'").toLongLong())));

    EXPECT_EQ(copied.Rows("SELECT name FROM sqlite_master WHERE type='index' AND tbl_name='Order Details' ORDER BY name"),
              QList<QVariantList>({{"Order Details_OrderID"}, {"Order Details_PrimaryKey"}, {"Order Details_ProductID"}}));
    EXPECT_EQ(copied.Value(QString::fromUtf8("SELECT group_concat(name) FROM pragma_index_info('Umsätze_PrimaryKey')")),
              QVariant("OrderID"));
    EXPECT_EQ(copied.Value("SELECT group_concat(name) FROM pragma_index_info('Order Details_PrimaryKey')"),
              QVariant("OrderID,ProductID"));
}

TEST(JetCopy, DatesBeyondTheUsualYearsKeepTheirDays)
{
    QString error;
    auto reader = OpenJetDatabase(testutil::DataPath("jet/DateTestDatabase.mdb"), &error);
    ASSERT_TRUE(reader) << error.toStdString();
    testutil::TempDir dir;
    ASSERT_TRUE(Copy(*reader, dir.file("dates.kv4"), &error)) << error.toStdString();
    const Copied copied(dir.file("dates.kv4"));
    const QList<QVariantList> rows = copied.Rows("SELECT DateTimeCol, DateCol, LongTextCol FROM DateTest ORDER BY IDCol");
    ASSERT_EQ(rows.size(), 6);
    EXPECT_EQ(QDate(1899, 12, 30).addDays(rows[1][0].toLongLong()), QDate(9999, 1, 1));
    EXPECT_EQ(rows[1][0], QVariant(2958101.0));
    EXPECT_EQ(rows[2][0], QVariant(-728.0));
    EXPECT_EQ(rows[2][1], QVariant(-363.0));
    EXPECT_EQ(rows[3][0], QVariant(-463126.0));
    EXPECT_EQ(rows[5][2], QVariant(QStringLiteral("New line\r\nin field")));
}

JetTable Table(const QString& name, const QList<JetColumn>& columns, const QList<JetIndex>& indexes = {})
{
    return JetTable{name, columns, indexes};
}

// Values a project holds at the edges: "" apart from NULL, empty blobs,
// long memos, quotes and brackets in names, non-BMP text, extreme numbers.
TEST(JetCopy, KeepsEdgeValuesAndOddNames)
{
    const QString longMemo = QString(100000, QChar(u'\u00e4')) + QStringLiteral("end");
    const QByteArray blob = QByteArray("*ZIP*") + QByteArray(70000, '\0') + QByteArray("\x01\xff", 2);
    const QString names = QString::fromUtf8("Memo's \"quoted\" [draft 😀");
    testutil::FakeJetReader reader;
    reader.AddTable(Table(names, {{"Key", T::Text}, {"Memo", T::Memo}, {"Data", T::Binary}, {"Flag", T::Boolean},
                                  {"Number", T::Integer}, {"Real", T::Real}, {"When", T::Date}}),
                    {
                        {QStringLiteral(""), QString(""), QByteArray(""), false, qint64(0), 0.0, 0.0},
                        {QVariant(), QVariant(), QVariant(), true, QVariant(), QVariant(), QVariant()},
                        {QString::fromUtf8("it's 😀"), longMemo, blob, true, std::numeric_limits<qint64>::min(),
                         std::numeric_limits<double>::denorm_min(), 2958465.99998843},
                    });
    reader.AddTable(Table("Empty", {{"ID", T::Integer}}));
    testutil::TempDir dir;
    QString error;
    ASSERT_TRUE(Copy(reader, dir.file("edge.kv4"), &error)) << error.toStdString();
    const Copied copied(dir.file("edge.kv4"));
    const QList<QVariantList> rows = copied.Rows(QStringLiteral("SELECT * FROM [%1] ORDER BY rowid").arg(names));
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows[0], QVariantList({QString(""), QString(""), QByteArray(""), qint64(0), qint64(0), 0.0, 0.0}));
    EXPECT_EQ(copied.Value(QStringLiteral("SELECT typeof(Key) || typeof(Memo) || typeof(Data) FROM [%1] LIMIT 1").arg(names)),
              QVariant("texttextblob"));
    EXPECT_EQ(rows[1], QVariantList({QVariant(), QVariant(), QVariant(), qint64(1), QVariant(), QVariant(), QVariant()}));
    EXPECT_EQ(rows[2], QVariantList({QString::fromUtf8("it's 😀"), longMemo, blob, qint64(1),
                                     std::numeric_limits<qint64>::min(), std::numeric_limits<double>::denorm_min(),
                                     2958465.99998843}));
    EXPECT_EQ(copied.Value("SELECT count(*) FROM Empty"), QVariant(qint64(0)));
}

TEST(JetCopy, NoCaseColumnsCompareWithoutRegardToCase)
{
    testutil::FakeJetReader reader;
    reader.AddTable(Table("sys_Setup", {{"Key", T::Text}, {"Value", T::Memo}}), {{QString("RichText"), QString("Yes")}});
    JetCopyOptions options;
    options.noCase = [](const QString& table, const QString& column) {
        return table == QLatin1String("sys_Setup") && column == QLatin1String("Key");
    };
    testutil::TempDir dir;
    QString error;
    ASSERT_TRUE(Copy(reader, dir.file("setup.kv4"), &error, options)) << error.toStdString();
    const Copied copied(dir.file("setup.kv4"));
    EXPECT_EQ(copied.Value("SELECT Value FROM sys_Setup WHERE Key=?", {"richtext"}), QVariant("Yes"));
    EXPECT_FALSE(copied.Value("SELECT Key FROM sys_Setup WHERE Value=?", {"YES"}).isValid());
}

// Every failure names what failed and leaves the folder as it was.
TEST(JetCopy, FailureLeavesNoFile)
{
    const auto project = [] {
        auto reader = std::make_unique<testutil::FakeJetReader>();
        reader->AddTable(Table("Texts", {{"ID", T::Integer}, {"Name", T::Text}}),
                         {{qint64(1), QString("Interview")}, {qint64(2), QString("Notes")}});
        return reader;
    };
    struct Case {
        const char* name;
        std::function<void(testutil::FakeJetReader&)> spoil;
        QStringList mentions;
    };
    const Case cases[] = {
        {"reading fails in the second table",
         [](testutil::FakeJetReader& r) {
             r.AddTable(Table("Codings", {{"ID", T::Integer}}), {{qint64(1)}, {qint64(2)}});
             r.FailReading("Codings", 1, QStringLiteral("Row 2 of table \"Codings\" cannot be read"));
         },
         {"Codings", "Row 2"}},
        {"a value of no Jet type",
         [](testutil::FakeJetReader& r) { r.AddTable(Table("Memos", {{"Date", T::Date}}), {{QDate(2020, 1, 1)}}); },
         {"Memos", "row 1", "Date", "QDate"}},
        {"not a number",
         [](testutil::FakeJetReader& r) { r.AddTable(Table("Memos", {{"Weight", T::Real}}), {{std::nan("")}}); },
         {"Memos", "Weight", "NaN"}},
        {"too few values",
         [](testutil::FakeJetReader& r) {
             r.AddTable(Table("Links", {{"ID", T::Integer}, {"Text", T::Binary}}), {{qint64(1), QByteArray("x")}, {qint64(2)}});
         },
         {"Links", "row 2", "1 values for 2 columns"}},
        {"a bracket in a table name",
         [](testutil::FakeJetReader& r) { r.AddTable(Table("Bad]Name", {{"ID", T::Integer}})); },
         {"Bad]Name"}},
        {"a bracket in a column name",
         [](testutil::FakeJetReader& r) { r.AddTable(Table("Fine", {{"x]; DROP TABLE Texts; --", T::Integer}})); },
         {"Fine", "DROP TABLE"}},
        {"two columns of one name",
         [](testutil::FakeJetReader& r) { r.AddTable(Table("Twice", {{"ID", T::Integer}, {"id", T::Text}})); },
         {"Twice", "duplicate"}},
        {"an index on a missing column",
         [](testutil::FakeJetReader& r) {
             r.AddTable(Table("Indexed", {{"ID", T::Integer}}, {JetIndex{"ID", {"Nothing"}}}), {{qint64(1)}});
         },
         {"Indexed", "index \"ID\"", "Nothing"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto reader = project();
        c.spoil(*reader);
        testutil::TempDir dir;
        QString error;
        EXPECT_FALSE(Copy(*reader, dir.file("project.kv4"), &error));
        for (const QString& mention : c.mentions)
            EXPECT_TRUE(error.contains(mention)) << error.toStdString();
        EXPECT_EQ(FolderEntries(dir.path()), "");
    }
}

TEST(JetCopy, DamagedJetFileLeavesNoTarget)
{
    // A zeroed data page of Employees: the file opens, its rows fall short.
    QByteArray bytes = testutil::ReadFile(testutil::DataPath("jet/nwind.mdb"));
    const qsizetype page = bytes.indexOf("Davolio") / 2048 * 2048;
    bytes.replace(page, 2048, QByteArray(2048, '\0'));
    testutil::TempDir dir;
    ASSERT_TRUE(testutil::WriteFile(dir.file("old.kv3"), bytes));
    QString error;
    auto reader = OpenJetDatabase(dir.file("old.kv3"), &error);
    ASSERT_TRUE(reader) << error.toStdString();
    EXPECT_FALSE(Copy(*reader, dir.file("old.kv4"), &error));
    EXPECT_TRUE(error.contains("Employees")) << error.toStdString();
    EXPECT_EQ(FolderEntries(dir.path()), "old.kv3");
}

TEST(JetCopy, RefusesATargetThatExists)
{
    testutil::FakeJetReader reader;
    reader.AddTable(Table("Texts", {{"ID", T::Integer}}), {{qint64(1)}});
    testutil::TempDir dir;
    const QString target = dir.file("project.kv4");
    ASSERT_TRUE(testutil::WriteFile(target, "precious"));
    QString error;
    EXPECT_FALSE(Copy(reader, target, &error));
    EXPECT_TRUE(error.contains(target)) << error.toStdString();
    EXPECT_EQ(testutil::ReadFile(target), QByteArray("precious"));

    // A link to nowhere is a name taken too.
    const QString link = dir.file("link.kv4");
    ASSERT_TRUE(QFile::link(dir.file("missing"), link));
    EXPECT_FALSE(Copy(reader, link, &error));
    EXPECT_EQ(FolderEntries(dir.path()), "link.kv4|project.kv4");

    EXPECT_FALSE(Copy(reader, dir.file("no-such-folder/project.kv4"), &error));
    EXPECT_TRUE(error.contains("no-such-folder")) << error.toStdString();
}

}  // namespace
