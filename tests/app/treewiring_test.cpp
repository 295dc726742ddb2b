// The frame's side of the trees: the caption buttons of their views, the
// colour filters, new codes, colours of codes and documents, and the code
// tool window, each reached by clicks as a user does.

#include "app/appids.h"
#include "app/baseview.h"
#include "app/contextmenus.h"
#include "browser/browserids.h"
#include "browser/codetoolbardlg.h"
#include "framefixture.h"
#include "panes/colorfilterdlg.h"
#include "panes/newcodedlg.h"
#include "panes/objectlistctrl.h"
#include "panes/objtreectrl.h"
#include "store/topicdatabase.h"
#include "ui/colorpicdlg.h"
#include "ui/colourchecklist.h"
#include "ui/dlgbase.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTextEdit>
#include <QToolButton>

using namespace frametest;

namespace {

constexpr COLORREF kRed = 0x0000A4;
constexpr COLORREF kBlue = 0x800000;

class TreeWiringTest : public FrameTest {
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        g_qdaOptions.SetBool(QdaOption::ActivateWithSubcodes, true);
        ShowFrame();
        OpenThroughMenu(MakeProject(QStringLiteral("Wiring.kv4")));
        ASSERT_NE(frame->GetDocument(), nullptr) << messages.texts.join(u'\n').toStdString();
        CodeRecord record;
        record.name = QStringLiteral("Themes");
        record.color = qint32(kRed);
        themes = document.NewCode(record);
        record.name = QStringLiteral("Work");
        record.parent = themes;
        record.color = qint32(kBlue);
        work = document.NewCode(record);
        const qint32 group = document.NewDocumentGroupNamed(QStringLiteral("Interviews"));
        anna = document.NewDocument(group, QStringLiteral("Anna"), {}, {});
        ben = document.NewDocument(group, QStringLiteral("Ben"), {}, {});
        ASSERT_TRUE(document.SetItemColor(TopicId::Documents, ben, qint32(kBlue)));
    }
    void TearDown() override
    {
        if (QMenu* menu = frame->ShownContextMenu())
            menu->close();
        FrameTest::TearDown();
    }
    CBaseView* CodeView() const { return frame->ViewAt(CMainFrame::Green); }
    CBaseView* DocumentView() const { return frame->ViewAt(CMainFrame::Blau); }
    /// Right-clicks a node as its pane reports it and chooses a command of
    /// the menu shown.
    void ChooseContextCommand(qint32 kind, qint32 item, qint32 sender, int command)
    {
        QMenu* menu = RightClick(kind, item, sender);
        ASSERT_NE(menu, nullptr);
        QAction* chosen = nullptr;
        for (QAction* action : menu->actions())
            if (!action->isSeparator() && action->data().toInt() == command)
                chosen = action;
        ASSERT_NE(chosen, nullptr) << "command " << command;
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(chosen).center());
        QCoreApplication::processEvents();
    }
    /// Types a name and a memo into the new-code dialog once it shows and
    /// confirms it.
    void WhenNewCodeDialogShows(const QString& name, const QString& memo, bool* inheritShown = nullptr)
    {
        WhenModalShows([name, memo, inheritShown](QWidget* modal) {
            auto* dialog = qobject_cast<CNewCodeDlg*>(modal);
            if (!dialog) {
                ADD_FAILURE() << "another dialog";
                modal->close();
                return;
            }
            if (inheritShown)
                *inheritShown = dialog->InheritBox()->isEnabled() && dialog->InheritBox()->isChecked();
            QTest::keyClicks(dialog->NameField(), name);
            QTest::keyClicks(dialog->MemoField(), memo);
            QTest::mouseClick(FindControl(dialog, 1), Qt::LeftButton);
        });
    }
    /// Picks the offered colour in the colour picker once it shows.
    void WhenColourPickerShows(COLORREF colour)
    {
        WhenModalShows([colour](QWidget* modal) {
            auto* picker = qobject_cast<ColorPicDlg*>(modal);
            if (!picker) {
                ADD_FAILURE() << "another dialog";
                modal->close();
                return;
            }
            const int row = int(picker->m_colors.indexOf(colour)) + ColorPicDlg::kFirstColourRow;
            QTest::mouseClick(picker->List()->viewport(), Qt::LeftButton, {}, picker->List()->LabelRect(row).center());
        });
    }
    /// Ticks the colour in the colour filter once it shows and confirms it.
    void WhenColourFilterShows(COLORREF colour)
    {
        WhenModalShows([colour](QWidget* modal) {
            auto* dialog = qobject_cast<ColorFilterDlg*>(modal);
            if (!dialog) {
                ADD_FAILURE() << "another dialog";
                modal->close();
                return;
            }
            EXPECT_EQ(dialog->m_colors.size(), 2);
            const int row = int(dialog->m_colors.indexOf(colour));
            QTest::mouseClick(dialog->List()->viewport(), Qt::LeftButton, {}, dialog->List()->CheckRect(row).center());
            QTest::mouseClick(FindControl(dialog, 1), Qt::LeftButton);
        });
    }
    /// The memo's rich text as stored; empty when the code has none.
    QByteArray MemoText(qint32 code)
    {
        bool created = false;
        const qint32 memo = document.GetCodeMemo(code, created);
        RowBuffer row;
        FieldValue text;
        if (!memo || !db().ReadRow(TopicId::Memos, memo, row, true) || !row.GetFieldValue(MemoField::Text, text)
            || !text.GetBlob())
            return {};
        return *text.GetBlob();
    }

    qint32 themes = 0, work = 0, anna = 0, ben = 0;
};

