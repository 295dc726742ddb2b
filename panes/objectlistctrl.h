#pragma once

#include "document/listnotifyinfo.h"
#include "document/requestowner.h"
#include "foundation/colorhelpers.h"
#include "ui/listsearchpopup.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QList>
#include <QPointer>
#include <QSet>
#include <QStringList>
#include <QTableView>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

class CDragRichEditCtrl;
class CListHeaderCtrl;
class CRichEditCtrlEx;
class ObjectListCtrl;
class QComboBox;
class QLineEdit;
class QMenu;

/// @short One column of an object list: one field of the listed topic.
/// New records are visible and categorial, everything else zero.
struct ColumnRecord {
    qint32 fieldId = 0;
    qint32 type = 0;            ///< FieldType code, from the field descriptor
    qint32 state = 0;           ///< FieldState bits: UserVariable, Pinned (colour), WeightComment (editable)
    qint32 parentTopic = 0;     ///< topic a reference field points into; 0 = no reference
    qint32 position = 0;        ///< display position; ties keep set-up order
    bool visible = true;
    bool removed = false;       ///< the field no longer exists; its stored state is deleted on save
    qint32 width = 0;           ///< pixels; 0 = default
    bool categorial = true;     ///< the editor offers the field's distinct values
    bool described = false;     ///< the owner answered the field descriptor
    QString name;               ///< the field's name from its descriptor

    bool IsColourColumn() const { return (state & 0x20) != 0; }
    bool IsUserField() const { return (state & 0x02) != 0; }
    bool IsEditable() const { return (state & 0x40) != 0; }
};

/// @short What a list tells the window it stands in; every call has a
/// do-nothing default, so a list works alone too.
class ObjectListParent {
public:
    virtual ~ObjectListParent() = default;
    /// Rows were added or removed: the count text changes.
    virtual void ListCountChanged(ObjectListCtrl* list) { Q_UNUSED(list); }
    /// The selection changed; rowSelected is false when a row lost it.
    virtual void ListSelectionChanged(ObjectListCtrl* list, bool rowSelected)
    {
        Q_UNUSED(list);
        Q_UNUSED(rowSelected);
    }
    /// A variables list is about to change a property of a variable: its
    /// name (VariableName), its shown flag (VariableShown, text "0"/"1"),
    /// default value or categorial flag. False refuses the edit.
    enum class VariableEdit { Name, Shown, DefaultValue, Categorial };
    virtual bool EditVariable(ObjectListCtrl* list, VariableEdit edit, qint32 fieldId, const QString& text)
    {
        Q_UNUSED(list);
        Q_UNUSED(edit);
        Q_UNUSED(fieldId);
        Q_UNUSED(text);
        return false;
    }
};

/// @short The rows of an object list as a table model: one row per object
/// key, one model column per column record (hidden ones hidden in the
/// header). Cell texts are asked from the control when a cell is drawn and
/// kept until the object changes.
class ObjectListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ObjectListModel(ObjectListCtrl* list);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QStringList mimeTypes() const override;

    qint32 KeyAt(int row) const { return row >= 0 && row < m_keys.size() ? m_keys.at(row) : 0; }
    int RowOfKey(qint32 key) const;
    const QList<qint32>& Keys() const { return m_keys; }
    bool Contains(qint32 key) const { return m_rowOfKey.contains(key); }

    void ResetRows(const QList<qint32>& keys);
    /// Inserts the keys at the top in one insertion, in their order.
    void InsertAtTop(const QList<qint32>& keys);
    bool RemoveKey(qint32 key);
    /// Reorders the rows by a permutation (new row i shows old row order[i]).
    void Reorder(const std::vector<int>& order);
    void ResetColumns();
    /// The texts of a row (one per column record), read once and kept.
    const QStringList& RowTexts(qint32 key) const;
    /// Forgets the texts of one row (0: of every row) and repaints it.
    void Invalidate(qint32 key);

private:
    void rebuildIndex();

    ObjectListCtrl* m_list;
    QList<qint32> m_keys;
    QHash<qint32, int> m_rowOfKey;
    mutable QHash<qint32, QStringList> m_texts;
    QStringList m_empty;
};

