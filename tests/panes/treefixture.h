#pragma once

// The two trees on a small real project: the project document answers their
// requests through an owner that routes item requests and record reads to
// it, as the frame's router does, and logs every click, menu and drop
// request; the trees are registered first and second, as the frame does.

#include "common/documentowner.h"
#include "document/docfixture.h"
#include "document/listnotifyinfo.h"
#include "document/objectlistregistry.h"
#include "document/requestowner.h"
#include "foundation/dragobject.h"
#include "panes/objtreectrl.h"
#include "panes/treepanewindow.h"
#include "store/topicdatabase.h"

#include <QApplication>
#include <QMimeData>
#include <QTest>
#include <QTreeView>

#include <memory>
#include <string>
#include <vector>

namespace treetest {

/// The shared document owner, with drops answered and clicks, menus and
/// drops logged with their keys: "follow(kind,id,keys)", "menu(...)",
/// "open(...)", "drop(perform,draggedKind,draggedId,targetKind,targetId,keys)".
class DocPaneOwner : public testutil::DocumentOwner {
public:
    explicit DocPaneOwner(CKorDoc& doc) : DocumentOwner(doc) {}

    QString identity = QStringLiteral("project-under-test");
    qint32 dropAnswer = 0;            ///< what drop requests are answered
    std::vector<std::string> requests;
    int stateNotices = 0;             ///< expansions told one at a time
    int expandRuns = 0;               ///< expansions of many nodes told at once
    qint32 countShown = -1;           ///< when set, the count every node answers

    void Request(NotifyHead& record) override
    {
        switch (record.code) {
        case RequestCode::FollowItem:
        case RequestCode::ContextMenu:
        case RequestCode::OpenItem: {
            const auto& info = static_cast<IdListNotifyInfo&>(record);
            const char* name = record.code == RequestCode::FollowItem ? "follow"
                               : record.code == RequestCode::ContextMenu ? "menu" : "open";
            requests.push_back(std::string(name) + '(' + std::to_string(info.kind) + ',' + std::to_string(info.itemId)
                               + ',' + std::to_string(info.modifierKeys) + ')');
            break;
        }
        case RequestCode::Drop: {
            auto& info = static_cast<DropNotifyInfo&>(record);
            requests.push_back("drop(" + std::to_string(int(info.perform)) + ',' + std::to_string(info.draggedKind)
                               + ',' + std::to_string(info.draggedId) + ',' + std::to_string(info.targetKind) + ','
                               + std::to_string(info.targetId) + ',' + std::to_string(info.modifierKeys) + ')');
            info.answer = dropAnswer;
            info.handled = true;
            break;
        }
        default:
            if (record.code == RequestCode::ExpandStates)
                ++expandRuns;
            if (record.code == RequestCode::ItemInfo) {
                const auto& info = static_cast<const ListNotifyInfo&>(record);
                stateNotices += !info.query && (info.mask & ListNotifyMask::State) ? 1 : 0;
            }
            DocumentOwner::Request(record);
            if (record.code == RequestCode::ItemInfo && countShown >= 0) {
                auto& info = static_cast<ListNotifyInfo&>(record);
                if (info.query && (info.mask & ListNotifyMask::Count))
                    info.count = countShown;
            }
            break;
        }
    }
    QString ProjectIdentity() const override { return identity; }
};

/// Both trees on a project of two groups, documents in and out of them, a
/// document set, a code hierarchy and a code set.
class TreeTest : public ::testing::Test {
protected:
    TreeTest() : registryOwner(log), frame(doc, log), owner(doc) {}

    void SetUp() override
    {
        m_savedLocale = QLocale();
        QLocale::setDefault(QLocale::c());
        ASSERT_TRUE(g_pStringStore->Open(testutil::StringTablePath(), 1));
        doc.GetRegistry().SetOwner(&registryOwner);
        doc.SetFrame(&frame);
        for (CTreePaneBase* pane : {static_cast<CTreePaneBase*>(&docTree), static_cast<CTreePaneBase*>(&codeTree)}) {
            pane->SetOwner(&owner);
            pane->resize(300, 240);
            doc.GetRegistry().Register(pane);
        }
        path = dir.file(QStringLiteral("trees.kv4"));
        ASSERT_TRUE(frame.NewCommand(path));
    }
    void TearDown() override
    {
        doc.CloseDatabase();
        g_pStringStore->Close();
        QLocale::setDefault(m_savedLocale);
    }

