// The XML project import on small exported projects: codes with paths,
// colours and dates, data sources by type and by place, quotations as
// codings at their positions, comments and memos, families as sets; files
// that are not well-formed or not exported projects import nothing, and
// neither file nor data source is ever written.

#include "exchange/exchangetesting.h"
#include "document/docfixture.h"
#include "document/rowfields.h"
#include "exchange/xmlprojectimport.h"
#include "store/oledate.h"

#include <QDir>
#include <QFile>

namespace {

using namespace doctest;
using namespace exchangetest;

const char* const kProject = R"(<?xml version="1.0" encoding="utf-8"?>
<storedHU name="Study">
  <codes>
    <code id="co1" name="A\B" color="FF0000" au="ann" cDate="2021-03-04T05:06:07"><comment><p>Code note</p></comment></code>
    <code id="co2" name="Blue" color="0080FF" cDate="2021-03-04"/>
    <code id="co3" name="Dark" color="050000"/>
    <code name="No id"/>
  </codes>
  <dataSources>
    <dataSource id="ds1" loc="&lt;HUPATH&gt;\hello.rtf" mime="TEXT/RTF"/>
    <dataSource id="ds2" loc="&lt;HUPATH&gt;\plain.txt" mime="text/plain"/>
    <dataSource id="ds3" loc="&lt;HUPATH&gt;\..\outside.rtf" mime="text/rtf"/>
  </dataSources>
  <primDocs>
    <primDoc id="pd1" name="Hello doc" loc="ds1" au="bob" cDate="2020-01-02T03:04:05">
      <comment><p>see /quotations here</p></comment>
      <quotations>
        <q id="q1" name="orl" loc="2@2,4@2!" au="cy" cDate="2020-01-02T03:04:05"><comment><p>quote /comment</p></comment></q>
        <q id="q2" name="beyond" loc="1@1,50@2!"/>
        <q id="q4" name="Hello" loc="1@1,5@1!"/>
      </quotations>
    </primDoc>
    <primDoc id="pd2" name="Plain" loc="ds2"><quotations><q id="q3" loc="1@1,2@1!"/></quotations></primDoc>
    <primDoc id="pd3" name="Outside" loc="ds3"/>
  </primDocs>
  <families>
    <codeFamilies><codeFamily id="cf1" name="Colours"><item id="co2"/><item id="co3"/></codeFamily></codeFamilies>
    <primDocFamilies><primDocFamily id="df1" name="Docs"><item id="pd1"/></primDocFamily></primDocFamilies>
  </families>
  <links><objectSegmentLinks>
    <codings><iLink obj="co1" qRef="q1"/><iLink obj="co2" qRef="Q1"/><iLink obj="co1" qRef="q2"/><iLink obj="co1" qRef="q3"/></codings>
    <memoings><iLink obj="m1" qRef="q1"/><iLink obj="M1" qRef="q4"/></memoings>
  </objectSegmentLinks></links>
  <memos><memo id="m1" name="Memo one" au="dee" cDate="2019-05-06T07:08:09"><comment><p>line one</p><p>line two</p></comment></memo></memos>
</storedHU>
)";

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

class XmlProjectTest : public DocTest {
protected:
    void SetUp() override
    {
        DocTest::SetUp();
        NewProject();
        folder = dir.file(QStringLiteral("hu"));
        ASSERT_TRUE(QDir().mkpath(folder));
        WriteFile(folder + QStringLiteral("/hello.rtf"), RtfOf({QStringLiteral("Hello"), QStringLiteral("World")}));
        WriteFile(folder + QStringLiteral("/plain.txt"), "plain text");
        WriteFile(dir.file(QStringLiteral("outside.rtf")), RtfOf({QStringLiteral("Secret")}));
        xml = folder + QStringLiteral("/Study.xml");
    }