TEST_F(TreeWiringTest, TheTreeViewsShowTheButtonsWhoseCommandsTheFrameCarriesOut)
{
    QToolButton* listMode = CodeView()->PaneButton(CObjTreeCtrl::ToggleListMode);
    ASSERT_NE(listMode, nullptr);
    EXPECT_TRUE(listMode->isVisible());
    EXPECT_EQ(listMode->toolTip(), QStringLiteral("Codes as a tree or as a list"));
    EXPECT_TRUE(CodeView()->PaneButton(TreeCommand::CodesColourFilter)->isVisible());
    EXPECT_TRUE(DocumentView()->PaneButton(TreeCommand::DocumentsColourFilter)->isVisible());
    // Printing, exporting and deactivating everything are the frame's.
    EXPECT_TRUE(CodeView()->PaneButton(602)->isVisible());
    EXPECT_TRUE(DocumentView()->PaneButton(600)->isVisible());
    EXPECT_TRUE(CodeView()->PaneButton(613)->isVisible());
    EXPECT_TRUE(DocumentView()->PaneButton(612)->isVisible());
    EXPECT_TRUE(CodeView()->PaneButton(20167)->isVisible());
    EXPECT_TRUE(DocumentView()->PaneButton(20166)->isVisible());
    EXPECT_EQ(DocumentView()->PaneButton(20166)->toolTip(), QStringLiteral("Deactivate all documents"));
    EXPECT_EQ(CodeView()->PaneButton(33265), nullptr);

    QTest::mouseClick(listMode, Qt::LeftButton);
    EXPECT_TRUE(frame->CodeTree()->InListMode());
    EXPECT_TRUE(frame->CodeTree()->ListView()->isVisible());
    EXPECT_TRUE(listMode->isChecked());
    QTest::mouseClick(listMode, Qt::LeftButton);
    EXPECT_FALSE(frame->CodeTree()->InListMode());
    EXPECT_FALSE(listMode->isChecked());
}

TEST_F(TreeWiringTest, TheColourFilterButtonsActivateByTheTickedColours)
{
    WhenColourFilterShows(kRed);
    QTest::mouseClick(CodeView()->PaneButton(TreeCommand::CodesColourFilter), Qt::LeftButton);
    EXPECT_EQ(document.GetProgramLists().codesColorFilter, QList<quint32>{kRed});
    EXPECT_TRUE(document.IsCodeActivated(themes));
    EXPECT_FALSE(document.IsCodeActivated(work));

    // The documents' filter with Ben's blue ticked.
    WhenColourFilterShows(kBlue);
    QTest::mouseClick(DocumentView()->PaneButton(TreeCommand::DocumentsColourFilter), Qt::LeftButton);
    EXPECT_EQ(document.GetProgramLists().documentsColorFilter, QList<quint32>{kBlue});
    EXPECT_TRUE(document.IsActivated(TopicId::Documents, ben));
    EXPECT_FALSE(document.IsActivated(TopicId::Documents, anna));
}

