// The code selection dialogs, the code-frequency table they start from the
// document tree's menus, its transfer into document variables, and the word
// list's context commands that add stop words and find words.

#include "framefixture.h"

#include "app/contextmenus.h"
#include "app/listwindows.h"
#include "app/textviewerdlg.h"
#include "app/wordfreqcommands.h"
#include "common/screenshots.h"
#include "dictionary/codeselectdlg.h"
#include "dictionary/wordfrequency.h"
#include "dictionary/wordfrequencydlg.h"
#include "document/documentids.h"
#include "document/rowfields.h"
#include "panes/objectlistwindow.h"
#include "retrieval/lexicalengine.h"
#include "store/fielddescriptor.h"
#include "store/topictable.h"
#include "panes/objectlistctrl.h"

#include <QCheckBox>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>

namespace {

using namespace frametest;

template <class T>
T* Control(QWidget* dialog, int id)
{
    return qobject_cast<T*>(FindControl(dialog, id));
}

/// Ticks or unticks a row as a user does: a click selects it, the space bar flips its box.
void ToggleRow(QListWidget* list, int row)
{
    QListWidgetItem* item = list->item(row);
    ASSERT_NE(item, nullptr);
    const QRect rect = list->visualItemRect(item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(rect.right() - 4, rect.center().y()));
    QTest::keyClick(list, Qt::Key_Space);
}

CodeSelItem Item(qint32 code, qint32 parent, qint32 level, const char* name, bool checked = false)
{
    CodeSelItem item;
    item.codeId = code;
    item.parentId = parent;
    item.level = level;
    item.name = QString::fromLatin1(name);
    item.checked = checked;
    return item;
}

/// Codes given out of order: the dialog shows them by parent, then by code.
CodeSelItemArray ThreeCodes()
{
    CodeSelItemArray items;
    items.Add(Item(30, 0, 3, "Deep"));
    items.Add(Item(10, 0, 1, "Leaf"));
    items.Add(Item(20, 0, 2, "Middle"));
    return items;
}

class CodeSelectTest : public FrameTest {
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        document.SetLexicalService(&lexical);
        document.SetWordCounter(&counter);
        document.SetWordTally(&counter);
        ShowFrame();
        OpenThroughMenu(MakeProject(QStringLiteral("Codes.kv4")));
        ASSERT_TRUE(document.GetEngine());
        group = document.NewDocumentGroupNamed(QStringLiteral("G"));
        first = document.NewDocument(group, QStringLiteral("A"),
                                     doctest::RtfOf({QStringLiteral("red work"), QStringLiteral("more red work")}),
                                     QString());
        second = document.NewDocument(group, QStringLiteral("B"), doctest::RtfOf({QStringLiteral("blue green")}),
                                      QString());
        CodeRecord record;
        record.name = QStringLiteral("Topics");
        topics = document.NewCode(record);
        record.name = QStringLiteral("Sub");
        record.parent = topics;
        sub = document.NewCode(record);
        record.name = QStringLiteral("Mood");
        record.parent = 0;
        mood = document.NewCode(record);
        jobs = doctest::AddRow(db(), TopicId::DictionaryCategories,
                               {{CategoryField::Type, 0}, {CategoryField::Name, QStringLiteral("Jobs")},
                                {CategoryField::Number, 5}});
        doctest::AddRow(db(), TopicId::DictionaryEntries,
                        {{EntryField::Category, jobs}, {EntryField::Text, QStringLiteral("work")},
                         {EntryField::Flag1, 1}});
        ASSERT_TRUE(first && second && topics && sub && mood && jobs);
        // Sub codes the second paragraph of A, "more red work".
        CodingRecord coding;
        coding.TextID = first;
        coding.WordID = sub;
        coding.StartChar = 9;
        coding.FinishChar = 22;
        coding.StartPara = 2;
        coding.FinishPara = 2;
        coding.Weight = 50;
        coding.Text = doctest::RtfOf({QStringLiteral("more red work")});
        qint32 action = 0;
        bool written = false;
        document.AddCoding(coding, action, OverlapMode::Replace, &written, false);
        ASSERT_TRUE(written);
    }
    void TearDown() override
    {
        FrameTest::TearDown();
        document.SetLexicalService(nullptr);
        document.SetWordCounter(nullptr);
        document.SetWordTally(nullptr);
    }
    TopicDatabase& db() { return document.GetDatabase(); }

