// The object list: cell editing, finding, showing, hiding and choosing
// columns, the column menu and the variables' field operations.

#include "panes/objectlistctrl.h"

#include "document/documentids.h"
#include "foundation/stringstore.h"
#include "foundation/uiservices.h"
#include "panes/listheaderctrl.h"
#include "panes/listids.h"
#include "store/fieldvalue.h"
#include "store/storeids.h"
#include "ui/inplaceedit.h"
#include "ui/richtextinputdlg.h"

#include <QCursor>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

namespace {

bool IsVariableList(qint32 topic)
{
    return topic == TopicId::DocumentVariables || topic == TopicId::CodeVariables;
}

/// Field state bit of columns whose shown state the user may not change.
constexpr qint32 kFixedColumn = FieldState::Derived;

}  // namespace

// ---------------------------------------------------------------- cell edits

bool ObjectListCtrl::askVariableEdit(qint32 key, qint32 fieldId, QString& text)
{
    if (!IsVariableList(m_topic))
        return true;
    using Edit = ObjectListParent::VariableEdit;
    const auto ask = [&](Edit edit, const QString& value) {
        return m_parentHooks && m_parentHooks->EditVariable(this, edit, key, value);
    };
    switch (fieldId) {
    case VariableListField::Name: return ask(Edit::Name, text);
    case VariableListField::Shown: return ask(Edit::Shown, QString::number(text.trimmed().toInt()));
    case VariableListField::DefaultValue:
    case VariableListField::Categorial: {
        // Only user variables take a default value or a categorial flag.
        RecordNotifyInfo info;
        info.topic = m_topic;
        info.key = key;
        send(info);
        FieldValue kind;
        FieldValue type;
        if (!info.found || !info.row.GetFieldValue(VariableListField::Kind, kind) || kind.GetInt() != 0
            || !info.row.GetFieldValue(VariableListField::VarType, type))
            return false;
        if (fieldId == VariableListField::DefaultValue) {
            text = FieldValue::NormaliseText(type.GetInt(), text);
            return ask(Edit::DefaultValue, text);
        }
        return type.GetInt() == 1 && ask(Edit::Categorial, text);
    }
    default: return true;
    }
}

bool ObjectListCtrl::SetCellValue(qint32 key, qint32 fieldId, const QString& text)
{
    QString value = text;
    if (!askVariableEdit(key, fieldId, value))
        return false;
    FieldValueNotifyInfo info;
    info.topic = m_topic;
    info.itemId = key;
    info.fieldId = fieldId;
    info.text = value;
    send(info);
    return info.result;
}

bool ObjectListCtrl::HasCellEditor() const
{
    return !m_editor.isNull();
}

QWidget* ObjectListCtrl::CellEditor() const
{
    return m_editor.data();
}

void ObjectListCtrl::BeginCellEdit(int row, int column)
{
    if (row < 0 || row >= m_model->rowCount() || column < 0 || column >= m_columns.size())
        return;
    CloseCellEditor(true);
    const ColumnRecord& record = m_columns.at(column);
    const qint32 key = m_model->KeyAt(row);
    bool edit = m_editingEnabled && record.IsEditable();
    // A variable made from a code (its colour mark) keeps its name.
    if (edit && IsVariableList(m_topic) && m_colourColumn >= 0 && record.fieldId == VariableListField::Name
        && RowTexts(key).value(m_colourColumn).toInt() > 0)
        edit = false;
    if (!edit) {
        IdListNotifyInfo info(RequestCode::OpenItem);
        info.itemId = key;
        info.extra = record.fieldId;
        info.kind = m_topic;
        info.modifierKeys = GetModifierKeys();
        info.point = m_clickPoint.isNull() ? QCursor::pos() : m_clickPoint;
        info.ids = SelectedIds();
        send(info);
        return;
    }
    scrollTo(m_model->index(row, column));
    const QString text = RowTexts(key).value(column);
    if (record.type == FieldType::Boolean) {
        SetCellValue(key, record.fieldId, text.isEmpty() ? QStringLiteral("1") : QStringLiteral("0"));
        m_model->Invalidate(key);
        return;
    }
    openEditor(row, column);
}

