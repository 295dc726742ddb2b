// The frame's document file import: the command in the menus of the
// documents root and of a group, and files dropped from the desktop on the
// document tree.

#include "app/appids.h"
#include "app/contextmenus.h"
#include "document/documentfileimport.h"
#include "framefixture.h"
#include "panes/treepanewindow.h"

#include <QDropEvent>
#include <QMimeData>
#include <QTreeView>
#include <QUrl>

using namespace frametest;

namespace {

class DocumentImportWiring : public FrameTest {
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        ShowFrame();
        OpenThroughMenu(MakeProject(QStringLiteral("Import.kv4")));
        ASSERT_NE(frame->GetDocument(), nullptr) << messages.texts.join(u'\n').toStdString();
        group = document.NewDocumentGroupNamed(QStringLiteral("Interviews"));
        ASSERT_TRUE(QDir().mkpath(dir.file(QStringLiteral("desk/Folder"))));
        ASSERT_TRUE(testutil::WriteFile(dir.file(QStringLiteral("desk/one.txt")), "one"));
        ASSERT_TRUE(testutil::WriteFile(dir.file(QStringLiteral("desk/Folder/two.txt")), "two"));
    }
    CTreePaneBase* Tree() const { return frame->DocumentTree(); }
    /// Names of the documents of a group, in key order.
    QStringList DocumentsOf(qint32 groupId)
    {
        QList<qint32> keys;
        db().GetAllKeys(TopicId::Documents, keys);
        QStringList names;
        for (const qint32 key : keys)
            if (document.GetDocumentGroup(key) == groupId)
                names.append(db().FormatRowDisplay(TopicId::Documents, key, false));
        return names;
    }
    qint32 GroupNamed(const QString& name)
    {
        QList<qint32> keys;
        db().GetAllKeys(TopicId::DocumentGroups, keys);
        for (const qint32 key : keys)
            if (db().FormatRowDisplay(TopicId::DocumentGroups, key, false) == name)
                return key;
        return 0;
    }

    qint32 group = 0;
};

}  // namespace

TEST_F(DocumentImportWiring, TheCommandOfAGroupAsksForFilesAndImportsThemThere)
{
    QMenu* menu = RightClick(NodeKind::DocumentGroup, group, PaneControlId::DocumentTree);
    ASSERT_NE(menu, nullptr);
    QAction* chosen = nullptr;
    for (QAction* action : menu->actions())
        if (action->data().toInt() == TreeCommand::ImportDocuments)
            chosen = action;
    ASSERT_NE(chosen, nullptr);
    EXPECT_EQ(chosen->text(), LoadString(TreeCommand::ImportDocuments));
    messages.files.append({dir.file(QStringLiteral("desk/one.txt"))});
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(chosen).center());
    QCoreApplication::processEvents();
    ASSERT_EQ(messages.prompts.size(), 2);  // the project's, then the import's
    EXPECT_EQ(messages.prompts.last().kind, FilePromptKind::OpenFiles);
    EXPECT_TRUE(messages.prompts.last().filter.contains(QStringLiteral("*.docx"))) << messages.prompts.last().filter.toStdString();
    EXPECT_EQ(DocumentsOf(group), QStringList{QStringLiteral("one")});

    // The documents root offers it too; a cancelled prompt imports nothing.
    menu = RightClick(NodeKind::DocumentsRoot, 0, PaneControlId::DocumentTree);
    ASSERT_NE(menu, nullptr);
    chosen = nullptr;
    for (QAction* action : menu->actions())
        if (action->data().toInt() == TreeCommand::ImportDocuments)
            chosen = action;
    ASSERT_NE(chosen, nullptr);
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(chosen).center());
    QCoreApplication::processEvents();
    EXPECT_EQ(messages.prompts.size(), 3);
    EXPECT_EQ(DocumentsOf(0), QStringList{});
}

TEST_F(DocumentImportWiring, FilesDroppedOnAGroupGoIntoIt)
{
    QTreeView* view = Tree()->TreeView();
    const TreeNode* node = Tree()->FindNode(NodeKind::DocumentGroup, group);
    ASSERT_NE(node, nullptr);
    const QPoint at = Tree()->NodeRect(node).center();

    // As the desktop sends it: a list of file addresses.
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(dir.file(QStringLiteral("desk/one.txt"))),
                  QUrl::fromLocalFile(dir.file(QStringLiteral("desk/Folder")))});
    ASSERT_TRUE(data.hasFormat(QStringLiteral("text/uri-list")));
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(view->viewport(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDragMoveEvent move(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(view->viewport(), &move);
    EXPECT_TRUE(move.isAccepted());
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(view->viewport(), &drop);
    EXPECT_TRUE(drop.isAccepted());

    // The import runs once the drop has ended.
    EXPECT_TRUE(QTest::qWaitFor([&] { return !DocumentsOf(group).isEmpty(); }, 5000));
    EXPECT_EQ(DocumentsOf(group), QStringList{QStringLiteral("one")});
    const qint32 folder = GroupNamed(QStringLiteral("Folder"));
    ASSERT_NE(folder, 0);
    EXPECT_EQ(DocumentsOf(folder), QStringList{QStringLiteral("two")});

    // Addresses that are no local files are refused.
    QMimeData web;
    web.setUrls({QUrl(QStringLiteral("https://example.org/a.pdf"))});
    QDragEnterEvent refused(at, Qt::CopyAction, &web, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(view->viewport(), &refused);
    EXPECT_FALSE(refused.isAccepted());
}
