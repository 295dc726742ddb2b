// The quote matrix read back from its RTF, and the crosstab counts: codes
// against documents grouped by conditions on a document variable.

#include "common/variables.h"
#include "document/analysistable.h"
#include "document/docfixture.h"
#include "foundation/programpaths.h"
#include "platform/rtf/richeditctrlex.h"

#include <QDir>
#include <QFile>
#include <QTextCursor>
#include <QTextDocument>

#include <gtest/gtest.h>

namespace {

constexpr QChar kCellMark(0x0007);

class QuoteMatrixTest : public doctest::DocTest {
protected:
    void SetUp() override
    {
        DocTest::SetUp();
        NewProject();
        g_program.ProgramFolder = QStringLiteral(KORVAN_BIN_DIR) + u'/';
        g_program.SettingsFolder = dir.path() + u'/';
        site = testutil::AddVariable(db(), TopicId::Documents, QStringLiteral("Site"), FieldType::ShortText);
        ASSERT_NE(site, 0);
    }
    void TearDown() override
    {
        g_program = {};
        DocTest::TearDown();
    }
    qint32 AddSiteDocument(const QString& name, const QString& value)
    {
        return doctest::AddRow(db(), TopicId::Documents,
                      {{DocumentField::GroupID, 0}, {DocumentField::Name, name}, {DocumentField::DocType, 0},
                       {DocumentField::Text, doctest::RtfOf({QStringLiteral("one"), QStringLiteral("two")})},
                       {site, value}});
    }
    qint32 AddSegment(qint32 document, qint32 code, const QString& text, qint32 first, qint32 last)
    {
        return AddCoding(document, code, 0, 3,
                         {{CodingField::StartPara, first},
                          {CodingField::FinishPara, last},
                          {CodingField::IsText, 1},
                          {CodingField::Text, doctest::RtfOf({text})}});
    }
    ActivationCondition SiteIs(const QString& value, qint32 comparison = 0)
    {
        ActivationCondition condition;
        condition.fieldId = site;
        condition.fieldName = QStringLiteral("Site");
        condition.comparison = comparison;
        condition.value = value;
        return condition;
    }
    /// The written file's text in rich-edit positions.
    QString WrittenText(const QString& path)
    {
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
        const QByteArray rtf = file.readAll();
        reader.StreamInRtf(&rtf, false);
        QString text;
        reader.GetText(&text, (reader.GetTextLength() + 1) * 2);
        return text;
    }
    QString Matrix(const QString& name) { return QDir(dir.path()).filePath(name); }

    qint32 site = 0;
    CRichEditCtrlEx reader;
};

TEST_F(QuoteMatrixTest, ACellHoldsTheSegmentThenItsSourceOnYellow)
{
    const qint32 doc1 = AddSiteDocument(QStringLiteral("Doc1"), QStringLiteral("X"));
    AddSiteDocument(QStringLiteral("Doc2"), QStringLiteral("Y"));
    const qint32 code = AddCode(QStringLiteral("Trust"));
    AddSegment(doc1, code, QStringLiteral("abc"), 3, 5);
    QString written;
    ASSERT_TRUE(AnalysisTable::ExportQuoteMatrix(doc, {SiteIs(QStringLiteral("X"))}, {code}, false, &written))
        << messages.texts.join(u'\n').toStdString();
    EXPECT_EQ(written, Matrix(QStringLiteral("QuoteMatrix01.rtf")));
    const QString text = WrittenText(written);
    EXPECT_TRUE(text.contains(QStringLiteral("Site = X") + kCellMark)) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Trust") + kCellMark + QStringLiteral("abc\rDoc1, 3-5\r\r") + kCellMark))
        << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("Doc2")));

    QTextCursor found = reader.GetDocument()->find(QStringLiteral("Doc1, 3-5"));
    ASSERT_FALSE(found.isNull());
    EXPECT_EQ(found.charFormat().background().color(), QColor(232, 232, 0));
    found = reader.GetDocument()->find(QStringLiteral("abc"));
    EXPECT_NE(found.charFormat().background().color(), QColor(232, 232, 0));
}

TEST_F(QuoteMatrixTest, OneParagraphNamesItOnceAndFiveConditionsFillFourColumns)
{
    const qint32 doc1 = AddSiteDocument(QStringLiteral("Doc1"), QStringLiteral("A"));
    const qint32 doc2 = AddSiteDocument(QStringLiteral("Doc2"), QStringLiteral("B"));
    const qint32 first = AddCode(QStringLiteral("First"));
    const qint32 second = AddCode(QStringLiteral("Second"));
    AddSegment(doc1, first, QStringLiteral("alpha"), 3, 3);
    AddSegment(doc2, second, QStringLiteral("beta"), 7, 8);
    const QList<ActivationCondition> five = {SiteIs(QStringLiteral("A")), SiteIs(QStringLiteral("B")),
                                             SiteIs(QStringLiteral("A"), 1), SiteIs(QStringLiteral("B"), 1),
                                             SiteIs(QStringLiteral("C"))};
    QString written;
    ASSERT_TRUE(AnalysisTable::ExportQuoteMatrix(doc, five, {first, second}, false, &written));
    const QString text = WrittenText(written);
    // Header row: the corner and four condition cells; the fifth is left out.
    const QString header = QString(QChar(0xFFF9)) + u'\r' + kCellMark + QStringLiteral("Site = A") + kCellMark
                           + QStringLiteral("Site = B") + kCellMark + QStringLiteral("Site <> A") + kCellMark
                           + QStringLiteral("Site <> B") + kCellMark + QChar(0xFFFB) + u'\r';
    EXPECT_TRUE(text.startsWith(header)) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("Site = C")));
    // One row per code, exactly: alpha under "A" and "<> B", beta under "B" and "<> A".
    const QString alpha = QStringLiteral("alpha\rDoc1, 3\r\r");
    const QString beta = QStringLiteral("beta\rDoc2, 7-8\r\r");
    EXPECT_TRUE(text.contains(QStringLiteral("First") + kCellMark + alpha + kCellMark + kCellMark + kCellMark + alpha
                              + kCellMark))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Second") + kCellMark + kCellMark + beta + kCellMark + beta + kCellMark
                              + kCellMark))
        << text.toStdString();
    EXPECT_EQ(text.count(QChar(0xFFF9)), 3);
}