void ObjectListCtrl::openEditor(int row, int column)
{
    finishEditor();
    const ColumnRecord& record = m_columns.at(column);
    const qint32 key = m_model->KeyAt(row);
    m_editRow = row;
    m_editColumn = column;
    m_editText = RowTexts(key).value(column);
    const QModelIndex index = m_model->index(row, column);
    scrollTo(index);
    QRect rect = visualRect(index);
    const int minWidth = fontMetrics().horizontalAdvance(m_editText) + 2 * rect.height();
    rect.setWidth(std::max(rect.width(), minWidth));
    if (record.categorial && m_categorialCombo) {
        auto* combo = new CInplaceCombo(this, rect.width());
        DistinctValuesNotifyInfo values;
        values.topic = m_topic;
        values.fieldId = record.fieldId;
        send(values);
        QStringList items = values.values;
        items.sort(Qt::CaseInsensitive);
        combo->addItems(items);
        combo->setMaxVisibleItems(std::min(int(items.size()) + 1, ListLimit::MaxComboRows));
        combo->SetTarget(&m_editText, nullptr);
        connect(combo, &CInplaceCombo::changed, this, &ObjectListCtrl::EndCellEdit);
        connect(combo, &CInplaceCombo::unchanged, this, &ObjectListCtrl::MoveCellEditor);
        m_editor = combo;
        m_editorIsCombo = true;
    } else {
        auto* edit = new CInplaceEdit(this, rect.width());
        edit->SetTarget(&m_editText, nullptr);
        connect(edit, &CInplaceEdit::changed, this, &ObjectListCtrl::EndCellEdit);
        connect(edit, &CInplaceEdit::unchanged, this, &ObjectListCtrl::MoveCellEditor);
        m_editor = edit;
        m_editorIsCombo = false;
    }
    m_editor->installEventFilter(this);
    if (auto* combo = qobject_cast<QComboBox*>(m_editor.data()); combo && combo->lineEdit())
        combo->lineEdit()->installEventFilter(this);
    m_editor->setGeometry(rect);
    m_editor->show();
    m_editor->setFocus();
    viewport()->update();
}

void ObjectListCtrl::finishEditor()
{
    if (!m_editor)
        return;
    QWidget* editor = m_editor.data();
    m_editor.clear();
    editor->disconnect(this);
    editor->removeEventFilter(this);
    editor->hide();
    editor->deleteLater();
    m_editRow = -1;
    m_editColumn = -1;
    setFocus();
    viewport()->update();
}

void ObjectListCtrl::CloseCellEditor(bool commit)
{
    if (!m_editor)
        return;
    auto* target = dynamic_cast<InplaceTarget*>(m_editor.data());
    if (commit && target) {
        target->Commit(EndOnly);   // reports, then closes itself
        finishEditor();
        return;
    }
    finishEditor();
}

bool ObjectListCtrl::eventFilter(QObject* watched, QEvent* event)
{
    if (m_editor && (watched == m_editor || watched->parent() == m_editor) && event->type() == QEvent::KeyPress) {
        // Tab would move the focus out of the list: it commits and moves on.
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab) {
            if (auto* target = dynamic_cast<InplaceTarget*>(m_editor.data()))
                target->Commit(NextColumn);
            return true;
        }
    }
    return QTableView::eventFilter(watched, event);
}

int ObjectListCtrl::nextEditableColumn(int column) const
{
    const QList<int> shown = DisplayedColumns();
    for (qsizetype i = shown.indexOf(column) + 1; i > 0 && i < shown.size(); ++i) {
        const ColumnRecord& record = m_columns.at(shown.at(i));
        if (record.IsEditable() && record.type != FieldType::Boolean)
            return shown.at(i);
    }
    return -1;
}

void ObjectListCtrl::EndCellEdit(int mode)
{
    if (m_editRow < 0 || m_editColumn < 0)
        return;
    const qint32 key = m_model->KeyAt(m_editRow);
    const int column = m_editColumn;
    SetCellValue(key, m_columns.at(column).fieldId, m_editText);
    WidenForCell(column, m_editText);
    // A refused value shows the stored one again.
    m_model->Invalidate(key);
    MoveCellEditor(mode);
}

void ObjectListCtrl::MoveCellEditor(int mode)
{
    const int row = m_editRow;
    const int column = m_editColumn;
    if (mode == NextRow && row >= 0 && row + 1 < m_model->rowCount()) {
        openEditor(row + 1, column);
        return;
    }
    if (mode == NextColumn && row >= 0) {
        const int next = nextEditableColumn(column);
        if (next >= 0) {
            openEditor(row, next);
            return;
        }
    }
    finishEditor();
}

// ---------------------------------------------------------------- finding

int ObjectListCtrl::FindRow(int start, int column, const QString& text) const
{
    if (text.isEmpty() || column < 0 || column >= m_columns.size())
        return -1;
    for (int row = std::max(start, 0); row < m_model->rowCount(); ++row) {
        const QString cell = m_model->RowTexts(m_model->KeyAt(row)).value(column);
        if (!cell.isEmpty() && RowMatches(cell, text))
            return row;
    }
    return -1;
}

