// Links in the browser's text: the tip that tells where a link leads while
// the mouse rests on it, a click that follows it, and the link a context
// menu is opened on.

#include "browser/studyframe.h"
#include "foundation/stringstore.h"
#include "platform/rtf/richeditctrlex.h"
#include "ui/rtftipctrl.h"

#include <QSignalSpy>
#include <QTextDocument>

using browsertest::BrowserTest;
using doctest::RtfOf;

namespace {

QByteArray Utf16(const QString& text)
{
    return QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
}

/// Link rows in the store: an anchor pair, an external target and an end
/// still waiting for its partner.
class LinkTips : public BrowserTest {
protected:
    void SetUp() override
    {
        BrowserTest::SetUp();
        CRTFTipCtrl::SetDelay(0);
        const qint32 group = AddGroup(QStringLiteral("Interviews"));
        anna = AddDocument(group, QStringLiteral("Anna"),
                           RtfOf({QStringLiteral("Bees and honey in the garden, see www.example.org for more."),
                                  QStringLiteral("Grandmother kept bees every summer.")}));
        ben = AddDocument(group, QStringLiteral("Ben"), RtfOf({QStringLiteral("No bees here, only wasps.")}));
        Show(anna);
        // The first two ends pair; the last one waits for a partner.
        anchor = Link(anna, At(QStringLiteral("honey")), 5, 0, {});
        Link(ben, 19, 5, 0, RtfOf({QStringLiteral("wasps")}));
        external = Link(anna, At(QStringLiteral("garden")), 6, -1, Utf16(QStringLiteral("https://example.org/garden")));
        lonely = Link(anna, At(QStringLiteral("summer")), 6, 0, {});
        ASSERT_EQ(browser->GetLinkCount(), 3);
    }
    void TearDown() override
    {
        CRTFTipCtrl::SetDelay(500);
        BrowserTest::TearDown();
    }

    qint32 Link(qint32 document, int start, int length, qint32 linkId, const QByteArray& text)
    {
        CKorDoc::LinkRecord link;
        link.TextID = document;
        link.StartChar = start;
        link.FinishChar = start + length;
        link.LinkID = linkId;
        link.Text = text;
        EXPECT_TRUE(doc.AddLink(link));
        return link.ID;
    }
    int At(const QString& word) { return int(text().TextMap().text().indexOf(word)); }

    /// Rests the mouse on the middle of a word; the tip's text when it shows.
    QString TipOver(const QString& word)
    {
        QWidget* viewport = text().viewport();
        const QPoint point = PointOf(At(word) + int(word.size()) / 2);
        QCursor::setPos(viewport->mapToGlobal(point));
        // No button held, whatever an earlier test left pressed.
        QMouseEvent move(QEvent::MouseMove, point, viewport->mapToGlobal(point), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(viewport, &move);
        if (!QTest::qWaitFor([&] { return browser->LinkTip().isVisible(); }, 1000))
            return {};
        QTextDocument shown;
        browser->LinkTip().BuildDocument(shown);
        return shown.toPlainText();
    }

    qint32 anna = 0;
    qint32 ben = 0;
    qint32 anchor = 0;
    qint32 external = 0;
    qint32 lonely = 0;
};

TEST_F(LinkTips, TheTipTellsWhereALinkLeads)
{
    // An anchor: the other end's document, then the other end's text.
    const QString toBen = TipOver(QStringLiteral("honey"));
    EXPECT_TRUE(toBen.startsWith(QStringLiteral("Interviews\\Ben\n"))) << toBen.toStdString();
    EXPECT_TRUE(toBen.contains(QStringLiteral("wasps"))) << toBen.toStdString();
    EXPECT_GT(browser->LinkTip().height(), 32) << "room for the anchor's text";

    EXPECT_EQ(TipOver(QStringLiteral("garden")), QStringLiteral("https://example.org/garden"));
    EXPECT_EQ(TipOver(QStringLiteral("summer")), LoadString(BrowserText::LinkWithoutTarget));
    EXPECT_EQ(browser->LinkTip().width(), 300);
    // An address in the text itself shows as it is written.
    EXPECT_EQ(TipOver(QStringLiteral("example.org")), QStringLiteral("www.example.org"));

    // Off the links the tip goes and none comes.
    EXPECT_TRUE(TipOver(QStringLiteral("Grandmother")).isEmpty());
    EXPECT_FALSE(browser->LinkTip().isVisible());
}

TEST_F(LinkTips, AClickFollowsTheLinkUnderItAndADraggedSelectionDoesNot)
{
    QSignalSpy followed(browser.get(), &TextCoderWindow::FollowLinkRequested);
    const struct {
        const char* word;
        qint32 id;
        bool external;
    } cases[] = {
        {"honey", 0, false},   // the other end of the pair, set below
        {"garden", 0, true},
    };
    const qint32 otherEnd = browser->LinkAt(browser->FindLinkById(anchor)).row.LinkID;
    ASSERT_GT(otherEnd, 0);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.word);
        followed.clear();
        QTest::mouseClick(text().viewport(), Qt::LeftButton, {}, PointOf(At(QString::fromLatin1(c.word)) + 2));
        ASSERT_EQ(followed.size(), 1);
        const qint32 expected = std::string(c.word) == "honey" ? otherEnd : external;
        EXPECT_EQ(followed.at(0).at(0).toInt(), expected);
        EXPECT_EQ(followed.at(0).at(1).toBool(), c.external);
    }