    double DateOf(qint32 topic, qint32 key, qint32 field)
    {
        RowBuffer row;
        FieldValue value;
        if (!db().ReadRow(topic, key, row, false) || !row.GetFieldValue(field, value))
            return -1;
        return value.GetDate().value;
    }
    qint32 CodeByPath(const QString& codePath)
    {
        for (const qint32 code : KeysOf(db(), TopicId::Codes))
            if (CodePathIn(db(), code) == codePath)
                return code;
        return 0;
    }
    QStringList MemoTitles()
    {
        QStringList titles;
        for (const qint32 memo : KeysOf(db(), TopicId::Memos))
            titles.append(ValueOf(db(), TopicId::Memos, memo, MemoField::Title));
        titles.sort();
        return titles;
    }

    QString folder;
    QString xml;
};

TEST_F(XmlProjectTest, ReadsCodesDocumentsQuotationsMemosAndFamilies)
{
    WriteFile(xml, kProject);
    const QByteArray before = BytesOf(xml);
    const QByteArray source = BytesOf(folder + QStringLiteral("/hello.rtf"));
    const double started = DateTimeNow().value;
    const CXmlProjectImport import(doc, xml, folder);
    ASSERT_TRUE(import.Succeeded()) << import.Error().toStdString();

    // Codes: the path makes B under A; colours read as RGB; small values
    // would be palette indexes; a 10-character date leaves the time of the
    // import.
    const qint32 b = CodeByPath(QStringLiteral("A\\B"));
    ASSERT_NE(b, 0);
    EXPECT_EQ(db().GetIntValue(TopicId::Codes, b, CodeField::Type), 255);
    EXPECT_DOUBLE_EQ(DateOf(TopicId::Codes, b, CodeField::Date), OleDaysFromDateTime(QDate(2021, 3, 4), QTime(5, 6, 7)));
    EXPECT_EQ(ValueOf(db(), TopicId::Codes, b, CodeField::Author), QStringLiteral("ann"));
    const qint32 blue = CodeByPath(QStringLiteral("Blue"));
    EXPECT_EQ(db().GetIntValue(TopicId::Codes, blue, CodeField::Type), 16744448);
    EXPECT_GE(DateOf(TopicId::Codes, blue, CodeField::Date), started - 1.0 / 86400);
    EXPECT_EQ(db().GetIntValue(TopicId::Codes, CodeByPath(QStringLiteral("Dark")), CodeField::Type), 11);
    EXPECT_EQ(KeysOf(db(), TopicId::Codes).size(), 4);  // A, B, Blue, Dark; no code without id

    // Only the RTF source inside the folder became a document, renamed.
    const QList<qint32> documents = KeysOf(db(), TopicId::Documents);
    ASSERT_EQ(documents.size(), 1);
    const qint32 hello = documents[0];
    EXPECT_EQ(ValueOf(db(), TopicId::Documents, hello, DocumentField::Name), QStringLiteral("Hello doc"));
    EXPECT_EQ(ValueOf(db(), TopicId::Documents, hello, DocumentField::Author), QStringLiteral("bob"));
    EXPECT_DOUBLE_EQ(DateOf(TopicId::Documents, hello, DocumentField::Date),
                     OleDaysFromDateTime(QDate(2020, 1, 2), QTime(3, 4, 5)));

    // "2@2,4@2!" on Hello CR World: "orl", 7 to 10, paragraph 2; coded by
    // both of its links (one written in other letter case); the range
    // beyond the text and the quotation of the plain source are skipped.
    QStringList codings;
    for (const qint32 coding : KeysOf(db(), TopicId::Codings))
        codings.append(QStringLiteral("%1 %2-%3 p%4-%5 %6 %7")
                           .arg(CodePathIn(db(), db().GetIntValue(TopicId::Codings, coding, CodingField::Code)))
                           .arg(db().GetIntValue(TopicId::Codings, coding, CodingField::StartChar))
                           .arg(db().GetIntValue(TopicId::Codings, coding, CodingField::FinishChar))
                           .arg(db().GetIntValue(TopicId::Codings, coding, CodingField::StartPara))
                           .arg(db().GetIntValue(TopicId::Codings, coding, CodingField::FinishPara))
                           .arg(ValueOf(db(), TopicId::Codings, coding, CodingField::Preview),
                                ValueOf(db(), TopicId::Codings, coding, CodingField::Author)));
    codings.sort();
    EXPECT_EQ(codings, QStringList({QStringLiteral("A\\B 7-10 p2-2 orl cy"), QStringLiteral("Blue 7-10 p2-2 orl cy")}));

    // Memos: the code's and the document's comments (told by tag, not by
    // the text inside), the quotation's, and the memo element's three:
    // two at its linked quotations and a free one.
    EXPECT_EQ(MemoTitles(), QStringList({QStringLiteral("A\\B"), QStringLiteral("Hello doc"),
                                         QStringLiteral("Memo one"), QStringLiteral("Memo one"),
                                         QStringLiteral("Memo one"), QStringLiteral("orl")}));
    bool created = true;
    const qint32 codeMemo = doc.GetCodeMemo(b, created);
    ASSERT_NE(codeMemo, 0);
    EXPECT_FALSE(created);
    EXPECT_EQ(ValueOf(db(), TopicId::Memos, codeMemo, MemoField::Preview).left(9), QStringLiteral("Code note"));
    const qint32 documentMemo = doc.GetDocumentMemo(hello, created);
    ASSERT_NE(documentMemo, 0);
    EXPECT_TRUE(ValueOf(db(), TopicId::Memos, documentMemo, MemoField::Preview).startsWith(QStringLiteral("see /quotations")));
    QStringList attached;
    for (const qint32 memo : KeysOf(db(), TopicId::Memos))
        if (db().GetIntValue(TopicId::Memos, memo, MemoField::Document) == hello &&
            db().GetIntValue(TopicId::Memos, memo, MemoField::Pos) >= 0)
            attached.append(QStringLiteral("%1@%2").arg(ValueOf(db(), TopicId::Memos, memo, MemoField::Title))
                                .arg(db().GetIntValue(TopicId::Memos, memo, MemoField::Pos)));
    attached.sort();
    EXPECT_EQ(attached, QStringList({QStringLiteral("Memo one@0"), QStringLiteral("Memo one@7"), QStringLiteral("orl@7")}));

    // Families as sets, and nothing left activated.
    ASSERT_EQ(KeysOf(db(), TopicId::CodeSets).size(), 1);
    EXPECT_EQ(KeysOf(db(), TopicId::CodeSetMembers).size(), 2);
    ASSERT_EQ(KeysOf(db(), TopicId::DocumentSets).size(), 1);
    EXPECT_EQ(KeysOf(db(), TopicId::DocumentSetMembers).size(), 1);
    qint32 index = 0;
    EXPECT_FALSE(doc.IsDocumentActivated(hello, index));

    // The source outside the folder is named in the closing message.
    ASSERT_EQ(import.OutsideSources(), QStringList({QStringLiteral("<HUPATH>\\..\\outside.rtf")}));
    ASSERT_FALSE(messages.texts.isEmpty());
    EXPECT_TRUE(messages.texts.last().contains(QStringLiteral("outside.rtf")));
    ExpectCountersRecounted(db());
    EXPECT_EQ(BytesOf(xml), before);
    EXPECT_EQ(BytesOf(folder + QStringLiteral("/hello.rtf")), source);
}