void ObjectListCtrl::ShowFoundRow(int row, int previous)
{
    Q_UNUSED(previous);
    if (row < 0 || row >= m_model->rowCount())
        return;
    const QModelIndex index = m_model->index(row, std::max(0, DisplayedColumns().value(0)));
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(index, QAbstractItemView::PositionAtTop);
    // One row stays visible above the match.
    verticalScrollBar()->setValue(std::max(0, verticalScrollBar()->value() - 1));
}

int ObjectListCtrl::SelectMatches(int column, const QString& text)
{
    m_lastSearchText = text;
    QList<qint32> matches;
    for (int row = FindRow(0, column, text); row >= 0; row = FindRow(row + 1, column, text))
        matches.append(m_model->KeyAt(row));
    selectionModel()->clearSelection();
    if (!matches.isEmpty()) {
        SelectIds(matches);   // sorts them to the top and leaves the list unsorted
        m_keyArray.clear();
        scrollToTop();
        horizontalScrollBar()->setValue(0);
    }
    return int(matches.size());
}

void ObjectListCtrl::FindAndSelect(int column)
{
    if (column < 0 || column >= m_columns.size())
        return;
    CRichTextInputDlg2 dialog(this);
    dialog.SetTitle(QStringLiteral("%1 [%2]").arg(LoadString(ListText::FindInColumn), m_columns.at(column).name));
    dialog.SetText(m_lastSearchText);
    if (dialog.exec() != QDialog::Accepted)
        return;
    SelectMatches(column, dialog.Text());
}

void ObjectListCtrl::OnHeaderFilterClick(int column)
{
    if (column < 0 || column >= m_columns.size() || !m_columns.at(column).visible)
        return;
    if (m_sortColumn != column || !m_ascending) {
        m_ascending = true;
        SortByColumn(column, true);
    }
    scrollToTop();
    scrollTo(m_model->index(0, column));
    if (m_popup)
        m_popup->close();
    const int left = m_header->sectionViewportPosition(column);
    const QPoint bottomLeft = m_header->mapToGlobal(QPoint(left, m_header->height()));
    const int width = m_header->sectionSize(column);
    auto* popup = new ListSearchPopup(this, column, -1, bottomLeft.x(), bottomLeft.y() + 30, width, this);
    popup->setAttribute(Qt::WA_DeleteOnClose);
    m_popup = popup;
    popup->show();
    popup->Combo()->setFocus();
}

// ---------------------------------------------------------------- columns

void ObjectListCtrl::ShowColumn(int column, bool show, bool restartMeasuring)
{
    if (column < 0 || column >= m_columns.size())
        return;
    ColumnRecord& record = m_columns[column];
    if (record.visible == show)
        return;
    CloseCellEditor(true);
    if (show) {
        if (!describeColumn(record))
            return;
        StopMeasuring();
        record.visible = true;
        record.removed = false;
        applyColumnGeometry(column);
        // A column shown again comes at the end.
        m_header->moveSection(m_header->visualIndex(column), m_header->count() - 1);
        WidenForCell(column, record.name);
        m_model->Invalidate(0);
    } else {
        StopMeasuring();
        if (m_sortColumn == column)
            ClearSort();
        record.width = m_header->sectionSize(column) > 0 ? m_header->sectionSize(column) : record.width;
        record.visible = false;
        m_header->setSectionHidden(column, true);
    }
    if (restartMeasuring)
        RestartMeasuring();
    if (const qint32 list = VariableListOf(m_topic)) {
        FieldValueNotifyInfo info;
        info.topic = list;
        info.itemId = record.fieldId;
        info.fieldId = VariableListField::Shown;
        info.text = show ? QStringLiteral("1") : QStringLiteral("0");
        send(info);
    }
}

void ObjectListCtrl::ShowFieldColumn(qint32 fieldId, bool show)
{
    ShowColumn(ColumnOfField(fieldId), show, true);
}

void ObjectListCtrl::RevealFieldColumn(qint32 fieldId)
{
    const int column = ColumnOfField(fieldId);
    if (column < 0)
        return;
    ShowColumn(column, true, true);
    if (!m_columns.at(column).visible)
        return;
    SortByColumn(column, true);
    if (m_model->rowCount() > 0)
        scrollTo(m_model->index(0, column));
    else
        horizontalScrollBar()->setValue(m_header->sectionPosition(column));
}

void ObjectListCtrl::HideColumn(int column)
{
    if (column <= 0 || column >= m_columns.size())
        return;
    ShowColumn(column, false, true);
}

void ObjectListCtrl::ToggleCategorial(int column)
{
    if (column < 0 || column >= m_columns.size())
        return;
    m_columns[column].categorial = !m_columns.at(column).categorial;
}

