#include "store/fieldvalue.h"

#include "common/testutil.h"
#include "foundation/stringstore.h"
#include "platform/dao/database.h"
#include "platform/dao/recordset.h"
#include "store/rowbuffer.h"
#include "store/storedmodel.h"

#include <QLocale>

#include <cstring>
#include <gtest/gtest.h>

namespace {

// Every text of these tests is read and written in a fixed locale.
class FieldValueTest : public ::testing::Test {
protected:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }
    void TearDown() override { QLocale::setDefault(m_saved); }

private:
    QLocale m_saved;
};

// One value of a type with its own zero-filled bytes.
struct Slot {
    explicit Slot(qint32 type)
        : descriptor(FieldDescriptor::FromFieldRecord(1, QStringLiteral("Value"), QStringLiteral("Value"), type, 1, 0,
                                                      QString(), 0)),
          bytes(qMax(descriptor.Size, 4), '\0')
    {
    }
    FieldValue Value() { return FieldValue(descriptor, bytes.data()); }

    FieldDescriptor descriptor;
    QByteArray bytes;
};

double Ole(int y, int m, int d, int h = 0, int min = 0, int s = 0)
{
    return OleDaysFromDateTime(QDate(y, m, d), QTime(h, min, s));
}

}  // namespace

TEST_F(FieldValueTest, DescriptorsTakeTheirSizeFromTheTypeAndCutTheirTexts)
{
    const std::pair<qint32, qint32> sizes[] = {{1, 4}, {2, 128}, {3, 256}, {4, 8}, {5, 12},
                                               {6, 4}, {7, 0},   {8, 4},   {9, 512}, {0, 0}, {10, 0}};
    for (const auto& [type, size] : sizes)
        EXPECT_EQ(FieldDescriptor::FromFieldRecord(3, {}, {}, type, 1, 0, {}, 0).Size, size) << type;

    const QString name = QString(62, QLatin1Char('n')) + QStringLiteral("\U0001F600");  // a pair at units 62-63
    const FieldDescriptor field = FieldDescriptor::FromFieldRecord(
        100000001, name, QString(70, QLatin1Char('s')), FieldType::ShortText, 2, 0, QString(300, QLatin1Char('d')), 1);
    EXPECT_EQ(field.Name, QString(62, QLatin1Char('n')));
    EXPECT_EQ(field.Source.size(), 63);
    EXPECT_EQ(field.DefaultValue.size(), 255);
    EXPECT_EQ(field.Offset, 0);

    FieldDescriptor cleared = field;
    cleared.Init();
    EXPECT_EQ(cleared.ID, -1);
    EXPECT_TRUE(cleared.Name.isEmpty());
    EXPECT_EQ(cleared.Size, 0);

    QByteArray bytes;
    FieldDescriptor date = FieldDescriptor::FromFieldRecord(1, {}, {}, FieldType::DateTime, 1, 0,
                                                            QStringLiteral("not a date"), 0);
    ASSERT_TRUE(date.BuildDefaultBytes(bytes));
    EXPECT_EQ(bytes, QByteArray(12, '\0'));
    FieldDescriptor number = FieldDescriptor::FromFieldRecord(1, {}, {}, FieldType::Integer, 1, 0, QStringLiteral("42x"), 0);
    ASSERT_TRUE(number.BuildDefaultBytes(bytes));
    EXPECT_EQ(bytes, QByteArray("\x2a\0\0\0", 4));
    EXPECT_FALSE(FieldDescriptor::FromFieldRecord(1, {}, {}, FieldType::Memo, 1, 0, {}, 0).BuildDefaultBytes(bytes));
}

