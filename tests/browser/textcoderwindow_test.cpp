#include "browser/browserfixture.h"

#include "browser/browserids.h"
#include "foundation/richtexthelpers.h"

#include <QHeaderView>
#include <QTabBar>

using browsertest::BrowserTest;
using doctest::RtfOf;

namespace {

QString DataPath(const QString& name)
{
    return QStringLiteral(KORVAN_TEST_DATA_DIR "/browser/") + name;
}

const QStringList kInterview = {
    QStringLiteral("Interviewer: How did you come to work in the garden?"),
    QStringLiteral("Anna: My grandmother kept bees, and every summer we helped her with the honey."),
    QStringLiteral("Interviewer: What do you remember of those summers?"),
    QStringLiteral("Anna: The smell of the wax, mostly, and the long evenings outside."),
};

}  // namespace

TEST_F(BrowserTest, OpeningADocumentShowsItsTextItsTabAndAStripePerCoding)
{
    const qint32 group = AddGroup(QStringLiteral("Interviews"));
    const qint32 first = AddDocument(group, QStringLiteral("Anna"), RtfOf(kInterview));
    const qint32 code = AddCode(QStringLiteral("Bees"), 0, 3);
    AddCoding(first, code, 65, 75);
    AddCoding(first, code, 13, 20);

    Show(first);

    EXPECT_EQ(browser->GetDocKind(), TextCoderWindow::RichText);
    EXPECT_EQ(text().TextMap().text().left(12), QStringLiteral("Interviewer:"));
    EXPECT_EQ(browser->GetTextLength(), text().GetTextLength());
    ASSERT_EQ(browser->GetStripeCount(), 2);
    // Stripes stand in start order, whatever order they arrived in.
    EXPECT_EQ(browser->StripeAt(0).row.StartChar, 13);
    EXPECT_EQ(browser->StripeAt(1).row.StartChar, 65);
    EXPECT_EQ(browser->GetParagraphCount(), 4);
    EXPECT_EQ(browser->GetDocumentTitle(), QStringLiteral("Interviews\\Anna"));
    // One tab only: the strip stays hidden.
    EXPECT_EQ(browser->Tabs()->count(), 1);
    EXPECT_FALSE(browser->Tabs()->isVisible());
}

TEST_F(BrowserTest, OpeningTheShownDocumentAgainDoesNothing)
{
    const qint32 document = AddDocument(AddGroup(QStringLiteral("G")), QStringLiteral("A"), RtfOf(kInterview));
    Show(document);
    EXPECT_FALSE(browser->OpenDocument(TopicId::Documents, document, OpenMode::ActiveTab));
    EXPECT_FALSE(browser->OpenDocument(TopicId::Codes, document, OpenMode::ActiveTab));
}

TEST_F(BrowserTest, ASecondTabShowsTheStripAndTheTabsAreKeptPerProject)
{
    const qint32 group = AddGroup(QStringLiteral("G"));
    const qint32 a = AddDocument(group, QStringLiteral("A"), RtfOf(kInterview));
    const qint32 b = AddDocument(group, QStringLiteral("B"), RtfOf({QStringLiteral("Other text.")}));
    Show(a);
    ASSERT_TRUE(doc.SetOpenDocument(b, 1));
    EXPECT_EQ(browser->Tabs()->count(), 2);
    EXPECT_TRUE(browser->Tabs()->isVisible());
    browser->SaveDocTabs();
    QString stored;
    ASSERT_TRUE(doc.ReadSetting(QStringLiteral("DocTabs"), stored));
    EXPECT_EQ(stored, QStringLiteral("%1|%2|%1|").arg(b).arg(a));

    // Restoring takes the last id as the active tab.
    browser->ResetContent();
    EXPECT_EQ(browser->Tabs()->count(), 0);
    browser->RestoreDocTabs();
    ASSERT_EQ(browser->Tabs()->count(), 2);
    EXPECT_EQ(browser->Tabs()->tabData(0).toInt(), b);
    EXPECT_EQ(browser->Tabs()->tabData(browser->Tabs()->currentIndex()).toInt(), b);
}