void ObjectListCtrl::ChooseColumns()
{
    CloseCellEditor(true);
    QDialog dialog(this);
    dialog.setWindowTitle(LoadString(ListText::ColumnChooserTitle));
    auto* list = new QListWidget(&dialog);
    QList<int> entries;
    for (int i = 1; i < m_columns.size(); ++i) {
        const ColumnRecord& record = m_columns.at(i);
        if (record.removed)
            continue;
        auto* item = new QListWidgetItem(record.described && !record.name.isEmpty() ? record.name
                                         : record.described                   ? LoadString(ListText::NoColumnName)
                                                                               : QStringLiteral("?"),
                                         list);
        Qt::ItemFlags flags = Qt::ItemIsUserCheckable | Qt::ItemIsSelectable;
        if (!(record.state & kFixedColumn))
            flags |= Qt::ItemIsEnabled;
        item->setFlags(flags);
        item->setCheckState(record.visible ? Qt::Checked : Qt::Unchecked);
        entries.append(i);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(LoadString(ListText::Ok));
    buttons->button(QDialogButtonBox::Cancel)->setText(LoadString(ListText::Cancel));
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(list);
    layout->addWidget(buttons);
    dialog.setObjectName(QStringLiteral("ColumnChooser"));
    if (dialog.exec() != QDialog::Accepted)
        return;
    for (int i = 0; i < entries.size(); ++i)
        ShowColumn(entries.at(i), list->item(i)->checkState() == Qt::Checked, false);
    RestartMeasuring();
}

bool ObjectListCtrl::RenameField(qint32 fieldId, const QString& text, int mode)
{
    const QString trimmed = text.trimmed();
    const int column = ColumnOfField(fieldId);
    if (trimmed.isEmpty() || column < 0)
        return false;
    FieldPropertyNotifyInfo info;
    info.topic = m_topic;
    info.fieldId = fieldId;
    info.value = trimmed;
    info.property = FieldProperty(mode);
    send(info);
    if (info.result && mode == 0) {
        m_columns[column].name = trimmed;
        m_model->headerDataChanged(Qt::Horizontal, column, column);
        m_header->viewport()->update();
    }
    return info.result;
}

bool ObjectListCtrl::IsFieldLocked(qint32 fieldId) const
{
    const int column = ColumnOfField(fieldId);
    return column >= 0 && !m_columns.at(column).IsUserField();
}

bool ObjectListCtrl::ChangeFieldType(qint32 fieldId, qint32 newType)
{
    const int column = ColumnOfField(fieldId);
    if (column < 0 || !m_columns.at(column).IsUserField())
        return false;
    FieldTypeNotifyInfo info;
    info.topic = m_topic;
    info.fieldId = fieldId;
    info.newType = newType;
    send(info);
    if (info.result) {
        m_columns[column].type = newType;
        InvalidateTexts();
        m_header->viewport()->update();
    }
    return info.result;
}

QMenu* ObjectListCtrl::BuildColumnMenu(int column)
{
    CloseCellEditor(true);
    if (!m_headerMenu)
        return nullptr;
    m_rightClickedColumn = column;
    auto* menu = new QMenu(this);
    const auto add = [&](int id) {
        QAction* action = menu->addAction(LoadString(id));
        action->setData(id);
        return action;
    };
    const bool objectColumn = column > 0 && column < m_columns.size();
    if (objectColumn) {
        add(ListCommand::ValuePopup);
        add(ListCommand::FindAndSelect);
        add(ListCommand::HideColumn);
        const ColumnRecord& record = m_columns.at(column);
        if (m_editingEnabled && m_categorialCombo && record.IsEditable() && record.type != FieldType::Boolean) {
            QAction* categorial = add(ListCommand::ToggleCategorial);
            categorial->setCheckable(true);
            categorial->setChecked(record.categorial);
        }
        menu->addSeparator();
    }
    add(ListCommand::ChooseColumns);
    return menu;
}

void ObjectListCtrl::onHeaderMenu(const QPoint& point)
{
    const int column = m_header->logicalIndexAt(point);
    std::unique_ptr<QMenu> menu(BuildColumnMenu(column));
    if (!menu)
        return;
    QAction* chosen = menu->exec(m_header->mapToGlobal(point));
    if (!chosen)
        return;
    switch (chosen->data().toInt()) {
    case ListCommand::ValuePopup:
        QMetaObject::invokeMethod(this, [this, column] { OnHeaderFilterClick(column); }, Qt::QueuedConnection);
        break;
    case ListCommand::FindAndSelect: FindAndSelect(column); break;
    case ListCommand::HideColumn: HideColumn(column); break;
    case ListCommand::ToggleCategorial: ToggleCategorial(column); break;
    case ListCommand::ChooseColumns: ChooseColumns(); break;
    default: break;
    }
}
