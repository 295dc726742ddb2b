// The browser in the main frame: coding a selection through the project,
// and edits written back with every coding they moved.

#include "browser/docframe.h"
#include "foundation/richtexthelpers.h"

namespace {

using doctest::RtfOf;

const QStringList kText = {QStringLiteral("Bees and honey in the garden."),
                           QStringLiteral("Grandmother kept bees every summer.")};

class BrowserFrameTest : public browsertest::DocFrame {
protected:
    void SetUp() override
    {
        DocFrame::SetUp();
        group = AddGroup(QStringLiteral("G"));
        document = AddDocument(group, QStringLiteral("Anna"), RtfOf(kText));
        code = AddCode(QStringLiteral("Honey"));
    }

    QPoint PointOf(int position)
    {
        QTextCursor cursor(text().document());
        cursor.setPosition(text().ToDocumentPosition(position));
        const QRect at = text().cursorRect(cursor);
        return QPoint(at.left() + 1, at.center().y());
    }
    void ClickAt(int position) { QTest::mouseClick(text().viewport(), Qt::LeftButton, {}, PointOf(position)); }
    /// The positions of a coding as the project holds them; empty when gone.
    QStringList StoredRange(qint32 coding)
    {
        const QString start = doctest::ValueOf(db(), TopicId::Codings, coding, CodingField::StartChar);
        if (start == QStringLiteral("<absent>"))
            return {};
        return {start + u'|' + doctest::ValueOf(db(), TopicId::Codings, coding, CodingField::FinishChar)};
    }
    /// The same read from the closed project file.
    QStringList RangeInFile(qint32 coding)
    {
        doc.CloseDatabase();
        return doctest::QueryRows(path, QStringLiteral("SELECT StartChar, FinishChar FROM Codings WHERE ID = ?"),
                                  {coding});
    }

    qint32 group = 0;
    qint32 document = 0;
    qint32 code = 0;
};

TEST_F(BrowserFrameTest, AWordSelectedWithTheMouseIsCodedAndItsStripeShows)
{
    ASSERT_TRUE(doc.SetOpenDocument(document, 0));
    const int at = int(text().TextMap().text().indexOf(QStringLiteral("honey")));
    QTest::mouseDClick(text().viewport(), Qt::LeftButton, {}, PointOf(at + 2));
    QTest::mouseRelease(text().viewport(), Qt::LeftButton, {}, PointOf(at + 2));

    frame->OnCodeSelectionWith(code);

    ASSERT_EQ(browser().GetStripeCount(), 1);
    const StripeItem& stripe = browser().StripeAt(0);
    EXPECT_EQ(stripe.row.StartChar, at);
    EXPECT_EQ(stripe.row.FinishChar, at + 5);
    EXPECT_EQ(stripe.row.WordID, code);
    EXPECT_GE(stripe.bottom, 0);
    EXPECT_EQ(doctest::ValueOf(db(), TopicId::Codings, stripe.row.ID, CodingField::Preview), QStringLiteral("honey"));
    EXPECT_EQ(RangeInFile(stripe.row.ID), QStringList{QStringLiteral("%1|%2").arg(at).arg(at + 5)});
}

TEST_F(BrowserFrameTest, TypingBeforeACodingMovesItAndTheCommitStoresTextAndPositionsTogether)
{
    const qint32 coding = AddCoding(document, code, 30, 41, {{CodingField::IsText, 1}});
    ASSERT_TRUE(doc.SetOpenDocument(document, 0));
    ASSERT_TRUE(browser().SetEditable(true));
    ClickAt(0);
    QTest::keyClicks(&text(), QStringLiteral("So: "));
    browser().FlushLayout();
    ASSERT_EQ(browser().GetStripeCount(), 1);
    EXPECT_EQ(browser().StripeAt(0).row.StartChar, 34);
    EXPECT_EQ(browser().StripeAt(0).row.FinishChar, 45);
    // Nothing is stored before the commit.
    EXPECT_EQ(StoredRange(coding), QStringList{QStringLiteral("30|41")});

    ASSERT_TRUE(frame->CommitBrowserEdits());
    EXPECT_FALSE(browser().IsEditMode());
    EXPECT_EQ(StoredRange(coding), QStringList{QStringLiteral("34|45")});
    const std::unique_ptr<CRichEditCtrlEx> stored = CreateHiddenRichEdit();
    const QByteArray rtf = doctest::BlobOf(db(), TopicId::Documents, document, DocumentField::Text);
    stored->StreamInRtf(&rtf, false);
    EXPECT_TRUE(stored->TextMap().text().startsWith(QStringLiteral("So: Bees")));
    EXPECT_EQ(stored->GetTextRange(34, 45), QStringLiteral("Grandmother"));
    // The coding's own text is the segment as it is now.
    EXPECT_EQ(doctest::ValueOf(db(), TopicId::Codings, coding, CodingField::Preview), QStringLiteral("Grandmother"));
    // Committing again with nothing edited changes nothing.
    EXPECT_FALSE(frame->CommitBrowserEdits());
    EXPECT_EQ(RangeInFile(coding), QStringList{QStringLiteral("34|45")});
}

TEST_F(BrowserFrameTest, DeletingTheCodedTextDeletesTheCodingAtTheCommit)
{
    const qint32 coding = AddCoding(document, code, 30, 41, {{CodingField::IsText, 1}});
    const qint32 other = AddCoding(document, code, 0, 4, {{CodingField::IsText, 1}});
    ASSERT_TRUE(doc.SetOpenDocument(document, 0));
    ASSERT_TRUE(browser().SetEditable(true));
    text().SetSel(30, 42);
    QTest::keyClick(&text(), Qt::Key_Delete);
    browser().FlushLayout();
    ASSERT_TRUE(frame->CommitBrowserEdits());
    EXPECT_TRUE(StoredRange(coding).isEmpty());
    EXPECT_EQ(StoredRange(other), QStringList{QStringLiteral("0|4")});
    EXPECT_EQ(browser().GetStripeCount(), 1);
}

TEST_F(BrowserFrameTest, UndoAllPutsTheCodingsBackWhereTheyWere)
{
    AddCoding(document, code, 30, 41, {{CodingField::IsText, 1}});
    ASSERT_TRUE(doc.SetOpenDocument(document, 0));
    ASSERT_TRUE(browser().SetEditable(true));
    ClickAt(5);
    QTest::keyClicks(&text(), QStringLiteral("xyz"));
    text().SetSel(0, 2);
    QTest::keyClick(&text(), Qt::Key_Delete);
    browser().FlushLayout();
    EXPECT_EQ(browser().StripeAt(0).row.StartChar, 31);
    ASSERT_TRUE(browser().CanUndo());
    browser().UndoAll();
    browser().FlushLayout();
    EXPECT_EQ(browser().StripeAt(0).row.StartChar, 30);
    EXPECT_EQ(browser().StripeAt(0).row.FinishChar, 41);
    EXPECT_EQ(text().TextMap().text(), kText.join(QLatin1Char('\r')));
}

TEST_F(BrowserFrameTest, DroppingADocumentOnTheBrowserOpensItAndOtherDropsAreRefused)
{
    const qint32 second = AddDocument(group, QStringLiteral("Ben"), RtfOf({QStringLiteral("Other.")}));
    ASSERT_TRUE(doc.SetOpenDocument(document, 0));
    DropNotifyInfo test;
    test.draggedKind = TopicId::Documents;
    test.draggedId = second;
    test.targetKind = BrowserKind::Selection;
    frame->OnDropRequest(test);
    EXPECT_TRUE(test.handled);
    EXPECT_EQ(test.answer, 2);
    EXPECT_EQ(browser().GetShownDocument(), document);

    DropNotifyInfo refused;
    refused.perform = true;
    refused.draggedKind = TopicId::Codings;
    refused.draggedId = 1;
    refused.targetKind = BrowserKind::Selection;
    frame->OnDropRequest(refused);
    EXPECT_EQ(refused.answer, 0);
    EXPECT_FALSE(refused.handled);

    DropNotifyInfo drop = test;
    drop.perform = true;
    frame->OnDropRequest(drop);
    EXPECT_EQ(browser().GetShownDocument(), second);
}

}  // namespace

