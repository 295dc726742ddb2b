// Integer fields that a memory table holds sparsely: read and written
// through row buffers like any field, only the non-zero values kept.

#include "store/fielddescriptor.h"
#include "store/fieldvalue.h"
#include "store/rowbuffer.h"
#include "store/topicdatabase.h"
#include "store/topictable.h"

#include <gtest/gtest.h>

#include <array>

namespace {

constexpr qint32 kTopic = 17;
constexpr qint32 kWord = 2;
constexpr qint32 kFirstCount = 100000001;

FieldDescriptor Field(qint32 id, qint32 type, qint32 state = FieldState::BuiltIn)
{
    FieldDescriptor field;
    field.ID = id;
    field.Type = type;
    field.State = state;
    field.Name = QStringLiteral("F%1").arg(id);
    return field;
}

class SparseFieldsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        table = db.CreateTable(kTopic);
        ASSERT_NE(table, nullptr);
        ASSERT_TRUE(table->AddField(Field(0, FieldType::Integer)));
        ASSERT_TRUE(table->AddField(Field(kWord, FieldType::ShortText)));
        for (qint32 i = 0; i < 3; ++i)
            ASSERT_TRUE(table->AddField(Field(kFirstCount + i, FieldType::Integer, TopicTable::kSparseState)));
    }
    /// A row with its word and the three counts.
    qint32 AddRow(const QString& word, std::array<qint32, 3> counts)
    {
        RowBuffer row;
        EXPECT_TRUE(db.AddRow(kTopic, row, -1));
        FieldValue value;
        EXPECT_TRUE(row.GetFieldValue(kWord, value));
        value.SetText(word);
        for (qint32 i = 0; i < 3; ++i) {
            EXPECT_TRUE(row.GetFieldValue(kFirstCount + i, value));
            value.SetInt(counts[size_t(i)]);
        }
        const qint32 key = row.GetKey();
        EXPECT_TRUE(row.Commit(false, true));
        return key;
    }
    std::array<qint32, 3> Counts(qint32 key)
    {
        RowBuffer row;
        EXPECT_TRUE(db.ReadRow(kTopic, key, row, false));
        std::array<qint32, 3> counts{};
        for (qint32 i = 0; i < 3; ++i) {
            FieldValue value;
            EXPECT_TRUE(row.GetFieldValue(kFirstCount + i, value));
            counts[size_t(i)] = value.GetInt();
            // The table answers the same by key.
            EXPECT_EQ(table->GetIntValue(key, kFirstCount + i), counts[size_t(i)]);
        }
        return counts;
    }

    TopicDatabase db;
    TopicTable* table = nullptr;
};

}  // namespace

TEST_F(SparseFieldsTest, RowsTakeNoBytesForThemAndReadBackTheirValues)
{
    const qint32 rowSize = table->GetRowSize();
    EXPECT_EQ(table->GetBufferSize(), rowSize + 12);
    const qint32 cat = AddRow(QStringLiteral("cat"), {3, 0, 7});
    const qint32 dog = AddRow(QStringLiteral("dog"), {0, 0, 0});
    EXPECT_EQ(table->GetRowSize(), rowSize);
    EXPECT_EQ(Counts(cat), (std::array<qint32, 3>{3, 0, 7}));
    EXPECT_EQ(Counts(dog), (std::array<qint32, 3>{0, 0, 0}));

    // A change through a buffer, written back, and one value set from text.
    RowBuffer row;
    ASSERT_TRUE(db.ReadRow(kTopic, cat, row, false));
    FieldValue value;
    ASSERT_TRUE(row.GetFieldValue(kFirstCount, value));
    value.SetInt(0);
    ASSERT_TRUE(row.WriteBack());
    EXPECT_EQ(Counts(cat), (std::array<qint32, 3>{0, 0, 7}));
    ASSERT_TRUE(db.ReadRow(kTopic, dog, row, false));
    ASSERT_TRUE(row.SetFieldText(kFirstCount + 1, QStringLiteral("12")));
    row.Release();
    EXPECT_EQ(Counts(dog), (std::array<qint32, 3>{0, 12, 0}));
    QStringList distinct;
    ASSERT_TRUE(table->GetDistinctValues(kFirstCount + 1, &distinct));
    EXPECT_EQ(distinct, (QStringList{QStringLiteral("0"), QStringLiteral("12")}));

    // A removed row's values go with it; a new row under another key starts at 0.
    ASSERT_TRUE(table->RemoveRow(cat));
    EXPECT_EQ(table->GetIntValue(cat, kFirstCount + 2), 0);
    const qint32 emu = AddRow(QStringLiteral("emu"), {0, 0, 0});
    EXPECT_EQ(Counts(emu), (std::array<qint32, 3>{0, 0, 0}));

    // A dropped sparse field takes its values; the others keep theirs.
    ASSERT_TRUE(table->DeleteField(kFirstCount));
    EXPECT_EQ(table->GetBufferSize(), rowSize + 8);
    EXPECT_EQ(table->GetIntValue(dog, kFirstCount + 1), 12);
    table->ClearRows();
    RowBuffer fox;
    ASSERT_TRUE(db.AddRow(kTopic, fox, dog));  // the old key anew: no value left behind
    ASSERT_TRUE(fox.Commit(false, true));
    EXPECT_EQ(table->GetIntValue(dog, kFirstCount + 1), 0);
}

TEST_F(SparseFieldsTest, OnlyIntegerFieldsAfterAllOthersAreHeldSparsely)
{
    EXPECT_FALSE(table->AddField(Field(kFirstCount + 10, FieldType::ShortText, TopicTable::kSparseState)));
    EXPECT_FALSE(table->AddField(Field(kFirstCount + 11, FieldType::Integer)));
    EXPECT_FALSE(table->ChangeFieldType(kFirstCount, FieldType::Real));
    table->Reset();
    EXPECT_EQ(table->GetBufferSize(), 0);
}
