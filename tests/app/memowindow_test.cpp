// The memo window and the project logbook through the frame: memos opened
// from the memo list and the context menus, edited, switched, closed and
// checked in the project file; the logbook edited, stored and its links.

#include "app/appids.h"
#include "app/contextmenus.h"
#include "app/listwindows.h"
#include "common/printcapture.h"
#include "common/screenshots.h"
#include "framefixture.h"
#include "document/rowfields.h"
#include "foundation/dragobject.h"
#include "panes/logbookdlg.h"
#include "panes/memodlg.h"
#include "panes/objectlistctrl.h"
#include "panes/objectlistwindow.h"
#include "platform/profile/privateprofile.h"
#include "platform/rtf/richeditctrlex.h"
#include "store/projectdataengine.h"
#include "store/topictable.h"
#include "ui/propertygrid.h"
#include "ui/richeditwnd.h"
#include "ui/richtexteditorwnd.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QTabBar>
#include <QTimer>
#include <QTextBlock>
#include <QTextDocument>
#include <QToolBar>
#include <QTreeWidget>
#include <QUrl>
#include <QtEndian>

using namespace frametest;

namespace {

/// Records what the desktop was asked to open, in place of the desktop.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    UrlRecorder()
    {
        for (const char* scheme : {"http", "https", "mailto", "file"})
            QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), this, "Open");
    }
    ~UrlRecorder() override
    {
        for (const char* scheme : {"http", "https", "mailto", "file"})
            QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
    }
    QList<QUrl> opened;

public slots:
    void Open(const QUrl& url) { opened.append(url); }
};

struct StoredMemo {
    QString title;
    QString author;
    qint32 type = 0;
    QString text;
    QList<qint32> codes;
};

/// A memo as a fresh reader of the project file sees it.
StoredMemo ReadMemoFromFile(const QString& path, qint32 memo)
{
    StoredMemo stored;
    CKorDoc reader;
    std::unique_ptr<ProjectDataEngine> engine = reader.OpenProjectFile(path, QStringLiteral("MAIN"));
    if (!engine || !reader.OpenProject(std::move(engine), false))
        return stored;
    RowBuffer row;
    if (reader.GetDatabase().ReadRow(TopicId::Memos, memo, row, true)) {
        stored.title = rowfields::TextOf(row, MemoField::Title);
        stored.author = rowfields::TextOf(row, MemoField::Author);
        stored.type = rowfields::IntOf(row, MemoField::Type);
        FieldValue text;
        if (row.GetFieldValue(MemoField::Text, text) && text.GetBlob()) {
            CRichEditCtrlEx edit;
            edit.StreamInRtf(text.GetBlob(), false);
            stored.text = edit.GetDocument()->toPlainText();
        }
        FieldValue codes;
        if (row.GetFieldValue(MemoField::Codewords, codes) && codes.GetBlob())
            for (qsizetype at = 0; at + 4 <= codes.GetBlob()->size(); at += 4)
                stored.codes.append(qFromLittleEndian<qint32>(codes.GetBlob()->constData() + at));
    }
    reader.CloseDatabase();
    return stored;
}