/// @short The report list of the objects of one topic: one row per object,
/// one column per field, sorting, stored column state, in-place editing,
/// finding, drags and the exports.
///
/// The list never reads the project: records, field descriptions, settings
/// and changes go to its RequestOwner as request records. Column widths are
/// measured from a snapshot of cell texts on a worker thread, which is
/// stopped (a flag) and joined before rows or columns change and when the
/// list goes; widgets are touched on the UI thread only.
class ObjectListCtrl : public QTableView, public IRowFinder {
    Q_OBJECT
public:
    /// Kinds of ObjectListCtrl::Export.
    enum ExportKind { ExportText = 0, ExportHtmlPage = 1, ExportWorkbook = 2 };
    /// Ends of an in-place edit.
    enum EditEnd { EndOnly = 0, NextRow = 1, NextColumn = 2 };

    /// `owner` answers the requests (not owned, may be null: nothing is
    /// answered); `controlId` goes into every record's head.
    ObjectListCtrl(RequestOwner* owner, int controlId, QWidget* parent = nullptr);
    ~ObjectListCtrl() override;

    void SetOwner(RequestOwner* owner) { m_owner = owner; }
    RequestOwner* Owner() const { return m_owner; }
    void SetListParent(ObjectListParent* parent) { m_parentHooks = parent; }
    int ControlId() const { return m_controlId; }

    // ---- set-up and content ----------------------------------------------
    /// Topic, parent, one column record per field id, and the keys that
    /// become the rows at set-up.
    void Init(qint32 topic, qint32 parentTopic, qint32 parentId, const QList<qint32>& fieldIds,
              const QList<qint32>& keys);
    /// Reads the stored column state (before Setup): from the profile
    /// section, or from the project settings through the owner.
    void RestoreState(bool storeInProfile);
    /// Writes it back; the list's window calls it when it closes.
    void SaveState();
    /// Columns from the owner's field descriptors, header colour (COLORREF),
    /// the column menu on or off, the first rows and the stored sorting.
    void Setup(COLORREF headerColour, bool headerMenu);
    /// Replaces all rows.
    void Fill(qint32 parentTopic, qint32 parentId, const QList<qint32>& ids);
    /// Inserts rows at the top; the list is unsorted afterwards.
    void AddRow(qint32 id);
    void AddRows(const QList<qint32>& ids);
    /// False when no row has the key.
    bool DeleteRowById(qint32 key);
    /// Re-reads the row when the topic is the list's.
    void UpdateRowById(qint32 topic, qint32 key);
    /// Forgets every row text (references may have changed).
    void InvalidateTexts();

    qint32 Topic() const { return m_topic; }
    qint32 ParentTopic() const { return m_parentTopic; }
    qint32 ParentId() const { return m_parentId; }
    int RowCount() const;
    qint32 KeyAt(int row) const;
    bool HasRow(qint32 key) const;
    ObjectListModel* Model() const { return m_model; }
    CListHeaderCtrl* Header() const { return m_header; }

    // ---- settings ---------------------------------------------------------
    void SetProfileSection(const QString& section) { m_profileSection = section; }
    QString ProfileSection() const;
    bool m_referenceDisplay = true;   ///< full display texts of references (codes always)
    bool m_keepColumnOrder = true;
    bool m_measuringEnabled = true;
    bool m_followSelection = true;
    int m_colourMarker = 0;           ///< 0 square, 1 filled circle, 2 circle outline, 3 three lines
    void SetEditing(bool enabled, bool categorialCombo);
    bool EditingEnabled() const { return m_editingEnabled; }
    bool CategorialCombo() const { return m_categorialCombo; }
    bool HeaderMenu() const { return m_headerMenu; }
    COLORREF HeaderColour() const { return m_headerColour; }

    // ---- selection ----------------------------------------------------------
    /// Keys of the selected rows in row order; the focused selected key, 0 when none.
    qint32 GetSelection(QList<qint32>& keys) const;
    /// The same keys as a request record carries them.
    QList<quint32> SelectedIds() const;
    qint32 GetSelectedItemData() const;
    int GetFirstSelectedIndex() const;
    /// The key array: the selected rows' keys, or every row's.
    void CollectItemData(bool selected);
    QList<qint32>& KeyArray() { return m_keyArray; }
    void ClearIds() { m_keyArray.clear(); }
    bool IsActive() const;
    /// Selects that row alone and shows it; key 0 only clears. False when
    /// the key is not in the list.
    bool SelectRow(qint32 key);
    /// Selects exactly the rows of the keys (found through a hash set) and
    /// sorts them to the top; an empty list clears the selection.
    bool SelectIds(const QList<qint32>& keys);
    void SelectAllRows();

