#pragma once

#include <QList>
#include <QPoint>
#include <QtGlobal>
#include <qnamespace.h>

class RequestOwner;
class ObjectListRegistry;
class QObject;
struct ListNotifyInfo;
struct NotifyHead;

/// @short A window that shows project objects and is told of every change
/// through an ObjectListRegistry.
///
/// Objects are named by (topic, id): a topic of the project, or a tree node
/// kind that is no table (1 documents root, 3 document-sets root, 7 code-system
/// root, 23 code-sets root) with id 0. Concrete windows derive from a widget
/// class and from this interface; the interface holds no widget itself.
///
/// Ownership: a pane never belongs to the registry. Its destructor leaves the
/// registry, so a registry never calls a destroyed pane. A derived pane whose
/// own tear-down can start a broadcast (storing, closing tabs) calls
/// LeaveRegistry() first thing in its own destructor, since by the time this
/// base destructor runs the derived part is already gone.
class CPaneWnd {
public:
    CPaneWnd() = default;
    CPaneWnd(const CPaneWnd&) = delete;
    CPaneWnd& operator=(const CPaneWnd&) = delete;
    virtual ~CPaneWnd();

    /// The registry this pane is registered with, null while it is not.
    ObjectListRegistry* GetRegistry() const { return m_pRegistry; }
    /// Unregisters the pane when it is registered; safe during a broadcast.
    void LeaveRegistry();

    // ---- Requests to the owner ----------------------------------------------
    // Every request is synchronous: its answer is in the record when the call
    // returns. Without an owner nothing is sent and the request is unanswered.

    /// The window the pane's requests go to; not owned, null for none.
    void SetOwner(RequestOwner* owner) { m_pOwner = owner; }
    RequestOwner* GetOwner() const { return m_pOwner; }
    /// The id the pane's requests carry as their control id.
    void SetControlId(qint32 id) { m_controlId = id; }
    qint32 GetControlId() const { return m_controlId; }

    /// Stamps the head (sender, control id) and hands the record to the
    /// owner. False when there is no owner.
    bool SendToOwner(NotifyHead& record);
    /// Asks the owner about an item: sets the query flag, clears handled and
    /// the colour answer. The handled flag as the owner left it.
    bool QueryOwner(ListNotifyInfo& info);
    /// Tells the owner what happened to an item in the pane (rename, move,
    /// expansion, order): clears the query and handled flags. The handled
    /// flag as the owner left it.
    bool NotifyOwner(ListNotifyInfo& info);
    /// A drop request: with perform false the owner answers the drop effect
    /// it would accept, with it true it performs the drop. The owner's answer
    /// when it handled the request, else 0.
    qint32 RequestDrop(bool perform, QPoint screenPos, qint32 modifierKeys, qint32 draggedKind, qint32 draggedId,
                       qint32 targetKind, qint32 targetId);

    // The operations in slot order. Only IsShown has a body; every concrete
    // pane answers the rest (false, 0 or nothing when it has nothing to do).

    /// True when the pane shows the object, or a root of that kind, so that
    /// children may be added under it or it may be renamed or sorted there.
    virtual bool IsShown(qint32 topic, qint32 id);
    /// Several objects of one topic were created under one parent: add them
    /// in list order, each as OnObjectAdded with after -1 and select false.
    virtual bool OnObjectsAdded(qint32 topic, const QList<quint32>& ids, qint32 parentTopic,
                                qint32 parentId) = 0;
    /// The project is closing: drop every node, row and id map.
    virtual void ResetContent() = 0;
    /// One object was created or re-inserted under the parent, behind the
    /// sibling `after` (0 = first child, negative = last child); select
    /// expands the parent and selects the new node. False when the pane did
    /// not place it.
    virtual bool OnObjectAdded(qint32 topic, qint32 id, qint32 after, qint32 parentTopic,
                               qint32 parentId, bool select) = 0;
    /// Starts renaming the object's node in place; id -1 with the pane's own
    /// node topic means the selected node. True when editing started.
    virtual bool BeginEditLabel(qint32 topic, qint32 id) = 0;
    /// The object is gone: remove its node with its subtree and its id entry.
    virtual void OnObjectDeleted(qint32 topic, qint32 id) = 0;
    /// The object's text, image, check state or flags changed: ask again.
    virtual void OnObjectChanged(qint32 topic, qint32 id) = 0;
    virtual void ExpandObject(qint32 topic, qint32 id) = 0;
    /// Re-sorts the children of the object, or of a root when id is 0; the
    /// flag is the sort direction the command passed.
    virtual void SortChildren(qint32 topic, qint32 id, qint32 flag) = 0;
    /// A drag moves over the pane at a point in screen coordinates; answers
    /// the drop effect it would accept (Qt::DropAction values: 0 none,
    /// 1 copy, 2 move, 4 link).
    virtual Qt::DropAction OnDragOver(qint32 draggedKind, qint32 draggedId, QPoint screenPos) = 0;
    /// Removes drop highlight and insert mark.
    virtual void OnDragLeave() = 0;
    /// The drag was dropped at a point in screen coordinates; true when taken.
    virtual bool OnDrop(qint32 draggedKind, qint32 draggedId, QPoint screenPos) = 0;
    /// Scrolls one line while a drag rests near an edge. Low byte horizontal
    /// (0xFF none), high byte vertical (0 up, 1 down): 255 up, 511 down.
    virtual void DragScroll(qint32 scrollCode) = 0;
    /// Offers to show or open the object; mode is passed through from the
    /// document. True when this pane took it.
    virtual bool ShowDocument(qint32 topic, qint32 id, qint32 mode) = 0;
    /// Makes the object's node or row visible and selected; the flag is 1
    /// only for media marks, whose stretch the browser then selects.
    virtual void SelectObject(qint32 topic, qint32 id, qint32 flag) = 0;

protected:
    /// The widget that stands for the pane as the sender of its requests.
    virtual QObject* RequestSender() { return nullptr; }

private:
    friend class ObjectListRegistry;
    ObjectListRegistry* m_pRegistry = nullptr;   // set and cleared by the registry only
    RequestOwner* m_pOwner = nullptr;
    qint32 m_controlId = 0;
};
