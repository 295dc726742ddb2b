#pragma once

#include "panes/treepanebase.h"

#include <QList>

#include <array>

/// @short The pane of the document system: document groups with their
/// documents and the documents of no group under the documents root,
/// document sets with their members under the document-sets root.
///
/// Node kinds: 1 documents root, 3 document-sets root, 2 group, 5 document,
/// 4 set, 6 set member (its id is the member's own). The documents of no
/// group always stand before the first group. A document directly under
/// the root carries its id negated as item data. A move the owner refuses
/// is undone.
class TreePaneWindow : public CTreePaneBase {
    Q_OBJECT
public:
    enum Command : int {
        EditDocumentFilter = 20117,
        Export = 612,
        Print = 600,
        DocumentSearch = 20166,
    };

    explicit TreePaneWindow(QWidget* parent = nullptr);

    bool IsShown(qint32 topic, qint32 id) override;
    bool OnObjectsAdded(qint32 topic, const QList<quint32>& ids, qint32 parentTopic, qint32 parentId) override;
    bool OnObjectAdded(qint32 topic, qint32 id, qint32 after, qint32 parentTopic, qint32 parentId,
                       bool select) override;
    bool BeginEditLabel(qint32 topic, qint32 id) override;
    void OnObjectDeleted(qint32 topic, qint32 id) override;
    void ExpandObject(qint32, qint32) override {}
    void SortChildren(qint32 topic, qint32 id, qint32 flag) override;

    std::array<int, kButtonSlots> CaptionCommands() const override
    {
        return {0, 0, 0, EditDocumentFilter, Export, Print, DocumentSearch};
    }
    /// The documents' colour filter goes to the frame's dialog; every other
    /// command is passed on.
    void OnCaptionCommand(int commandId) override;
    bool AcceptsShellFiles() const override { return true; }

    /// Ids of all documents in tree order: those of no group, then each
    /// group's in turn; sets are not included.
    QList<qint32> GetDocumentsInTreeOrder() const;
    QList<qint32> GetGroupDocuments(qint32 group) const;
    /// The member ids under one set, in tree order.
    QList<qint32> GetSetDocuments(qint32 set) const;

protected:
    qint32 FirstRootKind() const override;
    qint32 SecondRootKind() const override;
    quint32 QueryMask(qint32 kind) const override;
    bool HasCheckBox(qint32 kind) const override;
    bool IsDragSource(const TreeNode* node) const override;
    Qt::DropAction DropEffect(qint32 draggedKind, qint32 draggedId, TreeNode* target, int keys,
                              QPoint screenPos) override;
    bool ApplyDrop(qint32 draggedKind, qint32 draggedId, TreeNode* target, int keys, QPoint screenPos) override;
    QString ObjectTip(const TreeNode* node, QSize& size) override;
    QList<ExportRow> ExportRows(bool withMemos) override;
    ExportStyle GetExportStyle() const override;
    bool HasMemoTip(qint32) const override { return true; }
    /// Renaming is not asked first here: the owner refuses a bad name.
    bool MayRename(const TreeNode*) override { return true; }

private:
    enum class DropAction { None, AskOwner, GroupFirst, GroupBehind, DocumentFirst, DocumentIntoGroup, SetFirst,
                            SetBehind, MemberFirst, DocumentBehind, MemberBehind };
    struct DropPlan {
        DropAction action = DropAction::None;
        qint32 targetKind = 0;   ///< for AskOwner: the target named in the request
        qint32 targetId = 0;
    };
    DropPlan Classify(qint32 draggedKind, qint32 draggedId, const TreeNode* target, int keys) const;
    /// Documents of no group: they stand first under the documents root.
    int UngroupedCount() const;
    /// Moves a document under the root (item data negated) or a group, and
    /// tells the owner when its group changed; undone when refused.
    bool MoveDocument(TreeNode* document, TreeNode* parent, int position);
    bool MoveMember(TreeNode* member, TreeNode* set, int position);
};
