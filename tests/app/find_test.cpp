// The find commands through the frame's menu: the dialog, the search, and
// the hits or memos found in their lists; the analysis tables at rest.

#include "framefixture.h"

#include "app/findcommands.h"
#include "app/listwindows.h"
#include "document/documentids.h"
#include "foundation/segmentarray.h"
#include "panes/objectlistwindow.h"
#include "retrieval/projectrows.h"
#include "retrieval/retrievalengine.h"
#include "retrieval/searchdlg.h"
#include "retrieval/segmentsctrl.h"
#include "store/fieldvalue.h"
#include "store/rowbuffer.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

namespace {

using namespace frametest;


class FindTest : public FrameTest {
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        document.SetRetrievalService(&engine);
        ShowFrame();
        OpenThroughMenu(MakeProject(QStringLiteral("Find.kv4")));
        ASSERT_TRUE(document.GetEngine());
        group = doctest::AddRow(db(), TopicId::DocumentGroups, {{3, QStringLiteral("Interviews")}});
        // "work" at 0 and at 17 (paragraph 2); Ben has it once.
        anna = Document(QStringLiteral("Anna"), 1, {QStringLiteral("work at home"), QStringLiteral("more work")});
        ben = Document(QStringLiteral("Ben"), 2, {QStringLiteral("no work here")});
        memo = doctest::AddRow(db(), TopicId::Memos,
                               {{MemoField::Title, QStringLiteral("Plans")},
                                {MemoField::Pos, -1},
                                {MemoField::Text, doctest::RtfOf({QStringLiteral("work to do")})}});
        doctest::AddRow(db(), TopicId::Memos,
                        {{MemoField::Title, QStringLiteral("Other")},
                         {MemoField::Pos, -1},
                         {MemoField::Text, doctest::RtfOf({QStringLiteral("nothing")})}});
    }
    void TearDown() override
    {
        FrameTest::TearDown();
        document.SetRetrievalService(nullptr);
    }
    qint32 Document(const QString& name, qint32 index, const QStringList& paragraphs)
    {
        return doctest::AddRow(db(), TopicId::Documents,
                               {{DocumentField::GroupID, group},
                                {DocumentField::Name, name},
                                {retrieval::kIndexField, index},
                                {DocumentField::DocType, DocumentKind::RichText},
                                {DocumentField::Text, doctest::RtfOf(paragraphs)}});
    }
    /// Runs a find command through the menu; `fill` sets the dialog up
    /// before OK is clicked.
    void RunFind(int command, std::function<void(CSearchDlgBase*)> fill)
    {
        WhenModalShows([fill](QWidget* modal) {
            auto* dialog = qobject_cast<CSearchDlgBase*>(modal);
            ASSERT_NE(dialog, nullptr);
            fill(dialog);
            auto* ok = qobject_cast<QPushButton*>(FindControl(dialog, SearchDlgIds::Ok));
            ASSERT_TRUE(ok && ok->isEnabled());
            QTest::mouseClick(ok, Qt::LeftButton);
        });
        ClickMenuCommand(*frame, kAnalysisMenu, command);
        QCoreApplication::processEvents();
    }
    static void AddTerm(CSearchDlgBase* dialog, const QString& term)
    {
        auto* search = qobject_cast<CSearchDlg*>(dialog);
        ASSERT_NE(search, nullptr);
        search->AddTerm();
        auto* editor = qobject_cast<QLineEdit*>(dialog->focusWidget());
        ASSERT_NE(editor, nullptr);
        editor->selectAll();
        QTest::keyClicks(editor, term);
        QTest::keyClick(editor, Qt::Key_Return);
        // The item view takes the text once the key has been handled.
        QCoreApplication::processEvents();
    }
    static void Click(CSearchDlgBase* dialog, int id)
    {
        QWidget* control = FindControl(dialog, id);
        ASSERT_NE(control, nullptr);
        QTest::mouseClick(control, Qt::LeftButton, {}, QPoint(6, control->height() / 2));
    }
    /// The hits in topic 9 as "document:start-end:word".
    QStringList Hits()
    {
        QList<qint32> keys;
        db().GetAllKeys(TopicId::SearchHits, keys);
        QStringList hits;
        for (const qint32 key : keys)
            hits.append(QStringLiteral("%1:%2-%3:%4")
                            .arg(db().GetIntValue(TopicId::SearchHits, key, SearchHitField::Document))
                            .arg(db().GetIntValue(TopicId::SearchHits, key, SearchHitField::Start))
                            .arg(db().GetIntValue(TopicId::SearchHits, key, SearchHitField::End))
                            .arg(doctest::ValueOf(db(), TopicId::SearchHits, key, SearchHitField::Text)));
        return hits;
    }
    QString Hit(qint32 document, int start, int end, const QString& word = QStringLiteral("work"))
    {
        return QStringLiteral("%1:%2-%3:%4").arg(document).arg(start).arg(end).arg(word);
    }

