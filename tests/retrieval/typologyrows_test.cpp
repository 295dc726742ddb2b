// The tick-list rows of the documents' variables and the setting that
// remembers the ticked ones, values holding the setting's separator
// included.

#include "document/docfixture.h"
#include "common/variables.h"
#include "retrieval/typologyrows.h"
#include "store/fielddescriptor.h"
#include "store/rowbuffer.h"
#include "store/storeids.h"
#include "store/topicdatabase.h"

#include <gtest/gtest.h>

namespace {

class TypologyRowsTest : public doctest::DocTest {
protected:
    void SetUp() override
    {
        DocTest::SetUp();
        NewProject();
        age = Field(QStringLiteral("Age"), FieldType::Integer, 0);
        city = Field(QStringLiteral("City"), FieldType::ShortText, 0);
        born = Field(QStringLiteral("Born"), FieldType::DateTime, 0);
        score = Field(QStringLiteral("Score"), FieldType::Integer, 1);
        const qint32 group = AddGroup(QStringLiteral("G"));
        const struct {
            const char* age;
            const char* city;
            const char* score;
        } values[] = {{"30", "bonn", "1"}, {"50", "a;b", "2"}, {"70", "b", "1"}};
        for (const auto& v : values) {
            const qint32 document = AddDocument(group, QStringLiteral("D"));
            RowBuffer row;
            ASSERT_TRUE(db().ReadRow(TopicId::Documents, document, row, false));
            ASSERT_TRUE(row.SetFieldText(age, QString::fromUtf8(v.age)));
            ASSERT_TRUE(row.SetFieldText(city, QString::fromUtf8(v.city)));
            ASSERT_TRUE(row.SetFieldText(score, QString::fromUtf8(v.score)));
        }
    }

    qint32 Field(const QString& name, qint32 type, qint32 categorial)
    {
        const qint32 id = testutil::AddVariable(db(), TopicId::Documents, name, type, categorial);
        EXPECT_NE(id, 0);
        return id;
    }

    /// The rows of the user variables as "text*" (ticked) or "text", marked ones in brackets.
    QStringList Shown(const QList<typology::TickRow>& rows) const
    {
        QStringList shown;
        for (const typology::TickRow& row : rows) {
            if (row.id < FieldDescriptor::kFirstUserFieldId)
                continue;
            QString text = row.marked ? QStringLiteral("[%1]").arg(row.text) : row.text;
            shown.append(row.ticked ? text + QLatin1Char('*') : text);
        }
        return shown;
    }

    qint32 age = 0;
    qint32 city = 0;
    qint32 born = 0;
    qint32 score = 0;
};

TEST_F(TypologyRowsTest, VariablesGiveOneRowOrARowPerValue)
{
    bool extra = true;
    const QList<typology::TickRow> rows = typology::BuildRows(db(), QString(), extra);
    EXPECT_FALSE(extra);
    // Age is neither categorial nor text: one marked row; dates are left out.
    EXPECT_EQ(Shown(rows), (QStringList{QStringLiteral("[Age]"), QStringLiteral("City: a;b"), QStringLiteral("City: b"),
                                        QStringLiteral("City: bonn"), QStringLiteral("Score: 1"),
                                        QStringLiteral("Score: 2")}));
}

TEST_F(TypologyRowsTest, TheSettingTicksRowsAndIsRebuiltFromTheTicks)
{
    bool extra = false;
    const QString setting = QStringLiteral(";0;;%1;;%2_bonn;").arg(age).arg(city);
    QList<typology::TickRow> rows = typology::BuildRows(db(), setting, extra);
    EXPECT_TRUE(extra);
    EXPECT_EQ(Shown(rows), (QStringList{QStringLiteral("[Age]*"), QStringLiteral("City: a;b"), QStringLiteral("City: b"),
                                        QStringLiteral("City: bonn*"), QStringLiteral("Score: 1"),
                                        QStringLiteral("Score: 2")}));

    // Tick the value holding ";" and untick Age; the extra option goes.
    for (typology::TickRow& row : rows) {
        if (row.id == age)
            row.ticked = false;
        if (row.id == city && row.value == QStringLiteral("a;b"))
            row.ticked = true;
    }
    const QString rebuilt = typology::TakeTicked(rows, false);
    // From the last row to the first; the ";" of the value is escaped.
    EXPECT_EQ(rebuilt, QStringLiteral(";%1_bonn;;%1_a\\;b;").arg(city));
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows.at(0).value, QStringLiteral("a;b"));
    EXPECT_EQ(rows.at(1).value, QStringLiteral("bonn"));

    // Read back, "a;b" is ticked and "b" is not mistaken for part of it.
    rows = typology::BuildRows(db(), rebuilt, extra);
    EXPECT_FALSE(extra);
    EXPECT_EQ(Shown(rows), (QStringList{QStringLiteral("[Age]"), QStringLiteral("City: a;b*"), QStringLiteral("City: b"),
                                        QStringLiteral("City: bonn*"), QStringLiteral("Score: 1"),
                                        QStringLiteral("Score: 2")}));
}

TEST(TypologySetting, ItemsAreSplitAtUnescapedSeparators)
{
    EXPECT_EQ(typology::ParseSetting(QStringLiteral(";0;;5;;7_x\\;5_y;")),
              (QSet<QString>{QStringLiteral("0"), QStringLiteral("5"), QStringLiteral("7_x\\;5_y")}));
    EXPECT_TRUE(typology::ParseSetting(QString()).isEmpty());
    typology::TickRow row;
    row.id = 7;
    row.value = QStringLiteral("a\\b;");
    EXPECT_EQ(typology::ItemOf(row), QStringLiteral("7_a\\\\b\\;"));
    row.marked = true;
    EXPECT_EQ(typology::ItemOf(row), QStringLiteral("7"));
}

}  // namespace
