// The main road through the real frame: a project opened from the menu,
// a document and a code activated in the trees, the document opened in the
// browser, words selected with the mouse and coded by a drop from the code
// tree, the quick-code list, the code tool window and a new code; each
// coding shows as a stripe and, where it belongs in the retrieval, as a
// retrieved segment.

#include "app/appids.h"
#include "app/baseview.h"
#include "app/framefixture.h"
#include "browser/browserfixture.h"
#include "browser/codetoolbardlg.h"
#include "browser/colourchecklist.h"
#include "foundation/dragobject.h"
#include "panes/newcodedlg.h"
#include "panes/objtreectrl.h"
#include "panes/treepanewindow.h"
#include "retrieval/contextsearchbar.h"
#include "retrieval/retrievalengine.h"
#include "retrieval/segmentsctrl.h"
#include "ui/dlgbase.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QSignalSpy>
#include <QToolButton>
#include <QTreeView>

namespace {

using browsertest::PointOfPosition;
using browsertest::SelectWordAt;

const QStringList kText = {QStringLiteral("Bees and honey in the garden."),
                           QStringLiteral("Grandmother kept bees every summer.")};

class MainRoad : public frametest::FrameTest {
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        document.SetRetrievalService(&engine);
        path = dir.file(QStringLiteral("Study.kv4"));
        // The study as it was left: nothing activated.
        CKorDoc maker;
        ASSERT_TRUE(maker.OpenProject(maker.CreateProjectFile(path, QStringLiteral("MAIN")), false));
        TopicDatabase& store = maker.GetDatabase();
        const qint32 group = doctest::AddRow(store, TopicId::DocumentGroups,
                                             {{GroupField::Name, QStringLiteral("Interviews")},
                                              {GroupField::State, ObjectState::Expanded}});
        anna = doctest::AddRow(store, TopicId::Documents, {{DocumentField::GroupID, group},
                                                           {DocumentField::Name, QStringLiteral("Anna")},
                                                           {DocumentField::Text, doctest::RtfOf(kText)}});
        ben = doctest::AddRow(store, TopicId::Documents,
                              {{DocumentField::GroupID, group},
                               {DocumentField::Name, QStringLiteral("Ben")},
                               {DocumentField::Text, doctest::RtfOf({QStringLiteral("Bees? No bees here, only bees.")})}});
        honey = doctest::AddRow(store, TopicId::Codes, {{CodeField::Name, QStringLiteral("Honey")}, {CodeField::Type, 3}});
        bees = doctest::AddRow(store, TopicId::Codes, {{CodeField::Name, QStringLiteral("Bees")}, {CodeField::Type, 4}});
        maker.CloseDatabase();
        ShowFrame();
    }
    void TearDown() override
    {
        if (frame && frame->CodeToolWindow())
            frame->CodeToolWindow()->close();
        FrameTest::TearDown();
    }

    TextCoderWindow& browser() { return *frame->BrowserWindow(); }
    CSideColumnG& text() { return *browser().TextControl(); }
    int At(const QString& word) { return int(text().TextMap().text().indexOf(word)); }

    /// The centre of a node's label in its tree's viewport.
    static QPoint LabelPoint(CTreePaneBase& tree, qint32 kind, qint32 id)
    {
        TreeNode* node = tree.FindNode(kind, id);
        EXPECT_TRUE(node) << kind << ":" << id;
        if (!node)
            return {};
        tree.TreeView()->scrollTo(tree.Model().IndexOf(node));
        const QRect label = tree.NodeTextRect(node);
        return QPoint(label.left() + 10, label.center().y());
    }
    static void ClickNode(CTreePaneBase& tree, qint32 kind, qint32 id, Qt::KeyboardModifiers keys = {})
    {
        QTest::mouseClick(tree.TreeView()->viewport(), Qt::LeftButton, keys, LabelPoint(tree, kind, id));
    }