TEST_F(XmlProjectTest, FilesThatAreNoExportedProjectImportNothing)
{
    const QByteArray whole(kProject);
    const struct {
        const char* title;
        QByteArray bytes;
    } files[] = {
        {"cut short", whole.left(whole.indexOf("<quotations>") + 20)},
        {"a tag closed wrongly", QByteArray(whole).replace("</primDocs>", "</primDoc>")},
        {"another root", QByteArray(whole).replace("storedHU", "storedXY")},
        {"not XML at all", "{\\rtf1 Hello}"},
        {"empty", ""},
    };
    for (const auto& file : files) {
        SCOPED_TRACE(file.title);
        WriteFile(xml, file.bytes);
        messages.texts.clear();
        const CXmlProjectImport import(doc, xml, folder);
        EXPECT_FALSE(import.Succeeded());
        EXPECT_FALSE(import.Error().isEmpty());
        ASSERT_EQ(messages.texts.size(), 1);
        EXPECT_TRUE(messages.texts[0].contains(QStringLiteral("Study.xml")));
        for (const qint32 topic : {TopicId::Codes, TopicId::Documents, TopicId::Codings, TopicId::Memos,
                                   TopicId::CodeSets, TopicId::DocumentSets})
            EXPECT_TRUE(KeysOf(db(), topic).isEmpty()) << topic;
        EXPECT_EQ(BytesOf(xml), file.bytes);
    }
}

