// Condition rows: the text form of the profile and the ".loa" files, the
// file itself, rows that follow their variable's name, the value kept per
// variable type and the list text of a row.

#include "common/testutil.h"
#include "retrieval/conditionrows.h"
#include "store/storeids.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

ActivationCondition Row(qint32 id, const QString& name, qint32 link, qint32 op, const QString& value)
{
    return ActivationCondition{id, name, link, op, value};
}

QString Describe(const QList<ActivationCondition>& rows)
{
    QStringList parts;
    for (const ActivationCondition& r : rows)
        parts.append(QStringLiteral("%1/%2/%3/%4/%5").arg(r.fieldId).arg(r.fieldName).arg(r.link).arg(r.comparison).arg(r.value));
    return parts.join(QLatin1Char(' '));
}

TEST(ConditionRows, TextFormIsReadRecordByRecord)
{
    const QString long70(70, QLatin1Char('v'));
    const struct {
        const char* what;
        QString text;
        QString rows;
    } cases[] = {
        {"two records", QStringLiteral("5|Age|1|3|30~7|Sex|0|0|f~"), QStringLiteral("5/Age/1/3/30 7/Sex/0/0/f")},
        {"three fields end the reading", QStringLiteral("5|Age|1~7|Sex|0|0|f~"), QString()},
        {"rows before a broken record stay", QStringLiteral("5|Age|1|3|30~7|Sex|0~8|X|0|0|y~"),
         QStringLiteral("5/Age/1/3/30")},
        {"a bar in the last field loads whole", QStringLiteral("12|Group|0|1|a|b~"), QStringLiteral("12/Group/0/1/a|b")},
        {"a record without its tilde is not read", QStringLiteral("5|Age|1|3|30~7|Sex|0|0|f"),
         QStringLiteral("5/Age/1/3/30")},
        {"an over-long value is cut at 63", QStringLiteral("5|Age|0|0|%1~").arg(long70),
         QStringLiteral("5/Age/0/0/") + long70.left(63)},
        {"empty text", QString(), QString()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Describe(conditions::ParseRows(c.text)), c.rows);
    }
}

TEST(ConditionRows, WrittenRowsAreBoundedAndReadBack)
{
    const QList<ActivationCondition> rows = {Row(5, QStringLiteral("Age"), 1, 3, QStringLiteral("30")),
                                             Row(7, QStringLiteral("Sex"), 0, 0, QStringLiteral("f"))};
    EXPECT_EQ(conditions::FormatRows(rows), QStringLiteral("5|Age|1|3|30~7|Sex|0|0|f~"));
    EXPECT_EQ(Describe(conditions::ParseRows(conditions::FormatRows(rows))), Describe(rows));

    // Placeholders in a name stay as typed; long texts are cut at 63.
    const QString text = conditions::FormatRows({Row(1, QStringLiteral("%2 %5"), 0, 0, QString(80, QLatin1Char('x')))});
    EXPECT_EQ(text, QStringLiteral("1|%2 %5|0|0|") + QString(63, QLatin1Char('x')) + QLatin1Char('~'));

    // Separators inside a name or value cannot break the records after it.
    const QString broken = conditions::FormatRows({Row(1, QStringLiteral("a|b~"), 0, 0, QStringLiteral("v~w")),
                                                   Row(2, QStringLiteral("Sex"), 0, 0, QStringLiteral("f"))});
    EXPECT_EQ(Describe(conditions::ParseRows(broken)), QStringLiteral("1/a_b_/0/0/v_w 2/Sex/0/0/f"));
}

TEST(ConditionRows, FileIsUtf16WithoutByteOrderMark)
{
    testutil::TempDir dir;
    const QString path = dir.file(QStringLiteral("one.loa"));
    QString error;
    ASSERT_TRUE(conditions::WriteConditionFile(path, {Row(12, QStringLiteral("Group"), 0, 1, QStringLiteral("x"))}, &error))
        << error.toStdString();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    file.close();
    // "12|Group|0|1|x~": 15 code units.
    ASSERT_EQ(bytes.size(), 30);
    EXPECT_EQ(bytes.left(4), QByteArray("1\0" "2\0", 4));
    EXPECT_EQ(bytes.right(2), QByteArray("~\0", 2));
    QString text;
    ASSERT_TRUE(conditions::ReadConditionFile(path, text, &error));
    EXPECT_EQ(text, QStringLiteral("12|Group|0|1|x~"));

    // Non-Latin text keeps its units.
    ASSERT_TRUE(conditions::WriteConditionFile(path, {Row(3, QStringLiteral("Größe"), 0, 0, QStringLiteral("Ωx"))}, &error));
    ASSERT_TRUE(conditions::ReadConditionFile(path, text, &error));
    EXPECT_EQ(text, QStringLiteral("3|Größe|0|0|Ωx~"));
}