namespace {

TEST_F(BrowserFrameTest, MemosAndLinksOfTheTextMoveWithItAndAreStoredAtTheCommit)
{
    const qint32 memo = doc.NewDocumentMemo(document, 1, 30, 2);
    CKorDoc::LinkRecord link;
    link.TextID = document;
    link.StartChar = 9;
    link.FinishChar = 14;
    link.LinkID = -1;
    const QString target = QStringLiteral("https://example.org/honey");
    link.Text = QByteArray(reinterpret_cast<const char*>(target.utf16()), target.size() * 2);
    ASSERT_TRUE(doc.AddLink(link));
    ASSERT_GT(memo, 0);
    ASSERT_TRUE(doc.SetOpenDocument(document, 0));
    ASSERT_EQ(browser().GetMemoCount(), 1);
    ASSERT_EQ(browser().GetLinkCount(), 1);
    EXPECT_EQ(browser().LinkAt(0).linkType, LinkType::External);
    EXPECT_GE(browser().MemoMargin()->width(), 22);

    ASSERT_TRUE(browser().SetEditable(true));
    ClickAt(0);
    QTest::keyClicks(&text(), QStringLiteral("Hm, "));
    browser().FlushLayout();
    EXPECT_EQ(browser().MemoAt(0).row.Pos, 34);
    EXPECT_EQ(browser().LinkAt(0).row.StartChar, 13);
    EXPECT_EQ(browser().LinkAt(0).row.FinishChar, 18);
    ASSERT_TRUE(frame->CommitBrowserEdits());
    EXPECT_EQ(doctest::ValueOf(db(), TopicId::Memos, memo, MemoField::Pos), QStringLiteral("34"));
    EXPECT_EQ(doctest::ValueOf(db(), TopicId::Memos, memo, MemoField::Paragraph), QStringLiteral("2"));
    EXPECT_EQ(doctest::ValueOf(db(), TopicId::Links, link.ID, 2), QStringLiteral("13"));
    EXPECT_EQ(doctest::ValueOf(db(), TopicId::Links, link.ID, 3), QStringLiteral("18"));
}

}  // namespace
