#include "foundation/optionsrecord.h"

#include "foundation/stringstore.h"
#include "foundation/topicdisplaysource.h"

#include "common/testutil.h"

#include <gtest/gtest.h>

namespace {

const char kDefaultLong[] = "0|0|0|0|1|0|0|1|100|0|1|1|1|1|0|0|1|0|0|20|0|1|0|1|0|100|10";

class CodeNames : public TopicDisplaySource {
public:
    QString FormatRowDisplay(qint32 topic, qint32 key, bool full) const override
    {
        return (topic == 8 && !full) ? QStringLiteral("Code %1").arg(key) : QString();
    }
};

}  // namespace

TEST(OptionsRecord, ShortForm)
{
    struct Case {
        const char* text;
        const char* reformatted;   // Format after Parse
    };
    const Case cases[] = {
        {"", "2|0|0|1|0|1|0|0|1|0|0|1|||"},
        {"5", "5|0|0|1|0|1|0|0|1|0|0|1|||"},
        {"2|0|0|1|0|1|0|0|1|0|0|1||||5|7", "2|0|0|1|0|0|0|0|1|0|0|1||||5|7"},
        {"1|0|0|1|0|1|0|0|1|0|0|1||||8|0|9", "2|0|0|1|0|0|0|0|1|0|0|1||||8"},
        {"3|4|5|6|7|8|9|10|11|12|13|14", "3|4|5|6|7|8|9|10|11|12|13|14|||"},   // S6 stays as read
        {"3|4|5|6|7|8|9|10|11|12|13|14|no marker", "3|4|5|6|7|0|9|10|11|12|13|14|||"},
        // Values that are no integers are refused one by one; the others count.
        {"x|-5|7a|3|| 4|9|99999999999|+2|0x1|1e3|", "2|0|0|3|0|1|9|0|2|0|0|1|||"},
        {"4|||||||||||||||3|-1|5", "4|0|0|1|0|0|0|0|1|0|0|1||||3"},
    };
    for (const Case& c : cases) {
        OptionsRecord record;
        record.codeIds = {42};
        record.Parse(QString::fromLatin1(c.text), false);
        EXPECT_EQ(record.Format(false), QString::fromLatin1(c.reformatted)) << c.text;
    }
    OptionsRecord record;
    record.codeIds = {5, 7};
    EXPECT_EQ(record.Format(false), QStringLiteral("2|0|0|1|0|1|0|0|1|0|0|1||||5|7"));
}

TEST(OptionsRecord, LongForm)
{
    OptionsRecord record;
    EXPECT_EQ(record.Format(true), QLatin1String(kDefaultLong));

    struct Case {
        const char* text;
        const char* reformatted;
    };
    const Case cases[] = {
        {"2|5|3|1|0|9", "2|5|3|1|1|9|0|1|100|0|1|1|1|0|1|1|1|0|0|20|0|1|0|1|0|100|10"},
        {"3|101|0|0|4|10|1|0|50", "0|0|0|0|1|0|1|0|50|0|1|1|1|0|1|1|1|0|0|20|0|1|0|1|0|100|10"},
        {"1|1|1|1|2|1|1|1|1|1|0|0|0|1|1|1|0|1|1|7|100|0|1|0|1|2|3", "1|1|1|1|2|1|1|1|1|1|0|0|0|1|1|1|0|1|1|7|100|0|1|0|1|2|3"},
        {"junk", "0|0|0|0|1|0|0|1|100|0|1|1|1|0|1|1|1|0|0|20|0|1|0|1|0|100|10"},
    };
    for (const Case& c : cases) {
        OptionsRecord r;
        // L14 to L16 keep what they hold when the text does not give them.
        r.l14 = false;
        r.l15 = true;
        r.l16 = true;
        r.l20 = 77;
        r.Parse(QString::fromLatin1(c.text), true);
        EXPECT_EQ(r.Format(true), QString::fromLatin1(c.reformatted)) << c.text;
    }
}

TEST(OptionsRecord, CopyTakesTheRetrievalPart)
{
    OptionsRecord from;
    from.Parse(QStringLiteral("2|5|3|1|2|9|1|10|90|4|0|0|0|0|1|1|0|1|1|9|7|0|5|0|6|7|8"), true);
    from.Parse(QStringLiteral("3|4|5|6|7|8|9|10|11|12|13|14||||21"), false);
    CodeNames names;
    from.SetDatabase(&names);
    OptionsRecord to;
    to.Copy(from);
    EXPECT_EQ(to.Format(false), from.Format(false));
    EXPECT_EQ(to.Format(true), QStringLiteral("2|5|3|1|2|9|1|10|90|4|1|1|1|1|0|0|1|0|0|20|7|1|0|1|0|100|10"));
    EXPECT_EQ(to.Describe(true, 5), to.Describe(false, 5) + QStringLiteral(" [Code 4]"));
}

TEST(OptionsRecord, Describe)
{
    CStringStore store;
    ASSERT_TRUE(store.Open(testutil::StringTablePath(), 1));
    CStringStore* const global = g_pStringStore;
    g_pStringStore = &store;

    OptionsRecord record;
    record.Parse(QStringLiteral("3|4|0|1|6|1|7|2|1|9|5|1"), false);
    EXPECT_EQ(record.Describe(false), store.GetString(57791));   // the current function, 0
    EXPECT_EQ(record.Describe(true, 4), store.GetString(57803) + QStringLiteral(" [3]"));
    EXPECT_EQ(record.Describe(true, 8), store.GetString(57807) + QStringLiteral(" [?]"));   // no database
    EXPECT_EQ(record.Describe(true, 6), store.GetString(57805) + QStringLiteral(" [?]"));   // code 0
    CodeNames names;
    record.SetDatabase(&names);
    EXPECT_EQ(record.Describe(true, 6), store.GetString(57805) + QStringLiteral(" [?]"));
    EXPECT_EQ(record.Describe(true, 5), store.GetString(57804) + QStringLiteral(" [Code 4]"));
    EXPECT_EQ(record.Describe(true, 8), store.GetString(57807) + QStringLiteral(" [Code 7; 2]"));
    EXPECT_EQ(record.Describe(true, 9), store.GetString(57808) + QStringLiteral(" [Code 9; 5]"));
    EXPECT_EQ(record.Describe(true, 2), store.GetString(57794));
    EXPECT_EQ(record.Describe(true, 10), QString());
    EXPECT_EQ(record.GetFunctionName(3), store.GetString(57812));
    EXPECT_EQ(record.GetFunctionName(-2), QString());
    for (int function = 0; function <= 9; ++function)
        EXPECT_FALSE(record.Describe(false, function).isEmpty()) << function;

    g_pStringStore = global;
}