    TopicDatabase& db() { return doc.GetDatabase(); }
    qint32 Add(qint32 topic, const doctest::FieldValues& values) { return doctest::AddRow(db(), topic, values); }

    /// The project of the tests, announced to the trees by opening it again.
    void BuildProject()
    {
        groupA = Add(TopicId::DocumentGroups,
                     {{GroupField::Name, QStringLiteral("Interviews")}, {GroupField::State, ObjectState::Expanded}});
        groupB = Add(TopicId::DocumentGroups, {{GroupField::Name, QStringLiteral("Notes")}});
        const auto document = [this](qint32 group, const QString& name) {
            return Add(TopicId::Documents, {{DocumentField::GroupID, group}, {DocumentField::Name, name}});
        };
        docLoose = document(0, QStringLiteral("Loose page"));
        docA1 = document(groupA, QStringLiteral("Anna"));
        docA2 = document(groupA, QStringLiteral("Ben"));
        docB1 = document(groupB, QStringLiteral("Field note"));
        docSet = Add(TopicId::DocumentSets,
                     {{GroupField::Name, QStringLiteral("Women")}, {GroupField::State, ObjectState::Expanded}});
        docMember = Add(TopicId::DocumentSetMembers, {{SetMemberField::SetID, docSet}, {SetMemberField::ObjectID, docA1}});
        const auto code = [this](const QString& name, qint32 parent, qint32 colour, qint32 codings = 0) {
            return Add(TopicId::Codes, {{CodeField::Name, name},
                                        {CodeField::Codes, codings},
                                        {CodeField::Parent, parent},
                                        {CodeField::Type, colour},
                                        {CodeField::State, ObjectState::Expanded},
                                        {CodeField::Author, QStringLiteral("ana")}});
        };
        codeEmotions = code(QStringLiteral("Emotions"), 0, 0);
        codeJoy = code(QStringLiteral("Joy"), codeEmotions, 3, 3);
        codeFear = code(QStringLiteral("Fear"), codeEmotions, 4);
        codeFearNight = code(QStringLiteral("At night"), codeFear, 0);
        codePlaces = code(QStringLiteral("Places"), 0, 2);
        codeSet = Add(TopicId::CodeSets, {{GroupField::Name, QStringLiteral("Feelings")}});
        codeSetB = Add(TopicId::CodeSets, {{GroupField::Name, QStringLiteral("Other")}});
        codeMember = Add(TopicId::CodeSetMembers, {{SetMemberField::SetID, codeSet}, {SetMemberField::ObjectID, codeFear}});
        codeMember2 = Add(TopicId::CodeSetMembers, {{SetMemberField::SetID, codeSet}, {SetMemberField::ObjectID, codeJoy}});
        Reopen();
    }
    void Reopen()
    {
        frame.ExitCommand();
        ASSERT_TRUE(frame.OpenCommand(path));
    }

    /// The tree as lines "<indent>name [count]", roots included; "x" marks
    /// an activated node.
    QStringList Lines(CTreePaneBase& pane)
    {
        QStringList lines;
        const auto add = [&](TreeNode* node) {
            ListNotifyInfo info;
            info.itemId = node->Id();
            info.topic = node->kind;
            info.mask = ListNotifyMask::Name;
            info.query = true;
            doc.HandleItemQuery(info);
            lines.append(QString(node->Depth() * 2, QLatin1Char(' ')) + info.name + (node->checked ? " x" : ""));
        };
        for (TreeNode* root : {pane.FirstRoot(), pane.SecondRoot()}) {
            add(root);
            CIdTreeModel::Walk(root, add);
        }
        return lines;
    }
    /// A new memo of the title attached to the code; 0 when it could not be.
    qint32 AttachMemo(qint32 code, const QString& title)
    {
        const qint32 memo = Add(TopicId::Memos, {{MemoField::Title, title}});
        RowBuffer row;
        FieldValue value;
        if (memo <= 0 || !db().ReadRow(TopicId::Codes, code, row, false) || !row.GetFieldValue(CodeField::MemoID, value))
            return 0;
        value.SetInt(memo);
        return row.Commit(false, false) ? memo : 0;
    }
    QString StoredValue(qint32 topic, qint32 key, qint32 field)
    {
        return doctest::ValueOf(db(), topic, key, field);
    }