TEST_F(TreeWiringTest, NewCodesComeFromTheDialogWithTheirMemoUnderTheirParent)
{
    WhenNewCodeDialogShows(QStringLiteral("Feelings"), QStringLiteral("What people feel"));
    ChooseContextCommand(NodeKind::CodeSystemRoot, 0, PaneControlId::CodeTree, TreeCommand::NewCode);
    const qint32 feelings = frame->QuickCodes().SelectedCode();
    ASSERT_GT(feelings, 0);
    EXPECT_EQ(doctest::ValueOf(db(), TopicId::Codes, feelings, CodeField::Name), QStringLiteral("Feelings"));
    EXPECT_EQ(db().GetIntValue(TopicId::Codes, feelings, CodeField::Parent), 0);
    EXPECT_TRUE(MemoText(feelings).contains("What people feel"));
    EXPECT_NE(frame->CodeTree()->FindNode(TopicId::Codes, feelings), nullptr);
    EXPECT_EQ(frame->GetContextTarget().kind, 0) << "the menu's node serves one command";

    // A subcode of Themes takes its colour unless told otherwise.
    bool inherits = false;
    WhenNewCodeDialogShows(QStringLiteral("Stress"), QString(), &inherits);
    ChooseContextCommand(NodeKind::Code, themes, PaneControlId::CodeTree, TreeCommand::NewSubcode);
    const qint32 stress = frame->QuickCodes().SelectedCode();
    ASSERT_GT(stress, 0);
    EXPECT_TRUE(inherits);
    EXPECT_EQ(db().GetIntValue(TopicId::Codes, stress, CodeField::Parent), themes);
    EXPECT_EQ(document.GetItemColor(TopicId::Codes, stress), kRed);
    EXPECT_TRUE(MemoText(stress).isEmpty());

    // The tree passes its new-code command on to the frame as well.
    WhenNewCodeDialogShows(QStringLiteral("Places"), QString());
    frame->CodeTree()->OnCaptionCommand(TreeCommand::NewCode);
    const qint32 places = frame->QuickCodes().SelectedCode();
    EXPECT_EQ(doctest::ValueOf(db(), TopicId::Codes, places, CodeField::Name), QStringLiteral("Places"));
}

TEST_F(TreeWiringTest, ColoursOfCodesWithTheirSubcodesAndOfDocumentsAreChosenInThePicker)
{
    testutil::ScriptedMessages answers({MessageAnswer::Yes});
    WhenColourPickerShows(kBlue);
    ChooseContextCommand(NodeKind::Code, themes, PaneControlId::CodeTree, TreeCommand::ColourCodes);
    EXPECT_EQ(answers.texts, QStringList{QStringLiteral("Colour the subcodes too?")});
    EXPECT_EQ(document.GetItemColor(TopicId::Codes, themes), kBlue);
    EXPECT_EQ(document.GetItemColor(TopicId::Codes, work), kBlue);

    WhenColourPickerShows(kBlue);
    ChooseContextCommand(NodeKind::Document, anna, PaneControlId::DocumentTree, TreeCommand::ColourDocument);
    EXPECT_EQ(document.GetItemColor(TopicId::Documents, anna), kBlue);
}

TEST_F(TreeWiringTest, TheCodeToolWindowTakesCodesFromTheMenuAndFollowsTheProject)
{
    ChooseContextCommand(NodeKind::Code, work, PaneControlId::CodeTree, BrowserCommand::CodesToToolWindow);
    QPointer<CodeToolBarDlg> window = frame->CodeToolWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->RowCodes(), QList<qint32>{work});
    EXPECT_EQ(document.GetProgramLists().quickCodes, QList<qint32>{work});
    ChooseContextCommand(NodeKind::Code, themes, PaneControlId::CodeTree, BrowserCommand::CodesToToolWindow);
    EXPECT_EQ(window->RowCodes(), (QList<qint32>{themes, work}));

    // The window command brings the open window back; a deleted code leaves it.
    ClickMenuCommand(*frame, kWindowMenu, BrowserCommand::CodeToolWindow);
    EXPECT_EQ(frame->CodeToolWindow(), window.data());
    ASSERT_TRUE(document.DeleteItem(TopicId::Codes, work));
    EXPECT_EQ(window->RowCodes(), QList<qint32>{themes});
    // It closes with the project.
    frame->CloseProjectUI();
    document.CloseDatabase();
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
}

}  // namespace
