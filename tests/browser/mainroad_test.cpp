// The main road through the real frame: a project opened from the menu,
// a document and a code activated in the trees, the document opened in the
// browser, words selected with the mouse and coded by a drop from the code
// tree, the quick-code list, the code tool window and a new code; each
// coding shows as a stripe and, where it belongs in the retrieval, as a
// retrieved segment.

#include "browser/studyframe.h"
#include "document/textcoding.h"
#include "store/projectdataengine.h"
#include "store/topicdatabase.h"
#include "ui/dragstripwnd.h"

namespace {

using browsertest::SelectWordAt;

using MainRoad = browsertest::StudyFrame;

TEST_F(MainRoad, WordsCodedInTheBrowserShowAsStripesAndRetrievedSegments)
{
    OpenThroughMenu(path);
    ASSERT_EQ(OpenPath(), path) << messages.texts.join(u'\n').toStdString();
    CTreePaneBase& documents = *frame->DocumentTree();
    CTreePaneBase& codes = *frame->CodeTree();

    // Ctrl and a click activate; the retrieval has nothing to show yet.
    ClickNode(documents, TopicId::Documents, anna, Qt::ControlModifier);
    ClickNode(codes, TopicId::Codes, honey, Qt::ControlModifier);
    ASSERT_TRUE(document.IsActivated(TopicId::Documents, anna));
    ASSERT_TRUE(document.IsActivated(TopicId::Codes, honey));
    EXPECT_TRUE(Retrieved().isEmpty());

    // A double click opens the document in the browser.
    QTest::mouseDClick(documents.TreeView()->viewport(), Qt::LeftButton, {},
                       LabelPoint(documents, TopicId::Documents, anna));
    ASSERT_EQ(browser().GetShownDocument(), anna);
    ASSERT_EQ(text().TextMap().text(), browsertest::kStudyText.join(QLatin1Char('\r')));

    // A word selected with the mouse, and the code dragged onto it.
    SelectWordAt(text(), At(QStringLiteral("honey")) + 1);
    ASSERT_TRUE(DragNodeToText(codes, TopicId::Codes, honey, At(QStringLiteral("honey")) + 1));
    const QString honeyCoding = Coding(honey, QStringLiteral("honey"));
    EXPECT_EQ(Codings(), QStringList{honeyCoding});
    EXPECT_EQ(Stripes(), QStringList{honeyCoding});
    ASSERT_EQ(Retrieved().size(), 1);
    EXPECT_EQ(frame->Segments()->Segment(Retrieved().at(0))->code, honey);
    EXPECT_EQ(frame->StatusPane(30003)->text(), QStringLiteral("1"));

    // The quick-code list: the code used last, picked again for "summer".
    SelectWordAt(text(), At(QStringLiteral("summer")) + 1);
    QComboBox* quick = frame->QuickCodeCombo();
    ASSERT_EQ(frame->QuickCodes().Codes().value(0), honey);
    quick->showPopup();
    QAbstractItemView* list = quick->view();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(list));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(list->model()->index(0, 0)).center());
    const QString summerCoding = Coding(honey, QStringLiteral("summer"));
    EXPECT_EQ(Stripes(), Sorted({honeyCoding, summerCoding}));
    EXPECT_EQ(Retrieved().size(), 2);

    // The code tool window: Bees added from the code tree's context menu,
    // then a click on its name codes "kept". Bees is not activated, so the
    // retrieval stays as it was.
    SelectWordAt(text(), At(QStringLiteral("kept")) + 1);
    QTest::mouseClick(codes.TreeView()->viewport(), Qt::RightButton, {}, LabelPoint(codes, TopicId::Codes, bees));
    ASSERT_TRUE(ClickContextCommand(BrowserCommand::CodesToToolWindow));
    CodeToolBarDlg* tools = frame->CodeToolWindow();
    ASSERT_TRUE(tools);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(tools));
    ASSERT_EQ(tools->RowCodes(), QList<qint32>{bees});
    EXPECT_EQ(document.GetProgramLists().quickCodes, QList<qint32>{bees});
    QTest::mouseClick(tools->List()->viewport(), Qt::LeftButton, {}, tools->List()->LabelRect(0).center());
    const QString keptCoding = Coding(bees, QStringLiteral("kept"));
    EXPECT_EQ(Stripes(), Sorted({honeyCoding, summerCoding, keptCoding}));
    EXPECT_EQ(Retrieved().size(), 2);
    tools->close();

    // Ctrl+W asks for a new code and codes the selection with it.
    SelectWordAt(text(), At(QStringLiteral("garden")) + 1);
    frametest::WhenModalShows([](QWidget* modal) {
        auto* dialog = qobject_cast<CNewCodeDlg*>(modal);
        ASSERT_TRUE(dialog);
        QTest::keyClicks(dialog->NameField(), QStringLiteral("Garden"));
        QTest::mouseClick(FindControl(dialog, 1), Qt::LeftButton);
    });
    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    QTest::keyClick(&text(), Qt::Key_W, Qt::ControlModifier);
    const qint32 garden = frame->QuickCodes().Codes().value(0);
    ASSERT_NE(garden, honey);
    EXPECT_EQ(db().FormatRowDisplay(TopicId::Codes, garden, false), QStringLiteral("Garden"));
    const QString gardenCoding = Coding(garden, QStringLiteral("garden"));
    EXPECT_EQ(Codings(), Sorted({honeyCoding, summerCoding, keptCoding, gardenCoding}));
    EXPECT_EQ(Stripes(), Codings());

    // Closing the frame closes the project; the codings are in the file.
    frame->close();
    ASSERT_EQ(document.GetEngine(), nullptr);
    EXPECT_EQ(doctest::QueryRows(path, QStringLiteral("SELECT COUNT(*) FROM Codings")), QStringList{QStringLiteral("4")});
}

