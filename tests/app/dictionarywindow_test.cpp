// The dictionary window over a real project in the real frame: opened from
// the Window menu, dictionary files opened, merged and written back, new
// and deleted categories and entries, and drops of words, entries and
// categories, all through clicks, keys and drag events.

#include "app/listwindows.h"
#include "common/screenshots.h"
#include "dictionary/cattreectrl.h"
#include "dictionary/dictionaryids.h"
#include "dictionary/qntdicdlg.h"
#include "foundation/dragobject.h"
#include "framefixture.h"
#include "platform/profile/privateprofile.h"
#include "store/storeids.h"
#include "ui/commandtoolbar.h"
#include "ui/redit4list.h"

#include <QDragEnterEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QToolButton>

namespace {

using frametest::ClickMenuCommand;
using frametest::kWindowMenu;


class DictionaryWindowTest : public frametest::FrameTest {
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        // The recording pane would take every rename before the tree does.
        pane.startsEdit = false;
        ShowFrame();
        OpenThroughMenu(MakeProject(QStringLiteral("words.kv4")));
        ASSERT_TRUE(document.GetEngine());
    }
    void TearDown() override
    {
        if (window)
            window->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        FrameTest::TearDown();
    }

    /// The window through the frame's menu row.
    CQntDicDlg* OpenWindow()
    {
        ClickMenuCommand(*frame, kWindowMenu, 33084);
        window = frame->ListWindows().DictionaryWindow();
        EXPECT_TRUE(window);
        if (window) {
            window->resize(640, 360);
            EXPECT_TRUE(QTest::qWaitForWindowExposed(window));
            window->activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(window));
        }
        return window;
    }
    /// A dictionary file of the text, UTF-16 with its mark.
    QString Kvd(const QString& name, const QString& text)
    {
        const QString path = dir.file(name);
        EXPECT_TRUE(testutil::WriteFile(
            path, QByteArray("\xFF\xFE", 2) + QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2)));
        return path;
    }
    QString TwoLevels() { return Kvd(QStringLiteral("two.kvd"), kTwoLevels); }
    void ClickButton(int command)
    {
        QAction* action = window->Action(command);
        ASSERT_TRUE(action);
        ASSERT_TRUE(action->isEnabled()) << command;
        QWidget* button = window->ToolBar()->widgetForAction(action);
        ASSERT_TRUE(button);
        QTest::mouseClick(button, Qt::LeftButton);
    }
    /// Opens the file through the tool bar's open button.
    void OpenFile(const QString& path)
    {
        messages.files.append({path});
        ClickButton(DictCommand::OpenDictionary);
    }
    qint32 CategoryNamed(const QString& name) { return document.FindCategoryByName(name); }
    QPoint PointOf(qint32 category)
    {
        CCatTreeCtrl* tree = window->Tree();
        QTreeWidgetItem* item = tree->ItemOf(category);
        EXPECT_TRUE(item) << category;
        if (!item)
            return {};
        tree->scrollToItem(item);
        return tree->visualItemRect(item).center();
    }
    void ClickCategory(qint32 category, Qt::KeyboardModifiers keys = {})
    {
        QTest::mouseClick(window->Tree()->viewport(), Qt::LeftButton, keys, PointOf(category));
    }
    QStringList TreeTexts()
    {
        QStringList texts;
        const std::function<void(QTreeWidgetItem*, int)> walk = [&](QTreeWidgetItem* item, int depth) {
            texts.append(QString(depth * 2, u' ') + item->text(0));
            for (int i = 0; i < item->childCount(); ++i)
                walk(item->child(i), depth + 1);
        };
        for (int i = 0; i < window->Tree()->topLevelItemCount(); ++i)
            walk(window->Tree()->topLevelItem(i), 0);
        return texts;
    }
    QStringList Words(qint32 category)
    {
        QStringList words;
        for (const qint32 entry : document.GetCategoryEntries(category))
            words.append(document.GetDatabase().FormatRowDisplay(TopicId::DictionaryEntries, entry, false));
        return words;
    }
    /// Enter, move and drop on the widget, as the platform delivers a drag.
    bool Drop(QWidget* target, const CDragObject& payload, QPoint at, Qt::KeyboardModifiers keys = {},
              const QString& identity = {})
    {
        std::unique_ptr<QMimeData> data =
            payload.CreateMimeData(identity.isEmpty() ? frame->ProjectIdentity() : identity);
        const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
        QDragEnterEvent enter(at, actions, data.get(), Qt::LeftButton, keys);
        QApplication::sendEvent(target, &enter);
        QDragMoveEvent move(at, actions, data.get(), Qt::LeftButton, keys);
        QApplication::sendEvent(target, &move);
        if (!enter.isAccepted() || !move.isAccepted()) {
            QDragLeaveEvent leave;
            QApplication::sendEvent(target, &leave);
            return false;
        }
        QDropEvent drop(QPointF(at), move.dropAction(), data.get(), Qt::LeftButton, keys);
        QApplication::sendEvent(target, &drop);
        return drop.isAccepted();
    }

    static inline const QString kTwoLevels = QStringLiteral(
        "Emotion\t0\t1\t0\t0\r\n\tangry\t0\t0\t0\t0\r\n\tsad\t0\t0\t0\t0\r\n"
        "Anger\t0\t2\t1\t0\r\n\tfury\t0\t0\t0\t0\r\n"
        "Places\t0\t3\t0\t0\r\n");
    QPointer<CQntDicDlg> window;
};

}  // namespace

