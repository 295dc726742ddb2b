// The object list: model, drawing, set-up, rows, selection, sorting, the
// stored column state, requests and the measuring of column widths.

#include "panes/objectlistctrl.h"

#include "document/requestowner.h"
#include "foundation/dragobject.h"
#include "foundation/programpaths.h"
#include "foundation/stringstore.h"
#include "foundation/texthelpers.h"
#include "foundation/uiservices.h"
#include "panes/dragrichedit.h"
#include "panes/listheaderctrl.h"
#include "panes/listids.h"
#include "platform/profile/privateprofile.h"
#include "store/fieldvalue.h"
#include "store/storeids.h"
#include "ui/inplaceedit.h"

#include <QApplication>
#include <QCollator>
#include <QContextMenuEvent>
#include <QCursor>
#include <QFontMetrics>
#include <QHeaderView>
#include <QImage>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTextDocument>

#include <algorithm>
#include <numeric>
#include <optional>

namespace {

// Colours of the rows (COLORREF-free: drawing only).
const QColor kEvenRow(255, 255, 255);
const QColor kOddRow(246, 246, 246);
const QColor kGrid(220, 220, 220);
const QColor kSelectedFocus(51, 153, 255);
const QColor kSelectedFocusOdd(41, 140, 240);
const QColor kSelectedNoFocus(200, 200, 200);
const QColor kSelectedNoFocusOdd(190, 190, 190);

// Colours of the colour marks by index; index 0 has its own shade in the
// three-lines style.
const QColor kMarkColours[] = {{0, 128, 0},   {196, 196, 0}, {0, 0, 128},   {164, 0, 0}, {164, 0, 164}, {128, 128, 128},
                               {0, 255, 0},   {255, 255, 0}, {0, 0, 255},   {255, 0, 0}, {255, 0, 255}};
const QColor kMarkZeroLines(37, 162, 146);
constexpr int kMarkSize = 11;

quint64 ReferenceKey(qint32 topic, qint32 key, bool full)
{
    return (quint64(quint32(topic)) << 33) | (quint64(full ? 1 : 0) << 32) | quint64(quint32(key));
}

bool IsRightAligned(const ColumnRecord& column, qint32 topic)
{
    return (column.type == FieldType::Integer || column.type == FieldType::Real || column.type == FieldType::DateTime)
        && column.parentTopic == 0 && topic != TopicId::DictionaryCategories
        && !(topic == TopicId::Memos && column.fieldId == MemoField::Source);
}

/// One row's key for sorting by one field, read once.
struct SortKey {
    int rank = 0;         // 0 a value, 1 empty (after all values), 2 unreadable
    double number = 0;
    QString text;         // references: case-folded display text
    std::optional<QCollatorSortKey> collated;
};

}  // namespace

// ---------------------------------------------------------------- model

ObjectListModel::ObjectListModel(ObjectListCtrl* list) : QAbstractTableModel(list), m_list(list) {}

int ObjectListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_keys.size());
}

int ObjectListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_list->m_columns.size());
}

QVariant ObjectListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_keys.size() || index.column() >= m_list->m_columns.size())
        return {};
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return RowTexts(m_keys.at(index.row())).value(index.column());
    if (role == Qt::UserRole)
        return m_keys.at(index.row());
    return {};
}

QVariant ObjectListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= m_list->m_columns.size())
        return {};
    const ColumnRecord& column = m_list->m_columns.at(section);
    if (role == Qt::DisplayRole)
        return column.name;
    if (role == Qt::TextAlignmentRole) {
        if (column.type == FieldType::Boolean)
            return int(Qt::AlignHCenter | Qt::AlignVCenter);
        return int((IsRightAligned(column, m_list->m_topic) ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    }
    return {};
}

Qt::ItemFlags ObjectListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
}

QStringList ObjectListModel::mimeTypes() const
{
    return {QString::fromLatin1(CDragObject::kFormat)};
}

int ObjectListModel::RowOfKey(qint32 key) const
{
    return m_rowOfKey.value(key, -1);
}

void ObjectListModel::rebuildIndex()
{
    m_rowOfKey.clear();
    m_rowOfKey.reserve(m_keys.size());
    for (int row = 0; row < m_keys.size(); ++row)
        m_rowOfKey.insert(m_keys.at(row), row);
}

void ObjectListModel::ResetRows(const QList<qint32>& keys)
{
    beginResetModel();
    m_keys = keys;
    m_texts.clear();
    rebuildIndex();
    endResetModel();
}

void ObjectListModel::InsertAtTop(const QList<qint32>& keys)
{
    if (keys.isEmpty())
        return;
    beginInsertRows({}, 0, int(keys.size()) - 1);
    m_keys = keys + m_keys;
    rebuildIndex();
    endInsertRows();
}

bool ObjectListModel::RemoveKey(qint32 key)
{
    const int row = RowOfKey(key);
    if (row < 0)
        return false;
    beginRemoveRows({}, row, row);
    m_keys.removeAt(row);
    m_texts.remove(key);
    m_rowOfKey.remove(key);
    // Only the rows below move up.
    for (int i = row; i < m_keys.size(); ++i)
        m_rowOfKey[m_keys.at(i)] = i;
    endRemoveRows();
    return true;
}

