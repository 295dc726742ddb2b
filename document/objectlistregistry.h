#pragma once

#include <QList>
#include <QtGlobal>

#include <vector>

class CPaneWnd;
class RegistryOwner;

/// @short The panes and list windows of the open project, and the broadcasts
/// by which the project document tells them of every change.
///
/// The project document holds one registry for the life of the program. It
/// owns neither its panes (they belong to the frame and the list windows)
/// nor its owner (the frame, which receives the hooks after the panes).
/// Panes leave in their destructor; the registry's destructor detaches the
/// panes still registered, so they never reach a destroyed registry.
///
/// Every walk visits the panes in registration order and reads the number of
/// panes again before each step, so a pane registered during a broadcast is
/// reached by it. A pane unregistered during a broadcast (itself or another,
/// for example a list window closing itself) is not called again: its entry
/// is cleared and the list compacted when the outermost broadcast ends.
/// Broadcasts may nest (a pane's handler may make the document broadcast).
/// UI thread only.
class ObjectListRegistry {
public:
    ObjectListRegistry() = default;
    ObjectListRegistry(const ObjectListRegistry&) = delete;
    ObjectListRegistry& operator=(const ObjectListRegistry&) = delete;
    ~ObjectListRegistry();

    /// Null until the frame sets itself; every owner hook is skipped while null.
    void SetOwner(RegistryOwner* owner) { m_pOwner = owner; }
    RegistryOwner* GetOwner() const { return m_pOwner; }

    /// Appends the pane. False for null; true (and no second entry) when it
    /// is already registered. A pane registered elsewhere leaves that registry.
    bool Register(CPaneWnd* pane);
    /// False when the pane is not registered.
    bool Unregister(CPaneWnd* pane);
    /// Position among the registered panes, -1 when absent.
    int IndexOf(const CPaneWnd* pane) const;
    int GetCount() const;

    /// The project closed: every pane drops its content, then the owner
    /// empties its quick-code list.
    void ResetAll();
    /// Asks the owner to rebuild the shared list font.
    void RefreshOwner();

    /// Objects of one topic created under one parent: every pane that shows
    /// the parent adds them. Always true.
    bool NotifyAddedMany(qint32 topic, const QList<quint32>& ids, qint32 parentTopic,
                         qint32 parentId);
    /// One object created under a parent: every pane that shows the parent is
    /// offered it. True when at least one pane placed it.
    bool NotifyAdded(qint32 topic, qint32 id, qint32 after, qint32 parentTopic, qint32 parentId,
                     bool select);
    /// Asks the panes that show the object, in turn, to start renaming it;
    /// stops at the first that does. True when one did.
    bool BeginEditLabel(qint32 topic, qint32 id);
    /// Every pane removes the object, then the owner's removal hook runs.
    /// Always true.
    bool NotifyDeleted(qint32 topic, qint32 id);
    /// Every pane re-reads the object, then the owner's change hook runs.
    /// The hook's answer; false without owner.
    bool NotifyChange(qint32 topic, qint32 id);
    /// Every pane that shows the object re-sorts its children.
    void SortChildren(qint32 topic, qint32 id, qint32 flag);
    /// Offers the object to each pane in turn; stops at the first that takes
    /// it. True when one did.
    bool ShowDocument(qint32 topic, qint32 id, qint32 mode);
    /// Every pane selects the object. The number of panes called.
    int SelectObject(qint32 topic, qint32 id, qint32 flag);

    /// While held, every broadcast above reaches neither pane nor owner:
    /// for a long change in one transaction that announces itself once it
    /// is committed (and not at all when it rolls back).
    void SetHeld(bool held) { m_held = held; }
    bool IsHeld() const { return m_held; }

private:
    /// Calls visit(pane) for each live pane, in order, until it answers true;
    /// true when one did.
    template <typename Visit>
    bool Walk(Visit visit);

    std::vector<CPaneWnd*> m_panes;   // registration order; null = left during a walk
    RegistryOwner* m_pOwner = nullptr;
    int m_walkDepth = 0;              // broadcasts under way (they nest)
    bool m_held = false;
};