TEST_F(FieldValueTest, ParseAndFormatPerType)
{
    const QString surrogateAtEnd = QString(62, QLatin1Char('a')) + QStringLiteral("\U0001F600");
    const struct {
        qint32 type;
        QString input;
        bool parsed;
        QString format;
        QString buffer;  // FormatToBuffer where it differs
    } cases[] = {
        {FieldType::Integer, QStringLiteral("42"), true, QStringLiteral("42"), {}},
        {FieldType::Integer, QStringLiteral("  -17abc"), true, QStringLiteral("-17"), {}},
        {FieldType::Integer, QStringLiteral("abc"), true, QStringLiteral("0"), {}},
        {FieldType::Integer, QStringLiteral("99999999999"), true, QStringLiteral("2147483647"), {}},
        {FieldType::Integer, QStringLiteral("-99999999999"), true, QStringLiteral("-2147483648"), {}},
        {FieldType::ShortText, QString(70, QLatin1Char('x')), true, QString(63, QLatin1Char('x')), {}},
        {FieldType::ShortText, surrogateAtEnd, true, QString(62, QLatin1Char('a')), {}},
        {FieldType::Text, QString(200, QLatin1Char('y')), true, QString(127, QLatin1Char('y')), {}},
        {FieldType::LongText, QString(300, QLatin1Char('z')), true, QString(255, QLatin1Char('z')), {}},
        {FieldType::Real, QStringLiteral("2.5"), true, QStringLiteral("2.5"), QStringLiteral("2.50")},
        {FieldType::Real, QStringLiteral("1,5"), true, QStringLiteral("1"), QStringLiteral("1.00")},
        {FieldType::Real, QStringLiteral("-1e3x"), true, QStringLiteral("-1000"), QStringLiteral("-1000.00")},
        {FieldType::Real, QStringLiteral(".5"), true, QStringLiteral("0.5"), QStringLiteral("0.50")},
        {FieldType::Real, QStringLiteral("1234567"), true, QStringLiteral("1.23457e+06"), QStringLiteral("1234567.00")},
        {FieldType::Real, QStringLiteral("1e999"), false, QStringLiteral("0"), QStringLiteral("0.00")},
        {FieldType::DateTime, QStringLiteral("5.3.2010 14:20"), true, QStringLiteral("05.03.2010 14:20"), {}},
        {FieldType::DateTime, QStringLiteral("05.03.10"), true, QStringLiteral("05.03.2010 00:00"), {}},
        {FieldType::DateTime, QStringLiteral("1.1.30 8:05"), true, QStringLiteral("01.01.1930 08:05"), {}},
        {FieldType::DateTime, QStringLiteral("2010-03-05T14:20:33"), true, QStringLiteral("05.03.2010 14:20"), {}},
        {FieldType::DateTime, QStringLiteral("31.02.2010"), false, QString(), {}},
        {FieldType::DateTime, QString(), true, QString(), {}},
        {FieldType::Boolean, QString(), true, QString(), {}},
        {FieldType::Boolean, QStringLiteral("0"), true, QString(), {}},
        {FieldType::Boolean, QStringLiteral("-3"), true, QStringLiteral("1"), {}},
        {FieldType::Boolean, QStringLiteral("yes"), true, QString(), {}},
        {FieldType::Blob, QStringLiteral("x"), false, QString(), {}},
        {FieldType::Memo, QStringLiteral("x"), false, QString(), {}},
        {12, QStringLiteral("x"), false, QString(), {}},
    };
    for (const auto& c : cases) {
        Slot slot(c.type);
        FieldValue value = slot.Value();
        EXPECT_EQ(value.Parse(c.input), c.parsed) << c.type << " " << c.input.toStdString();
        EXPECT_EQ(value.Format(), c.format) << c.type << " " << c.input.toStdString();
        EXPECT_EQ(value.FormatToBuffer(), c.buffer.isNull() ? c.format : c.buffer) << c.type << " " << c.input.toStdString();
    }
    EXPECT_EQ(FieldValue().Format(), QString());
    EXPECT_FALSE(FieldValue().Parse(QStringLiteral("1")));
}

TEST_F(FieldValueTest, DatesAreOleDaysInTheUserLocale)
{
    Slot slot(FieldType::DateTime);
    FieldValue value = slot.Value();
    // A date that was never set is day 0.
    EXPECT_EQ(value.Format(), QStringLiteral("30.12.1899 00:00"));
    ASSERT_TRUE(value.Parse(QStringLiteral("5.3.2010 14:20")));
    EXPECT_DOUBLE_EQ(value.GetDate().value, 40242.0 + (14 * 60 + 20) / 1440.0);
    EXPECT_TRUE(value.GetDate().IsValid());

    // Negative days count back, the time forward.
    value.SetDate({-1.25, DateStatus::Valid});
    EXPECT_EQ(value.Format(), QStringLiteral("29.12.1899 06:00"));
    EXPECT_DOUBLE_EQ(Ole(1899, 12, 29, 6), -1.25);
    value.SetDate({1e9, DateStatus::Valid});
    EXPECT_EQ(value.Format(), QString());

    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    ASSERT_TRUE(value.Parse(QStringLiteral("3/5/2010 2:20 PM")));
    EXPECT_EQ(value.Format(), QStringLiteral("3/5/2010 2:20 PM"));
    ASSERT_TRUE(value.Parse(value.Format()));
    EXPECT_DOUBLE_EQ(value.GetDate().value, Ole(2010, 3, 5, 14, 20));
}