TEST_F(MainRoad, TheFrameWithACodedDocumentLooksAsRecorded)
{
    OpenAnnaActivated();
    CTreePaneBase& codes = *frame->CodeTree();
    SelectWordAt(text(), At(QStringLiteral("honey")) + 1);
    ASSERT_TRUE(DragNodeToText(codes, TopicId::Codes, honey, At(QStringLiteral("honey")) + 1));
    SelectWordAt(text(), At(QStringLiteral("Grandmother")) + 1);
    ASSERT_TRUE(DragNodeToText(codes, TopicId::Codes, bees, At(QStringLiteral("Grandmother")) + 1));
    ASSERT_EQ(browser().GetStripeCount(), 2);
    frame->centralWidget()->setFixedSize(760, 420);
    QCoreApplication::processEvents();
    EXPECT_TRUE(testutil::MatchesReferenceImage(frame->centralWidget(),
                                                testutil::DataPath(QStringLiteral("browser/mainroad_frame.png"))));
}

TEST_F(MainRoad, TheBrowsersSearchBarFindsWordsOfTheShownDocument)
{
    OpenAnnaActivated();
    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    CBaseView* view = frame->ViewOf(CommandId::PaneDocumentBrowser);
    ASSERT_TRUE(view);
    ASSERT_TRUE(view->SearchButton()->isVisible());
    QTest::mouseClick(view->SearchButton(), Qt::LeftButton);
    CContextSearchBar* bar = view->SearchBar();
    ASSERT_TRUE(bar);
    QSignalSpy searched(bar, &CContextSearchBar::Searched);
    QTest::keyClicks(bar->Field()->Edit(), QStringLiteral("BEES"));
    ASSERT_TRUE(searched.wait(2000));
    EXPECT_EQ(bar->CounterText(), QStringLiteral("1 / 2"));
    int start = 0;
    int end = 0;
    text().GetSel(start, end);
    EXPECT_EQ(QPair(start, end), QPair(0, 4));
    QTest::keyClick(bar->Field()->Edit(), Qt::Key_Down);
    EXPECT_EQ(bar->CounterText(), QStringLiteral("2 / 2"));
    text().GetSel(start, end);
    EXPECT_EQ(text().GetTextRange(start, end), QStringLiteral("bees"));
    EXPECT_EQ(start, At(QStringLiteral("bees")));

    // Another document: the bar searches it at once.
    OpenFromTree(ben);
    ASSERT_EQ(browser().GetShownDocument(), ben);
    EXPECT_EQ(bar->CounterText(), QStringLiteral("1 / 3"));

    // A closed bar leaves the selection where it was.
    QTest::keyClick(bar->Field()->Edit(), Qt::Key_Down);
    QTest::mouseClick(view->SearchButton(), Qt::LeftButton);
    QCoreApplication::processEvents();
    EXPECT_EQ(view->SearchBar(), nullptr);
    text().GetSel(start, end);
    EXPECT_EQ(QPair(start, end), QPair(9, 13));
}

// Switching to another project from the recent list leaves nothing of the
// first on the screen: not its document in the browser, not its segments,
// not its count in the retrieval dialog.
TEST_F(MainRoad, SwitchingProjectsClearsEveryViewOfTheFirst)
{
    const QString pilot = MakeProject(QStringLiteral("Pilot.kv4"));
    OpenThroughMenu(pilot);
    ASSERT_EQ(OpenPath(), pilot);
    OpenAnnaActivated();
    CodingRecord record = doctest::TextCoding(anna, honey, 0, 4);
    qint32 action = 0;
    ASSERT_TRUE(document.AddCoding(record, action, OverlapMode::Drop));
    document.RunRetrieval(document.GetRetrievalSettings(), 0);
    ASSERT_EQ(frame->Segments()->GetSegmentCount(), 1);
    frame->Commands().Action(CommandId::RetrievalFunction)->trigger();
    ASSERT_TRUE(frame->RetrievalFunctionDialog());
    ASSERT_FALSE(text().TextMap().text().isEmpty());
    // The browser's caption names the shown document.
    const auto browserCaption = [this] {
        for (const CMainFrame::View view : {CMainFrame::Blau, CMainFrame::White, CMainFrame::Black, CMainFrame::Green})
            if (frame->ViewAt(view)->Pane() == &browser())
                return frame->ViewAt(view)->Title();
        return QStringLiteral("(no view)");
    };
    EXPECT_EQ(browserCaption(), QStringLiteral("Interviews\\Anna"));

    frametest::ClickMenuCommand(*frame, 0, CommandId::RecentProjectFirst);
    ASSERT_EQ(OpenPath(), pilot);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(browser().GetShownDocument(), 0);
    EXPECT_TRUE(text().TextMap().text().isEmpty()) << text().TextMap().text().toStdString();
    EXPECT_EQ(frame->Segments()->GetSegmentCount(), 0);
    EXPECT_EQ(frame->Segments()->Strip()->ItemCount(), 0);
    EXPECT_EQ(frame->RetrievalFunctionDialog(), nullptr);
    EXPECT_EQ(browserCaption(), QStringLiteral("Document Browser"));
}

}  // namespace
