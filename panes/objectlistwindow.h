#pragma once

#include "document/requestowner.h"
#include "panes/objectlistctrl.h"
#include "panes/panelistener.h"

#include <QHash>
#include <QPointer>
#include <QWidget>

class CDragRichEditCtrl;
class ObjectListWindow;
class QAction;
class QLabel;
class QToolBar;

/// @short The owner of list windows (the main frame): answers the lists'
/// requests and takes the commands and messages a window passes on.
class IListWindowOwner : public RequestOwner {
public:
    /// A command the window forwards with itself (search hits' confirmation
    /// 33001, 1178, 1186, 3083, a new free memo). For 33001 the answer is
    /// the confirmation; otherwise it says whether the owner took it.
    virtual bool ListCommand(ObjectListWindow* window, int commandId)
    {
        Q_UNUSED(window);
        Q_UNUSED(commandId);
        return false;
    }
    /// A message with keys: code the selected hits or segments, write the
    /// listed objects as RTF to `path`, the window closed (ListMessage ids).
    virtual void ListMessage(ObjectListWindow* window, int message, const QList<qint32>& keys, const QString& path)
    {
        Q_UNUSED(window);
        Q_UNUSED(message);
        Q_UNUSED(keys);
        Q_UNUSED(path);
    }
};

/// The fields and rows of the variables list of a documents or codes list.
struct VariableListContent {
    QList<qint32> fieldIds;
    QList<qint32> keys;
};

/// @short The window of one object list: caption with title and count,
/// toolbar, the list (and for documents and codes the list of their
/// variables, shown instead of it), the text preview of codings and memos,
/// exports and the list commands.
///
/// The opener builds it, calls Create and registers Listener() with the
/// document's registry; the listener leaves the registry when the window
/// goes. Modeless; UI thread only.
class ObjectListWindow : public QWidget, public ObjectListParent {
    Q_OBJECT
public:
    static constexpr int kDefaultSplitter = 150;
    static constexpr int kMinPreview = 70;
    static constexpr int kContentTop = 50;
    static constexpr int kMargin = 7;

    ObjectListWindow(IListWindowOwner* owner, qint32 topic, qint32 parentTopic, qint32 parentId,
                     const QList<qint32>& fieldIds, const QList<qint32>& keys, const QString& title,
                     const VariableListContent* variables = nullptr, QWidget* parent = nullptr);
    ~ObjectListWindow() override;

    /// Builds the children and restores the stored state; call once before
    /// showing. Options set before it (mode, initial field, counts, the
    /// variables list shown) take effect here.
    void Create();

    PaneListener* Listener() { return &m_listener; }
    ObjectListCtrl* List1() const { return m_list1; }
    ObjectListCtrl* List2() const { return m_list2; }
    /// The list the window shows now.
    ObjectListCtrl* ShownList() const;
    CDragRichEditCtrl* Preview() const { return m_preview; }
    QToolBar* ToolBar() const { return m_toolbar; }
    QAction* Action(int commandId) const { return m_actions.value(commandId); }
    qint32 Topic() const { return m_topic; }
    QString Title() const { return m_title; }
    QString CaptionTitle() const;
    QString CountText() const;
    int SplitterPosition() const { return m_splitter; }
    bool VariablesShown() const { return m_variablesShown; }
    bool PreviewShown() const { return m_previewShown; }

    void SetMode(int mode) { m_mode = mode; }
    int Mode() const { return m_mode; }
    void SetInitialField(qint32 fieldId) { m_initialField = fieldId; }
    void SetCodingsCounts(int first, int second);
    void SetVariablesShown(bool shown);

    /// New rows and title (the opener's command given again).
    void SetContent(qint32 parentTopic, qint32 parentId, const QList<qint32>& keys, const QString& title);
    void UpdateCount();
    void UpdateToolbar();
    void ApplyFont(const QFont& font);
    void ClearIds();

    /// Carries a window command out; false for one the window does not know.
    bool OnCommand(int id);

    // ObjectListParent
    void ListCountChanged(ObjectListCtrl* list) override;
    void ListSelectionChanged(ObjectListCtrl* list, bool rowSelected) override;
    bool EditVariable(ObjectListCtrl* list, VariableEdit edit, qint32 fieldId, const QString& text) override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void BuildToolbar();
    void AddShortcuts();
    void LayoutChildren();
    void ApplyTopicSettings();
    void RestoreWindowState();
    void SaveWindowState();
    void ToggleVariables();
    void ExportWithDialog();
    void OpenAs(int kind);
    bool ConfirmSearchHits();
    void ChangeVariableTypes(qint32 type);
    QString WindowText() const;
    QString ExportTitle(bool cutAtColon) const;
    QRect SplitterBand() const;
    QString Section() const;
    void ForwardCommand(int id);

    IListWindowOwner* m_owner;
    qint32 m_topic;
    QString m_title;
    int m_countLabelId = 0;
    int m_windowTextId = 0;
    int m_codingsCounts[2] = {0, 0};
    qint32 m_initialField = 0;
    PaneListener m_listener;
    bool m_previewShown = false;
    int m_splitter = kDefaultSplitter;
    bool m_dragging = false;
    int m_dragY = 0;
    int m_buttonCommand = 0;
    bool m_variablesShown = false;
    bool m_hasVariables = false;
    int m_mode = 0;
    bool m_created = false;
    COLORREF m_colour = 0;
    QLabel* m_captionTitle = nullptr;
    QLabel* m_captionCount = nullptr;
    QToolBar* m_toolbar = nullptr;
    QHash<int, QAction*> m_actions;
    ObjectListCtrl* m_list1 = nullptr;
    ObjectListCtrl* m_list2 = nullptr;
    CDragRichEditCtrl* m_preview = nullptr;
};