void ObjectListModel::Reorder(const std::vector<int>& order)
{
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    // Each persistent index follows its object, so its key is taken first.
    QList<qint32> keysBefore;
    keysBefore.reserve(before.size());
    for (const QModelIndex& index : before)
        keysBefore.append(KeyAt(index.row()));
    QList<qint32> keys;
    keys.reserve(m_keys.size());
    for (const int old : order)
        keys.append(m_keys.at(old));
    m_keys = std::move(keys);
    rebuildIndex();
    QModelIndexList after;
    after.reserve(before.size());
    for (int i = 0; i < before.size(); ++i) {
        const int row = m_rowOfKey.value(keysBefore.at(i), -1);
        after.append(row < 0 ? QModelIndex() : this->index(row, before.at(i).column()));
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void ObjectListModel::ResetColumns()
{
    beginResetModel();
    m_texts.clear();
    endResetModel();
}

const QStringList& ObjectListModel::RowTexts(qint32 key) const
{
    const auto found = m_texts.constFind(key);
    if (found != m_texts.constEnd())
        return *found;
    // A bounded cache: a long scroll reads each row once per pass, never the
    // whole list at once.
    if (m_texts.size() >= ListLimit::CachedRows)
        m_texts.clear();
    QStringList texts;
    m_list->LoadRowTexts(key, texts);
    return *m_texts.insert(key, texts);
}

void ObjectListModel::Invalidate(qint32 key)
{
    if (key == 0) {
        m_texts.clear();
        if (!m_keys.isEmpty())
            emit dataChanged(index(0, 0), index(int(m_keys.size()) - 1, columnCount() - 1));
        return;
    }
    m_texts.remove(key);
    const int row = RowOfKey(key);
    if (row >= 0)
        emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

// ---------------------------------------------------------------- drawing

/// Draws every cell of the list as the list's rules say: row and sort
/// colours, grid lines, check marks for booleans, colour marks, texts cut
/// with "...".
class ObjectListDelegate : public QStyledItemDelegate {
public:
    explicit ObjectListDelegate(ObjectListCtrl* list) : QStyledItemDelegate(list), m_list(list) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const int column = index.column();
        const ColumnRecord& record = m_list->m_columns.at(column);
        const bool odd = index.row() % 2 != 0;
        const bool selected = option.state & QStyle::State_Selected;
        const bool focus = m_list->hasFocus() || m_list->HasCellEditor();
        QColor background;
        if (selected)
            background = focus ? (odd ? kSelectedFocusOdd : kSelectedFocus) : (odd ? kSelectedNoFocusOdd : kSelectedNoFocus);
        else if (column == m_list->m_sortColumn)
            background = ToQColor(odd ? LightenColor(m_list->m_headerColour) : m_list->m_headerColour);
        else
            background = odd ? kOddRow : kEvenRow;
        const QRect cell = option.rect;
        painter->fillRect(cell.adjusted(0, 0, -1, -1), background);
        painter->setPen(kGrid);
        painter->drawLine(cell.topRight(), cell.bottomRight());
        painter->drawLine(cell.bottomLeft(), cell.bottomRight());

        const QString text = index.data(Qt::DisplayRole).toString();
        if (record.IsColourColumn()) {
            drawMark(painter, cell, text.toInt());
        } else if (record.type == FieldType::Boolean) {
            drawCheck(painter, cell, !text.isEmpty(), selected && focus);
        } else if (!text.isEmpty()) {
            const QRect area = cell.adjusted(ListLimit::CellMargin, 0, -ListLimit::CellMargin, -1);
            // No character is narrower than two pixels: a longer text cannot fit.
            const QString cut = text.left(std::max(area.width() / 2 + 4, 4));
            const QString shown = FitTextWithEllipsis(option.fontMetrics, cut, area.width(), 0);
            int alignment = m_list->m_model->headerData(column, Qt::Horizontal, Qt::TextAlignmentRole).toInt();
            if (shown != text)
                alignment = Qt::AlignLeft | Qt::AlignVCenter;
            // Drawn at a point: one line, no layout pass of its own.
            int x = area.left();
            if (alignment & (Qt::AlignRight | Qt::AlignHCenter)) {
                const int width = option.fontMetrics.horizontalAdvance(shown);
                x = alignment & Qt::AlignRight ? area.right() + 1 - width : area.left() + (area.width() - width) / 2;
            }
            const int baseline = area.top() + (area.height() + option.fontMetrics.ascent() - option.fontMetrics.descent()) / 2;
            painter->setPen(selected && focus ? QColor(Qt::white) : QColor(Qt::black));
            painter->setFont(option.font);
            painter->save();
            painter->setClipRect(area, Qt::IntersectClip);
            painter->drawText(QPoint(x, baseline), shown);
            painter->restore();
        }
        if (index.row() == m_list->currentIndex().row() && m_list->hasFocus()
            && column == m_list->horizontalHeader()->logicalIndex(lastVisualColumn())) {
            // The focus frame runs around the whole row.
            QRect row = cell;
            row.setLeft(m_list->visualRect(m_list->model()->index(index.row(), firstLogicalColumn())).left());
            painter->setPen(QPen(Qt::black, 1, Qt::DotLine));
            painter->drawRect(row.adjusted(0, 0, -2, -2));
        }
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        Q_UNUSED(option);
        Q_UNUSED(index);
        return {ListLimit::DefaultColumnWidth, ListLimit::RowHeight};
    }

private:
    int lastVisualColumn() const
    {
        const QHeaderView* header = m_list->horizontalHeader();
        for (int visual = header->count() - 1; visual >= 0; --visual)
            if (!header->isSectionHidden(header->logicalIndex(visual)))
                return visual;
        return -1;
    }
    int firstLogicalColumn() const
    {
        const QHeaderView* header = m_list->horizontalHeader();
        for (int visual = 0; visual < header->count(); ++visual)
            if (!header->isSectionHidden(header->logicalIndex(visual)))
                return header->logicalIndex(visual);
        return 0;
    }

    void drawMark(QPainter* painter, const QRect& cell, int colourIndex) const
    {
        if (colourIndex < 0 || colourIndex >= int(std::size(kMarkColours)))
            return;
        const int style = m_list->m_colourMarker;
        const QColor colour = style == 3 && colourIndex == 0 ? kMarkZeroLines : kMarkColours[colourIndex];
        const int side = kMarkSize - 2;
        const QRect square(cell.center().x() - side / 2, cell.center().y() - side / 2, side, side);
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        switch (style) {
        case 1:
            painter->setPen(Qt::NoPen);
            painter->setBrush(colour);
            painter->drawEllipse(square.adjusted(-1, -1, 1, 1));
            break;
        case 2:
            painter->setPen(QPen(colour, 2));
            painter->setBrush(Qt::NoBrush);
            painter->drawEllipse(square);
            break;
        case 3:
            painter->setPen(QPen(colour, 2));
            for (const int dy : {1, 5, 9})
                painter->drawLine(square.left(), square.top() + dy, square.right(), square.top() + dy);
            break;
        default:
            painter->fillRect(square, colour);
            break;
        }
        painter->restore();
    }

    void drawCheck(QPainter* painter, const QRect& cell, bool checked, bool inverse) const
    {
        const QRect box(cell.center().x() - 6, cell.center().y() - 6, 12, 12);
        painter->save();
        painter->setPen(inverse ? QColor(Qt::white) : QColor(96, 96, 96));
        painter->setBrush(inverse ? Qt::NoBrush : QBrush(Qt::white));
        painter->drawRect(box.adjusted(0, 0, -1, -1));
        if (checked) {
            painter->setRenderHint(QPainter::Antialiasing);
            painter->setPen(QPen(inverse ? QColor(Qt::white) : QColor(0, 96, 0), 2));
            painter->drawLine(box.left() + 2, box.center().y(), box.center().x() - 1, box.bottom() - 3);
            painter->drawLine(box.center().x() - 1, box.bottom() - 3, box.right() - 2, box.top() + 2);
        }
        painter->restore();
    }

    ObjectListCtrl* m_list;
};

// ---------------------------------------------------------------- set-up

ObjectListCtrl::ObjectListCtrl(RequestOwner* owner, int controlId, QWidget* parent)
    : QTableView(parent), m_owner(owner), m_controlId(controlId)
{
    m_model = new ObjectListModel(this);
    m_header = new CListHeaderCtrl(this);
    setHorizontalHeader(m_header);
    setModel(m_model);
    setItemDelegate(new ObjectListDelegate(this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(ListLimit::RowHeight);
    verticalHeader()->setMinimumSectionSize(ListLimit::RowHeight);
    setFocusPolicy(Qt::StrongFocus);
    connect(m_header, &QHeaderView::sectionClicked, this, &ObjectListCtrl::onHeaderClicked);
    connect(m_header, &QWidget::customContextMenuRequested, this, &ObjectListCtrl::onHeaderMenu);
    connect(m_header, &QHeaderView::sectionResized, this, &ObjectListCtrl::onSectionResized);
}

ObjectListCtrl::~ObjectListCtrl()
{
    StopMeasuring();
    if (m_tooltipKey != 0 || m_hiddenEdit)
        GetTooltipContent(-1, m_tooltip);
}

QString ObjectListCtrl::ProfileSection() const
{
    return m_profileSection.isEmpty() ? QStringLiteral("dlgObjList%1").arg(m_topic) : m_profileSection;
}

void ObjectListCtrl::Init(qint32 topic, qint32 parentTopic, qint32 parentId, const QList<qint32>& fieldIds,
                          const QList<qint32>& keys)
{
    m_topic = topic;
    m_parentTopic = parentTopic;
    m_parentId = parentId;
    m_keyArray = keys;
    m_columns.clear();
    for (int i = 0; i < fieldIds.size(); ++i) {
        ColumnRecord record;
        record.fieldId = fieldIds.at(i);
        record.position = i;
        m_columns.append(record);
    }
}

void ObjectListCtrl::SetEditing(bool enabled, bool categorialCombo)
{
    m_editingEnabled = enabled;
    m_categorialCombo = categorialCombo;
    m_header->viewport()->update();
}

bool ObjectListCtrl::describeColumn(ColumnRecord& record) const
{
    FieldDescriptorNotifyInfo info;
    info.topic = m_topic;
    info.fieldId = record.fieldId;
    send(info);
    if (!info.found)
        return false;
    record.type = info.field.Type;
    record.state = info.field.State;
    record.parentTopic = info.field.ParentTopicID;
    record.name = record.IsColourColumn() ? QString() : info.field.Name;
    record.described = true;
    return true;
}

void ObjectListCtrl::applyColumnGeometry(int column)
{
    const ColumnRecord& record = m_columns.at(column);
    m_header->setSectionHidden(column, !record.visible);
    if (record.IsColourColumn()) {
        m_header->setSectionResizeMode(column, QHeaderView::Fixed);
        m_header->resizeSection(column, ListLimit::ColourColumnWidth);
    } else {
        m_header->setSectionResizeMode(column, QHeaderView::Interactive);
        m_header->resizeSection(column, std::max(record.width > 0 ? record.width : ListLimit::DefaultColumnWidth,
                                                 ListLimit::MinColumnWidth));
    }
}

void ObjectListCtrl::applyOrder()
{
    // Ascending positions, ties in set-up order.
    QList<int> order(m_columns.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [this](int a, int b) { return m_columns.at(a).position < m_columns.at(b).position; });
    for (int visual = 0; visual < order.size(); ++visual)
        m_header->moveSection(m_header->visualIndex(order.at(visual)), visual);
}

void ObjectListCtrl::Setup(COLORREF headerColour, bool headerMenu)
{
    m_headerMenu = headerMenu;
    m_headerColour = headerColour;
    m_editingEnabled = false;
    m_categorialCombo = false;
    m_colourColumn = -1;
    for (int i = 0; i < m_columns.size(); ++i) {
        ColumnRecord& record = m_columns[i];
        if (!describeColumn(record)) {
            record.visible = false;
            // A field the project no longer has; with no owner nothing is known.
            record.removed = m_owner != nullptr;
            continue;
        }
        if (record.IsColourColumn())
            m_colourColumn = i;
    }
    StopMeasuring();
    m_model->ResetColumns();
    for (int i = 0; i < m_columns.size(); ++i)
        applyColumnGeometry(i);
    applyOrder();
    m_model->ResetRows(m_keyArray);
    m_keyArray.clear();
    m_setUp = true;
    if (m_sortColumn >= 0 && (m_sortColumn >= m_columns.size() || !m_columns.at(m_sortColumn).visible))
        ClearSort();
    applySortIndicator();
    if (m_sortColumn >= 0)
        sortRows();
    RestartMeasuring();
}

void ObjectListCtrl::Fill(qint32 parentTopic, qint32 parentId, const QList<qint32>& ids)
{
    CloseCellEditor(false);
    m_parentTopic = parentTopic;
    m_parentId = parentId;
    StopMeasuring();
    m_references.clear();
    m_model->ResetRows(ids);
    if (m_sortColumn >= 0)
        sortRows();
    RestartMeasuring();
    if (m_preview)
        m_preview->StreamInRtf(nullptr, false);
    if (m_parentHooks)
        m_parentHooks->ListCountChanged(this);
}

void ObjectListCtrl::AddRow(qint32 id)
{
    AddRows({id});
}

void ObjectListCtrl::AddRows(const QList<qint32>& ids)
{
    // A repeated broadcast must not give a second row of one object.
    QList<qint32> fresh;
    QSet<qint32> seen;
    for (const qint32 id : ids) {
        if (!m_model->Contains(id) && !seen.contains(id)) {
            fresh.append(id);
            seen.insert(id);
        }
    }
    if (fresh.isEmpty())
        return;
    StopMeasuring();
    m_model->InsertAtTop(fresh);
    ClearSort();
    afterRowsChanged(true);
}

bool ObjectListCtrl::DeleteRowById(qint32 key)
{
    if (m_editor && m_model->KeyAt(m_editRow) == key)
        CloseCellEditor(false);
    StopMeasuring();
    const bool removed = m_model->RemoveKey(key);
    if (removed)
        afterRowsChanged(true);
    else
        RestartMeasuring();
    return removed;
}

void ObjectListCtrl::afterRowsChanged(bool countChanged)
{
    if (countChanged && m_parentHooks)
        m_parentHooks->ListCountChanged(this);
    RestartMeasuring();
}

void ObjectListCtrl::UpdateRowById(qint32 topic, qint32 key)
{
    if (topic == m_topic)
        m_model->Invalidate(key);
    else
        InvalidateTexts();   // a referenced row may show another text now
}

void ObjectListCtrl::InvalidateTexts()
{
    m_references.clear();
    m_model->Invalidate(0);
}

int ObjectListCtrl::RowCount() const
{
    return m_model->rowCount();
}

qint32 ObjectListCtrl::KeyAt(int row) const
{
    return m_model->KeyAt(row);
}

bool ObjectListCtrl::HasRow(qint32 key) const
{
    return m_model->Contains(key);
}

// ---------------------------------------------------------------- settings

void ObjectListCtrl::readSetting(const QString& key, QString& value) const
{
    value.clear();
    if (m_storeInProfile) {
        if (!g_program.ProfilePath.isEmpty())
            value = PrivateProfile(g_program.ProfilePath).GetString(ProfileSection(), key);
        return;
    }
    SettingNotifyInfo info(RequestCode::ReadSetting);
    info.key = ProfileSection() + QLatin1Char('-') + key;
    send(info);
    if (info.result)
        value = info.value;
}

void ObjectListCtrl::writeSetting(const QString& key, const QString& value)
{
    if (m_storeInProfile) {
        if (!g_program.ProfilePath.isEmpty())
            PrivateProfile(g_program.ProfilePath).WriteString(ProfileSection(), key, value);
        return;
    }
    SettingNotifyInfo info(RequestCode::WriteSetting);
    info.key = ProfileSection() + QLatin1Char('-') + key;
    info.value = value;
    send(info);
}

void ObjectListCtrl::deleteSetting(const QString& key)
{
    if (m_storeInProfile) {
        writeSetting(key, QString());
        return;
    }
    SettingNotifyInfo info(RequestCode::DeleteSetting);
    info.key = ProfileSection() + QLatin1Char('-') + key;
    send(info);
}

void ObjectListCtrl::RestoreState(bool storeInProfile)
{
    m_storeInProfile = storeInProfile;
    for (ColumnRecord& record : m_columns) {
        QString value;
        readSetting(QStringLiteral("Field%1").arg(record.fieldId), value);
        const QStringList parts = value.split(QLatin1Char(','));
        bool ok[4] = {};
        const int numbers[4] = {parts.value(0).trimmed().toInt(&ok[0]), parts.value(1).trimmed().toInt(&ok[1]),
                                parts.value(2).trimmed().toInt(&ok[2]), parts.value(3).trimmed().toInt(&ok[3])};
        if (parts.size() == 4 && ok[0] && ok[1] && ok[2] && ok[3]) {
            record.visible = numbers[0] != 0;
            if (m_keepColumnOrder)
                record.position = numbers[1];
            record.width = std::clamp(numbers[2], 0, 10000);
            record.categorial = numbers[3] != 0;
        } else if (m_topic == TopicId::Codings && record.fieldId == CodingField::Comment) {
            record.position = 0;   // without a stored state the comment stands first
        }
    }
    QString sorting;
    readSetting(QStringLiteral("Sorting"), sorting);
    const QStringList parts = sorting.split(QLatin1Char(','));
    bool ok = false;
    bool okAscending = false;
    const int column = parts.value(0).trimmed().toInt(&ok);
    const int ascending = parts.value(1).trimmed().toInt(&okAscending);
    if (parts.size() == 2 && ok && okAscending && column >= 0 && column < m_columns.size()
        && m_columns.at(column).visible) {
        m_sortColumn = column;
        m_ascending = ascending != 0;
    } else {
        m_sortColumn = -1;
        m_ascending = true;
    }
}

void ObjectListCtrl::SaveState()
{
    StopMeasuring();
    int shown = 0;
    for (int visual = 0; visual < m_header->count(); ++visual) {
        const int column = m_header->logicalIndex(visual);
        if (m_header->isSectionHidden(column))
            continue;
        ColumnRecord& record = m_columns[column];
        record.width = m_header->sectionSize(column);
        writeSetting(QStringLiteral("Field%1").arg(record.fieldId),
                     QStringLiteral("%1,%2,%3,%4").arg(1).arg(shown++).arg(record.width).arg(record.categorial ? 1 : 0));
    }
    for (const ColumnRecord& record : std::as_const(m_columns)) {
        const QString key = QStringLiteral("Field%1").arg(record.fieldId);
        if (record.removed)
            deleteSetting(key);
        else if (!record.visible)
            writeSetting(key, QStringLiteral("0,0,%1,%2").arg(record.width).arg(record.categorial ? 1 : 0));
    }
    writeSetting(QStringLiteral("Sorting"), QStringLiteral("%1,%2").arg(m_sortColumn).arg(m_ascending ? 1 : 0));
}

// ---------------------------------------------------------------- texts

QString ObjectListCtrl::referenceText(qint32 topic, qint32 key, bool full) const
{
    if (key == 0)
        return {};
    const quint64 cacheKey = ReferenceKey(topic, key, full);
    const auto found = m_references.constFind(cacheKey);
    if (found != m_references.constEnd())
        return *found;
    ListNotifyInfo info;
    info.query = true;
    info.topic = topic;
    info.itemId = key;
    info.mask = full ? ListNotifyMask::FullName : ListNotifyMask::Name;
    send(info);
    const QString text = info.handled ? info.name : QString();
    m_references.insert(cacheKey, text);
    return text;
}

bool ObjectListCtrl::LoadRowTexts(qint32 key, QStringList& texts) const
{
    texts = QStringList();
    texts.reserve(m_columns.size());
    for (int i = 0; i < m_columns.size(); ++i)
        texts.append(QString());
    RecordNotifyInfo info;
    info.topic = m_topic;
    info.key = key;
    send(info);
    if (!info.found)
        return false;
    for (int i = 0; i < m_columns.size(); ++i) {
        const ColumnRecord& column = m_columns.at(i);
        if (!column.visible || !column.described)
            continue;
        FieldValue value;
        if (!info.row.GetFieldValue(column.fieldId, value))
            continue;
        QString text;
        if (column.IsColourColumn()) {
            text = QString::number(value.GetInt());
        } else if (m_topic == TopicId::Memos && column.fieldId == MemoField::Source) {
            const int source = value.GetInt();
            if (source >= 0 && source <= 6)
                text = LoadString(ListText::MemoSourceFirst + source);
        } else if (m_topic == TopicId::CoderAgreement && column.fieldId == 2 && value.GetInt() == 0) {
            text = LoadString(ListText::NoAgreement);
        } else if (column.parentTopic != 0) {
            text = referenceText(column.parentTopic, value.GetInt(),
                                 column.parentTopic == TopicId::Codes ? true : m_referenceDisplay);
        } else {
            text = value.FormatToBuffer();
        }
        texts[i] = text.left(ListLimit::MaxCellText);
    }
    return true;
}

QString ObjectListCtrl::GetCellText(qint32 key, qint32 fieldId) const
{
    const int column = ColumnOfField(fieldId);
    if (column < 0)
        return {};
    QStringList texts;
    LoadRowTexts(key, texts);
    return texts.value(column);
}

int ObjectListCtrl::ColumnOfField(qint32 fieldId) const
{
    for (int i = 0; i < m_columns.size(); ++i)
        if (m_columns.at(i).fieldId == fieldId)
            return i;
    return -1;
}

int ObjectListCtrl::ShownColumnCount() const
{
    return int(std::count_if(m_columns.begin(), m_columns.end(), [](const ColumnRecord& c) { return c.visible; }));
}

QList<int> ObjectListCtrl::DisplayedColumns() const
{
    QList<int> columns;
    for (int visual = 0; visual < m_header->count(); ++visual) {
        const int column = m_header->logicalIndex(visual);
        if (column >= 0 && column < m_columns.size() && m_columns.at(column).visible)
            columns.append(column);
    }
    return columns;
}

// ---------------------------------------------------------------- selection

qint32 ObjectListCtrl::GetSelection(QList<qint32>& keys) const
{
    keys.clear();
    QList<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedRows())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    for (const int row : rows)
        keys.append(m_model->KeyAt(row));
    const QModelIndex current = currentIndex();
    if (current.isValid() && selectionModel()->isRowSelected(current.row(), {}))
        return m_model->KeyAt(current.row());
    return 0;
}

QList<quint32> ObjectListCtrl::SelectedIds() const
{
    QList<qint32> keys;
    GetSelection(keys);
    QList<quint32> ids;
    ids.reserve(keys.size());
    for (const qint32 key : std::as_const(keys))
        ids.append(quint32(key));
    return ids;
}

qint32 ObjectListCtrl::GetSelectedItemData() const
{
    const int row = GetFirstSelectedIndex();
    return row < 0 ? 0 : m_model->KeyAt(row);
}

int ObjectListCtrl::GetFirstSelectedIndex() const
{
    int first = -1;
    for (const QItemSelectionRange& range : selectionModel()->selection())
        if (first < 0 || range.top() < first)
            first = range.top();
    return first;
}

void ObjectListCtrl::CollectItemData(bool selected)
{
    if (selected) {
        GetSelection(m_keyArray);
        return;
    }
    m_keyArray = m_model->Keys();
}

bool ObjectListCtrl::IsActive() const
{
    return hasFocus() || HasCellEditor();
}

bool ObjectListCtrl::SelectRow(qint32 key)
{
    const int row = key == 0 ? -1 : m_model->RowOfKey(key);
    if (key != 0 && row < 0)
        return false;
    m_noticesOn = false;
    if (row < 0) {
        selectionModel()->clearSelection();
    } else {
        const QModelIndex index = m_model->index(row, std::max(0, DisplayedColumns().value(0)));
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        scrollTo(index);
    }
    m_noticesOn = true;
    return true;
}

bool ObjectListCtrl::SelectIds(const QList<qint32>& keys)
{
    m_noticesOn = false;
    setUpdatesEnabled(false);
    const QSet<qint32> wanted(keys.begin(), keys.end());
    QItemSelection selection;
    const int lastColumn = std::max(0, int(m_columns.size()) - 1);
    int runStart = -1;
    const auto closeRun = [&](int end) {
        if (runStart >= 0)
            selection.select(m_model->index(runStart, 0), m_model->index(end, lastColumn));
        runStart = -1;
    };
    for (int row = 0; row < m_model->rowCount(); ++row) {
        if (wanted.contains(m_model->KeyAt(row))) {
            if (runStart < 0)
                runStart = row;
        } else {
            closeRun(row - 1);
        }
    }
    closeRun(m_model->rowCount() - 1);
    selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    setUpdatesEnabled(true);
    m_noticesOn = true;
    SortSelectedFirst();
    return true;
}

void ObjectListCtrl::SelectAllRows()
{
    m_noticesOn = false;
    setUpdatesEnabled(false);
    selectAll();
    setUpdatesEnabled(true);
    m_noticesOn = true;
    if (m_parentHooks)
        m_parentHooks->ListSelectionChanged(this, true);
}

void ObjectListCtrl::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected)
{
    QTableView::selectionChanged(selected, deselected);
    if (!m_noticesOn)
        return;
    const QModelIndex current = currentIndex();
    const bool currentSelected = current.isValid() && selectionModel()->isRowSelected(current.row(), {});
    qint32 key = 0;
    if (currentSelected && selected.contains(current))
        key = m_model->KeyAt(current.row());   // newly selected and focused
    else if (!selectionModel()->hasSelection())
        key = -1;
    if (m_parentHooks)
        m_parentHooks->ListSelectionChanged(this, key != -1);
    if (key != -1)
        reportItemChanged(key);
    if (key >= 0)
        showPreview(key);
}

void ObjectListCtrl::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTableView::currentChanged(current, previous);
    // The focus frame moves with the current row.
    viewport()->update();
}

void ObjectListCtrl::reportItemChanged(qint32 key)
{
    IdListNotifyInfo info(RequestCode::FollowItem);
    info.itemId = key;
    info.kind = m_topic;
    info.modifierKeys = GetModifierKeys();
    info.point = QCursor::pos();
    info.ids = SelectedIds();
    send(info);
}

void ObjectListCtrl::showPreview(qint32 key)
{
    if (!m_preview || (m_topic != TopicId::Codings && m_topic != TopicId::Memos))
        return;
    RecordNotifyInfo info;
    if (key > 0) {
        info.topic = m_topic;
        info.key = key;
        info.readBlobs = true;
        send(info);
    }
    m_preview->SetDragObject(info.found, info.found ? key : 0);
    if (!info.found) {
        m_preview->StreamInRtf(nullptr, false);
        return;
    }
    if (info.imageMade && !info.image.isEmpty()) {
        // An area coding: its picture comes in the answer.
        m_preview->ShowPicture(QImage::fromData(info.image));
        return;
    }
    FieldValue text;
    const qint32 field = m_topic == TopicId::Codings ? qint32(CodingField::Text) : qint32(MemoField::Text);
    const QByteArray* rtf = info.row.GetFieldValue(field, text) ? text.GetBlob() : nullptr;
    m_preview->StreamInRtf(rtf && !rtf->isEmpty() ? rtf : nullptr, false);
}

// ---------------------------------------------------------------- sorting

void ObjectListCtrl::ClearSort()
{
    m_sortColumn = -1;
    m_ascending = true;
    applySortIndicator();
}

void ObjectListCtrl::applySortIndicator()
{
    m_header->viewport()->update();
    viewport()->update();
}

void ObjectListCtrl::onHeaderClicked(int section)
{
    if (m_header->IsTracking())
        return;
    CloseCellEditor(true);
    SortByColumn(section, false);
    scrollToTop();
}

void ObjectListCtrl::SortByColumn(int column, bool programmatic)
{
    if (column < 0 || column >= m_columns.size())
        return;
    if (!programmatic)
        m_ascending = column != m_sortColumn ? true : !m_ascending;
    m_sortColumn = column;
    applySortIndicator();
    sortRows();
}

void ObjectListCtrl::sortRows()
{
    // Without a valid, shown sort column nothing is sorted: an answer of
    // "less" for every pair would leave no ordering at all.
    if (m_sortColumn < 0 || m_sortColumn >= m_columns.size() || !m_columns.at(m_sortColumn).visible
        || m_model->rowCount() < 2)
        return;
    StopMeasuring();
    const ColumnRecord& column = m_columns.at(m_sortColumn);
    const QList<qint32>& keys = m_model->Keys();
    const int n = int(keys.size());
    QCollator collator{QLocale()};
    collator.setCaseSensitivity(Qt::CaseInsensitive);

    // Each row's key is read once; the sort itself asks nobody.
    std::vector<SortKey> sortKeys(static_cast<size_t>(n));
    RecordNotifyInfo info;
    info.topic = m_topic;
    for (int row = 0; row < n; ++row) {
        SortKey& sortKey = sortKeys[size_t(row)];
        info.key = keys.at(row);
        info.found = false;
        send(info);
        FieldValue value;
        if (!info.found || !info.row.GetFieldValue(column.fieldId, value)) {
            sortKey.rank = 2;
            continue;
        }
        if (column.parentTopic != 0) {
            // References sort by the text the referenced row shows.
            sortKey.text = referenceText(column.parentTopic, value.GetInt(), column.parentTopic != TopicId::Documents)
                               .toCaseFolded();
            continue;
        }
        switch (value.Type) {
        case FieldType::Integer: sortKey.number = value.GetInt(); break;
        case FieldType::Boolean: sortKey.number = value.GetInt() != 0 ? 1 : 0; break;
        case FieldType::Real: sortKey.number = value.GetReal(); break;
        case FieldType::DateTime: {
            const OleDate date = value.GetDate();
            if (date.IsValid())
                sortKey.number = date.value;
            else
                sortKey.rank = 1;
            break;
        }
        case FieldType::ShortText:
        case FieldType::Text:
        case FieldType::LongText: {
            const QString text = value.GetText();
            if (text.isEmpty())
                sortKey.rank = 1;
            else
                sortKey.collated.emplace(collator.sortKey(text));
            break;
        }
        default: break;   // blobs and memos: every row equal
        }
    }
    const bool reference = column.parentTopic != 0;
    std::vector<int> order(static_cast<size_t>(n));
    std::iota(order.begin(), order.end(), 0);
    const bool ascending = m_ascending;
    std::sort(order.begin(), order.end(), [&](int a, int b) {
        const SortKey& ka = sortKeys[size_t(a)];
        const SortKey& kb = sortKeys[size_t(b)];
        int c = 0;
        if (ka.rank != kb.rank) {
            c = ka.rank < kb.rank ? -1 : 1;
        } else if (ka.rank == 0) {
            if (reference)
                c = ka.text.compare(kb.text);
            else if (ka.collated && kb.collated)
                c = ka.collated->compare(*kb.collated);
            else
                c = ka.number < kb.number ? -1 : (ka.number > kb.number ? 1 : 0);
        }
        // Equal values by key, so that the order is total and repeatable.
        if (c == 0)
            c = keys.at(a) < keys.at(b) ? -1 : (keys.at(a) > keys.at(b) ? 1 : 0);
        return ascending ? c < 0 : c > 0;
    });
    m_model->Reorder(order);
    RestartMeasuring();
}

void ObjectListCtrl::SortSelectedFirst()
{
    if (!selectionModel()->hasSelection())
        return;
    ClearSort();
    const int n = m_model->rowCount();
    std::vector<int> order;
    order.reserve(size_t(n));
    for (int row = 0; row < n; ++row)
        if (selectionModel()->isRowSelected(row, {}))
            order.push_back(row);
    for (int row = 0; row < n; ++row)
        if (!selectionModel()->isRowSelected(row, {}))
            order.push_back(row);
    m_noticesOn = false;
    m_model->Reorder(order);
    m_noticesOn = true;
    scrollToTop();
    horizontalScrollBar()->setValue(0);
}

// ---------------------------------------------------------------- measuring

void ObjectListCtrl::StopMeasuring()
{
    m_measurePending = false;
    if (m_stopMeasuring)
        m_stopMeasuring->store(true);
    if (m_measurer.joinable())
        m_measurer.join();
    m_stopMeasuring.reset();
}

void ObjectListCtrl::RestartMeasuring()
{
    StopMeasuring();
    if (!m_measuringEnabled || !m_setUp)
        return;
    m_measurePending = true;
    if (m_measurePosted)
        return;
    m_measurePosted = true;
    QPointer<ObjectListCtrl> self(this);
    QMetaObject::invokeMethod(
        this, [self] {
            if (!self)
                return;
            self->m_measurePosted = false;
            if (self->m_measurePending)
                self->startMeasuring();
        },
        Qt::QueuedConnection);
}

void ObjectListCtrl::startMeasuring()
{
    m_measurePending = false;
    if (!m_measuringEnabled || !m_setUp)
        return;
    // The worker measures a snapshot: captions and the texts of a bounded,
    // evenly spread sample of rows, read here on the UI thread.
    struct Snapshot {
        QFont font;
        QList<int> columns;
        QList<QStringList> texts;   // per column: caption first, then cells
    };
    auto snapshot = std::make_shared<Snapshot>();
    snapshot->font = font();
    for (int i = 0; i < m_columns.size(); ++i) {
        if (m_columns.at(i).visible && !m_columns.at(i).IsColourColumn()) {
            snapshot->columns.append(i);
            snapshot->texts.append({m_columns.at(i).name + QStringLiteral("       ")});
        }
    }
    const int rows = m_model->rowCount();
    const int step = std::max(1, rows / ListLimit::MeasuredRows);
    for (int row = 0; row < rows; row += step) {
        const QStringList& texts = m_model->RowTexts(m_model->KeyAt(row));
        for (int c = 0; c < snapshot->columns.size(); ++c)
            snapshot->texts[c].append(texts.value(snapshot->columns.at(c)));
    }
    const quint64 generation = ++m_measureGeneration;
    auto stop = std::make_shared<std::atomic<bool>>(false);
    m_stopMeasuring = stop;
    QPointer<ObjectListCtrl> self(this);
    m_measurer = std::thread([snapshot, stop, generation, self] {
        const QFontMetrics metrics(snapshot->font);
        QHash<int, int> widths;
        for (int c = 0; c < snapshot->columns.size(); ++c) {
            int widest = 0;
            for (const QString& text : std::as_const(snapshot->texts.at(c))) {
                if (stop->load())
                    return;   // nothing is handed over: the old widths stay
                widest = std::max(widest, metrics.horizontalAdvance(text));
            }
            widths.insert(snapshot->columns.at(c), widest);
        }
        QMetaObject::invokeMethod(
            self.data(), [self, generation, widths] {
                if (self)
                    self->measureDone(generation, widths);
            },
            Qt::QueuedConnection);
    });
}

void ObjectListCtrl::measureDone(quint64 generation, const QHash<int, int>& widths)
{
    if (generation != m_measureGeneration)
        return;
    for (auto it = widths.begin(); it != widths.end(); ++it)
        m_measured[it.key()] = std::max(m_measured.value(it.key()), it.value());
}

void ObjectListCtrl::WaitForMeasuring()
{
    if (m_measurePending)
        startMeasuring();
    if (m_measurer.joinable())
        m_measurer.join();
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void ObjectListCtrl::WidenForCell(int column, const QString& text)
{
    const int width = fontMetrics().horizontalAdvance(text + QStringLiteral("........"));
    if (width > m_measured.value(column))
        m_measured[column] = width;
}

int ObjectListCtrl::sizeHintForColumn(int column) const
{
    if (column >= 0 && column < m_columns.size() && m_columns.at(column).IsColourColumn())
        return ListLimit::ColourColumnWidth;
    const int measured = m_measured.value(column);
    const int caption = column >= 0 && column < m_columns.size()
        ? fontMetrics().horizontalAdvance(m_columns.at(column).name) + 2 * ListLimit::CellMargin + 12
        : 0;
    return std::max({measured + 2 * ListLimit::CellMargin, caption, ListLimit::MinColumnWidth});
}

void ObjectListCtrl::onSectionResized(int section, int oldSize, int newSize)
{
    Q_UNUSED(oldSize);
    if (section < 0 || section >= m_columns.size())
        return;
    if (m_columns.at(section).IsColourColumn()) {
        if (newSize != ListLimit::ColourColumnWidth && !m_header->isSectionHidden(section))
            m_header->resizeSection(section, ListLimit::ColourColumnWidth);
        return;
    }
    if (newSize > 0 && newSize < ListLimit::MinColumnWidth && !m_header->isSectionHidden(section)) {
        m_header->resizeSection(section, ListLimit::MinColumnWidth);
        return;
    }
    if (newSize > 0)
        m_columns[section].width = newSize;
    if (m_editor)
        CloseCellEditor(true);
}

// ---------------------------------------------------------------- mouse, keys, drags

void ObjectListCtrl::mouseDoubleClickEvent(QMouseEvent* event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    if (!index.isValid()) {
        QTableView::mouseDoubleClickEvent(event);
        return;
    }
    m_clickPoint = event->globalPosition().toPoint();
    BeginCellEdit(index.row(), index.column());
    event->accept();
}

void ObjectListCtrl::contextMenuEvent(QContextMenuEvent* event)
{
    IdListNotifyInfo info(RequestCode::ContextMenu);
    info.kind = m_topic;
    info.modifierKeys = GetModifierKeys();
    if (event->reason() == QContextMenuEvent::Mouse) {
        const QModelIndex index = indexAt(event->pos());
        if (!index.isValid())
            return;
        info.itemId = m_model->KeyAt(index.row());
        info.extra = m_columns.at(index.column()).fieldId;
        info.point = event->globalPos();
    } else {
        const int row = GetFirstSelectedIndex();
        if (row < 0)
            return;
        const int first = DisplayedColumns().value(0, 0);
        const QModelIndex index = m_model->index(row, first);
        scrollTo(index);
        info.itemId = m_model->KeyAt(row);
        info.extra = m_columns.value(first).fieldId;
        const QRect rect = visualRect(index);
        info.point = viewport()->mapToGlobal(QPoint(5, rect.bottom()));
    }
    info.ids = SelectedIds();
    send(info);
    event->accept();
}

void ObjectListCtrl::resizeEvent(QResizeEvent* event)
{
    CloseCellEditor(true);
    QTableView::resizeEvent(event);
}

void ObjectListCtrl::focusInEvent(QFocusEvent* event)
{
    QTableView::focusInEvent(event);
    viewport()->update();
}

void ObjectListCtrl::focusOutEvent(QFocusEvent* event)
{
    QTableView::focusOutEvent(event);
    viewport()->update();
}

void ObjectListCtrl::startDrag(Qt::DropActions supportedActions)
{
    Q_UNUSED(supportedActions);
    CDragObject payload(m_topic, 0);
    const qint32 focused = GetSelection(payload.m_ids);
    payload.m_id = focused != 0 ? focused : (payload.m_ids.isEmpty() ? 0 : payload.m_ids.first());
    if (payload.m_ids.isEmpty())
        payload.m_id = 0;
    payload.DoDragDrop(this, m_owner ? m_owner->ProjectIdentity() : QString(),
                       Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, Qt::CopyAction);
}

bool ObjectListCtrl::HandleCommand(int id)
{
    switch (id) {
    case ListCommand::Enter:
        if (m_editor) {
            if (auto* target = dynamic_cast<InplaceTarget*>(m_editor.data()))
                target->Commit(NextRow);
            return true;
        }
        return false;
    case ListCommand::Tab:
        if (m_editor) {
            if (auto* target = dynamic_cast<InplaceTarget*>(m_editor.data()))
                target->Commit(NextColumn);
            return true;
        }
        return false;
    case ListCommand::Escape:
        if (m_editor) {
            CloseCellEditor(false);
            return true;
        }
        return false;
    case ListCommand::Copy:
        CopyToClipboard();
        return true;
    default:
        return false;
    }
}