TEST_F(DictionaryWindowTest, OpenedFromTheMenuItShowsAFileAsTreeAndLists)
{
    ASSERT_TRUE(OpenWindow());
    EXPECT_TRUE(window->IsTreeMode());
    const QString path = TwoLevels();
    OpenFile(path);
    EXPECT_EQ(TreeTexts(), (QStringList{"Categories", "  Emotion", "    Anger", "  Places"}));
    EXPECT_EQ(window->CategoryList()->RowCount(), 3);
    EXPECT_TRUE(window->windowTitle().endsWith(path));
    EXPECT_EQ(document.GetDictionaryFile(), path);

    // A click on a category shows its entries; the frame follows it.
    const qint32 emotion = CategoryNamed(QStringLiteral("Emotion"));
    ClickCategory(emotion);
    EXPECT_EQ(window->GetSelectedId(), emotion);
    EXPECT_EQ(window->ShownCategory(), emotion);
    EXPECT_EQ(window->EntryList()->RowCount(), 2);
    // A click right of the text still hits the row.
    const qint32 anger = CategoryNamed(QStringLiteral("Anger"));
    QPoint farRight = PointOf(anger);
    farRight.setX(window->Tree()->viewport()->width() - 4);
    QTest::mouseClick(window->Tree()->viewport(), Qt::LeftButton, {}, farRight);
    EXPECT_EQ(window->ShownCategory(), anger);
    EXPECT_EQ(window->EntryList()->RowCount(), 1);
    EXPECT_TRUE(window->Action(DictCommand::NewEntry)->isEnabled());
    EXPECT_FALSE(window->Action(DictCommand::DeleteEntries)->isEnabled());

    // The menu command again brings the same window back.
    ClickMenuCommand(*frame, kWindowMenu, 33084);
    EXPECT_EQ(frame->ListWindows().DictionaryWindow(), window.data());
}

TEST_F(DictionaryWindowTest, NewCategoriesAreRenamedInTreeModeAndTopLevelInListMode)
{
    ASSERT_TRUE(OpenWindow());
    OpenFile(TwoLevels());
    const qint32 emotion = CategoryNamed(QStringLiteral("Emotion"));
    ClickCategory(emotion);
    QTest::keyClick(window->Tree(), Qt::Key_N, Qt::ControlModifier | Qt::ShiftModifier);
    CREdit4List* editor = window->Tree()->ActiveEditor();
    ASSERT_TRUE(editor);
    auto* line = editor->findChild<QLineEdit*>();
    ASSERT_TRUE(line);
    line->selectAll();
    QTest::keyClicks(line, QStringLiteral("Joy"));
    QTest::keyClick(line, Qt::Key_Return);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    const qint32 joy = CategoryNamed(QStringLiteral("Joy"));
    ASSERT_NE(joy, 0);
    EXPECT_EQ(document.GetCategoryParent(joy), emotion);
    EXPECT_EQ(TreeTexts(), (QStringList{"Categories", "  Emotion", "    Joy", "    Anger", "  Places"}));

    // List mode: the new category stands at the top level, not renamed.
    QTest::keyClick(window->Tree(), Qt::Key_T, Qt::ControlModifier);
    EXPECT_FALSE(window->IsTreeMode());
    EXPECT_TRUE(window->CategoryList()->isVisible());
    const int rows = window->CategoryList()->RowCount();
    ClickButton(DictCommand::NewCategory);
    EXPECT_EQ(window->CategoryList()->RowCount(), rows + 1);
    const QList<qint32> all = document.GetDictionaryCategories();
    EXPECT_EQ(document.GetCategoryParent(all.last()), 0);
    EXPECT_FALSE(window->Tree()->ActiveEditor());
}