    /// Drags a node out of its tree with the mouse and lets it go over the
    /// browser's text at a position, as the platform delivers a drag: enter,
    /// move, drop. True when the browser took it.
    bool DragNodeToText(CTreePaneBase& tree, qint32 kind, qint32 id, int position)
    {
        std::unique_ptr<CDragObject> offered;
        QString identity;
        tree.SetDragRunner([&](const CDragObject& payload, const QString& project) {
            offered = std::make_unique<CDragObject>(payload);
            identity = project;
            return Qt::MoveAction;
        });
        QWidget* from = tree.TreeView()->viewport();
        const QPoint start = LabelPoint(tree, kind, id);
        const QPoint away = start + QPoint(QApplication::startDragDistance() + 8, 3);
        QTest::mousePress(from, Qt::LeftButton, {}, start);
        QTest::mouseMove(from, away);
        QTest::mouseRelease(from, Qt::LeftButton, {}, away);
        tree.SetDragRunner({});
        if (!offered)
            return false;
        const std::unique_ptr<QMimeData> data = offered->CreateMimeData(identity);
        QWidget* target = text().viewport();
        const QPoint at = PointOfPosition(text(), position);
        const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
        QDragEnterEvent enter(at, actions, data.get(), Qt::LeftButton, {});
        QApplication::sendEvent(target, &enter);
        QDragMoveEvent move(at, actions, data.get(), Qt::LeftButton, {});
        QApplication::sendEvent(target, &move);
        if (!move.isAccepted())
            return false;
        QDropEvent drop(QPointF(at), move.dropAction(), data.get(), Qt::LeftButton, {});
        QApplication::sendEvent(target, &drop);
        return drop.isAccepted();
    }

    /// The stripes as "code start-end", in the browser's order.
    QStringList Stripes()
    {
        QStringList stripes;
        for (int i = 0; i < browser().GetStripeCount(); ++i) {
            const CodingRecord& row = browser().StripeAt(i).row;
            stripes.append(QStringLiteral("%1 %2-%3").arg(row.WordID).arg(row.StartChar).arg(row.FinishChar));
        }
        stripes.sort();
        return stripes;
    }
    QList<qint32> Retrieved()
    {
        QList<qint32> ids;
        frame->Segments()->GetSegmentIds(ids);
        return ids;
    }
    /// The codings of the project as "code start-end", sorted.
    QStringList Codings()
    {
        QList<qint32> keys;
        db().GetAllKeys(TopicId::Codings, keys);
        QStringList codings;
        for (const qint32 key : keys)
            codings.append(QStringLiteral("%1 %2-%3")
                               .arg(db().GetIntValue(TopicId::Codings, key, CodingField::Code))
                               .arg(db().GetIntValue(TopicId::Codings, key, CodingField::StartChar))
                               .arg(db().GetIntValue(TopicId::Codings, key, CodingField::FinishChar)));
        codings.sort();
        return codings;
    }
    static QStringList Sorted(QStringList list)
    {
        list.sort();
        return list;
    }
    void OpenFromTree(qint32 id)
    {
        CTreePaneBase& documents = *frame->DocumentTree();
        QTest::mouseDClick(documents.TreeView()->viewport(), Qt::LeftButton, {},
                           LabelPoint(documents, TopicId::Documents, id));
    }
    QString Coding(qint32 code, const QString& word)
    {
        return QStringLiteral("%1 %2-%3").arg(code).arg(At(word)).arg(At(word) + word.size());
    }

    retrieval::RetrievalEngine engine;
    QString path;
    qint32 anna = 0;
    qint32 ben = 0;
    qint32 honey = 0;
    qint32 bees = 0;
};

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
    ASSERT_EQ(text().TextMap().text(), kText.join(QLatin1Char('\r')));

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
    QMenu* menu = frame->ShownContextMenu();
    ASSERT_TRUE(menu);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
    QAction* toToolWindow = nullptr;
    for (QAction* action : menu->actions())
        if (action->data().toInt() == BrowserCommand::CodesToToolWindow)
            toToolWindow = action;
    ASSERT_TRUE(toToolWindow);
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(toToolWindow).center());
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
    OpenThroughMenu(path);
    ASSERT_EQ(OpenPath(), path);
    CTreePaneBase& codes = *frame->CodeTree();
    ClickNode(*frame->DocumentTree(), TopicId::Documents, anna, Qt::ControlModifier);
    ClickNode(codes, TopicId::Codes, honey, Qt::ControlModifier);
    QTest::mouseDClick(frame->DocumentTree()->TreeView()->viewport(), Qt::LeftButton, {},
                       LabelPoint(*frame->DocumentTree(), TopicId::Documents, anna));
    ASSERT_EQ(browser().GetShownDocument(), anna);
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
    OpenThroughMenu(path);
    ASSERT_EQ(OpenPath(), path);
    OpenFromTree(anna);
    ASSERT_EQ(browser().GetShownDocument(), anna);
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

}  // namespace