    /// 20123 from the menu of the documents root; `fill` works the dialog before OK.
    void CodeFrequenciesFromMenu(std::function<void(CodeSelectDlg*)> fill)
    {
        QMenu* menu = RightClick(NodeKind::DocumentsRoot, 0, PaneControlId::DocumentTree);
        WhenModalShows([fill](QWidget* modal) {
            auto* dialog = qobject_cast<CodeSelectDlg*>(modal);
            ASSERT_NE(dialog, nullptr);
            fill(dialog);
            QTest::mouseClick(Control<QPushButton>(dialog, CodeSelectDlg::OkButton), Qt::LeftButton);
        });
        ClickCommandIn(menu, 20123);
        QCoreApplication::processEvents();
    }
    QString Setting(const QString& key)
    {
        QString text;
        document.ReadSetting(key, text);
        return text;
    }
    /// The menu of a word list's row, and a click on one of its commands.
    void WordCommand(qint32 row, int command, qint32 kind = NodeKind::WordListEntry)
    {
        QMenu* menu = RightClick(kind, row, 0);
        ClickCommandIn(menu, command);
        QCoreApplication::processEvents();
    }
    static bool Offers(QMenu* menu, int command)
    {
        bool found = false;
        for (QAction* action : menu->actions())
            found |= action->data().toInt() == command;
        menu->close();
        return found;
    }
    qint32 WordRow(const QString& word)
    {
        QList<qint32> keys;
        db().GetAllKeys(TopicId::WordFrequencies, keys);
        for (const qint32 key : std::as_const(keys))
            if (rowfields::TextOfKey(db(), TopicId::WordFrequencies, key, 2) == word)
                return key;
        return 0;
    }
    /// The word counter from the Analysis menu with the dialog's values.
    void CountWords()
    {
        WhenModalShows([](QWidget* modal) {
            QTest::mouseClick(Control<QPushButton>(modal, 1), Qt::LeftButton);
        });
        ClickMenuCommand(*frame, kAnalysisMenu, WordFreqCommand::WordCounter);
        QCoreApplication::processEvents();
    }
    QStringList HitWords()
    {
        QList<qint32> keys;
        db().GetAllKeys(TopicId::SearchHits, keys);
        QStringList words;
        for (const qint32 key : std::as_const(keys))
            words.append(QStringLiteral("%1:%2@%3")
                             .arg(db().GetIntValue(TopicId::SearchHits, key, SearchHitField::Document))
                             .arg(rowfields::TextOfKey(db(), TopicId::SearchHits, key, SearchHitField::Text))
                             .arg(db().GetIntValue(TopicId::SearchHits, key, SearchHitField::Paragraph)));
        return words;
    }

    retrieval::LexicalEngine lexical;
    dictionary::WordFrequencyCounter counter{&document};
    qint32 group = 0;
    qint32 first = 0;
    qint32 second = 0;
    qint32 topics = 0;
    qint32 sub = 0;
    qint32 mood = 0;
    qint32 jobs = 0;
};

}  // namespace