    retrieval::RetrievalEngine engine;
    qint32 group = 0, anna = 0, ben = 0, memo = 0;
};

}  // namespace

TEST_F(FindTest, HitsFillTheSearchHitListTitledWithTheirDocuments)
{
    // An earlier search's rows go.
    doctest::AddRow(db(), TopicId::SearchHits, {{SearchHitField::Document, ben}, {SearchHitField::Text, QStringLiteral("old")}});
    RunFind(FindCommand::Find, [this](CSearchDlgBase* dialog) {
        AddTerm(dialog, QStringLiteral("work"));
        Click(dialog, SearchDlgIds::WholeWords);
    });
    EXPECT_EQ(Hits(), (QStringList{Hit(anna, 0, 4), Hit(anna, 18, 22), Hit(ben, 3, 7)}));
    EXPECT_EQ(document.SearchHitDocuments(), 2);
    ObjectListWindow* list = frame->ListWindows().Window(CListWindows::SearchHits);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->Title(), QStringLiteral("Search hits (2)"));
    EXPECT_EQ(list->List1()->RowCount(), 3);
    FieldDescriptor category;
    ASSERT_TRUE(db().GetFieldDescriptor(TopicId::SearchHits, SearchHitField::Category, category));
    EXPECT_TRUE(category.State & FieldState::Hidden);

    // A second find reuses the window; the list command keeps the title.
    RunFind(FindCommand::Find, [](CSearchDlgBase* dialog) {
        QListWidget* terms = qobject_cast<CSearchDlg*>(dialog)->TermList();
        terms->item(0)->setText(QStringLiteral("home"));
    });
    EXPECT_EQ(frame->ListWindows().Window(CListWindows::SearchHits), list);
    EXPECT_EQ(Hits(), QStringList{Hit(anna, 8, 12, QStringLiteral("home"))});
    EXPECT_EQ(list->Title(), QStringLiteral("Search hits (1)"));
    list->close();
    QCoreApplication::processEvents();
    ClickMenuCommand(*frame, kWindowMenu, ListWindowCommand::SearchHitsList);
    ASSERT_NE(frame->ListWindows().Window(CListWindows::SearchHits), nullptr);
    EXPECT_EQ(frame->ListWindows().Window(CListWindows::SearchHits)->Title(), QStringLiteral("Search hits (1)"));
}

TEST_F(FindTest, AMemoSearchShowsTheMemosFound)
{
    RunFind(FindCommand::Find, [](CSearchDlgBase* dialog) {
        AddTerm(dialog, QStringLiteral("work"));
        Click(dialog, SearchDlgIds::Memos);
    });
    ObjectListWindow* memos = frame->ListWindows().Window(CListWindows::Memos);
    ASSERT_NE(memos, nullptr);
    EXPECT_EQ(memos->Title(), QStringLiteral("Memos found"));
    EXPECT_EQ(memos->List1()->RowCount(), 1);
    EXPECT_TRUE(memos->List1()->HasRow(memo));
    EXPECT_EQ(frame->ListWindows().Window(CListWindows::SearchHits), nullptr);
    EXPECT_TRUE(Hits().isEmpty());
}

