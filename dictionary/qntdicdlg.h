#pragma once

#include "document/panewnd.h"
#include "panes/objectlistctrl.h"
#include "panes/panelistener.h"
#include "ui/dlgbase.h"

#include <QHash>
#include <QList>
#include <QPointer>

class CCatTreeCtrl;
class CKorDoc;
class CommandToolBar;
class QAction;
class QLabel;

/// @short Keeps the dictionary window's category tree current: a pane of
/// the registry that answers for topic 18 in the tree.
class DictPaneMember : public CPaneWnd {
public:
    DictPaneMember() = default;
    ~DictPaneMember() override { LeaveRegistry(); }

    void SetTree(CCatTreeCtrl* tree);
    /// The document whose rows give a new category its parent.
    void SetDocument(CKorDoc* document) { m_document = document; }

    bool IsShown(qint32 topic, qint32 id) override;
    bool OnObjectsAdded(qint32 topic, const QList<quint32>& ids, qint32 parentTopic, qint32 parentId) override;
    void ResetContent() override;
    bool OnObjectAdded(qint32 topic, qint32 id, qint32 after, qint32 parentTopic, qint32 parentId,
                       bool select) override;
    bool BeginEditLabel(qint32 topic, qint32 id) override;
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
    QPointer<CCatTreeCtrl> m_tree;
    CKorDoc* m_document = nullptr;
};

/// @short The dictionary window: categories as a tree or a flat list on the
/// left, the entries of the selected category on the right; new, rename
/// and delete, dictionary files opened, merged and saved, the categories
/// exported as text, words and entries taken by drag and drop.
///
/// Modeless, one at a time; the opener registers Listeners() with the
/// document's registry. Row changes go through the document, texts,
/// renames and following through the owner (the frame). Closing writes the
/// dictionary to its file and reads it back. UI thread only.
class CQntDicDlg : public CResizableDlgBase, public ObjectListParent {
    Q_OBJECT
public:
    CQntDicDlg(RequestOwner* owner, CKorDoc* document, QWidget* parent = nullptr);
    ~CQntDicDlg() override;

    /// Builds the children, reads the settings and fills the tree; once
    /// before showing.
    void Create();
    /// The panes to register, in order: category list, entry list, tree.
    QList<CPaneWnd*> Listeners();

    /// The frame followed a category: its entries are shown.
    void ShowCategory(qint32 category);
    /// The frame followed an entry: the commands' states follow.
    void RefreshEntries(qint32 entry);
    /// The selected category: the tree's in tree mode, else the list's.
    qint32 GetSelectedId() const;
    /// The category whose entries the entry list shows.
    qint32 ShownCategory() const { return m_shownCategory; }
    bool IsTreeMode() const { return m_treeMode; }
    int SplitterPosition() const { return m_splitter; }

    /// Carries a window command out; false for one it does not know.
    bool OnCommand(int id);
    /// Enables the commands as the selection allows.
    void UpdateCommands();
    QAction* Action(int id) const { return m_actions.value(id); }

    /// Moves entries into the category (a drop of entries).
    void MoveEntries(const QList<qint32>& entries, qint32 category);

    CCatTreeCtrl* Tree() const { return m_tree; }
    ObjectListCtrl* CategoryList() const { return m_categories; }
    ObjectListCtrl* EntryList() const { return m_entries; }
    CommandToolBar* ToolBar() const { return m_toolbar; }

    // ObjectListParent
    void ListSelectionChanged(ObjectListCtrl* list, bool rowSelected) override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildToolBar();
    void ReadSettings();
    void WriteSettings() const;
    void LayoutChildren();
    void FillTree(qint32 parent);
    void UpdateTitle();
    void SetTreeMode(bool tree);

    void NewCategory();
    void NewEntry();
    void DeleteCategory();
    void DeleteEntries();
    void DeleteAll();
    /// Open (replace) or merge a dictionary file.
    void ReadFile(bool replace);
    void SaveFile();
    void ExportText();
    /// A file from the prompt; empty when cancelled.
    QString PromptFile(bool save, int titleId, const QString& filter, const QString& suffix);
    /// Announces categories read from a file as new top-level objects.
    void AnnounceCategories(const QList<qint32>& categories);
    /// Writes the tree to the dictionary file and reads it back; a failed
    /// write keeps the dictionary as it is.
    void WriteBack();
    /// A drop on one of the lists: the action it would take, performing it
    /// when asked.
    Qt::DropAction ListDrop(ObjectListCtrl* list, const QMimeData* data, const QPoint& point, bool perform);
    QString DisplayText(qint32 topic, qint32 id) const;

    RequestOwner* m_owner;
    CKorDoc* m_document;
    CommandToolBar* m_toolbar = nullptr;
    QHash<int, QAction*> m_actions;
    QLabel* m_categoryLabel = nullptr;
    QLabel* m_entryLabel = nullptr;
    CCatTreeCtrl* m_tree = nullptr;
    ObjectListCtrl* m_categories = nullptr;
    ObjectListCtrl* m_entries = nullptr;
    PaneListener m_categoryListener;
    PaneListener m_entryListener;
    DictPaneMember m_treeMember;
    bool m_treeMode = true;
    int m_splitter = 0;           ///< pixels; 0 = two fifths of the width
    bool m_dragging = false;
    QString m_defaultPath;        ///< folder of the last dictionary file
    qint32 m_shownCategory = 0;
    bool m_closed = false;
};