TEST_F(XmlProjectTest, AFailedWriteLeavesTheProjectAsItWas)
{
    WriteFile(xml, kProject);
    frame.ExitCommand();
    const QString pristine = dir.file(QStringLiteral("pristine.kv4"));
    ASSERT_TRUE(QFile::copy(path, pristine));
    testutil::FailingEngine* engine = OpenFailingCopy(doc, pristine, path, 0);
    ASSERT_NE(engine, nullptr);
    {
        const CXmlProjectImport import(doc, xml, folder);
        ASSERT_TRUE(import.Succeeded());
    }
    const qint64 total = engine->writes;
    ASSERT_GT(total, 10);
    // A handful of places from the codes to the last memo.
    for (const qint64 failAt : {qint64(1), qint64(3), total / 3, total / 2, total - 1, total}) {
        SCOPED_TRACE(failAt);
        frame.ExitCommand();
        engine = OpenFailingCopy(doc, pristine, path, failAt);
        ASSERT_NE(engine, nullptr);
        const CXmlProjectImport import(doc, xml, folder);
        EXPECT_FALSE(import.Succeeded());
        for (const qint32 topic : {TopicId::Codes, TopicId::Documents, TopicId::Codings, TopicId::Memos,
                                   TopicId::CodeSets, TopicId::DocumentSets, TopicId::DocumentSetMembers})
            EXPECT_TRUE(KeysOf(db(), topic).isEmpty()) << topic;
    }
}

TEST(XmlProjectValues, ColoursDatesAndLocations)
{
    using namespace xmlproject;
    EXPECT_EQ(ParseColor(QStringLiteral("FF0000")), 255);
    EXPECT_EQ(ParseColor(QStringLiteral("0080FF")), 16744448);
    EXPECT_EQ(ParseColor(QStringLiteral("0080ff")), 16744448);
    for (const char* bad : {"", "FF00", "FF00000", "GG0000", "#FF000"})
        EXPECT_EQ(ParseColor(QString::fromLatin1(bad)), 0) << bad;
    OleDate date;
    ASSERT_TRUE(ParseDate(QStringLiteral("2021-03-04T05:06:07"), date));
    EXPECT_DOUBLE_EQ(date.value, OleDaysFromDateTime(QDate(2021, 3, 4), QTime(5, 6, 7)));
    for (const char* bad : {"2021-03-04", "2021-13-04T05:06:07", "2021-03-04T25:06:07", "abcd-ef-ghTij:kl:mn"})
        EXPECT_FALSE(ParseDate(QString::fromLatin1(bad), date)) << bad;
    qint32 a = 0, b = 0, c = 0, d = 0;
    ASSERT_TRUE(ParseLocation(QStringLiteral("2@2,4@2!"), a, b, c, d));
    EXPECT_EQ(QList<qint32>({a, b, c, d}), QList<qint32>({2, 2, 4, 2}));
    for (const char* bad : {"", "2@2,4@2", "2@2;4@2!", "x@2,4@2!"})
        EXPECT_FALSE(ParseLocation(QString::fromLatin1(bad), a, b, c, d)) << bad;
}

}  // namespace