class MemoWindowTest : public FrameTest {
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        g_qdaOptions.SetBool(QdaOption::AskBeforeDeleting, true);
        ShowFrame();
        path = MakeProject(QStringLiteral("Memos.kv4"));
        OpenThroughMenu(path);
        ASSERT_NE(frame->GetDocument(), nullptr) << messages.texts.join(u'\n').toStdString();
        const QDateTime date(QDate(2024, 3, 5), QTime(14, 30));
        first = document.NewMemo(QStringLiteral("Field notes"), QStringLiteral("Ada"), date, {});
        second = document.NewMemo(QStringLiteral("Method"), QStringLiteral("Ben"), date, {});
        third = document.NewMemo(QStringLiteral("Questions"), QStringLiteral("Cy"), date, {});
        CodeRecord record;
        for (const char* name : {"Work", "Home", "Family"}) {
            record.name = QString::fromLatin1(name);
            codes.append(document.NewCode(record));
        }
        doc = document.NewDocument(0, QStringLiteral("Anna"), doctest::RtfOf({QStringLiteral("Some text")}), {});
    }
    void TearDown() override
    {
        if (QMenu* menu = frame->ShownContextMenu())
            menu->close();
        frame->ListWindows().CloseAll();
        FrameTest::TearDown();
    }
    /// Double-clicks the memo's row in the memo list, as a user opens it.
    void OpenFromList(qint32 memo)
    {
        ObjectListWindow* list = frame->ListWindows().Window(CListWindows::Memos);
        if (!list) {
            ClickMenuCommand(*frame, kWindowMenu, ListWindowCommand::MemosList);
            list = frame->ListWindows().Window(CListWindows::Memos);
        }
        ASSERT_NE(list, nullptr);
        ObjectListCtrl* rows = list->List1();
        int row = -1;
        for (int i = 0; i < rows->RowCount(); ++i)
            if (rows->KeyAt(i) == memo)
                row = i;
        ASSERT_GE(row, 0);
        // A column that opens rather than edits.
        int column = 0;
        const QList<int> shown = rows->DisplayedColumns();
        for (const int each : shown)
            if (!rows->Columns().at(each).IsEditable()) {
                column = each;
                break;
            }
        const QPoint at = rows->visualRect(rows->model()->index(row, column)).center();
        QTest::mouseClick(rows->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(rows->viewport(), Qt::LeftButton, {}, at);
        QCoreApplication::processEvents();
    }
    CMemoDlg* Window() { return frame->MemoWindow(); }
    QTextEdit* Editor() { return Window()->Editor()->Editor(); }
    void TypeInto(const QString& text)
    {
        Editor()->setFocus();
        QTextCursor cursor = Editor()->textCursor();
        cursor.movePosition(QTextCursor::End);
        Editor()->setTextCursor(cursor);
        QTest::keyClicks(Editor(), text);
    }
    void Key(int key, Qt::KeyboardModifiers modifiers = {})
    {
        // The window's keys act in the active window, as a user types.
        if (QApplication::activeWindow() != Window()) {
            Window()->activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(Window()));
        }
        QTest::keyClick(Editor(), Qt::Key(key), modifiers);
        QCoreApplication::processEvents();
    }
    QStringList TabTexts()
    {
        QStringList texts;
        for (int i = 0; i < Window()->Tabs()->count(); ++i)
            texts << Window()->Tabs()->tabText(i);
        return texts;
    }
    QByteArray MemoText(qint32 memo)
    {
        RowBuffer row;
        FieldValue text;
        if (!db().ReadRow(TopicId::Memos, memo, row, true) || !row.GetFieldValue(MemoField::Text, text)
            || !text.GetBlob())
            return {};
        return *text.GetBlob();
    }
    /// Right-clicks the node and clicks the command.
    void Choose(qint32 kind, qint32 item, int command, qint32 sender, QList<quint32> ids = {})
    {
        QMenu* menu = RightClick(kind, item, sender, ids);
        ASSERT_NE(menu, nullptr);
        ClickCommandIn(menu, command);
        QCoreApplication::processEvents();
    }

    QString path;
    qint32 first = 0, second = 0, third = 0, doc = 0;
    QList<qint32> codes;
};