TEST(ConditionRows, BadFilesAreRefusedAndLeftAsTheyWere)
{
    testutil::TempDir dir;
    const QString odd = dir.file(QStringLiteral("odd.loa"));
    {
        QFile file(odd);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray("5\0|\0A", 5));
    }
    QString text = QStringLiteral("kept");
    QString error;
    EXPECT_FALSE(conditions::ReadConditionFile(odd, text, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(conditions::ReadConditionFile(dir.file(QStringLiteral("missing.loa")), text, &error));

    // A file that cannot be written leaves the old one whole.
    error.clear();
    EXPECT_FALSE(conditions::WriteConditionFile(dir.file(QStringLiteral("no/such/folder/x.loa")), {}, &error));
    EXPECT_FALSE(error.isEmpty());
    QFile file(odd);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("5\0|\0A", 5));
}

TEST(ConditionRows, LoadedRowsTakeTheIdOfTheirVariablesName)
{
    const QList<ActivationCondition> stored = {Row(5, QStringLiteral("Age"), 1, 3, QStringLiteral("30")),
                                               Row(7, QStringLiteral("Sex"), 0, 0, QStringLiteral("f")),
                                               Row(8, QStringLiteral("Gone"), 0, 0, QStringLiteral("y"))};
    // Age was deleted and made again (now 9); 5 belongs to another variable;
    // "sex" differs in case and is not the same name.
    const QList<ActivationCondition> resolved =
        conditions::ResolveRows(stored, {5, 9, 11}, {QStringLiteral("Income"), QStringLiteral("Age"), QStringLiteral("sex")});
    EXPECT_EQ(Describe(resolved), QStringLiteral("9/Age/1/3/30"));
}

TEST(ConditionRows, ValuesAreKeptAsTheVariablesTypeHoldsThem)
{
    const struct {
        qint32 type;
        QString typed;
        QString kept;
    } cases[] = {
        {FieldType::Integer, QStringLiteral(" 42 "), QStringLiteral("42")},
        {FieldType::Integer, QStringLiteral("abc"), QStringLiteral("0")},
        {FieldType::Real, QStringLiteral("2.5"), QStringLiteral("2.500000")},
        {FieldType::Boolean, QStringLiteral("5"), QStringLiteral("1")},
        {FieldType::Boolean, QStringLiteral("0"), QStringLiteral("0")},
        {FieldType::Boolean, QStringLiteral("yes"), QStringLiteral("0")},
        {FieldType::DateTime, QStringLiteral("no date"), QString()},
        {FieldType::ShortText, QString(100, QLatin1Char('s')), QString(63, QLatin1Char('s'))},
        {FieldType::LongText, QStringLiteral("Köln"), QStringLiteral("Köln")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        EXPECT_EQ(conditions::NormaliseValue(c.type, c.typed), c.kept);
    }
    // Dates: the date alone at midnight, else with hours and minutes.
    const QString day = conditions::NormaliseValue(FieldType::DateTime, QStringLiteral("2024-03-05"));
    EXPECT_FALSE(day.isEmpty());
    EXPECT_FALSE(day.contains(QLatin1Char(' '))) << day.toStdString();
    const QString withTime = conditions::NormaliseValue(FieldType::DateTime, QStringLiteral("2024-03-05T14:30:59"));
    EXPECT_TRUE(withTime.startsWith(day + QLatin1Char(' '))) << withTime.toStdString();
    EXPECT_EQ(withTime.size(), day.size() + 6) << withTime.toStdString();
}

TEST(ConditionRows, ListTextAndRefusedSeparators)
{
    const ActivationCondition age = Row(5, QStringLiteral("Age"), 1, 3, QStringLiteral("30"));
    EXPECT_EQ(conditions::RowText(age, QStringLiteral("Age"), QString()), QStringLiteral("[Age] > 30"));
    EXPECT_EQ(conditions::RowText(age, QStringLiteral("Age"), QStringLiteral("AND")), QStringLiteral(".AND. [Age] > 30"));
    EXPECT_EQ(conditions::RowText(Row(5, {}, 0, 9, QStringLiteral("x")), QString(), QString()), QStringLiteral("[] ? x"));
    const char* ops[] = {"=", "<>", "<", ">"};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(conditions::OperatorText(i), QLatin1String(ops[i]));

    EXPECT_FALSE(conditions::IsValueAcceptable(QStringLiteral("a~b")));
    EXPECT_TRUE(conditions::IsValueAcceptable(QStringLiteral("a|b")));
    EXPECT_FALSE(conditions::IsNameAcceptable(QStringLiteral("a|b")));
    EXPECT_FALSE(conditions::IsNameAcceptable(QStringLiteral("a~")));
}

}  // namespace