TEST_F(CodeSelectTest, TheDepthStaysWithinTheShallowestLeafOfTheTickedCodes)
{
    // Rows by code: Leaf (level 1), Middle (2), Deep (3).
    struct Case {
        const char* what;
        int depth;                 // given by the caller
        QList<int> toggles;        // rows flipped in order
        int button;                // 0, or 3 / 4 clicked last
        int typed;                 // -1, or a depth typed last
        int depthAfter;
        int limitAfter;
    };
    const Case cases[] = {
        {"nothing ticked: at most 1", 3, {}, 0, -1, 1, 1},
        {"nothing ticked at the start cuts the depth before a tick", 3, {2}, 0, -1, 1, 3},
        {"a deep code allows its depth", 1, {2}, 0, 3, 3, 3},
        {"a leaf among the ticks limits to 1", 3, {2, 0}, 0, -1, 1, 1},
        {"unticking the leaf raises the limit, not the depth", 3, {2, 0, 0}, 0, -1, 1, 3},
        {"a typed depth above the limit is cut", 1, {1}, 0, 5, 2, 2},
        {"check all: the leaf limits", 2, {}, CodeSelectDlg::CheckAllButton, -1, 1, 1},
        {"uncheck all: back to 1", 2, {2}, CodeSelectDlg::UncheckAllButton, -1, 1, 1},
        {"0 stays 0", 0, {}, 0, -1, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CodeSelItemArray items = ThreeCodes();
        CodeSelectDlg dialog(frame.get());
        dialog.m_items = &items;
        dialog.m_depth = c.depth;
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        QListWidget* list = dialog.List();
        ASSERT_EQ(list->count(), 3);
        EXPECT_EQ(list->item(0)->text(), QStringLiteral("Leaf"));
        EXPECT_EQ(list->item(2)->text(), QStringLiteral("Deep"));
        for (const int row : c.toggles)
            ToggleRow(list, row);
        if (c.button)
            QTest::mouseClick(Control<QPushButton>(&dialog, c.button), Qt::LeftButton);
        QSpinBox* depth = dialog.DepthBox();
        if (c.typed >= 0) {
            depth->setFocus();
            depth->selectAll();
            QTest::keyClicks(depth, QString::number(c.typed));
            QTest::keyClick(depth, Qt::Key_Tab);
        }
        EXPECT_EQ(depth->value(), c.depthAfter);
        EXPECT_EQ(depth->maximum(), c.limitAfter);
        // A depth of 0 leaves the codes aside.
        EXPECT_EQ(list->isEnabled(), c.depthAfter != 0);
        EXPECT_EQ(Control<QPushButton>(&dialog, CodeSelectDlg::CheckAllButton)->isEnabled(), c.depthAfter != 0);
        QTest::mouseClick(Control<QPushButton>(&dialog, CodeSelectDlg::OkButton), Qt::LeftButton);
        EXPECT_EQ(dialog.m_depth, c.depthAfter);
    }
}

TEST_F(CodeSelectTest, OkWritesTheTicksBackAndCancelLeavesThem)
{
    for (const bool ok : {true, false}) {
        SCOPED_TRACE(ok ? "OK" : "Cancel");
        CodeSelItemArray items = ThreeCodes();
        items[0].checked = true;  // Deep
        ReportCodeSelectDlg dialog(frame.get());
        dialog.m_items = &items;
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        // Not allowed by the caller: the check box rests.
        EXPECT_FALSE(Control<QCheckBox>(&dialog, ReportCodeSelectDlg::OnlyActivated)->isEnabled());
        EXPECT_EQ(dialog.List()->item(2)->checkState(), Qt::Checked);
        ToggleRow(dialog.List(), 0);  // Leaf on
        ToggleRow(dialog.List(), 2);  // Deep off
        QTest::mouseClick(Control<QPushButton>(&dialog, ok ? 1 : 2), Qt::LeftButton);
        EXPECT_EQ(items[0].checked, !ok);
        EXPECT_EQ(items[1].checked, ok);
        EXPECT_FALSE(items[2].checked);
    }
    CodeSelItemArray items = ThreeCodes();
    ReportCodeSelectDlg dialog(frame.get());
    dialog.m_items = &items;
    dialog.m_allowOnlyActivated = true;
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    auto* only = Control<QCheckBox>(&dialog, ReportCodeSelectDlg::OnlyActivated);
    ASSERT_TRUE(only->isEnabled());
    QTest::mouseClick(only, Qt::LeftButton, {}, QPoint(6, only->height() / 2));
    QTest::mouseClick(Control<QPushButton>(&dialog, ReportCodeSelectDlg::CheckAllButton), Qt::LeftButton);
    QTest::mouseClick(Control<QPushButton>(&dialog, 1), Qt::LeftButton);
    EXPECT_TRUE(dialog.m_onlyActivated);
    for (const CodeSelItem& item : items)
        EXPECT_TRUE(item.checked);
}

TEST_F(CodeSelectTest, TheCodeFrequencyDialogLooksAsRecorded)
{
    CodeSelItemArray items = ThreeCodes();
    items[1].checked = true;
    items[2].checked = true;
    CodeSelectDlg dialog(frame.get());
    dialog.m_items = &items;
    dialog.m_depth = 2;
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    dialog.setFixedSize(360, 330);
    QCoreApplication::processEvents();
    EXPECT_TRUE(testutil::MatchesReferenceImage(&dialog, testutil::DataPath(QStringLiteral("dictionary/codeselectdlg.png"))));
}

TEST_F(CodeSelectTest, CodeFrequenciesFromTheDocumentMenuFillTheTableAndKeepTheChoice)
{
    // Topics has a subcode: depth 2 reaches it; Mood is a leaf, not ticked.
    CodeFrequenciesFromMenu([](CodeSelectDlg* dialog) {
        ASSERT_EQ(dialog->List()->count(), 2);  // the top-level codes only
        EXPECT_EQ(dialog->m_documents.size(), 2);
        ToggleRow(dialog->List(), 0);
        QSpinBox* depth = dialog->DepthBox();
        depth->setFocus();
        depth->selectAll();
        QTest::keyClicks(depth, QStringLiteral("2"));
        QTest::keyClick(depth, Qt::Key_Tab);
    });
    EXPECT_EQ(Setting(QStringLiteral("QntCodes")), QStringLiteral("[%1]").arg(topics));
    EXPECT_EQ(Setting(QStringLiteral("QntDepth")), QStringLiteral("2"));
    ObjectListWindow* window = frame->ListWindows().Window(CListWindows::Overview);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->Mode(), 2);
    EXPECT_EQ(db().GetRowCount(TopicId::OverviewTable), 2);  // the subcode in each document

    // The next run starts from that choice; Cancel changes nothing.
    QMenu* menu = RightClick(NodeKind::DocumentsRoot, 0, PaneControlId::DocumentTree);
    bool preTicked = false;
    int depthShown = -1;
    WhenModalShows([&](QWidget* modal) {
        auto* dialog = qobject_cast<CodeSelectDlg*>(modal);
        preTicked = dialog->List()->item(0)->checkState() == Qt::Checked;
        depthShown = dialog->DepthBox()->value();
        QTest::mouseClick(Control<QPushButton>(dialog, CodeSelectDlg::CancelButton), Qt::LeftButton);
    });
    ClickCommandIn(menu, 20123);
    QCoreApplication::processEvents();
    EXPECT_TRUE(preTicked);
    EXPECT_EQ(depthShown, 2);
    EXPECT_EQ(frame->ListWindows().Window(CListWindows::Overview), window);

    // The table's category columns go into document variables, summed per document.
    const auto variable = [&] {
        return db().GetTable(TopicId::Documents)->Fields().FindByName(QStringLiteral("Jobs"));
    };
    frame->activateWindow();
    QApplication::setActiveWindow(frame.get());
    QTest::keyClick(frame.get(), Qt::Key_R, Qt::ControlModifier | Qt::ShiftModifier);
    QCoreApplication::processEvents();
    const FieldDescriptor* field = variable();
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(db().GetIntValue(TopicId::Documents, first, field->ID), 1);
    EXPECT_EQ(db().GetIntValue(TopicId::Documents, second, field->ID), 0);

    // A row of the table finds its dictionary hits, with their paragraphs.
    QList<qint32> rows;
    db().GetAllKeys(TopicId::OverviewTable, rows);
    qint32 row = 0;
    for (const qint32 key : std::as_const(rows))
        if (db().GetIntValue(TopicId::OverviewTable, key, OverviewField::Document) == first)
            row = key;
    ASSERT_NE(row, 0);
    WordCommand(row, 20124, NodeKind::WordTableEntry);
    EXPECT_EQ(HitWords(), QStringList{QStringLiteral("%1:work@2").arg(first)});
    ASSERT_NE(frame->ListWindows().Window(CListWindows::SearchHits), nullptr);
    EXPECT_EQ(frame->ListWindows().Window(CListWindows::SearchHits)->Title(), QStringLiteral("Search hits (1)"));

    // Depth 0 leaves the codes aside and makes no rows: nothing to transfer.
    CodeFrequenciesFromMenu([](CodeSelectDlg* dialog) {
        QSpinBox* depth = dialog->DepthBox();
        depth->setFocus();
        depth->selectAll();
        QTest::keyClicks(depth, QStringLiteral("0"));
        QTest::keyClick(depth, Qt::Key_Tab);
        EXPECT_FALSE(dialog->List()->isEnabled());
    });
    window = frame->ListWindows().Window(CListWindows::Overview);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->Mode(), 0);
    EXPECT_EQ(Setting(QStringLiteral("QntDepth")), QStringLiteral("0"));
    EXPECT_EQ(db().GetRowCount(TopicId::OverviewTable), 0);
    frame->activateWindow();
    QApplication::setActiveWindow(frame.get());
    QTest::keyClick(frame.get(), Qt::Key_R, Qt::ControlModifier | Qt::ShiftModifier);
    QCoreApplication::processEvents();
    EXPECT_EQ(db().GetIntValue(TopicId::Documents, first, variable()->ID), 1);
}

