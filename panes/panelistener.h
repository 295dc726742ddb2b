#pragma once

#include "document/panewnd.h"

#include <QPointer>

class ObjectListCtrl;
class QWidget;

/// @short Keeps an object list current: a registered pane that turns the
/// document's broadcasts into row operations on its host list. It does
/// nothing while the host is null; it never empties the list when the
/// project closes (the frame closes the list windows then).
class PaneListener : public CPaneWnd {
public:
    PaneListener() = default;
    ~PaneListener() override { LeaveRegistry(); }

    void SetHost(ObjectListCtrl* host) { m_host = host; }
    ObjectListCtrl* Host() const { return m_host; }

    bool IsShown(qint32 topic, qint32 id) override;
    bool OnObjectsAdded(qint32 topic, const QList<quint32>& ids, qint32 parentTopic, qint32 parentId) override;
    void ResetContent() override {}
    bool OnObjectAdded(qint32 topic, qint32 id, qint32 after, qint32 parentTopic, qint32 parentId,
                       bool select) override;
    bool BeginEditLabel(qint32, qint32) override { return false; }
    void OnObjectDeleted(qint32 topic, qint32 id) override;
    void OnObjectChanged(qint32 topic, qint32 id) override;
    void ExpandObject(qint32, qint32) override {}
    void SortChildren(qint32, qint32, qint32) override {}
    Qt::DropAction OnDragOver(qint32, qint32, QPoint) override { return Qt::IgnoreAction; }
    void OnDragLeave() override {}
    bool OnDrop(qint32, qint32, QPoint) override { return false; }
    void DragScroll(qint32) override {}
    bool ShowDocument(qint32, qint32, qint32) override { return false; }
    void SelectObject(qint32 topic, qint32 id, qint32 flag) override;

private:
    /// Whether an addition of the topic under that parent belongs to the host.
    bool TakesAddition(qint32 topic, qint32 parentTopic, qint32 parentId) const;

    QPointer<ObjectListCtrl> m_host;
};

/// @short Closes its host window as soon as the project closes (the
/// registry resets); hears nothing else.
class CloseOnResetListener : public CPaneWnd {
public:
    CloseOnResetListener() = default;
    ~CloseOnResetListener() override { LeaveRegistry(); }

    void SetHost(QWidget* host) { m_host = host; }
    QWidget* Host() const { return m_host; }

    bool IsShown(qint32, qint32) override { return false; }
    bool OnObjectsAdded(qint32, const QList<quint32>&, qint32, qint32) override { return false; }
    void ResetContent() override;
    bool OnObjectAdded(qint32, qint32, qint32, qint32, qint32, bool) override { return false; }
    bool BeginEditLabel(qint32, qint32) override { return false; }
    void OnObjectDeleted(qint32, qint32) override {}
    void OnObjectChanged(qint32, qint32) override {}
    void ExpandObject(qint32, qint32) override {}
    void SortChildren(qint32, qint32, qint32) override {}
    Qt::DropAction OnDragOver(qint32, qint32, QPoint) override { return Qt::IgnoreAction; }
    void OnDragLeave() override {}
    bool OnDrop(qint32, qint32, QPoint) override { return false; }
    void DragScroll(qint32) override {}
    bool ShowDocument(qint32, qint32, qint32) override { return false; }
    void SelectObject(qint32, qint32, qint32) override {}

private:
    QPointer<QWidget> m_host;
};
