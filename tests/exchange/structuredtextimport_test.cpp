// Structured texts: a table of marker texts with the documents, plain texts,
// code paths and coding positions they give; blocks coded on helper threads
// in order; files that are refused or whose write fails change nothing, and
// the source file is never written.

#include "exchange/exchangetesting.h"
#include "document/docfixture.h"
#include "document/rowfields.h"
#include "exchange/structuredtextimport.h"
#include "foundation/orderedwork.h"
#include "foundation/richtexthelpers.h"
#include "platform/rtf/richeditctrlex.h"
#include "platform/rtf/richtextmap.h"

#include <QFile>

namespace {

using namespace doctest;
using namespace exchangetest;

/// RTF of lines, one paragraph each, with RTF's special characters escaped.
QByteArray RtfLines(const QStringList& lines)
{
    QStringList escaped;
    for (QString line : lines) {
        line.replace(u'\\', QStringLiteral("\\\\"));
        line.replace(u'{', QStringLiteral("\\{"));
        line.replace(u'}', QStringLiteral("\\}"));
        escaped.append(line);
    }
    return RtfOf(escaped);
}

struct ExpectedCoding {
    int document;  // index among the documents made
    QString path;
    qint32 start;
    qint32 end;
};

struct MarkerCase {
    const char* title;
    QStringList lines;
    bool keepCodeNames;
    QList<std::pair<QString, QString>> documents;  // name, plain text (CR paragraph ends)
    QList<ExpectedCoding> codings;
};

class StructuredTextTest : public DocTest {
protected:
    void SetUp() override
    {
        DocTest::SetUp();
        NewProject();
    }

    QString PlainTextOf(qint32 document)
    {
        const QByteArray rtf = BlobOf(db(), TopicId::Documents, document, DocumentField::Text);
        const std::unique_ptr<CRichEditCtrlEx> edit = CreateHiddenRichEdit();
        edit->StreamInRtf(&rtf, false);
        return edit->TextMap().text();
    }

    /// "path start-end" of every coding of the document, in key order.
    QStringList CodingsOf(qint32 document)
    {
        QList<qint32> codings;
        db().FindKeysByParent(TopicId::Codings, TopicId::Documents, document, codings);
        std::sort(codings.begin(), codings.end());
        QStringList out;
        for (const qint32 coding : std::as_const(codings))
            out.append(QStringLiteral("%1 %2-%3")
                           .arg(CodePathIn(db(), db().GetIntValue(TopicId::Codings, coding, CodingField::Code)))
                           .arg(db().GetIntValue(TopicId::Codings, coding, CodingField::StartChar))
                           .arg(db().GetIntValue(TopicId::Codings, coding, CodingField::FinishChar)));
        return out;
    }