    // ---- sorting ------------------------------------------------------------
    /// Sorts by a column record; a click (not programmatic) flips the
    /// direction on the sorted column and starts ascending on another.
    void SortByColumn(int column, bool programmatic);
    int SortColumn() const { return m_sortColumn; }
    bool Ascending() const { return m_ascending; }
    void SortSelectedFirst();
    /// The unsorted state: no indicator, ascending.
    void ClearSort();

    // ---- columns ------------------------------------------------------------
    const QList<ColumnRecord>& Columns() const { return m_columns; }
    int ColumnOfField(qint32 fieldId) const;
    int ShownColumnCount() const;
    /// Record indexes of the shown columns in display order.
    QList<int> DisplayedColumns() const;
    void ShowColumn(int column, bool show, bool restartMeasuring);
    void ShowFieldColumn(qint32 fieldId, bool show);
    void RevealFieldColumn(qint32 fieldId);
    /// The column menu's commands on the right-clicked column.
    void HideColumn(int column);
    void ToggleCategorial(int column);
    void ChooseColumns();
    bool RenameField(qint32 fieldId, const QString& text, int mode);
    bool IsFieldLocked(qint32 fieldId) const;
    bool ChangeFieldType(qint32 fieldId, qint32 newType);
    /// The column menu as it would open over a column (-1: none); null when
    /// the header menu is off. The caller owns it.
    QMenu* BuildColumnMenu(int column);

    // ---- texts --------------------------------------------------------------
    /// The row's cell texts, one per column record; false (all empty) when
    /// the owner cannot read the record.
    bool LoadRowTexts(qint32 key, QStringList& texts) const;
    QString GetCellText(qint32 key, qint32 fieldId) const;
    /// The cached texts the list draws.
    const QStringList& RowTexts(qint32 key) const { return m_model->RowTexts(key); }
    /// Writes an edit through the owner; variables lists first ask their window.
    bool SetCellValue(qint32 key, qint32 fieldId, const QString& text);

    // ---- editing --------------------------------------------------------------
    /// Double click: toggles a boolean, opens an editor, or asks the owner
    /// to open the object.
    void BeginCellEdit(int row, int column);
    void EndCellEdit(int mode);
    void MoveCellEditor(int mode);
    bool HasCellEditor() const;
    QWidget* CellEditor() const;
    /// Commits (mode EndOnly) or cancels an open editor.
    void CloseCellEditor(bool commit);
    /// Enter, Escape, Tab and Copy as the window passes them on.
    bool HandleCommand(int id);

    // ---- finding --------------------------------------------------------------
    bool RowsLoaded() const override { return true; }
    int FindRow(int start, int column, const QString& text) const override;
    void ShowFoundRow(int row, int previous) override;
    /// Asks for a text (dialog) and selects every matching row at the top.
    void FindAndSelect(int column);
    /// The same with the text given.
    int SelectMatches(int column, const QString& text);
    /// Opens the search popup over the column.
    void OnHeaderFilterClick(int column);
    ListSearchPopup* SearchPopup() const { return m_popup; }
    QString LastSearchText() const { return m_lastSearchText; }

    // ---- measuring ------------------------------------------------------------
    /// Measures again once the current burst of changes is over: many rows
    /// added one by one start one pass, not one each.
    void RestartMeasuring();
    void StopMeasuring();
    /// Blocks until a running measuring pass handed its result over (tests,
    /// benchmarks).
    void WaitForMeasuring();
    /// The widest text measured for a column record, in pixels; 0 unknown.
    int MeasuredWidth(int column) const { return m_measured.value(column, 0); }
    /// How many measuring passes were started so far.
    quint64 MeasuringPasses() const { return m_measureGeneration; }
    void WidenForCell(int column, const QString& text);

    // ---- preview ----------------------------------------------------------------
    void SetPreview(CDragRichEditCtrl* preview) { m_preview = preview; }
    CDragRichEditCtrl* Preview() const { return m_preview; }