TEST_F(BrowserTest, DeletingTheShownDocumentShowsTheNeighbourTab)
{
    const qint32 group = AddGroup(QStringLiteral("G"));
    const qint32 a = AddDocument(group, QStringLiteral("A"), RtfOf(kInterview));
    const qint32 b = AddDocument(group, QStringLiteral("B"), RtfOf({QStringLiteral("Other text.")}));
    Show(a);
    ASSERT_TRUE(doc.SetOpenDocument(b, 1));
    browser->OnObjectDeleted(TopicId::Documents, b);
    EXPECT_EQ(browser->Tabs()->count(), 1);
    EXPECT_EQ(browser->GetShownDocument(), a);
    browser->OnObjectDeleted(TopicId::Documents, a);
    EXPECT_EQ(browser->GetShownDocument(), 0);
    EXPECT_EQ(browser->GetDocKind(), TextCoderWindow::NoDocument);
}

TEST_F(BrowserTest, OverlappingCodingsStandInLanesBesideTheirText)
{
    const qint32 document = AddDocument(AddGroup(QStringLiteral("G")), QStringLiteral("Anna"), RtfOf(kInterview));
    const qint32 bees = AddCode(QStringLiteral("Bees"), 0, 3);
    const qint32 family = AddCode(QStringLiteral("Family"), 0, 5);
    const qint32 summer = AddCode(QStringLiteral("Summer"), 0, 9);
    AddCoding(document, bees, 53, 131);      // the second paragraph
    AddCoding(document, family, 59, 73);     // "My grandmother" inside it
    AddCoding(document, summer, 100, 183);   // into the third paragraph
    Show(document);
    browser->SetColourAll(true);
    QCoreApplication::processEvents();

    ASSERT_EQ(browser->GetStripeCount(), 3);
    EXPECT_EQ(browser->GetStripeLaneCount(), 3);
    for (int i = 0; i < 3; ++i) {
        const StripeItem& stripe = browser->StripeAt(i);
        EXPECT_GE(stripe.bottom, stripe.top) << i;
        // Each bar reaches from the line of its first character to the line
        // of its last.
        const QRect first = text().cursorRect([&] {
            QTextCursor c(text().document());
            c.setPosition(stripe.row.StartChar);
            return c;
        }());
        EXPECT_NEAR(stripe.top, first.top() + 1, 1) << i;
    }
    EXPECT_TRUE(testutil::MatchesReferenceImage(browser.get(), DataPath(QStringLiteral("overlapping_codings.png"))));
}

TEST_F(BrowserTest, ClosingTheProjectEmptiesTheBrowser)
{
    const qint32 document = AddDocument(AddGroup(QStringLiteral("G")), QStringLiteral("A"), RtfOf(kInterview));
    AddCoding(document, AddCode(QStringLiteral("C")), 0, 5);
    Show(document);
    browser->ResetContent();
    EXPECT_EQ(browser->GetStripeCount(), 0);
    EXPECT_EQ(browser->GetShownDocument(), 0);
    EXPECT_EQ(browser->GetTextLength(), 0);
}

TEST_F(BrowserTest, TheViewStateIsStoredWithTheDocumentAndRestored)
{
    const qint32 group = AddGroup(QStringLiteral("G"));
    const qint32 a = AddDocument(group, QStringLiteral("A"), RtfOf(kInterview));
    const qint32 b = AddDocument(group, QStringLiteral("B"), RtfOf({QStringLiteral("Other text.")}));
    Show(a);
    text().SetSel(13, 20);
    ASSERT_TRUE(doc.SetOpenDocument(b, 0));
    EXPECT_EQ(doctest::ValueOf(db(), TopicId::Documents, a, DocumentField::CodesWndWidth + 6), QStringLiteral("13"));
    EXPECT_EQ(doctest::ValueOf(db(), TopicId::Documents, a, DocumentField::CodesWndWidth + 8), QStringLiteral("20"));
    ASSERT_TRUE(doc.SetOpenDocument(a, 0));
    int start = 0, end = 0;
    text().GetSel(start, end);
    EXPECT_EQ(start, 13);
    EXPECT_EQ(end, 20);
}

// ---- Selection to coding data ------------------------------------------------------