    /// The centre of a node's label in the tree's viewport.
    QPoint LabelPoint(CTreePaneBase& pane, qint32 kind, qint32 id)
    {
        TreeNode* node = pane.FindNode(kind, id);
        EXPECT_TRUE(node) << kind << ":" << id;
        if (!node)
            return {};
        pane.TreeView()->scrollTo(pane.Model().IndexOf(node));
        const QRect text = pane.NodeTextRect(node);
        return QPoint(text.left() + 10, text.center().y());
    }
    QWidget* Viewport(CTreePaneBase& pane) { return pane.TreeView()->viewport(); }

    /// Drops the payload on the viewport point as the platform delivers a
    /// drag: enter, move, drop. True when the tree took the drop.
    bool DeliverDrop(CTreePaneBase& pane, const CDragObject& payload, const QString& identity, QPoint at,
                     Qt::KeyboardModifiers keys = Qt::NoModifier)
    {
        return DeliverDropOn(Viewport(pane), payload, identity, at, keys);
    }
    /// The same on any widget that takes drops.
    bool DeliverDropOn(QWidget* viewport, const CDragObject& payload, const QString& identity, QPoint at,
                       Qt::KeyboardModifiers keys = Qt::NoModifier)
    {
        std::unique_ptr<QMimeData> data = payload.CreateMimeData(identity);
        const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
        QDragEnterEvent enter(at, actions, data.get(), Qt::LeftButton, keys);
        QApplication::sendEvent(viewport, &enter);
        QDragMoveEvent move(at, actions, data.get(), Qt::LeftButton, keys);
        QApplication::sendEvent(viewport, &move);
        if (!move.isAccepted()) {
            QDragLeaveEvent leave;
            QApplication::sendEvent(viewport, &leave);
            return false;
        }
        QDropEvent drop(QPointF(at), move.dropAction(), data.get(), Qt::LeftButton, keys);
        QApplication::sendEvent(viewport, &drop);
        return drop.isAccepted();
    }

    /// Drags a node with the mouse onto another node of the same tree: press
    /// on the dragged node's label, move past the drag distance, and the
    /// payload the tree offered is dropped on the target.
    bool DragNode(CTreePaneBase& pane, qint32 kind, qint32 id, qint32 targetKind, qint32 targetId,
                  Qt::KeyboardModifiers keys = Qt::NoModifier)
    {
        std::unique_ptr<CDragObject> offered;
        QString offeredIdentity;
        pane.SetDragRunner([&](const CDragObject& payload, const QString& identity) {
            offered = std::make_unique<CDragObject>(payload);
            offeredIdentity = identity;
            return Qt::MoveAction;
        });
        const QPoint from = LabelPoint(pane, kind, id);
        QTest::mousePress(Viewport(pane), Qt::LeftButton, {}, from);
        QTest::mouseMove(Viewport(pane), from + QPoint(QApplication::startDragDistance() + 8, 3));
        QTest::mouseRelease(Viewport(pane), Qt::LeftButton, {}, from + QPoint(QApplication::startDragDistance() + 8, 3));
        pane.SetDragRunner({});
        if (!offered) {
            ADD_FAILURE() << "no drag started";
            return false;
        }
        EXPECT_EQ(offered->m_kind, kind);
        EXPECT_EQ(offered->m_id, id);
        return DeliverDrop(pane, *offered, offeredIdentity, LabelPoint(pane, targetKind, targetId), keys);
    }

    testutil::TempDir dir;
    testutil::CallLog log;
    testutil::RecordingOwner registryOwner;
    testutil::ScriptedMessages messages;
    CKorDoc doc;
    doctest::FakeFrame frame;
    DocPaneOwner owner;
    TreePaneWindow docTree;
    CObjTreeCtrl codeTree;
    QString path;

    qint32 groupA = 0, groupB = 0, docLoose = 0, docA1 = 0, docA2 = 0, docB1 = 0, docSet = 0, docMember = 0;
    qint32 codeEmotions = 0, codeJoy = 0, codeFear = 0, codeFearNight = 0, codePlaces = 0;
    qint32 codeSet = 0, codeSetB = 0, codeMember = 0, codeMember2 = 0;

private:
    QLocale m_savedLocale;
};

}  // namespace treetest