TEST_F(FieldValueTest, CompareAndCompareWithText)
{
    const struct {
        qint32 type;
        QString a;
        QString b;
        int compare;
    } cases[] = {
        {FieldType::Integer, QStringLiteral("-5"), QStringLiteral("3"), -1},
        {FieldType::Integer, QStringLiteral("7"), QStringLiteral("7"), 0},
        {FieldType::ShortText, QStringLiteral("apfel"), QStringLiteral("Birne"), -1},
        {FieldType::ShortText, QStringLiteral("Zebra"), QStringLiteral("apfel"), 1},
        {FieldType::ShortText, QStringLiteral("APFEL"), QStringLiteral("apfel"), 0},
        {FieldType::ShortText, QString(), QStringLiteral("a"), 1},  // empty texts sort last
        {FieldType::ShortText, QStringLiteral("a"), QString(), -1},
        {FieldType::ShortText, QString(), QString(), 0},
        {FieldType::Real, QStringLiteral("2.5"), QStringLiteral("2.25"), 1},
        {FieldType::DateTime, QStringLiteral("1.1.2000"), QStringLiteral("2.1.2000"), -1},
        {FieldType::DateTime, QStringLiteral("1.1.2000"), QString(), 0},  // a null date compares equal
        {FieldType::Boolean, QString(), QStringLiteral("1"), -1},
        {FieldType::Blob, QString(), QString(), 0},
    };
    for (const auto& c : cases) {
        Slot a(c.type);
        Slot b(c.type);
        a.Value().Parse(c.a);
        b.Value().Parse(c.b);
        EXPECT_EQ(a.Value().Compare(b.Value()), c.compare) << c.type << " " << c.a.toStdString() << " " << c.b.toStdString();
        EXPECT_EQ(b.Value().Compare(a.Value()), -c.compare) << c.type;
    }
    Slot number(FieldType::Integer);
    Slot text(FieldType::ShortText);
    number.Value().Parse(QStringLiteral("5"));
    EXPECT_EQ(number.Value().Compare(text.Value()), 0);  // different types

    const struct {
        qint32 type;
        QString value;
        QString text;
        int result;
    } withText[] = {
        {FieldType::Integer, QStringLiteral("5"), QStringLiteral("10"), -1},
        {FieldType::ShortText, QStringLiteral("abc"), QStringLiteral("ABC"), 0},
        {FieldType::Real, QStringLiteral("2.5"), QStringLiteral("2.5"), 0},
        {FieldType::DateTime, QStringLiteral("5.3.2010"), QStringLiteral("4.3.2010 23:59"), 1},
        {FieldType::Boolean, QString(), QStringLiteral("0"), -1},  // any non-empty text is true here
        {FieldType::Boolean, QStringLiteral("1"), QString(), 1},
        {FieldType::Boolean, QStringLiteral("1"), QStringLiteral("x"), 0},
    };
    for (const auto& c : withText) {
        Slot slot(c.type);
        slot.Value().Parse(c.value);
        EXPECT_EQ(slot.Value().CompareWithText(c.text), c.result) << c.type << " " << c.text.toStdString();
    }
}

TEST_F(FieldValueTest, NormalisedAndCanonicalTexts)
{
    const struct {
        qint32 type;
        QString text;
        QString normalised;
        QString canonical;
    } cases[] = {
        {FieldType::Integer, QStringLiteral("12abc"), QStringLiteral("12"), QStringLiteral("12")},
        {FieldType::Real, QStringLiteral("2.5"), QStringLiteral("2.5"), QStringLiteral("2.500000")},
        {FieldType::Boolean, QStringLiteral("0"), QString(), QStringLiteral("0")},
        {FieldType::Boolean, QStringLiteral("7"), QStringLiteral("1"), QStringLiteral("1")},
        {FieldType::ShortText, QString(64, QLatin1Char('c')), QString(63, QLatin1Char('c')), QString(63, QLatin1Char('c'))},
        {FieldType::DateTime, QStringLiteral("5.3.2010"), QStringLiteral("05.03.2010 00:00"), QStringLiteral("05.03.2010 00:00")},
        {FieldType::DateTime, QStringLiteral("gestern"), QString(), QString()},
        {FieldType::Blob, QStringLiteral("x"), QString(), QString()},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FieldValue::NormaliseText(c.type, c.text), c.normalised) << c.type << " " << c.text.toStdString();
        EXPECT_EQ(FieldValue::CanonicalText(c.type, c.text), c.canonical) << c.type << " " << c.text.toStdString();
    }
}