TEST_F(MemoWindowTest, EditsOfTwoMemosAreStoredOnSwitchCloseAndReopen)
{
    OpenFromList(first);
    ASSERT_NE(Window(), nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Window()));
    OpenFromList(second);
    EXPECT_EQ(TabTexts(), (QStringList{"Field notes", "Method"}));
    EXPECT_EQ(Window()->CurrentMemo(), second);

    TypeInto(QStringLiteral("Second thoughts"));
    // The grid's title and type cells, as the user leaves them.
    Window()->Header()->Grid()->Binding().SetText(QString(), QStringLiteral("Memo"), QStringLiteral("Method v2"), true);
    Window()->Header()->Grid()->Binding().Store()->Find(QString(), QStringLiteral("Memo type"), false)->selection = 4;
    ASSERT_TRUE(Window()->AttachCode(codes[1]));
    // Ctrl+Shift+Tab goes back to the first memo and stores the second.
    Key(Qt::Key_Tab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Window()->CurrentMemo(), first);
    EXPECT_EQ(TabTexts(), (QStringList{"Field notes", "Method v2"}));
    TypeInto(QStringLiteral("First words"));
    Key(Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(Window()->CurrentMemo(), second);
    EXPECT_TRUE(Window()->Editor()->Editor()->document()->toPlainText().contains(QStringLiteral("Second thoughts")));
    // Ctrl+Tab at the last tab stays.
    Key(Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(Window()->CurrentMemo(), second);
    // Ctrl+F4 closes the second memo; the first one is shown.
    TypeInto(QStringLiteral(" again"));
    Key(Qt::Key_F4, Qt::ControlModifier);
    EXPECT_EQ(TabTexts(), QStringList{"Field notes"});
    EXPECT_EQ(Window()->CurrentMemo(), first);

    OpenFromList(second);
    EXPECT_EQ(TabTexts(), (QStringList{"Field notes", "Method v2"}));
    EXPECT_TRUE(Editor()->toPlainText().contains(QStringLiteral("Second thoughts again")));
    EXPECT_EQ(Window()->Codes(), QList<qint32>{codes[1]});

    // The project file holds both memos as they were left.
    frame->close();
    const StoredMemo one = ReadMemoFromFile(path, first);
    EXPECT_EQ(one.title, QStringLiteral("Field notes"));
    EXPECT_EQ(one.author, QStringLiteral("Ada"));
    EXPECT_TRUE(one.text.contains(QStringLiteral("First words"))) << one.text.toStdString();
    const StoredMemo two = ReadMemoFromFile(path, second);
    EXPECT_EQ(two.title, QStringLiteral("Method v2"));
    EXPECT_EQ(two.type, 4);
    EXPECT_TRUE(two.text.contains(QStringLiteral("Second thoughts again"))) << two.text.toStdString();
    EXPECT_EQ(two.codes, QList<qint32>{codes[1]});
}

TEST_F(MemoWindowTest, AnEmptyMemoShowsTheDefaultParagraphAndLoadingWritesNothing)
{
    const QByteArray before = MemoText(third);
    ASSERT_TRUE(before.isEmpty());
    frame->OpenMemo(third);
    ASSERT_NE(Window(), nullptr);
    EXPECT_EQ(Window()->Body(), CMemoDlg::DefaultBody());
    const QTextDocument* text = Editor()->document();
    EXPECT_EQ(text->blockCount(), 1);
    EXPECT_TRUE(text->toPlainText().isEmpty());
    const QTextCharFormat format = text->firstBlock().charFormat();
    EXPECT_EQ(format.fontFamilies().toStringList().value(0), QStringLiteral("Arial"));
    EXPECT_DOUBLE_EQ(format.fontPointSize(), 10.0);
    // Switching away and closing without a change writes nothing.
    frame->OpenMemo(first);
    Window()->CloseMemoTab(third, true);
    EXPECT_TRUE(MemoText(third).isEmpty());
}

TEST_F(MemoWindowTest, AttachmentAndHeaderLines)
{
    bool created = false;
    const qint32 memo = document.GetDocumentMemo(doc, created, true);
    ASSERT_GT(memo, 0);
    // Attached to a document and a code: the document is shown.
    RowBuffer row;
    ASSERT_TRUE(db().ReadRow(TopicId::Memos, memo, row, true));
    ASSERT_TRUE(rowfields::SetInt(row, MemoField::Code, codes[0]));
    ASSERT_TRUE(row.Commit(true, false));
    frame->OpenMemo(memo);
    ASSERT_NE(Window(), nullptr);
    EXPECT_EQ(Window()->HeaderLine(), QStringLiteral("Document: Anna"));
    EXPECT_EQ(Window()->Attachment(), QStringLiteral("Document\t\tAnna"));
    // No codes: no codes line.
    QStringList lines = Window()->BuildHeaderText().split(u'\n');
    EXPECT_FALSE(lines.join(u'|').contains(QStringLiteral("Codes")));
    EXPECT_EQ(lines.value(0), Window()->GetTitle());
    EXPECT_TRUE(lines.value(1).isEmpty());
    EXPECT_EQ(lines.value(2), QStringLiteral("Document\t\tAnna"));
    // Three codes: the label with the first, two lines after two TABs.
    for (const qint32 code : codes)
        Window()->AttachCode(code);
    lines = Window()->BuildHeaderText().split(u'\n');
    const qsizetype at = lines.indexOf(QStringLiteral("Codes\t\tWork"));
    ASSERT_GE(at, 0) << lines.join(u'|').toStdString();
    EXPECT_EQ(lines.value(at + 1), QStringLiteral("\t\tHome"));
    EXPECT_EQ(lines.value(at + 2), QStringLiteral("\t\tFamily"));
    EXPECT_TRUE(lines.value(at + 3).isEmpty());
}

TEST_F(MemoWindowTest, TabsCloseToTheirSuccessorAndTheLastClosesTheWindow)
{
    for (const qint32 memo : {first, second, third})
        frame->OpenMemo(memo);
    ASSERT_EQ(Window()->Tabs()->count(), 3);
    // A middle tab: the one taking its place is shown.
    ASSERT_TRUE(Window()->SelectMemo(1));
    Key(Qt::Key_F4, Qt::ControlModifier);
    EXPECT_EQ(TabTexts(), (QStringList{"Field notes", "Questions"}));
    EXPECT_EQ(Window()->CurrentMemo(), third);
    // The last one of the row: the new last one.
    Key(Qt::Key_F4, Qt::ControlModifier);
    EXPECT_EQ(Window()->CurrentMemo(), first);
    // Ctrl+Shift+Tab at the first stays; Escape keeps the window.
    Key(Qt::Key_Tab, Qt::ControlModifier | Qt::ShiftModifier);
    Key(Qt::Key_Escape);
    EXPECT_EQ(Window()->CurrentMemo(), first);
    ASSERT_TRUE(Window()->isVisible());
    // The only tab: the window goes.
    QPointer<CMemoDlg> window = Window();
    Key(Qt::Key_F4, Qt::ControlModifier);
    QTest::qWait(20);
    EXPECT_TRUE(window.isNull());
}

TEST_F(MemoWindowTest, CodesDroppedOnceQuickCodesAndTheClickedCode)
{
    frame->OpenMemo(first);
    QTreeWidget* list = Window()->Header()->CodeList();
    const auto drop = [&](qint32 kind, qint32 id) {
        CDragObject object(kind, id);
        std::unique_ptr<QMimeData> data = object.CreateMimeData(frame->ProjectIdentity());
        const QPoint at = list->viewport()->rect().center();
        QDragEnterEvent enter(at, Qt::LinkAction | Qt::CopyAction, data.get(), Qt::LeftButton, {});
        QCoreApplication::sendEvent(list->viewport(), &enter);
        QDropEvent dropped(at, Qt::LinkAction | Qt::CopyAction, data.get(), Qt::LeftButton, {});
        QCoreApplication::sendEvent(list->viewport(), &dropped);
        return enter.isAccepted();
    };
    EXPECT_TRUE(drop(TopicId::Codes, codes[0]));
    EXPECT_TRUE(drop(TopicId::Codes, codes[0]));
    EXPECT_FALSE(drop(TopicId::Documents, doc));
    EXPECT_EQ(Window()->Codes(), QList<qint32>{codes[0]});
    EXPECT_EQ(list->topLevelItem(0)->text(0), QStringLiteral("Work"));

    // No quick codes: the message, no menu.
    messages.texts.clear();
    Window()->OnCommand(NoticeCommand::AttachQuickCode);
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(messages.texts[0].contains(QStringLiteral("quick")));

    // A click on a code row selects the code in the trees.
    log.Take();
    const QPoint row = list->visualItemRect(list->topLevelItem(0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row);
    std::string calls;
    for (const std::string& call : log.Take())
        calls += call + '|';
    EXPECT_NE(calls.find("SelectObject(8," + std::to_string(codes[0])), std::string::npos) << calls;
}

TEST_F(MemoWindowTest, ARefusedWriteKeepsTheTabAndItsEdits)
{
    frame->OpenMemo(first);
    frame->OpenMemo(second);
    TypeInto(QStringLiteral("Keep me"));
    // The store refuses every write from now on.
    Window()->storer = [](const CMemoDlg::Edit&) { return false; };
    messages.texts.clear();
    Key(Qt::Key_Tab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Window()->CurrentMemo(), second);
    EXPECT_EQ(Window()->Tabs()->currentIndex(), 1);
    EXPECT_EQ(messages.texts.size(), 1);
    Key(Qt::Key_F4, Qt::ControlModifier);
    EXPECT_EQ(Window()->Tabs()->count(), 2);
    Window()->close();
    QCoreApplication::processEvents();
    ASSERT_NE(Window(), nullptr);
    EXPECT_TRUE(Editor()->toPlainText().contains(QStringLiteral("Keep me")));
    EXPECT_FALSE(MemoText(second).contains("Keep me"));
}

TEST_F(MemoWindowTest, TheDocumentRefusingTheRowLeavesItAsItWas)
{
    frame->OpenMemo(first);
    const QByteArray before = MemoText(first);
    CKorDoc::MemoEdit edit;
    edit.ID = first;
    edit.Title = QStringLiteral("Other");
    // An absent memo is refused without a write.
    edit.ID = 9999;
    EXPECT_FALSE(document.StoreMemo(edit));
    edit.ID = first;
    edit.Text = "{\\rtf1 Changed}";
    edit.Codewords = {codes[2]};
    ASSERT_TRUE(document.StoreMemo(edit));
    EXPECT_EQ(document.GetMemoCodes(first), QList<qint32>{codes[2]});
    // The window retitles the memo's tab.
    EXPECT_EQ(TabTexts(), QStringList{"Other"});
    EXPECT_NE(MemoText(first), before);
}

TEST_F(MemoWindowTest, DeletedElsewhereClosesWithoutStoringAndContextCommandsOpenMemos)
{
    // The memo commands of the trees and lists open the memo window.
    Choose(NodeKind::Document, doc, 20029, PaneControlId::DocumentTree);
    ASSERT_NE(Window(), nullptr);
    bool created = false;
    const qint32 docMemo = document.GetDocumentMemo(doc, created, false);
    EXPECT_EQ(Window()->CurrentMemo(), docMemo);
    Choose(NodeKind::Code, codes[0], 20067, PaneControlId::CodeTree);
    const qint32 codeMemo = document.GetCodeMemo(codes[0], created, false);
    EXPECT_GT(codeMemo, 0);
    EXPECT_EQ(Window()->CurrentMemo(), codeMemo);
    Choose(NodeKind::DocumentsRoot, 0, 20116, PaneControlId::DocumentTree);
    EXPECT_EQ(Window()->CurrentMemo(), document.GetProjectMemo(created, false));
    Choose(NodeKind::Memo, first, 20089, PaneControlId::DocumentTree);
    EXPECT_EQ(Window()->CurrentMemo(), first);
    EXPECT_EQ(Window()->Tabs()->count(), 4);

    // Deleting three memos asks once and closes their tabs.
    TypeInto(QStringLiteral("Gone anyway"));
    messages.AddAnswers({MessageAnswer::Ok});
    Choose(NodeKind::Memo, first, 20088, PaneControlId::DocumentTree, {quint32(first), quint32(codeMemo), quint32(second)});
    EXPECT_EQ(messages.confirmations.size(), 1);
    EXPECT_FALSE(db().GetTable(TopicId::Memos)->HasKey(first));
    EXPECT_FALSE(db().GetTable(TopicId::Memos)->HasKey(codeMemo));
    EXPECT_FALSE(db().GetTable(TopicId::Memos)->HasKey(second));
    EXPECT_EQ(Window()->Tabs()->count(), 2);
    EXPECT_EQ(Window()->TabOf(first), -1);

    // A declined question deletes nothing.
    messages.AddAnswers({MessageAnswer::Cancel});
    Choose(NodeKind::Memo, third, 20088, PaneControlId::DocumentTree);
    EXPECT_TRUE(db().GetTable(TopicId::Memos)->HasKey(third));

    // A new memo from an empty memo row opens in the window.
    const qint32 before = db().GetLastKey(TopicId::Memos);
    Choose(NodeKind::Memo, 0, 20120, PaneControlId::DocumentTree);
    EXPECT_GT(db().GetLastKey(TopicId::Memos), before);
    EXPECT_EQ(Window()->CurrentMemo(), db().GetLastKey(TopicId::Memos));
}

TEST_F(MemoWindowTest, DamagedStoredBytesAreShownAsFarAsTheyReadAndLeftAlone)
{
    // Text that is no RTF and a code blob with two stray bytes.
    const QByteArray text = QByteArray("{\\rtf1 broken {\\b never closed") + QByteArray(3, '\0');
    QByteArray codewords(4, '\0');
    qToLittleEndian<qint32>(codes[2], codewords.data());
    codewords.append("\x01\x02", 2);
    RowBuffer row;
    ASSERT_TRUE(db().ReadRow(TopicId::Memos, first, row, true));
    ASSERT_TRUE(rowfields::SetBlob(row, MemoField::Text, text));
    ASSERT_TRUE(rowfields::SetBlob(row, MemoField::Codewords, codewords));
    ASSERT_TRUE(row.Commit(true, false));
    frame->OpenMemo(first);
    ASSERT_NE(Window(), nullptr);
    EXPECT_EQ(Window()->Codes(), QList<qint32>{codes[2]});
    frame->OpenMemo(second);
    Window()->CloseMemoTab(first, true);
    EXPECT_EQ(MemoText(first), text);
    EXPECT_EQ(document.GetMemoCodes(first), QList<qint32>{codes[2]});
    RowBuffer after;
    FieldValue blob;
    ASSERT_TRUE(db().ReadRow(TopicId::Memos, first, after, true));
    ASSERT_TRUE(after.GetFieldValue(MemoField::Codewords, blob) && blob.GetBlob());
    EXPECT_EQ(*blob.GetBlob(), codewords);

    // A logbook of bytes that are neither RTF nor UTF-16 shows as text and
    // stays as it was when nothing is typed.
    const QByteArray log("plain \xff\xfe words");
    ASSERT_TRUE(document.WriteSettingData(QStringLiteral("LOG"), log));
    frame->OnShowLogbook();
    ASSERT_NE(frame->LogbookWindow(), nullptr);
    EXPECT_TRUE(frame->LogbookWindow()->Editor()->Editor()->toPlainText().startsWith(QStringLiteral("plain")));
    frame->LogbookWindow()->close();
    QCoreApplication::processEvents();
    QByteArray stored;
    ASSERT_TRUE(document.ReadSettingData(QStringLiteral("LOG"), stored));
    EXPECT_EQ(stored, log);
}

TEST_F(MemoWindowTest, SavedRtfFilesAreWholeOrUntouched)
{
    frame->OpenMemo(first);
    const QString target = dir.file(QStringLiteral("Field notes.rtf"));
    messages.files.append({target});
    const qsizetype prompts = messages.prompts.size();
    Window()->OnCommand(NoticeCommand::SaveRtf);
    ASSERT_EQ(messages.prompts.size(), prompts + 1);
    EXPECT_EQ(messages.prompts.back().path, QStringLiteral("Field notes.rtf"));
    QFile saved(target);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    CRichEditCtrlEx reader;
    const QByteArray bytes = saved.readAll();
    reader.StreamInRtf(&bytes, false);
    const QStringList lines = reader.GetDocument()->toPlainText().split(QChar(u'\n'));
    EXPECT_EQ(lines.value(0), QStringLiteral("Field notes"));
    // A target that cannot be written is reported and nothing is left.
    const QString folder = dir.file(QStringLiteral("taken.rtf"));
    ASSERT_TRUE(QDir().mkpath(folder));
    messages.files.append({folder});
    messages.texts.clear();
    Window()->OnCommand(NoticeCommand::SaveRtf);
    EXPECT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(QFileInfo(folder).isDir());
    // Nor is a file in a folder that does not exist.
    EXPECT_FALSE(Window()->WriteRtfFile(dir.file(QStringLiteral("missing/folder/x.rtf"))));
}

TEST_F(MemoWindowTest, ARenameElsewhereRetitlesAndSurvivesTheNextStore)
{
    frame->OpenMemo(first);
    frame->OpenMemo(second);
    // Renamed in the memo list, say: the row changes and is announced.
    RowBuffer row;
    ASSERT_TRUE(db().ReadRow(TopicId::Memos, second, row, false));
    ASSERT_TRUE(rowfields::SetText(row, MemoField::Title, QStringLiteral("Method, revised")));
    ASSERT_TRUE(row.Commit(false, false));
    document.NotifyChanged(TopicId::Memos, second);
    EXPECT_EQ(TabTexts(), (QStringList{"Field notes", "Method, revised"}));
    TypeInto(QStringLiteral("More"));
    Key(Qt::Key_Tab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(db().GetTable(TopicId::Memos) ? rowfields::TextOfKey(db(), TopicId::Memos, second, MemoField::Title)
                                            : QString(),
              QStringLiteral("Method, revised"));
}

TEST_F(MemoWindowTest, AQuickCodeChosenFromTheMenuIsAttached)
{
    frame->QuickCodes().AddCode(codes[2]);
    frame->QuickCodes().AddCode(codes[0]);
    frame->OpenMemo(first);
    QTimer::singleShot(50, [] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        ASSERT_EQ(menu->actions().size(), 2);
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(menu->actions().at(1)).center());
    });
    QToolBar* bar = Window()->ToolBar();
    QAction* attach = nullptr;
    for (QAction* action : bar->actions())
        if (action->data().toInt() == NoticeCommand::AttachQuickCode)
            attach = action;
    ASSERT_NE(attach, nullptr);
    ASSERT_TRUE(attach->isEnabled());
    QTest::mouseClick(bar->widgetForAction(attach), Qt::LeftButton);
    EXPECT_EQ(Window()->Codes().size(), 1);
    EXPECT_TRUE(Window()->IsModified());
}

TEST_F(MemoWindowTest, APrintedMemoBeginsWithItsHeader)
{
    frame->OpenMemo(first);
    Window()->AttachCode(codes[0]);
    TypeInto(QStringLiteral("Printed words"));
    testutil::PrintCapture capture(dir.path());
    Window()->OnCommand(NoticeCommand::Print);
    ASSERT_EQ(capture.dialogs, 1);
    const QString page = testutil::PrintedPages(capture.LastFile()).value(0);
    EXPECT_TRUE(page.contains(QStringLiteral("Project: Memos"))) << page.toStdString();
    EXPECT_TRUE(page.contains(QStringLiteral("Field notes"))) << page.toStdString();
    EXPECT_TRUE(page.contains(QStringLiteral("Work"))) << page.toStdString();
    EXPECT_TRUE(page.contains(QStringLiteral("Printed words"))) << page.toStdString();
    // Printing is no edit of the memo.
    EXPECT_FALSE(MemoText(first).contains("Printed"));
}

TEST_F(MemoWindowTest, ScreenshotOfTheMemoWindow)
{
    RowBuffer row;
    ASSERT_TRUE(db().ReadRow(TopicId::Memos, first, row, true));
    ASSERT_TRUE(rowfields::SetBlob(row, MemoField::Text,
                                   QByteArray("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 Notes of the "
                                              "first visit.\\par\\b Open questions\\b0\\par}")));
    ASSERT_TRUE(row.Commit(true, false));
    frame->OpenMemo(first);
    frame->OpenMemo(second);
    ASSERT_TRUE(Window()->SelectMemo(0));
    Window()->AttachCode(codes[0]);
    Window()->AttachCode(codes[1]);
    Window()->resize(670, 460);
    QTest::qWait(80);
    EXPECT_TRUE(testutil::MatchesReferenceImage(Window()->grab().toImage(),
                                                testutil::DataPath(QStringLiteral("app/memo_window.png"))));
}

// ---- The logbook -----------------------------------------------------------------

TEST_F(MemoWindowTest, LogbookTextFormatValues)
{
    struct Case {
        const char* stored;
        const char* face;
        int height;
        quint32 effects;
        RichEditColor colour;
    };
    const Case cases[] = {
        {"Times New Roman, 240, 1, 0, 4, 255, 0, 0", "Times New Roman", 240, kCharBold | kCharUnderline, 0x0000FF},
        {"", "Arial", 200, 0, 0},
        {"Arial, 200, 0, 0, 0, 0, 0, 0", "Arial", 200, 0, 0},
        {"Courier, x, 1, 0, 0, 0, 0, 0", "Arial", 200, 0, 0},
        {"Courier, 300, 1, 2", "Arial", 200, 0, 0},
    };
    for (const Case& c : cases) {
        const RichEditCharFormat format = CLogbookDlg::ParseTextFormat(QString::fromLatin1(c.stored));
        EXPECT_EQ(format.faceName, QString::fromLatin1(c.face)) << c.stored;
        EXPECT_EQ(format.height, c.height) << c.stored;
        EXPECT_EQ(format.effects, c.effects) << c.stored;
        EXPECT_EQ(format.textColor, c.colour) << c.stored;
    }
    EXPECT_EQ(CLogbookDlg::FormatTextFormat(CLogbookDlg::ParseTextFormat(
                  QStringLiteral("Times New Roman, 240, 1, 0, 4, 255, 0, 0"))),
              QStringLiteral("Times New Roman, 240, 1, 0, 4, 255, 0, 0"));
    EXPECT_EQ(CLogbookDlg::ParseTextFormat(CLogbookDlg::DefaultTextFormat()).height, 200);
}

TEST_F(MemoWindowTest, LogbookIsEditedStoredOnCloseAndOpenedOnce)
{
    ClickMenuCommand(*frame, kWindowMenu, 33234);
    CLogbookDlg* log = frame->LogbookWindow();
    ASSERT_NE(log, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(log));
    // A second command brings the same window forward.
    ClickMenuCommand(*frame, kWindowMenu, 33234);
    EXPECT_EQ(frame->LogbookWindow(), log);
    // Closing without a change writes nothing.
    log->close();
    QCoreApplication::processEvents();
    QByteArray stored;
    EXPECT_FALSE(document.ReadSettingData(QStringLiteral("LOG"), stored) && !stored.isEmpty());

    ClickMenuCommand(*frame, kWindowMenu, 33234);
    log = frame->LogbookWindow();
    ASSERT_NE(log, nullptr);
    QTextEdit* edit = log->Editor()->Editor();
    EXPECT_FALSE(edit->isReadOnly());
    edit->setFocus();
    QTest::keyClicks(edit, QStringLiteral("Coded the first interview"));
    // The format bar acts on the text.
    EXPECT_TRUE(log->Editor()->ToolBar()->Action(kEditorBold)->isEnabled());
    log->close();
    QCoreApplication::processEvents();
    EXPECT_EQ(frame->LogbookWindow(), nullptr);
    ASSERT_TRUE(document.ReadSettingData(QStringLiteral("LOG"), stored));
    CRichEditCtrlEx reader;
    reader.StreamInRtf(&stored, false);
    EXPECT_TRUE(reader.GetDocument()->toPlainText().contains(QStringLiteral("Coded the first interview")));
    // The text format went to the profile.
    const QString format = PrivateProfile(g_program.ProfilePath).GetString(QStringLiteral("dlgLog"),
                                                                            QStringLiteral("TextFormat"));
    EXPECT_EQ(format.count(u','), 7) << format.toStdString();
}

TEST_F(MemoWindowTest, LogbookRefusedWriteKeepsTheWindowAndUtf16Logs)
{
    // An older project's log: UTF-16 text.
    const QString old = QStringLiteral("Old entry äö");
    QByteArray utf16(reinterpret_cast<const char*>(old.utf16()), old.size() * 2);
    ASSERT_TRUE(document.WriteSettingData(QStringLiteral("LOG"), utf16));
    frame->OnShowLogbook();
    CLogbookDlg* log = frame->LogbookWindow();
    ASSERT_NE(log, nullptr);
    EXPECT_EQ(log->Editor()->Editor()->toPlainText(), old);
    QTest::keyClicks(log->Editor()->Editor(), QStringLiteral("new "));
    log->storer = [](const QByteArray&) { return false; };
    messages.texts.clear();
    log->close();
    QCoreApplication::processEvents();
    EXPECT_EQ(frame->LogbookWindow(), log);
    EXPECT_EQ(messages.texts.size(), 1);
    QByteArray stored;
    ASSERT_TRUE(document.ReadSettingData(QStringLiteral("LOG"), stored));
    EXPECT_EQ(stored, utf16);
}

TEST_F(MemoWindowTest, LogbookLinksOpenOnlyThroughTheSafeOpener)
{
    const QString script = dir.file(QStringLiteral("run.sh"));
    {
        QFile file(script);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\ntouch ran\n");
    }
    QFile::setPermissions(script, QFile::permissions(script) | QFileDevice::ExeOwner);
    const QByteArray rtf = "{\\rtf1\\ansi See https://example.org/notes and file://" + script.toUtf8() + " \\par}";
    ASSERT_TRUE(document.WriteSettingData(QStringLiteral("LOG"), rtf));
    UrlRecorder desktop;
    frame->OnShowLogbook();
    CLogbookDlg* log = frame->LogbookWindow();
    ASSERT_NE(log, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(log));
    CRichEditWnd* edit = log->Editor()->Editor();
    const auto clickAt = [&](const QString& text) {
        const int position = edit->toPlainText().indexOf(text) + 3;
        QTextCursor cursor(edit->document());
        cursor.setPosition(position);
        const QPoint at = edit->cursorRect(cursor).center();
        QTest::mouseClick(edit->viewport(), Qt::LeftButton, {}, at);
        QCoreApplication::processEvents();
    };
    clickAt(QStringLiteral("https://"));
    ASSERT_EQ(desktop.opened.size(), 1);
    EXPECT_EQ(desktop.opened[0].toString(), QStringLiteral("https://example.org/notes"));
    messages.texts.clear();
    clickAt(QStringLiteral("file://"));
    EXPECT_EQ(desktop.opened.size(), 1);
    EXPECT_EQ(messages.texts.size(), 1);
    EXPECT_FALSE(QFile::exists(dir.file(QStringLiteral("ran"))));
    log->close();
}

TEST_F(MemoWindowTest, ScreenshotOfTheLogbook)
{
    ASSERT_TRUE(document.WriteSettingData(QStringLiteral("LOG"),
                                          "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 \\b 5 March\\b0\\par "
                                          "Imported the interviews.\\par}"));
    frame->OnShowLogbook();
    CLogbookDlg* log = frame->LogbookWindow();
    ASSERT_NE(log, nullptr);
    log->resize(560, 360);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(log));
    QTest::qWait(80);
    EXPECT_TRUE(testutil::MatchesReferenceImage(log->grab().toImage(),
                                                testutil::DataPath(QStringLiteral("app/logbook.png"))));
    log->close();
}

}  // namespace

#include "memowindow_test.moc"
