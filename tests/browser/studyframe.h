#pragma once

// The main frame over a small study opened from its menu: two documents of
// one group and two codes, nothing activated, the retrieval engine in
// place; helpers that click, double-click and drag in the trees and select
// words in the browser.

#include "app/appids.h"
#include "app/baseview.h"
#include "app/framefixture.h"
#include "browser/browserfixture.h"
#include "browser/codetoolbardlg.h"
#include "foundation/dragobject.h"
#include "panes/newcodedlg.h"
#include "panes/objtreectrl.h"
#include "panes/treepanewindow.h"
#include "retrieval/contextsearchbar.h"
#include "retrieval/retrievalengine.h"
#include "retrieval/segmentsctrl.h"
#include "store/topicdatabase.h"
#include "ui/colourchecklist.h"
#include "ui/dlgbase.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QSignalSpy>
#include <QToolButton>
#include <QTreeView>

namespace browsertest {

const QStringList kStudyText = {QStringLiteral("Bees and honey in the garden."),
                           QStringLiteral("Grandmother kept bees every summer.")};

class StudyFrame : public frametest::FrameTest {
protected:
    /// The study open through the menu with Anna shown in the browser,
    /// after Anna and Honey were activated with Ctrl and a click.
    void OpenAnnaActivated()
    {
        OpenThroughMenu(path);
        ASSERT_EQ(OpenPath(), path) << messages.texts.join(u'\n').toStdString();
        ClickNode(*frame->DocumentTree(), TopicId::Documents, anna, Qt::ControlModifier);
        ClickNode(*frame->CodeTree(), TopicId::Codes, honey, Qt::ControlModifier);
        OpenFromTree(anna);
        ASSERT_EQ(browser().GetShownDocument(), anna);
    }

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
                                                           {DocumentField::Text, doctest::RtfOf(kStudyText)}});
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

    /// Drags a node out of its tree with the mouse and lets it go at a
    /// point of a viewport, as the platform delivers a drag: enter, move,
    /// drop. True when the target took it.
    bool DragNodeTo(CTreePaneBase& tree, qint32 kind, qint32 id, QWidget* target, QPoint at)
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
    /// The same onto the browser's text at a position.
    bool DragNodeToText(CTreePaneBase& tree, qint32 kind, qint32 id, int position)
    {
        return DragNodeTo(tree, kind, id, text().viewport(), PointOfPosition(text(), position));
    }
    /// The same onto another node of the tree.
    bool DragNode(CTreePaneBase& tree, qint32 kind, qint32 id, qint32 targetKind, qint32 targetId)
    {
        return DragNodeTo(tree, kind, id, tree.TreeView()->viewport(), LabelPoint(tree, targetKind, targetId));
    }

    /// Clicks the command in the context menu the frame shows; false when
    /// no menu shows or it has no such command.
    bool ClickContextCommand(int command)
    {
        QMenu* menu = frame->ShownContextMenu();
        if (!menu || !QTest::qWaitForWindowExposed(menu))
            return false;
        for (QAction* action : menu->actions())
            if (action->data().toInt() == command) {
                QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
                return true;
            }
        return false;
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

}  // namespace browsertest
