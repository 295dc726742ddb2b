// The HTML table page as the list and coding exports write it: its bytes
// stay those of the recorded page, markup in cell texts is escaped and line
// breaks become <BR/>.

#include "foundation/tablewriter.h"

#include "common/testutil.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(HtmlTablePage, RowsAreWrittenAsRecorded)
{
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(QStringLiteral("page.htm"));
    HtmlTablePage page;
    ASSERT_TRUE(page.Begin(path, QStringLiteral("Codings & <memos>"), 0xFFE0B4,
                           {QStringLiteral("Code"), QStringLiteral("Text"), QString()}, {20, 55, 25}));
    const QList<QStringList> rows = {
        {QStringLiteral("Joy"), QStringLiteral("plain"), QStringLiteral("1")},
        {QStringLiteral("A<B>&\"C\" 'd'"), QStringLiteral("one\r\ntwo\rthree\nfour"), QString()},
        {QString(), QString(), QString()},
        {QStringLiteral("\u00e4\u00f6\u00fc \u4e2d"), QStringLiteral("  spaced  "), QStringLiteral("\t")},
        {QStringLiteral("short row")},
    };
    for (const QStringList& row : rows)
        ASSERT_TRUE(page.AddRow(row));
    ASSERT_TRUE(page.Finish()) << page.Error().toStdString();
    QFile written(path);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QByteArray bytes = written.readAll();
    const QString recorded = testutil::DataPath(QStringLiteral("foundation/htmltable_page.htm"));
    if (qEnvironmentVariableIsSet("KORVAN_RECORD")) {
        QFile out(recorded);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bytes);
    }
    QFile expected(recorded);
    ASSERT_TRUE(expected.open(QIODevice::ReadOnly));
    EXPECT_EQ(bytes, expected.readAll());
}

}  // namespace