TEST_F(FieldValueTest, StorageTextsReadBackToTheSameValue)
{
    for (double real : {0.1 + 0.2, 1e-300, -123456789.123456789, 5e-324, 2.5}) {
        Slot slot(FieldType::Real);
        slot.Value().SetReal(real);
        const QString text = slot.Value().ToStorageText();
        Slot back(FieldType::Real);
        ASSERT_TRUE(back.Value().Parse(text)) << text.toStdString();
        EXPECT_EQ(back.Value().GetReal(), real) << text.toStdString();
    }
    Slot date(FieldType::DateTime);
    date.Value().SetDate({Ole(2010, 3, 5, 14, 20, 33), DateStatus::Valid});
    EXPECT_EQ(date.Value().ToStorageText(), QStringLiteral("2010-03-05T14:20:33"));
    Slot back(FieldType::DateTime);
    ASSERT_TRUE(back.Value().Parse(date.Value().ToStorageText()));
    EXPECT_EQ(back.Value().GetDate().value, date.Value().GetDate().value);

    date.Value().SetDate({0, DateStatus::Null});
    EXPECT_EQ(date.Value().ToStorageText(), QString());
    ASSERT_TRUE(back.Value().Parse(QString()));
    EXPECT_EQ(back.Value().GetDate().status, DateStatus::Null);
}

TEST_F(FieldValueTest, ColumnValuesThatDoNotFitTheTypeAreRefused)
{
    // Values as a real file holds them: the column types let any value in.
    testutil::TempDir dir;
    dao::Database db;
    ASSERT_TRUE(db.Create(dir.file(QStringLiteral("values.kv4"))));
    ASSERT_TRUE(db.Execute(QStringLiteral("CREATE TABLE [T]([N] INTEGER, [V]);")));
    const struct {
        qint32 type;
        const char* stored;  // SQL literal
        bool fits;
        QString format;  // after reading, or a part of the reason
    } cases[] = {
        {FieldType::Integer, "42", true, QStringLiteral("42")},
        {FieldType::Integer, "NULL", true, QStringLiteral("0")},
        {FieldType::Integer, "7.0", true, QStringLiteral("7")},
        {FieldType::Integer, "'abc'", false, QStringLiteral("integer")},
        {FieldType::Integer, "' 12 '", true, QStringLiteral("12")},
        {FieldType::Integer, "''", true, QStringLiteral("0")},
        {FieldType::Integer, "'12abc'", false, QStringLiteral("integer")},
        {FieldType::Integer, "3.5", false, QStringLiteral("3.5")},
        {FieldType::Integer, "10000000000", false, QStringLiteral("32-bit")},
        {FieldType::Integer, "x'01'", false, QStringLiteral("integer")},
        {FieldType::Boolean, "1", true, QStringLiteral("1")},
        {FieldType::ShortText, "'O''Brien'", true, QStringLiteral("O'Brien")},
        {FieldType::ShortText, "12", true, QStringLiteral("12")},
        {FieldType::ShortText, "x'00ff'", false, QStringLiteral("text")},
        {FieldType::Real, "2.5", true, QStringLiteral("2.5")},
        {FieldType::Real, "'2,5'", false, QStringLiteral("number")},
        {FieldType::Real, "'2.5'", true, QStringLiteral("2.5")},
        {FieldType::DateTime, "40242.5", true, QStringLiteral("05.03.2010 12:00")},
        {FieldType::DateTime, "NULL", true, QString()},
        {FieldType::DateTime, "'2010-03-05'", true, QStringLiteral("05.03.2010 00:00")},
        {FieldType::DateTime, "'yesterday'", false, QStringLiteral("not a date")},
        {FieldType::DateTime, "x'01'", false, QStringLiteral("date")},
        {FieldType::DateTime, "1e300", false, QStringLiteral("not a date")},
        {FieldType::Memo, "'anything'", true, QString()},
        {0, "1", false, QStringLiteral("unknown field type 0")},
        {14, "1", false, QStringLiteral("unknown field type 14")},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(db.Execute(QStringLiteral("DELETE FROM [T];")));
        ASSERT_TRUE(db.Execute(QStringLiteral("INSERT INTO [T]([V]) VALUES(%1);").arg(QLatin1String(c.stored))));
        dao::Recordset rs(db);
        ASSERT_TRUE(rs.Open(QStringLiteral("SELECT [V] FROM [T];")));
        Slot slot(c.type);
        FieldValue value = slot.Value();
        const QByteArray before = slot.bytes;
        QString error;
        EXPECT_EQ(value.FromColumnValue(rs.GetValue(QStringLiteral("V")), &error), c.fits) << c.stored;
        if (c.fits) {
            EXPECT_EQ(value.Format(), c.format) << c.stored;
        } else {
            EXPECT_TRUE(error.contains(c.format)) << c.stored << ": " << error.toStdString();
            EXPECT_TRUE(error.contains(QStringLiteral("Value"))) << "the reason names the field";
            EXPECT_EQ(slot.bytes, before) << c.stored;
        }
    }
}