TEST_F(DictionaryWindowTest, EntriesAndCategoriesAreMadeAndDeletedAfterConfirmation)
{
    ASSERT_TRUE(OpenWindow());
    OpenFile(TwoLevels());
    const qint32 emotion = CategoryNamed(QStringLiteral("Emotion"));
    ClickCategory(emotion);
    ClickButton(DictCommand::NewEntry);
    EXPECT_EQ(Words(emotion).size(), 3);
    EXPECT_EQ(window->EntryList()->RowCount(), 3);

    // Entries: No keeps them, Yes deletes the selected ones.
    ObjectListCtrl* entries = window->EntryList();
    entries->SelectAllRows();
    window->UpdateCommands();
    messages.AddAnswers({MessageAnswer::No, MessageAnswer::Yes});
    ClickButton(DictCommand::DeleteEntries);
    EXPECT_EQ(Words(emotion).size(), 3);
    entries->setFocus();
    QTest::keyClick(entries, Qt::Key_Delete);
    EXPECT_TRUE(Words(emotion).isEmpty());
    EXPECT_EQ(entries->RowCount(), 0);

    // A category goes with its subtree.
    ClickCategory(emotion);
    messages.AddAnswers({MessageAnswer::Yes});
    ClickButton(DictCommand::DeleteCategory);
    EXPECT_EQ(TreeTexts(), (QStringList{"Categories", "  Places"}));
    EXPECT_EQ(document.GetDictionaryCategories().size(), 1);
    messages.AddAnswers({MessageAnswer::Yes});
    ClickButton(DictCommand::DeleteAllCategories);
    EXPECT_TRUE(document.GetDictionaryCategories().isEmpty());
    EXPECT_EQ(TreeTexts(), QStringList{"Categories"});
}

TEST_F(DictionaryWindowTest, MergingTwiceGivesTwoCopiesAndABadFileChangesNothing)
{
    ASSERT_TRUE(OpenWindow());
    const QString path = TwoLevels();
    OpenFile(path);
    messages.files.append({path});
    ClickButton(DictCommand::MergeDictionary);
    EXPECT_EQ(document.GetDictionaryCategories().size(), 6);
    EXPECT_EQ(TreeTexts().count(QStringLiteral("    Anger")), 2);
    EXPECT_EQ(document.GetDictionaryFile(), path);

    // A file that holds no dictionary: a message, the dictionary and the
    // file as they were.
    const QByteArray junk("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16);
    const QString bad = dir.file(QStringLiteral("bad.kvd"));
    ASSERT_TRUE(testutil::WriteFile(bad, junk));
    const QStringList before = TreeTexts();
    OpenFile(bad);
    EXPECT_EQ(TreeTexts(), before);
    EXPECT_EQ(document.GetDictionaryCategories().size(), 6);
    EXPECT_EQ(document.GetDictionaryFile(), path);
    ASSERT_FALSE(messages.texts.isEmpty());
    EXPECT_TRUE(messages.texts.last().contains(QStringLiteral("bad.kvd")));
    EXPECT_EQ(testutil::ReadFile(bad), junk);
}

TEST_F(DictionaryWindowTest, ClosingWritesTheTreeBackAndWithoutAFileAsksForOne)
{
    ASSERT_TRUE(OpenWindow());
    OpenFile(TwoLevels());
    // Without a file the close asks; cancelled, the dictionary stays.
    document.SetDictionaryFile(QString());
    const int prompts = int(messages.prompts.size());
    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(window);
    EXPECT_EQ(messages.prompts.size(), prompts + 1);
    EXPECT_EQ(document.GetDictionaryCategories().size(), 3);

    // Given a file, the tree is written in pre-order and read back.
    ASSERT_TRUE(OpenWindow());
    EXPECT_EQ(TreeTexts(), (QStringList{"Categories", "  Emotion", "    Anger", "  Places"}));
    const QString written = dir.file(QStringLiteral("written.kvd"));
    messages.files.append({written});
    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(document.GetDictionaryFile(), written);
    const QByteArray bytes = testutil::ReadFile(written);
    ASSERT_TRUE(bytes.startsWith("\xFF\xFE"));
    const QString text = QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData() + 2), (bytes.size() - 2) / 2);
    EXPECT_TRUE(text.startsWith(QStringLiteral("Emotion\t")));
    EXPECT_LT(text.indexOf(QStringLiteral("Anger\t")), text.indexOf(QStringLiteral("Places\t")));
    EXPECT_EQ(document.GetDictionaryCategories().size(), 3);
    EXPECT_EQ(PrivateProfile(g_program.ProfilePath).GetInt(QStringLiteral("dlgQntDic"), QStringLiteral("CatTreeView"), 0),
              1);

    // A file that cannot be written: reported, the dictionary kept.
    ASSERT_TRUE(OpenWindow());
    document.SetDictionaryFile(dir.file(QStringLiteral("no/such/folder/x.kvd")));
    const int texts = int(messages.texts.size());
    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(messages.texts.size(), texts + 1);
    EXPECT_EQ(document.GetDictionaryCategories().size(), 3);
}