    // ---- exports (objectlistexport.cpp) -------------------------------------
    /// The full text behind a preview column, for the exports.
    struct TooltipContent {
        QString text;
        bool picture = false;
        QByteArray image;   ///< JPEG of an area coding
        int width = 0;
        int height = 0;
    };
    /// Codings, memos and search hits; false for other topics. A key below 0
    /// drops the caches.
    bool GetTooltipContent(qint32 key, TooltipContent& content);
    /// Dispatches to the three writers; false (with a message) when the
    /// file was not written.
    bool Export(const QString& path, const QString& title, int kind, bool unicode, bool selectedOnly,
                QString* savedPath = nullptr);
    bool ExportHtml(const QString& path, const QString& title, bool selectedOnly, QString* error = nullptr);
    bool ExportExcel(const QString& path, const QString& title, bool selectedOnly, QString* savedPath = nullptr,
                     QString* error = nullptr);
    bool OpenInExcel(const QString& path, bool unicode, QString* error = nullptr);
    QString BuildTabText();
    /// The tab text on the clipboard; an empty list leaves it alone.
    void CopyToClipboard();
    /// Whether finished exports open the file with the desktop; off in tests.
    static void SetOpenExportedFiles(bool open);

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    int sizeHintForColumn(int column) const override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class ObjectListModel;
    friend class ObjectListDelegate;
    friend class CListHeaderCtrl;

    /// Stamps the head and hands the record to the owner; nothing without one.
    template <typename Record>
    void send(Record& record) const
    {
        if (!m_owner)
            return;
        record.sender = const_cast<ObjectListCtrl*>(this);
        record.controlId = m_controlId;
        m_owner->Request(record);
    }
    bool describeColumn(ColumnRecord& record) const;
    void applyColumnGeometry(int column);
    void applyOrder();
    void applySortIndicator();
    void sortRows();
    void afterRowsChanged(bool countChanged);
    QString referenceText(qint32 topic, qint32 key, bool full) const;
    void readSetting(const QString& key, QString& value) const;
    void writeSetting(const QString& key, const QString& value);
    void deleteSetting(const QString& key);
    void onHeaderClicked(int section);
    void onHeaderMenu(const QPoint& point);
    void onSectionResized(int section, int oldSize, int newSize);
    void reportItemChanged(qint32 key);
    void showPreview(qint32 key);
    void openEditor(int row, int column);
    void finishEditor();
    int nextEditableColumn(int column) const;
    void measureDone(quint64 generation, const QHash<int, int>& widths);
    void startMeasuring();
    bool askVariableEdit(qint32 key, qint32 fieldId, QString& text);
    QList<int> exportedColumns(bool forTextFile) const;
    QString tabText(bool forTextFile) const;
    QList<qint32> exportedKeys(bool selectedOnly, bool skipMarkedHits) const;

    RequestOwner* m_owner;
    int m_controlId;
    ObjectListParent* m_parentHooks = nullptr;
    ObjectListModel* m_model = nullptr;
    CListHeaderCtrl* m_header = nullptr;
    QList<ColumnRecord> m_columns;
    QList<qint32> m_keyArray;
    QString m_profileSection;
    bool m_storeInProfile = true;
    qint32 m_topic = 0;
    qint32 m_parentTopic = 0;
    qint32 m_parentId = 0;
    int m_colourColumn = -1;
    int m_sortColumn = -1;
    bool m_ascending = true;
    bool m_headerMenu = true;
    COLORREF m_headerColour = MakeColor(232, 232, 255);
    bool m_editingEnabled = false;
    bool m_categorialCombo = false;
    bool m_setUp = false;
    bool m_noticesOn = true;
    int m_rightClickedColumn = -1;
    QString m_lastSearchText;
    QPointer<ListSearchPopup> m_popup;
    CDragRichEditCtrl* m_preview = nullptr;

    // The open cell editor and its cell; the editor deletes itself.
    QPointer<QWidget> m_editor;
    bool m_editorIsCombo = false;
    int m_editRow = -1;
    int m_editColumn = -1;
    QString m_editText;
    QPoint m_clickPoint;

    // Display texts of referenced rows, by (topic, key, full); dropped with
    // the row texts.
    mutable QHash<quint64, QString> m_references;

    // Measuring: one worker at a time; a newer generation makes older
    // results stale.
    std::thread m_measurer;
    bool m_measurePending = false;   // a pass is asked for at the next turn of the event loop
    bool m_measurePosted = false;    // ... and that turn is already queued
    std::shared_ptr<std::atomic<bool>> m_stopMeasuring;
    quint64 m_measureGeneration = 0;
    QHash<int, int> m_measured;

    // The exports' content reader.
    qint32 m_tooltipKey = 0;
    TooltipContent m_tooltip;
    std::unique_ptr<CRichEditCtrlEx> m_hiddenEdit;
};