TEST_F(QuoteMatrixTest, AHeldFileIsPassedOverAndAMissingTemplateWritesNothing)
{
    const qint32 doc1 = AddSiteDocument(QStringLiteral("Doc1"), QStringLiteral("X"));
    const qint32 code = AddCode(QStringLiteral("Trust"));
    AddSegment(doc1, code, QStringLiteral("abc"), 1, 1);
    ASSERT_TRUE(testutil::WriteFile(Matrix(QStringLiteral("QuoteMatrix01.rtf")), "held"));
    ASSERT_TRUE(testutil::WriteFile(Matrix(QStringLiteral(".~lock.QuoteMatrix01.rtf#")), "lock"));
    QString written;
    ASSERT_TRUE(AnalysisTable::ExportQuoteMatrix(doc, {SiteIs(QStringLiteral("X"))}, {code}, false, &written));
    EXPECT_EQ(written, Matrix(QStringLiteral("QuoteMatrix02.rtf")));
    QFile held(Matrix(QStringLiteral("QuoteMatrix01.rtf")));
    ASSERT_TRUE(held.open(QIODevice::ReadOnly));
    EXPECT_EQ(held.readAll(), QByteArray("held"));

    // Without its templates nothing is written, and the user is told.
    testutil::TempDir empty;
    g_program.ProgramFolder = empty.path() + u'/';
    const QStringList before = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
    messages.texts.clear();
    EXPECT_FALSE(AnalysisTable::ExportQuoteMatrix(doc, {SiteIs(QStringLiteral("X"))}, {code}, false, &written));
    EXPECT_TRUE(written.isEmpty());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), before);
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(messages.texts[0].contains(QStringLiteral("TemplateQm1.tab"))) << messages.texts[0].toStdString();
    // No condition: nothing at all.
    messages.texts.clear();
    EXPECT_FALSE(AnalysisTable::ExportQuoteMatrix(doc, {}, {code}, false, &written));
    EXPECT_TRUE(messages.texts.isEmpty());
}

TEST_F(QuoteMatrixTest, CrosstabCountsWithTotalsAndADocumentInTwoColumns)
{
    const qint32 a = AddSiteDocument(QStringLiteral("A1"), QStringLiteral("A"));
    const qint32 b = AddSiteDocument(QStringLiteral("B1"), QStringLiteral("B"));
    const qint32 c = AddSiteDocument(QStringLiteral("C1"), QStringLiteral("C"));
    const qint32 trust = AddCode(QStringLiteral("Trust"));
    const qint32 doubt = AddCode(QStringLiteral("Doubt"));
    const qint32 other = AddCode(QStringLiteral("Other"));
    AddSegment(a, trust, QStringLiteral("t1"), 1, 1);
    AddSegment(a, trust, QStringLiteral("t2"), 2, 2);
    AddSegment(b, trust, QStringLiteral("t3"), 1, 1);
    AddSegment(c, doubt, QStringLiteral("d1"), 1, 1);
    AddSegment(a, other, QStringLiteral("o1"), 1, 1);   // a code not asked for
    AddCoding(a, 0, 0, 1);                                // a retrieval's temporary row
    // "A1" meets the first and the last condition: operator -1 admits every document.
    const QList<ActivationCondition> conditions = {SiteIs(QStringLiteral("A")), SiteIs(QStringLiteral("B"), 3),
                                                   SiteIs(QString(), -1)};
    QList<qint32> codings;
    QList<qint32> documents;
    AnalysisTable::CollectAnalysisTableCodings(doc, conditions, {trust, doubt}, codings, documents, false);
    // Rows: Trust, Doubt, totals; columns: the three conditions, totals.
    EXPECT_EQ(codings, (QList<qint32>{2, 0, 3, 5,  //
                                      0, 1, 1, 2,  //
                                      2, 1, 4, 7}));
    EXPECT_EQ(documents, (QList<qint32>{1, 0, 2, 3,  //
                                        0, 1, 1, 2,  //
                                        1, 1, 3, 5}));

    // Only activated documents: "C1" alone.
    ASSERT_TRUE(doc.ActivateDocument(c, true, false));
    AnalysisTable::CollectAnalysisTableCodings(doc, conditions, {trust, doubt}, codings, documents, true);
    EXPECT_EQ(codings, (QList<qint32>{0, 0, 0, 0,  //
                                      0, 1, 1, 2,  //
                                      0, 1, 1, 2}));
    Q_UNUSED(b);
}

TEST(ConditionLabels, OperatorsAndTheRowsOwnText)
{
    ActivationCondition condition;
    condition.fieldName = QStringLiteral("Age");
    condition.value = QStringLiteral("30");
    const std::pair<int, const char*> cases[] = {{0, "Age = 30"}, {1, "Age <> 30"}, {2, "Age < 30"},
                                                 {3, "Age > 30"}, {7, "Age ? 30"},  {-1, "Age"}};
    for (const auto& [comparison, label] : cases) {
        condition.comparison = comparison;
        EXPECT_EQ(AnalysisTable::FormatConditionLabel(condition), QString::fromLatin1(label)) << comparison;
    }
}

}  // namespace