    // A click on the address in the text hands it over as the pending text.
    followed.clear();
    QTest::mouseClick(text().viewport(), Qt::LeftButton, {}, PointOf(At(QStringLiteral("example")) + 2));
    ASSERT_EQ(followed.size(), 1);
    EXPECT_EQ(followed.at(0).at(0).toInt(), 0);
    EXPECT_EQ(browser->PendingLinkText(), QStringLiteral("www.example.org"));

    // A link without target is not followed, even with an address pending.
    followed.clear();
    QTest::mouseClick(text().viewport(), Qt::LeftButton, {}, PointOf(At(QStringLiteral("summer")) + 2));
    EXPECT_TRUE(followed.isEmpty());
    // Nor is a link a selection was dragged from, nor text without a link.
    DragSelect(At(QStringLiteral("honey")) + 2, At(QStringLiteral("garden")));
    EXPECT_TRUE(followed.isEmpty());
    QTest::mouseClick(text().viewport(), Qt::LeftButton, {}, PointOf(At(QStringLiteral("Grandmother")) + 2));
    EXPECT_TRUE(followed.isEmpty());
}

TEST_F(LinkTips, TheContextMenuOverALinkMakesItThePendingLink)
{
    const auto rightClick = [&](const QString& word) {
        QWidget* viewport = text().viewport();
        const QPoint point = PointOf(At(word) + 2);
        QContextMenuEvent event(QContextMenuEvent::Mouse, point, viewport->mapToGlobal(point));
        QApplication::sendEvent(viewport, &event);
        return browser->PendingLinkId();
    };
    EXPECT_EQ(rightClick(QStringLiteral("garden")), external);
    EXPECT_EQ(rightClick(QStringLiteral("honey")), anchor);
    EXPECT_EQ(rightClick(QStringLiteral("summer")), 0) << "a link without target gets no menu";
    EXPECT_EQ(rightClick(QStringLiteral("Bees")), 0);
    EXPECT_EQ(static_cast<IFrameBrowser&>(*browser).PendingLinkId(), 0);
}

using FollowingLinks = browsertest::StudyFrame;

TEST_F(FollowingLinks, AClickOnAnAnchorShowsItsOtherEndInTheOtherDocument)
{
    OpenAnnaActivated();
    CKorDoc::LinkRecord here;
    here.TextID = anna;
    here.StartChar = At(QStringLiteral("garden"));
    here.FinishChar = here.StartChar + 6;
    ASSERT_TRUE(frame->Document()->AddLink(here));
    CKorDoc::LinkRecord there;
    there.TextID = ben;
    there.StartChar = 9;   // "Bees? No bees here, only bees."
    there.FinishChar = 13;
    ASSERT_TRUE(frame->Document()->AddLink(there));
    ASSERT_EQ(browser().GetLinkCount(), 1);

    QTest::mouseClick(text().viewport(), Qt::LeftButton, {},
                      browsertest::PointOfPosition(text(), At(QStringLiteral("garden")) + 2));
    ASSERT_TRUE(QTest::qWaitFor([&] { return browser().GetShownDocument() == ben; }, 2000));
    int start = 0;
    int end = 0;
    text().GetSel(start, end);
    EXPECT_EQ(start, 9);
    EXPECT_EQ(end, 13);
    EXPECT_EQ(text().GetTextRange(start, end), QStringLiteral("bees"));
}

}  // namespace
