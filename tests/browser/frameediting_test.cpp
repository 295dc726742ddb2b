// The frame's editing of the browser's text as a user reaches it: "Edit
// text", the formatting commands greyed outside edit mode and checked by the
// selection, a formatted selection stored with its codings in place, the
// wrap count's least value; moving between panes and document tabs by
// keys; the menu key opening the active pane's menu.

#include "app/framehelp.h"
#include "browser/studyframe.h"
#include "foundation/richtexthelpers.h"
#include "platform/profile/privateprofile.h"
#include "platform/rtf/richeditctrlex.h"
#include "ui/numberentrydlg.h"

#include <QContextMenuEvent>
#include <QSpinBox>
#include <QTabBar>
#include <QTextBlock>
#include <QToolBar>

namespace {

using browsertest::SelectWordAt;

class FrameEditing : public browsertest::StudyFrame {
protected:
    void SetUp() override
    {
        StudyFrame::SetUp();
        // Room for the main toolbar's editing set on one row.
        frame->Commands().Execute(ToolbarId::Visual);
        frame->Commands().Execute(ToolbarId::Document);
        frame->resize(1400, 700);
    }
    /// Anna shown, the frame active again after the prompts: shortcuts
    /// reach the active window only.
    void OpenAnnaInActiveFrame()
    {
        OpenAnnaActivated();
        frame->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    }
    CCmdUI State(int id) { return frame->Commands().QueryState(id); }
    /// The main toolbar's item of a command; null when it has none.
    QAction* ToolbarItem(int id)
    {
        for (QAction* action : frame->ToolbarOf(ToolbarId::Frame)->actions())
            if (action->data().toInt() == id)
                return action;
        return nullptr;
    }
    /// Clicks the button; one the bar has no room for is chosen from the
    /// bar's extension, as a user does.
    void ClickToolbarButton(int id)
    {
        frame->Commands().UpdateToolbarActions();
        QAction* item = ToolbarItem(id);
        ASSERT_TRUE(item && item->isVisible() && item->isEnabled()) << id;
        QWidget* button = frame->ToolbarOf(ToolbarId::Frame)->widgetForAction(item);
        if (button && button->isVisible())
            QTest::mouseClick(button, Qt::LeftButton);
        else
            item->trigger();
    }
    void SelectRange(int from, int to)
    {
        text().SetSel(from, to);
        frame->Commands().UpdateToolbarActions();
    }
    /// The stored text of Anna in a control of its own.
    std::unique_ptr<CRichEditCtrlEx> StoredAnna()
    {
        const QByteArray rtf = doctest::BlobOf(db(), TopicId::Documents, anna, DocumentField::Text);
        std::unique_ptr<CRichEditCtrlEx> stored = CreateHiddenRichEdit();
        stored->StreamInRtf(&rtf, false);
        return stored;
    }
    static QTextCharFormat FormatAt(const CRichEditCtrlEx& edit, int position)
    {
        QTextCursor cursor(edit.GetDocument());
        cursor.setPosition(edit.ToDocumentPosition(position) + 1);
        return cursor.charFormat();
    }
};

}  // namespace

TEST_F(FrameEditing, FormattingIsGreyedUntilEditTextAndFollowsTheSelection)
{
    OpenAnnaActivated();
    const int formatting[] = {BrowserCommand::Bold,  BrowserCommand::Italic,   BrowserCommand::Underline,
                              FormatCommand::AlignLeft, FormatCommand::AlignCentre, FormatCommand::AlignRight,
                              FormatCommand::TextColour, FormatCommand::WrapLines};
    for (const int id : formatting) {
        EXPECT_FALSE(State(id).enabled) << id;
        EXPECT_FALSE(State(id).checked) << id;
    }
    frame->Commands().UpdateToolbarActions();
    EXPECT_FALSE(frame->ToolbarInEditMode());
    EXPECT_TRUE(ToolbarItem(FormatCommand::EditText)->isVisible());
    EXPECT_FALSE(ToolbarItem(BrowserCommand::Bold)->isVisible());
    EXPECT_TRUE(frame->QuickCodeCombo()->isVisibleTo(frame->ToolbarOf(ToolbarId::Frame)));

    frametest::ClickMenuCommand(*frame, 1, FormatCommand::EditText);
    ASSERT_TRUE(frame->IsEditMode());
    QCoreApplication::processEvents();
    EXPECT_FALSE(frame->EnterEditMode());   // already editing
    EXPECT_FALSE(State(FormatCommand::EditText).enabled);
    frame->Commands().UpdateToolbarActions();
    EXPECT_TRUE(frame->ToolbarInEditMode());
    EXPECT_FALSE(frame->QuickCodeCombo()->isVisibleTo(frame->ToolbarOf(ToolbarId::Frame)));
    EXPECT_FALSE(ToolbarItem(FormatCommand::EditText)->isVisible());
    for (const int id : formatting)
        EXPECT_TRUE(State(id).enabled) << id;
    EXPECT_TRUE(State(FormatCommand::AlignLeft).checked);

    SelectRange(At(QStringLiteral("honey")), At(QStringLiteral("honey")) + 5);
    EXPECT_FALSE(State(BrowserCommand::Bold).checked);
    ClickToolbarButton(BrowserCommand::Bold);
    ClickToolbarButton(FormatCommand::AlignCentre);
    frame->Commands().UpdateToolbarActions();
    EXPECT_TRUE(State(BrowserCommand::Bold).checked);
    EXPECT_TRUE(ToolbarItem(BrowserCommand::Bold)->isEnabled());
    EXPECT_TRUE(State(FormatCommand::AlignCentre).checked);
    EXPECT_FALSE(State(FormatCommand::AlignLeft).checked);
    // Elsewhere in the text the marks follow that place.
    SelectRange(At(QStringLiteral("Grandmother")), At(QStringLiteral("Grandmother")) + 3);
    EXPECT_FALSE(State(BrowserCommand::Bold).checked);
    EXPECT_TRUE(State(FormatCommand::AlignLeft).checked);

    // Storing the edit ends edit mode: greyed again, the toolbar follows.
    ASSERT_TRUE(frame->CommitBrowserEdits());
    EXPECT_FALSE(State(BrowserCommand::Bold).enabled);
    EXPECT_FALSE(State(BrowserCommand::Bold).checked);
    frame->Commands().UpdateToolbarActions();
    EXPECT_FALSE(frame->ToolbarInEditMode());
}