TEST_F(FindTest, OnlyInTheRetrievedSegmentsFindsInsideThemOnly)
{
    // Anna's second paragraph is coded with an activated code.
    const qint32 code = doctest::AddRow(db(), TopicId::Codes,
                                        {{5, QStringLiteral("Jobs")},
                                         {retrieval::kIndexField, 1},
                                         {CodeField::State, ObjectState::Activated}});
    doctest::AddRow(db(), TopicId::Codings,
                    {{CodingField::Document, anna},
                     {CodingField::Code, code},
                     {CodingField::StartChar, 13},
                     {CodingField::FinishChar, 22},
                     {CodingField::StartPara, 2},
                     {CodingField::FinishPara, 2},
                     {retrieval::CodingExtraField::Page, 1},
                     {CodingField::IsText, 1}});
    for (const qint32 d : {anna, ben}) {
        RowBuffer row;
        ASSERT_TRUE(db().ReadRow(TopicId::Documents, d, row, false));
        FieldValue state;
        ASSERT_TRUE(row.GetFieldValue(DocumentField::State, state));
        state.SetInt(ObjectState::Activated);
        ASSERT_TRUE(row.WriteBack());
    }
    ASSERT_EQ(document.RunRetrieval(document.GetRetrievalSettings(), 0), 1);
    QCoreApplication::processEvents();
    CSegmentArray shown;
    frame->Segments()->GetRetrievedSegments(shown);
    ASSERT_EQ(shown.GetSize(), 1);

    RunFind(FindCommand::Find, [](CSearchDlgBase* dialog) {
        AddTerm(dialog, QStringLiteral("work"));
        Click(dialog, SearchDlgIds::OnlyActivated);
        Click(dialog, SearchDlgIds::OnlyRetrieved);
    });
    EXPECT_EQ(Hits(), QStringList{Hit(anna, 18, 22)});

    // The extended dialog restricts the same way; an empty pane leaves
    // nothing to search.
    {
        RowBuffer row;
        ASSERT_TRUE(db().ReadRow(TopicId::Codes, code, row, false));
        FieldValue state;
        ASSERT_TRUE(row.GetFieldValue(CodeField::State, state));
        state.SetInt(0);
        ASSERT_TRUE(row.WriteBack());
    }
    document.RunRetrieval(document.GetRetrievalSettings(), 0);
    QCoreApplication::processEvents();
    frame->Segments()->GetRetrievedSegments(shown);
    ASSERT_EQ(shown.GetSize(), 0);
    RunFind(FindCommand::FindExtended, [](CSearchDlgBase* dialog) {
        qobject_cast<CSearchExtDlg*>(dialog)->TermBox(0)->setText(QStringLiteral("work"));
        Click(dialog, SearchDlgIds::OnlyActivated);
        Click(dialog, SearchDlgIds::OnlyRetrieved);
    });
    EXPECT_TRUE(Hits().isEmpty());
}

TEST_F(FindTest, AHitWithoutEndEndsAfterItsWord)
{
    CRowArray hits;
    SearchHit hit;
    hit.objectId = anna;
    hit.start = 5;
    hit.end = -1;
    hit.page = 1;
    hit.paragraph = 1;
    hits.Add(hit);
    hit.term = 1;
    hit.start = 20;
    hit.end = 30;
    hits.Add(hit);
    const QString longWord(80, u'w');
    StoreSearchHits(document, {QStringLiteral("home"), longWord}, hits);
    EXPECT_EQ(Hits(), (QStringList{Hit(anna, 5, 9, QStringLiteral("home")), Hit(anna, 20, 30, longWord.left(63))}));
}

TEST_F(FindTest, AnalysisTablesRestUntilTheirDialogExists)
{
    QMenu* analysis = frame->menuBar()->actions().value(kAnalysisMenu)->menu();
    ASSERT_NE(analysis, nullptr);
    emit analysis->aboutToShow();
    QStringList enabled;
    for (QAction* action : analysis->actions())
        if (!action->isSeparator())
            enabled.append(QStringLiteral("%1:%2").arg(action->data().toInt()).arg(action->isEnabled()));
    EXPECT_EQ(enabled, (QStringList{"32910:1", "32913:1", "5795:0", "33631:0"}));
    EXPECT_EQ(frame->OnRefreshToolWindows(ToolWindowKind::Crosstab, 1), 0);
    EXPECT_EQ(frame->OnRefreshToolWindows(ToolWindowKind::CodeMatrix, 2), 0);
    EXPECT_TRUE(app.commands.isEmpty());
}
