#include "foundation/texthelpers.h"

#include "common/testutil.h"

#include <QDateTime>
#include <QFont>
#include <QFontMetrics>

#include <gtest/gtest.h>

#include <cmath>

TEST(TextHelpers, ReplaceAllWithSpace)
{
    const struct {
        QString text, pattern, result;
        int returned;
    } cases[] = {
        {"a\rb\rc", "\r", "a b c", 2},
        {"a     b", "  ", "a b", 8},          // a run collapses completely
        {"  x  ", "  ", " x ", 4},
        {"a b", " ", "a b", 1},               // never ends when searched again from the new blank
        {"aXYbXYXY", "XY", "a b  ", 6},
        {" x x", " x", "  ", 4},
        {"abc", "", "abc", 0},
        {"abc", "d", "abc", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testutil::ShowControls(c.text).toStdString() + " / " + c.pattern.toStdString());
        QString text = c.text;
        EXPECT_EQ(ReplaceAllWithSpace(text, c.pattern), c.returned);
        EXPECT_EQ(text, c.result);
    }
}

TEST(TextHelpers, CleanPreviewText)
{
    const struct {
        QString text;
        int max;
        QString preview;
    } cases[] = {
        {"a b\rc", 3, "a b"},
        {"a b\rc", -1, "a b c"},
        {"one\r\r  two   three", -1, "one two three"},
        {"Interview mit Frau Mueller", 20, "Interview mit Frau"},
        {"abcdefgh", 5, "abcde"},             // no blank: cut at the limit
        {"abcde fgh", 5, "abcde"},            // the blank right after the limit
        {"ab cd", 5, "ab cd"},
        {"abc", 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testutil::ShowControls(c.text).toStdString());
        EXPECT_EQ(CleanPreviewText(c.text, c.max), c.preview);
    }
}

TEST(TextHelpers, FitTextWithEllipsis)
{
    const QFontMetrics metrics{QFont(QStringLiteral("DejaVu Sans"), 10)};
    const QString text = QStringLiteral("A rather long label for a column");
    const int full = metrics.horizontalAdvance(text);
    EXPECT_EQ(FitTextWithEllipsis(metrics, text, full + 1, 1), text);
    EXPECT_EQ(FitTextWithEllipsis(metrics, QString(), 0, 0), QString());

    const QString fitted = FitTextWithEllipsis(metrics, text, full / 2, 1);
    ASSERT_TRUE(fitted.endsWith(QStringLiteral("...")));
    const QString kept = fitted.chopped(3);
    EXPECT_TRUE(text.startsWith(kept));
    EXPECT_LE(metrics.horizontalAdvance(fitted) + 1, full / 2);
    // One character more would not have fitted.
    EXPECT_GT(metrics.horizontalAdvance(text.left(kept.size() + 1) + QStringLiteral("...")) + 1, full / 2);

    EXPECT_EQ(FitTextWithEllipsis(metrics, text, 1, 0), QStringLiteral("A..."));
    // A character outside the BMP is never cut in half.
    const QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80\xF0\x9F\x98\x80\xF0\x9F\x98\x80");
    EXPECT_EQ(FitTextWithEllipsis(metrics, emoji, 1, 0), emoji.left(2) + QStringLiteral("..."));
}

TEST(TextHelpers, FormatTimeStamp)
{
    EXPECT_EQ(FormatTimeStamp(QDateTime(QDate(2010, 3, 5), QTime(14, 7, 9))), QStringLiteral("20100305140709"));
    EXPECT_EQ(FormatTimeStamp(QDateTime(QDate(987, 1, 2), QTime(3, 4, 5))), QStringLiteral("09870102030405"));
    EXPECT_EQ(FormatTimeStamp(QDateTime()), QString());
    EXPECT_EQ(FormatTimeStamp(QDateTime(QDate(1899, 12, 30), QTime(0, 0))), QString());
    EXPECT_EQ(FormatTimeStamp(QDateTime(QDate(1899, 12, 30), QTime(0, 0, 1))), QStringLiteral("18991230000001"));
}

TEST(TextHelpers, RoundToHalfAwayFromZero)
{
    const struct {
        double value;
        int decimals;
        double result;
    } cases[] = {
        {0.46, 0, 0},     {0.44, 0, 0},    {-0.46, 0, 0},    {0.5, 0, 1},          {-0.5, 0, -1},
        {2.5, 0, 3},      {-2.5, 0, -3},   {2.675, 2, 2.68}, {1.005, 2, 1.01},     {-1.005, 2, -1.01},
        {1.2345, 3, 1.235}, {1.23449, 3, 1.234}, {1234.5, -1, 1230}, {1235, -1, 1240}, {-1250, -2, -1300},
        {0.4999999999999, 0, 0},
        // Beyond 32 bits, and beyond any fraction at all.
        {3e9 + 0.5, 0, 3000000001.0}, {1e300, 2, 1e300}, {123.456, 400, 123.456}, {123.456, -400, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.value) + " to " + std::to_string(c.decimals));
        EXPECT_DOUBLE_EQ(RoundTo(c.value, c.decimals), c.result);
    }
    EXPECT_TRUE(std::isnan(RoundTo(std::nan(""), 2)));
    EXPECT_TRUE(std::isinf(RoundTo(INFINITY, 2)));
}