TEST_F(FieldValueTest, ColumnValuesOfEachType)
{
    const struct {
        qint32 type;
        QString text;
        QVariant column;
    } cases[] = {
        {FieldType::Integer, QStringLiteral("-3"), QVariant(-3)},
        {FieldType::ShortText, QStringLiteral("Tür"), QVariant(QStringLiteral("Tür"))},
        {FieldType::Real, QStringLiteral("0.25"), QVariant(0.25)},
        {FieldType::DateTime, QStringLiteral("5.3.2010"), QVariant(40242.0)},
        {FieldType::DateTime, QString(), QVariant()},  // null dates are NULL, not day 0
        {FieldType::Boolean, QStringLiteral("1"), QVariant(1)},
    };
    for (const auto& c : cases) {
        Slot slot(c.type);
        slot.Value().Parse(c.text);
        QVariant column;
        ASSERT_TRUE(slot.Value().ToColumnValue(column)) << c.type;
        EXPECT_EQ(column, c.column) << c.type;
    }
    QVariant column;
    EXPECT_FALSE(Slot(FieldType::Memo).Value().ToColumnValue(column));
    EXPECT_FALSE(Slot(FieldType::Blob).Value().ToColumnValue(column));  // no buffer: not loaded
}

TEST(StoreTexts, FieldTypeNamesAndTheDefaultModelNameComeFromTheLanguageTable)
{
    CStringStore store;
    ASSERT_TRUE(store.Open(testutil::StringTablePath(), 1)) << store.LastError().toStdString();
    ASSERT_TRUE(g_pStringStore->Open(testutil::StringTablePath(), 1));
    EXPECT_EQ(FieldTypeName(FieldType::Integer), store.GetString(57727));
    EXPECT_EQ(FieldTypeName(FieldType::ShortText), store.GetString(57726));
    EXPECT_FALSE(FieldTypeName(FieldType::Boolean).isEmpty());
    EXPECT_EQ(FieldTypeName(FieldType::Text), QString());
    EXPECT_EQ(FieldTypeName(FieldType::Blob), QString());

    QStringList names{QStringLiteral("kept")};
    QList<qint32> codes;
    FieldTypeChoices(names, codes);
    EXPECT_EQ(codes, (QList<qint32>{2, 1, 4, 5, 8}));
    ASSERT_EQ(names.size(), 6);
    EXPECT_EQ(names.at(1), store.GetString(57726));
    EXPECT_EQ(names.at(5), store.GetString(57733));

    const StoredModel model;
    EXPECT_EQ(model.Name, store.GetString(1050));
    EXPECT_FALSE(model.Name.isEmpty());
    EXPECT_EQ(model.ID, 0);
    EXPECT_EQ(model.UndoIndex, -1);
    EXPECT_EQ(model.UndoCount, 0);
    EXPECT_TRUE(model.Date.IsValid());
    g_pStringStore->Close();
}