struct WordCase {
    const char* name;
    QByteArray rtf;
    QString word;
};

class SelectionPositions : public BrowserTest, public ::testing::WithParamInterface<WordCase> {};

TEST_P(SelectionPositions, AWordSelectedWithTheMouseGivesItsPositionsInTheStoredText)
{
    const WordCase& c = GetParam();
    const qint32 document = AddDocument(AddGroup(QStringLiteral("G")), QStringLiteral("A"), c.rtf);
    Show(document);
    const QString plain = text().TextMap().text();
    const int at = int(plain.indexOf(c.word));
    ASSERT_GE(at, 0) << plain.toStdString();

    SelectWordAt(at + 1);

    qint32 page = 0, start = 0, end = 0, x1 = 0, x2 = 0, isText = 0;
    ASSERT_TRUE(browser->GetSelection(page, start, end, x1, x2, isText, 0));
    EXPECT_EQ(start, at);
    EXPECT_EQ(end, at + c.word.size());
    EXPECT_EQ(page, 1);
    EXPECT_EQ(isText, 1);
    EXPECT_EQ(browser->GetSelectedText(63), c.word);
    // The selection's own RTF reads back as the word.
    QByteArray rtf;
    ASSERT_TRUE(browser->GetSelectionRtf(rtf, 0));
    const std::unique_ptr<CRichEditCtrlEx> check = CreateHiddenRichEdit();
    check->StreamInRtf(&rtf, false);
    EXPECT_EQ(check->TextMap().text(), c.word);
    qint32 length = 0;
    double percent = 0;
    browser->GetSelectionCoverage(length, percent, 0);
    EXPECT_EQ(length, c.word.size());
    EXPECT_NEAR(percent, 100.0 * c.word.size() / plain.size(), 1e-9);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SelectionPositions,
    ::testing::Values(
        WordCase{"Plain", RtfOf({QStringLiteral("One two three"), QStringLiteral("four target five")}),
                 QStringLiteral("target")},
        WordCase{"AfterAHyperlink",
                 "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 See "
                 "{\\field{\\*\\fldinst HYPERLINK \"http://example.org/a\"}{\\fldrslt the page}} and the "
                 "honey here.\\par}",
                 QStringLiteral("honey")},
        WordCase{"AfterATable",
                 "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 Before\\par"
                 "\\trowd\\cellx2000\\cellx4000\\intbl left\\cell right\\cell\\row"
                 "\\pard After the table comes honey.\\par}",
                 QStringLiteral("honey")}),
    [](const ::testing::TestParamInfo<WordCase>& info) { return std::string(info.param.name); });

TEST_F(BrowserTest, EndBasedAndStartBasedParagraphsFollowTheirRules)
{
    // Paragraphs (0, 2), (3, 5) and (6, 7).
    const qint32 document = AddDocument(AddGroup(QStringLiteral("G")), QStringLiteral("A"),
                                        RtfOf({QStringLiteral("ab"), QStringLiteral("cd"), QStringLiteral("ef")}));
    Show(document);
    ASSERT_EQ(browser->GetParagraphCount(), 3);
    struct Case {
        int position;
        int endBased;
        int startBased;
    };
    for (const Case& c : {Case{2, 1, 1}, Case{3, 2, 1}, Case{6, 3, 2}, Case{100, 0, 3}}) {
        EXPECT_EQ(browser->GetParagraphAt(c.position, true, 0, 0), c.endBased) << c.position;
        EXPECT_EQ(browser->GetParagraphAt(c.position, false, 0, 0), c.startBased) << c.position;
    }
    EXPECT_EQ(browser->GetParagraphStart(2), 3);
    EXPECT_EQ(browser->GetParagraphStart(4), -1);
}

TEST_F(BrowserTest, ADocumentOfOneParagraphAnswersParagraphOneEverywhere)
{
    const qint32 document = AddDocument(AddGroup(QStringLiteral("G")), QStringLiteral("A"),
                                        RtfOf({QStringLiteral("Only one paragraph here.")}));
    Show(document);
    for (int position : {0, 5, 23, 500})
        EXPECT_EQ(browser->GetParagraphAt(position, position % 2 == 0, 0, 0), 1);
}