TEST_F(CodeSelectTest, ADocumentsMenuTakesThatDocumentAndCancelMakesNoTable)
{
    QMenu* menu = RightClick(NodeKind::Document, second, PaneControlId::DocumentTree);
    WhenModalShows([&](QWidget* modal) {
        auto* dialog = qobject_cast<CodeSelectDlg*>(modal);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->m_documents, (QList<QPair<qint32, qint32>>{{second, group}}));
        QTest::mouseClick(Control<QPushButton>(dialog, CodeSelectDlg::CancelButton), Qt::LeftButton);
    });
    ClickCommandIn(menu, 20123);
    QCoreApplication::processEvents();
    EXPECT_EQ(frame->ListWindows().Window(CListWindows::Overview), nullptr);
}

TEST_F(CodeSelectTest, StopWordsFromTheWordListGoToTheirListOnce)
{
    CountWords();
    ObjectListWindow* words = frame->ListWindows().Window(CListWindows::Words);
    ASSERT_NE(words, nullptr);
    const qint32 red = WordRow(QStringLiteral("red"));
    const qint32 blue = WordRow(QStringLiteral("blue"));
    ASSERT_TRUE(red && blue);
    words->List1()->SelectAllRows();
    QList<qint32> all;
    words->List1()->GetSelection(all);
    WordCommand(red, 20121);
    QStringList expected;
    for (const qint32 key : std::as_const(all))
        expected.append(rowfields::TextOfKey(db(), TopicId::WordFrequencies, key, 2));
    expected.sort();
    EXPECT_EQ(document.GetWordList(), expected);
    for (const qint32 key : std::as_const(all))
        EXPECT_EQ(db().GetIntValue(TopicId::WordFrequencies, key, 1), 1);
    QList<qint32> selected;
    EXPECT_EQ(words->List1()->GetSelection(selected), 0);
    const QString path = frame->WordFreqCommands().StopListPath();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("r\0e\0d\0"));
    file.close();

    // The tag cloud's list: the words go to its own file, the current list stays.
    g_program.TagCloudStopListPath = dir.file(QStringLiteral("TagCloudsStopp.txt"));
    document.SetWordList(QString(), false);
    ASSERT_TRUE(frame->SaveWordListText(path));
    WhenModalShows([](QWidget* modal) {
        QTest::mouseClick(Control<QPushButton>(modal, CTextViewerDlg::SaveButton), Qt::LeftButton);
    });
    ClickMenuCommand(*frame, kAnalysisMenu, WordFreqCommand::TagCloud);
    QCoreApplication::processEvents();
    words = frame->ListWindows().Window(CListWindows::Words);
    ASSERT_NE(words, nullptr);
    ASSERT_EQ(words->Mode(), CWordFreqCommands::kTagCloudListMode);
    const qint32 green = WordRow(QStringLiteral("green"));
    WordCommand(green, 20121);
    EXPECT_TRUE(document.GetWordList().isEmpty());
    ASSERT_TRUE(frame->LoadWordList(g_program.TagCloudStopListPath));
    EXPECT_EQ(document.GetWordList(), QStringList{QStringLiteral("green")});

    // The go-list's rows are dictionary entries: no stop-word command there.
    words->SetMode(1);
    EXPECT_FALSE(Offers(RightClick(NodeKind::WordListEntry, green, 0), 20121));
    words->SetMode(0);
    EXPECT_TRUE(Offers(RightClick(NodeKind::WordListEntry, green, 0), 20121));
}

TEST_F(CodeSelectTest, WordsOfTheWordListAreFoundAsWholeWords)
{
    CountWords();
    ObjectListWindow* words = frame->ListWindows().Window(CListWindows::Words);
    ASSERT_NE(words, nullptr);
    const qint32 red = WordRow(QStringLiteral("red"));
    words->List1()->SelectIds({red});
    WordCommand(red, 20124);
    QList<qint32> keys;
    db().GetAllKeys(TopicId::SearchHits, keys);
    ASSERT_EQ(keys.size(), 2);
    for (const qint32 key : std::as_const(keys))
        EXPECT_EQ(db().GetIntValue(TopicId::SearchHits, key, SearchHitField::Document), first);
    ObjectListWindow* hits = frame->ListWindows().Window(CListWindows::SearchHits);
    ASSERT_NE(hits, nullptr);
    EXPECT_EQ(hits->Title(), QStringLiteral("Search hits (1)"));
    QList<qint32> selected;
    EXPECT_EQ(words->List1()->GetSelection(selected), 0);
}