TEST_F(FrameEditing, AFormattedSelectionIsStoredWithItsCodingsInPlace)
{
    OpenAnnaActivated();
    SelectWordAt(text(), At(QStringLiteral("honey")) + 1);
    ASSERT_TRUE(DragNodeToText(*frame->CodeTree(), TopicId::Codes, honey, At(QStringLiteral("honey")) + 1));
    SelectWordAt(text(), At(QStringLiteral("Grandmother")) + 1);
    ASSERT_TRUE(DragNodeToText(*frame->CodeTree(), TopicId::Codes, bees, At(QStringLiteral("Grandmother")) + 1));
    const QStringList before = Codings();
    ASSERT_EQ(before.size(), 2);

    ASSERT_TRUE(frame->EnterEditMode());
    QCoreApplication::processEvents();
    SelectRange(At(QStringLiteral("honey")) - 4, At(QStringLiteral("garden")));
    ClickToolbarButton(BrowserCommand::Bold);
    ClickToolbarButton(BrowserCommand::Italic);
    ClickToolbarButton(FormatCommand::AlignRight);
    // A size chosen in the toolbar's combo.
    auto* sizes = frame->findChild<QComboBox*>(QString::number(FormatCommand::FontSize));
    ASSERT_TRUE(sizes && sizes->isVisibleTo(frame->ToolbarOf(ToolbarId::Frame)));
    sizes->setFocus();
    sizes->lineEdit()->selectAll();
    QTest::keyClicks(sizes->lineEdit(), QStringLiteral("16"));
    QTest::keyClick(sizes->lineEdit(), Qt::Key_Return);
    ASSERT_TRUE(frame->CommitBrowserEdits());

    EXPECT_EQ(Codings(), before);
    const std::unique_ptr<CRichEditCtrlEx> stored = StoredAnna();
    EXPECT_EQ(stored->TextMap().text(), text().TextMap().text());
    const QTextCharFormat honeyFormat = FormatAt(*stored, At(QStringLiteral("honey")));
    EXPECT_GE(honeyFormat.fontWeight(), QFont::Bold);
    EXPECT_TRUE(honeyFormat.fontItalic());
    EXPECT_EQ(qRound(honeyFormat.fontPointSize()), 16);
    EXPECT_LT(FormatAt(*stored, At(QStringLiteral("Grandmother"))).fontWeight(), QFont::Bold);
    EXPECT_EQ(stored->GetDocument()->firstBlock().blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    EXPECT_EQ(stored->GetTextRange(At(QStringLiteral("honey")), At(QStringLiteral("honey")) + 5), QStringLiteral("honey"));
}

TEST_F(FrameEditing, AWrapCountBelowTwentyIsRefused)
{
    OpenAnnaActivated();
    PrivateProfile profile(g_program.ProfilePath);
    ASSERT_TRUE(profile.WriteInt(QStringLiteral("Project"), QStringLiteral("WrapCharCount"), 7));
    ASSERT_TRUE(frame->EnterEditMode());
    const int paragraphs = text().document()->blockCount();

    int offered = -1;
    frametest::WhenModalShows([&](QWidget* modal) {
        auto* dialog = qobject_cast<NumberEntryDlg*>(modal);
        ASSERT_TRUE(dialog);
        offered = dialog->Edit()->value();   // a stored value below the least is offered as the least
        dialog->Edit()->selectAll();
        QTest::keyClicks(dialog->Edit(), QStringLiteral("5"));
        QTest::keyClick(dialog->Edit(), Qt::Key_Return);
    });
    frametest::ClickMenuCommand(*frame, 1, FormatCommand::WrapLines);
    EXPECT_EQ(offered, 20);
    EXPECT_EQ(profile.GetInt(QStringLiteral("Project"), QStringLiteral("WrapCharCount"), 0), 20);
    // Wrapped at 20, not at 5: each line holds several words.
    EXPECT_GT(text().document()->blockCount(), paragraphs);
    for (QTextBlock block = text().document()->firstBlock(); block.isValid(); block = block.next())
        EXPECT_TRUE(block.text().isEmpty() || block.text().size() > 5) << block.text().toStdString();
}

TEST_F(FrameEditing, PanesAndDocumentTabsFollowTheKeys)
{
    OpenAnnaInActiveFrame();
    ASSERT_TRUE(document.SetOpenDocument(ben, 1));   // Ben in a tab of its own
    ASSERT_EQ(browser().Tabs()->count(), 2);
    ASSERT_EQ(browser().GetShownDocument(), ben);

    // From the document tree round the cycle: codes, browser, segments.
    frame->DocumentTree()->TreeView()->setFocus();
    ASSERT_EQ(frame->ActiveView(), frame->ViewAt(CMainFrame::Blau));
    const CMainFrame::View forward[] = {CMainFrame::Green, CMainFrame::White, CMainFrame::Black, CMainFrame::Blau};
    for (const CMainFrame::View view : forward) {
        QTest::keyClick(frame->focusWidget(), Qt::Key_F6, Qt::ControlModifier);
        EXPECT_EQ(frame->ActiveView(), frame->ViewAt(view)) << view;
    }
    QTest::keyClick(frame->focusWidget(), Qt::Key_F6, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(frame->ActiveView(), frame->ViewAt(CMainFrame::Black));
    // A hidden pane is passed over.
    frame->Commands().Execute(CommandId::PaneCodeTree);
    frame->DocumentTree()->TreeView()->setFocus();
    QTest::keyClick(frame->focusWidget(), Qt::Key_F6, Qt::ControlModifier);
    EXPECT_EQ(frame->ActiveView(), frame->ViewAt(CMainFrame::White));

    // The tabs, the newest first: next, next again at the end (no
    // wrapping), previous, then close the current one.
    ASSERT_EQ(browser().Tabs()->tabData(0).toInt(), ben);
    browser().FocusView();
    QTest::keyClick(frame->focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(browser().GetShownDocument(), anna);
    QTest::keyClick(frame->focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(browser().GetShownDocument(), anna);
    QTest::keyClick(frame->focusWidget(), Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(browser().GetShownDocument(), ben);
    EXPECT_TRUE(State(NavigationCommand::CloseTab).enabled);
    QTest::keyClick(frame->focusWidget(), Qt::Key_F4, Qt::ControlModifier);
    EXPECT_EQ(browser().Tabs()->count(), 1);
    EXPECT_EQ(browser().GetShownDocument(), anna);
    EXPECT_FALSE(State(NavigationCommand::CloseTab).enabled);
    EXPECT_FALSE(State(NavigationCommand::NextTab).enabled);
}

TEST_F(FrameEditing, TheMenuKeyOpensTheActivePanesMenuAndTheSearchBarToggles)
{
    OpenAnnaInActiveFrame();
    // The document tree: the menu of its selected node.
    frame->DocumentTree()->TreeView()->setFocus();
    QContextMenuEvent onTree(QContextMenuEvent::Keyboard, QPoint(0, 0));
    QApplication::sendEvent(frame->focusWidget(), &onTree);
    QMenu* menu = frame->ShownContextMenu();
    ASSERT_TRUE(menu);
    EXPECT_TRUE(frame->GetContextTarget().kind == NodeKind::Document || frame->GetContextTarget().kind == NodeKind::DocumentGroup);
    menu->close();
    QCoreApplication::processEvents();

    // The browser's text: its menu offers "Edit text".
    browser().FocusView();
    QContextMenuEvent onText(QContextMenuEvent::Keyboard, QPoint(0, 0));
    QApplication::sendEvent(frame->focusWidget(), &onText);
    ASSERT_TRUE(ClickContextCommand(FormatCommand::EditText));
    EXPECT_TRUE(browser().IsEditMode());
    ASSERT_TRUE(frame->CommitBrowserEdits());

    // Ctrl+F: the active pane's search bar opens and closes.
    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    frame->DocumentTree()->TreeView()->setFocus();
    CBaseView* view = frame->ViewAt(CMainFrame::Blau);
    QTest::keyClick(frame->focusWidget(), Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(view->SearchBar());
    view->SearchBar()->findChild<QLineEdit*>()->setFocus();
    QTest::keyClick(frame->focusWidget(), Qt::Key_F, Qt::ControlModifier);
    EXPECT_TRUE(QTest::qWaitFor([view] { return !view->SearchBar() || !view->SearchBar()->isVisible(); }));
}