    StructuredTextImport import{doc};
};

TEST_F(StructuredTextTest, MarkerTextsGiveTheirDocumentsTextsAndCodings)
{
    const QString tenBlanks(10, u' ');
    const QList<MarkerCase> cases = {
        {"the marker and its closing # go, the name is trimmed, the region ends at #ENDCODE",
         {"#TEXT  Interview 1 ", "#CODE Anger#I was angry", "and more", "#ENDCODE", "after"},
         false,
         {{"Interview 1", "I was angry\rand more\rafter"}},
         {{0, "Anger", 0, 21}}},
        {"names kept: only the keyword and its blanks go, the # becomes a blank",
         {"#TEXT Kept", "#CODE Anger#I was angry", "and more", "#ENDCODE", "after"},
         true,
         {{"Kept", "Anger I was angry\rand more\rafter"}},
         {{0, "Anger", 0, 27}}},
        {"two paths code one region twice, the first as a child",
         {"#TEXT Two", "#CODE Emotions\\Anger\\\\Joy", "happy", "#ENDCODE"},
         false,
         {{"Two", "happy\r"}},
         {{0, "Emotions\\Anger", 0, 6}, {0, "Joy", 0, 6}}},
        {"two #CODE before one #ENDCODE: the first ends where the second stood",
         {"#TEXT Nested", "#CODE A", "one", "#CODE B", "two", "#ENDCODE", "rest"},
         false,
         {{"Nested", "one\rtwo\rrest"}},
         {{0, "A", 0, 4}, {0, "B", 4, 8}}},
        {"a region without an end runs to the end; a #TEXT without #ENDTEXT runs to the next",
         {"#TEXT First", "intro", "#CODE C", "tail text", "#TEXT Second", "other"},
         false,
         {{"First", "intro\rtail text"}, {"Second", "other"}},
         {{0, "C", 6, 15}}},
        {"an empty region becomes ten blanks, coded over exactly those",
         {"#TEXT Empty", "#CODE E", "#ENDCODE", "after"},
         false,
         {{"Empty", tenBlanks + "after"}},
         {{0, "E", 0, 10}}},
        {"text between #ENDTEXT and the next #TEXT is dropped",
         {"lead", "#TEXT A", "a1", "#ENDTEXT", "junk", "#TEXT B", "b1", "#ENDTEXT"},
         false,
         {{"A", "a1"}, {"B", "b1"}},
         {}},
        {"empty paths: the markers go, nothing is coded",
         {"#TEXT Unnamed", "#CODE  ", "x", "#ENDCODE", "y"},
         false,
         {{"Unnamed", "x\ry"}},
         {}},
        {"an #ENDCODE without #CODE stays text",
         {"#TEXT Stray", "a", "#ENDCODE", "b"},
         false,
         {{"Stray", "a\r#ENDCODE\rb"}},
         {}},
        {"no #TEXT makes nothing", {"just text", "#CODE A", "b"}, false, {}, {}},
    };
    for (const MarkerCase& c : cases) {
        SCOPED_TRACE(c.title);
        QList<qint32> made;
        QString reason;
        ASSERT_TRUE(import.ImportRtf(RtfLines(c.lines), 0, c.keepCodeNames, reason, &made)) << reason.toStdString();
        ASSERT_EQ(made.size(), c.documents.size());
        QStringList expectedCodings;
        QStringList actualCodings;
        for (qsizetype i = 0; i < made.size(); ++i) {
            EXPECT_EQ(ValueOf(db(), TopicId::Documents, made[i], DocumentField::Name), c.documents[i].first);
            EXPECT_EQ(PlainTextOf(made[i]), c.documents[i].second);
            EXPECT_EQ(db().GetIntValue(TopicId::Documents, made[i], DocumentField::Size),
                      c.documents[i].second.size());
            for (const ExpectedCoding& coding : c.codings)
                if (coding.document == i)
                    expectedCodings.append(QStringLiteral("%1 %2-%3").arg(coding.path).arg(coding.start).arg(coding.end));
            actualCodings += CodingsOf(made[i]);
        }
        EXPECT_EQ(actualCodings, expectedCodings);
    }
}

TEST_F(StructuredTextTest, CodingsCarryParagraphsPreviewAndTheirOwnText)
{
    QList<qint32> made;
    QString reason;
    ASSERT_TRUE(import.ImportRtf(RtfLines({"#TEXT P", "before", "#CODE Q", "inside one", "inside two", "#ENDCODE",
                                           "after"}),
                                 0, false, reason, &made));
    ASSERT_EQ(made.size(), 1);
    QList<qint32> codings;
    db().FindKeysByParent(TopicId::Codings, TopicId::Documents, made[0], codings);
    ASSERT_EQ(codings.size(), 1);
    const qint32 coding = codings[0];
    // "before\r" then the region "inside one\rinside two\r".
    EXPECT_EQ(db().GetIntValue(TopicId::Codings, coding, CodingField::StartChar), 7);
    EXPECT_EQ(db().GetIntValue(TopicId::Codings, coding, CodingField::FinishChar), 29);
    EXPECT_EQ(db().GetIntValue(TopicId::Codings, coding, CodingField::StartPara), 2);
    EXPECT_EQ(db().GetIntValue(TopicId::Codings, coding, CodingField::FinishPara), 3);
    EXPECT_EQ(db().GetIntValue(TopicId::Codings, coding, CodingField::Area), 22);
    EXPECT_TRUE(ValueOf(db(), TopicId::Codings, coding, CodingField::Preview).startsWith(QStringLiteral("inside one")));
    const QByteArray segment = BlobOf(db(), TopicId::Codings, coding, CodingField::Text);
    const std::unique_ptr<CRichEditCtrlEx> edit = CreateHiddenRichEdit();
    edit->StreamInRtf(&segment, false);
    // Read as a whole text, the segment's last paragraph end is its end.
    EXPECT_EQ(edit->TextMap().text(), QStringLiteral("inside one\rinside two"));
    // The counters agree with the rows, and windows were reset once.
    ExpectCountersRecounted(db());
}

TEST_F(StructuredTextTest, ManyBlocksOnHelperThreadsKeepTheirOrder)
{
    QStringList lines;
    for (int i = 1; i <= 40; ++i)
        lines << QStringLiteral("#TEXT T%1").arg(i) << QStringLiteral("#CODE Shared\\\\Own %1").arg(i)
              << QStringLiteral("text %1").arg(i) << QStringLiteral("#ENDCODE") << QStringLiteral("#ENDTEXT");
    for (const int limit : {0, -1}) {
        SCOPED_TRACE(limit);
        SetOrderedWorkThreadLimit(limit);
        QList<qint32> made;
        QString reason;
        ASSERT_TRUE(import.ImportRtf(RtfLines(lines), 0, false, reason, &made));
        ASSERT_EQ(made.size(), 40);
        for (int i = 0; i < 40; ++i) {
            EXPECT_EQ(ValueOf(db(), TopicId::Documents, made[i], DocumentField::Name), QStringLiteral("T%1").arg(i + 1));
            const QString text = QStringLiteral("text %1").arg(i + 1);
            EXPECT_EQ(CodingsOf(made[i]), QStringList({QStringLiteral("Shared 0-%1").arg(text.size() + 1),
                                                       QStringLiteral("Own %1 0-%2").arg(i + 1).arg(text.size() + 1)}));
        }
    }
    SetOrderedWorkThreadLimit(-1);
    // The second run found the codes the first made.
    EXPECT_EQ(KeysOf(db(), TopicId::Codes).size(), 41);
}

TEST_F(StructuredTextTest, RefusedFilesChangeNothingAndStayAsTheyWere)
{
    const QByteArray good = RtfLines({"#TEXT A", "#CODE X", "a", "#ENDCODE"});
    const struct {
        const char* title;
        QByteArray bytes;
    } files[] = {
        {"not rich text", "#TEXT A\r\n#CODE X\r\na\r\n"},
        {"cut short", good.left(good.size() - 12)},
        {"a group never closed", QByteArray(good).insert(good.indexOf("#CODE"), "{\\b ")},
    };
    for (const auto& file : files) {
        SCOPED_TRACE(file.title);
        const QString source = dir.file(QStringLiteral("source.rtf"));
        {
            QFile out(source);
            ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
            out.write(file.bytes);
        }
        QString reason;
        EXPECT_FALSE(import.ImportFile(source, 0, false, reason));
        EXPECT_FALSE(reason.isEmpty());
        EXPECT_TRUE(KeysOf(db(), TopicId::Documents).isEmpty());
        EXPECT_TRUE(KeysOf(db(), TopicId::Codes).isEmpty());
        EXPECT_EQ(BytesOf(source), file.bytes);
    }
    QString reason;
    EXPECT_FALSE(import.ImportFile(dir.file(QStringLiteral("missing.rtf")), 0, false, reason));
    EXPECT_FALSE(reason.isEmpty());
}

TEST_F(StructuredTextTest, AFailedWriteRollsTheWholeFileBack)
{
    const QString source = dir.file(QStringLiteral("structured.rtf"));
    const QByteArray bytes =
        RtfLines({"#TEXT A", "#CODE X\\Y", "a", "#ENDCODE", "#TEXT B", "#CODE Z", "b", "#ENDCODE"});
    {
        QFile out(source);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bytes);
    }
    frame.ExitCommand();
    const QString pristine = dir.file(QStringLiteral("pristine.kv4"));
    ASSERT_TRUE(QFile::copy(path, pristine));
    // Count the writes of a whole import, then fail each in turn.
    testutil::FailingEngine* engine = OpenFailingCopy(doc, pristine, path, 0);
    ASSERT_NE(engine, nullptr);
    QString reason;
    ASSERT_TRUE(import.ImportFile(source, 0, false, reason)) << reason.toStdString();
    const qint64 total = engine->writes;
    ASSERT_GT(total, 5);
    for (qint64 failAt = 1; failAt <= total; ++failAt) {
        SCOPED_TRACE(failAt);
        frame.ExitCommand();
        engine = OpenFailingCopy(doc, pristine, path, failAt);
        ASSERT_NE(engine, nullptr);
        messages.texts.clear();
        EXPECT_FALSE(import.ImportFile(source, 0, false, reason));
        EXPECT_FALSE(reason.isEmpty());
        for (const qint32 topic : {TopicId::Documents, TopicId::Codes, TopicId::Codings})
            EXPECT_TRUE(KeysOf(db(), topic).isEmpty()) << topic;
    }
    EXPECT_EQ(BytesOf(source), bytes);
}

}  // namespace