TEST_F(DictionaryWindowTest, DroppedWordsBecomeEntriesOnceAndEntriesMoveToACategory)
{
    ASSERT_TRUE(OpenWindow());
    OpenFile(TwoLevels());
    document.PrepareWordTable({}, TopicId::Codes);
    QList<qint32> words;
    for (const char* word : {"angry", "glad"})
        words.append(doctest::AddRow(db(), TopicId::WordFrequencies, {{2, QString::fromLatin1(word)}}));
    const qint32 emotion = CategoryNamed(QStringLiteral("Emotion"));
    QWidget* entryView = window->EntryList()->viewport();
    CDragObject wordsPayload(TopicId::WordFrequencies, words.first());
    wordsPayload.m_ids = words;
    // No category shown: refused; from another project: refused.
    EXPECT_FALSE(Drop(entryView, wordsPayload, QPoint(20, 20)));
    ClickCategory(emotion);
    EXPECT_FALSE(Drop(entryView, wordsPayload, QPoint(20, 20), {}, QStringLiteral("1|/elsewhere.kv4")));
    EXPECT_TRUE(Drop(entryView, wordsPayload, QPoint(20, 20)));
    EXPECT_EQ(Words(emotion), (QStringList{"angry", "sad", "glad"}));
    EXPECT_EQ(window->EntryList()->RowCount(), 3);

    // Entries onto another category of the tree, and of the list.
    const qint32 places = CategoryNamed(QStringLiteral("Places"));
    const QList<qint32> moving = document.GetCategoryEntries(emotion).mid(0, 2);
    CDragObject entries(TopicId::DictionaryEntries, moving.first());
    entries.m_ids = moving;
    EXPECT_FALSE(Drop(window->Tree()->viewport(), entries, PointOf(0)));   // the root is no category
    EXPECT_TRUE(Drop(window->Tree()->viewport(), entries, PointOf(places)));
    EXPECT_EQ(Words(places), (QStringList{"angry", "sad"}));
    EXPECT_EQ(window->EntryList()->RowCount(), 1);
    QTest::keyClick(window->Tree(), Qt::Key_T, Qt::ControlModifier);
    ObjectListCtrl* list = window->CategoryList();
    const int row = list->Model()->RowOfKey(emotion);
    ASSERT_GE(row, 0);
    const QPoint onEmotion = list->visualRect(list->Model()->index(row, 1)).center();
    EXPECT_TRUE(Drop(list->viewport(), entries, onEmotion));
    EXPECT_EQ(Words(emotion).size(), 3);
}

TEST_F(DictionaryWindowTest, CategoriesMoveWithTheirSubtreeButNeverIntoIt)
{
    ASSERT_TRUE(OpenWindow());
    OpenFile(TwoLevels());
    const qint32 emotion = CategoryNamed(QStringLiteral("Emotion"));
    const qint32 anger = CategoryNamed(QStringLiteral("Anger"));
    const qint32 places = CategoryNamed(QStringLiteral("Places"));
    QWidget* view = window->Tree()->viewport();
    const auto payloadOf = [](qint32 id) {
        CDragObject payload(TopicId::DictionaryCategories, id);
        payload.m_ids = {id};
        return payload;
    };

    // Into its own subtree, or onto itself: refused.
    EXPECT_FALSE(Drop(view, payloadOf(emotion), PointOf(anger)));
    EXPECT_FALSE(Drop(view, payloadOf(emotion), PointOf(emotion)));
    EXPECT_EQ(document.GetCategoryParent(anger), emotion);

    // Without Shift: behind the target, under the target's parent.
    EXPECT_TRUE(Drop(view, payloadOf(anger), PointOf(places)));
    EXPECT_EQ(TreeTexts(), (QStringList{"Categories", "  Emotion", "  Places", "  Anger"}));
    EXPECT_EQ(document.GetCategoryParent(anger), 0);
    EXPECT_EQ(window->GetSelectedId(), anger);
    // With Shift: the target's first child; the subtree goes along.
    EXPECT_TRUE(Drop(view, payloadOf(emotion), PointOf(places), Qt::ShiftModifier));
    EXPECT_EQ(TreeTexts(), (QStringList{"Categories", "  Places", "    Emotion", "  Anger"}));
    EXPECT_EQ(document.GetCategoryParent(emotion), places);
    EXPECT_FALSE(window->Tree()->DropHighlight());
    EXPECT_FALSE(window->Tree()->InsertMark());

    // The tree is the drag source: pressing and moving on a category
    // offers it, and the drop puts it first under the root.
    std::unique_ptr<CDragObject> offered;
    window->Tree()->SetDragRunner([&](const CDragObject& payload, const QString&) {
        offered = std::make_unique<CDragObject>(payload);
        return Qt::MoveAction;
    });
    const QPoint from = PointOf(anger);
    QTest::mousePress(view, Qt::LeftButton, {}, from);
    QTest::mouseMove(view, from + QPoint(40, 0));
    QTest::mouseMove(view, from + QPoint(60, 4));
    QTest::mouseRelease(view, Qt::LeftButton, {}, from + QPoint(60, 4));
    ASSERT_TRUE(offered);
    EXPECT_EQ(offered->m_kind, TopicId::DictionaryCategories);
    EXPECT_EQ(offered->m_ids, QList<qint32>{anger});
    EXPECT_TRUE(Drop(view, *offered, PointOf(0)));
    EXPECT_EQ(TreeTexts(), (QStringList{"Categories", "  Anger", "  Places", "    Emotion"}));
}

TEST_F(DictionaryWindowTest, TreeModeLooksAsRecorded)
{
    ASSERT_TRUE(OpenWindow());
    OpenFile(TwoLevels());
    ClickCategory(CategoryNamed(QStringLiteral("Emotion")));
    window->setFixedSize(560, 300);
    QCoreApplication::processEvents();
    EXPECT_TRUE(testutil::MatchesReferenceImage(window.data(),
                                                testutil::DataPath(QStringLiteral("dictionary/tree_mode.png"))));
}

TEST_F(DictionaryWindowTest, TheWordListsContextCommandTakesItsSelectedWordsIntoTheSelectedCategory)
{
    document.PrepareWordTable({}, TopicId::Codes);
    QList<qint32> words;
    for (const char* word : {"calm", "sad"})
        words.append(doctest::AddRow(db(), TopicId::WordFrequencies, {{2, QString::fromLatin1(word)}}));
    const auto offered = [&] {
        QMenu* menu = RightClick(TopicId::WordFrequencies, words.first(), 0);
        bool found = false;
        if (menu) {
            for (QAction* action : menu->actions())
                found |= action->data().toInt() == 20119;
            menu->close();
        }
        return found;
    };
    EXPECT_FALSE(offered());   // no dictionary window
    frame->ListWindows().OnCommand(33067);
    ObjectListWindow* list = frame->ListWindows().Window(CListWindows::Words);
    ASSERT_TRUE(list);
    ASSERT_TRUE(OpenWindow());
    OpenFile(TwoLevels());
    EXPECT_FALSE(offered());   // no category selected
    const qint32 emotion = CategoryNamed(QStringLiteral("Emotion"));
    ClickCategory(emotion);
    list->List1()->SelectAllRows();
    QMenu* menu = RightClick(TopicId::WordFrequencies, words.first(), 0);
    ASSERT_TRUE(menu);
    QAction* command = nullptr;
    for (QAction* action : menu->actions())
        if (action->data().toInt() == 20119)
            command = action;
    ASSERT_TRUE(command);
    command->trigger();
    EXPECT_EQ(Words(emotion), (QStringList{"angry", "sad", "calm"}));
    QList<qint32> selected;
    EXPECT_EQ(list->List1()->GetSelection(selected), 0);
    EXPECT_TRUE(selected.isEmpty());
}
