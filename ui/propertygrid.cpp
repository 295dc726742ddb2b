#include "ui/propertygrid.h"

#include "foundation/propertylist.h"
#include "ui/colorpicdlg.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QDateTimeEdit>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr int kCellRole = Qt::UserRole + 1;   // index of the row's cell; -1 for a category
constexpr int kSampleWidth = 20;
constexpr int kSampleHeight = 13;

PropertyImageSource& ImageSource()
{
    static PropertyImageSource source;
    return source;
}

QColor ToQColor(COLORREF c)
{
    return QColor(RedOf(c), GreenOf(c), BlueOf(c));
}

/// A path typed or chosen through the browse button.
class PathEdit : public QWidget {
public:
    PathEdit(QWidget* parent, bool folder) : QWidget(parent), m_folder(folder)
    {
        auto* layout = new QHBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        m_edit = new QLineEdit(this);
        auto* browse = new QToolButton(this);
        browse->setText(QStringLiteral("..."));
        layout->addWidget(m_edit, 1);
        layout->addWidget(browse);
        setFocusProxy(m_edit);
        setAutoFillBackground(true);
        connect(browse, &QToolButton::clicked, this, [this] {
            const QString chosen = m_folder ? QFileDialog::getExistingDirectory(this, QString(), m_edit->text())
                                            : QFileDialog::getOpenFileName(this, QString(), m_edit->text());
            if (!chosen.isEmpty())
                m_edit->setText(chosen);
        });
    }
    QLineEdit* Edit() const { return m_edit; }

private:
    QLineEdit* m_edit = nullptr;
    bool m_folder;
};

/// One editor per cell kind; colours and check boxes are edited by the grid.
class PropertyDelegate : public QStyledItemDelegate {
public:
    explicit PropertyDelegate(CPropertyGridWnd* grid) : QStyledItemDelegate(grid), m_grid(grid) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const override
    {
        PropertyCell* cell = CellAt(index);
        if (!cell || index.column() != 1)
            return nullptr;
        switch (cell->kind) {
        case PropertyCellKind::Text: return new QLineEdit(parent);
        case PropertyCellKind::Folder: return new PathEdit(parent, true);
        case PropertyCellKind::File: return new PathEdit(parent, false);
        case PropertyCellKind::Number:
            if (cell->number.IsInteger()) {
                auto* spin = new QSpinBox(parent);
                const CExtUpDown& n = cell->number;
                spin->setRange(n.HasRange() ? int(n.Minimum()) : std::numeric_limits<int>::min(),
                               n.HasRange() ? int(n.Maximum()) : std::numeric_limits<int>::max());
                return spin;
            } else {
                auto* spin = new QDoubleSpinBox(parent);
                spin->setRange(-1e12, 1e12);
                spin->setDecimals(2);
                spin->setSingleStep(0.1);
                return spin;
            }
        case PropertyCellKind::Combo: {
            auto* combo = new QComboBox(parent);
            for (const PropertyComboEntry& e : cell->entries) {
                if (e.image >= 0 && e.image < cell->images.size())
                    combo->addItem(QIcon(cell->images.at(e.image)), e.text, e.data);
                else
                    combo->addItem(e.text, e.data);
            }
            return combo;
        }
        case PropertyCellKind::DateTime: {
            if (cell->dateMode == 4)
                return new QDateEdit(parent);
            auto* edit = new QDateTimeEdit(parent);
            edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
            return edit;
        }
        case PropertyCellKind::Colour:
        case PropertyCellKind::Check:
            return nullptr;
        }
        return nullptr;
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override
    {
        PropertyCell* cell = CellAt(index);
        if (!cell)
            return;
        if (auto* path = dynamic_cast<PathEdit*>(editor))
            path->Edit()->setText(cell->text);
        else if (auto* line = qobject_cast<QLineEdit*>(editor))
            line->setText(cell->text);
        else if (auto* spin = qobject_cast<QSpinBox*>(editor))
            spin->setValue(int(cell->number.Integer()));
        else if (auto* dspin = qobject_cast<QDoubleSpinBox*>(editor))
            dspin->setValue(cell->number.Double());
        else if (auto* combo = qobject_cast<QComboBox*>(editor))
            combo->setCurrentIndex(cell->selection);
        else if (auto* date = qobject_cast<QDateTimeEdit*>(editor))
            date->setDateTime(cell->dateTime.isValid() ? cell->dateTime : QDateTime::currentDateTime());
    }

    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override
    {
        PropertyCell* cell = CellAt(index);
        if (!cell)
            return;
        if (auto* path = dynamic_cast<PathEdit*>(editor))
            cell->text = path->Edit()->text();
        else if (auto* line = qobject_cast<QLineEdit*>(editor))
            cell->text = line->text();
        else if (auto* spin = qobject_cast<QSpinBox*>(editor))
            cell->number.SetFromText(QString::number(spin->value()));
        else if (auto* dspin = qobject_cast<QDoubleSpinBox*>(editor))
            cell->number.SetDouble(dspin->value());
        else if (auto* combo = qobject_cast<QComboBox*>(editor))
            cell->selection = combo->currentIndex();
        else if (auto* date = qobject_cast<QDateTimeEdit*>(editor))
            cell->dateTime = cell->dateMode == 4 ? QDateTime(date->date(), QTime(0, 0)) : date->dateTime();
        model->setData(index, cell->DisplayText(), Qt::DisplayRole);
    }

    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option, const QModelIndex&) const override
    {
        editor->setGeometry(option.rect);
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem opt(option);
        PropertyCell* cell = CellAt(index);
        if (cell && index.column() == 1 && cell->IsMarked())
            opt.font.setBold(true);
        if (!cell || index.column() != 1 || cell->kind != PropertyCellKind::Colour) {
            QStyledItemDelegate::paint(painter, opt, index);
            return;
        }
        // The colour sample before the value text.
        initStyleOption(&opt, index);
        opt.text.clear();
        const QWidget* widget = opt.widget;
        (widget ? widget->style() : QApplication::style())->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
        const QRect sample(opt.rect.left() + 2, opt.rect.center().y() - kSampleHeight / 2, kSampleWidth,
                           kSampleHeight);
        painter->save();
        painter->fillRect(sample, ToQColor(cell->colour));
        painter->setPen(opt.palette.color(QPalette::Text));
        painter->drawRect(sample.adjusted(0, 0, -1, -1));
        painter->setFont(opt.font);
        const QRect text = opt.rect.adjusted(kSampleWidth + 6, 0, 0, 0);
        painter->drawText(text, Qt::AlignVCenter | Qt::AlignLeft, cell->DisplayText());
        painter->restore();
    }

private:
    PropertyCell* CellAt(const QModelIndex& index) const
    {
        const int i = index.siblingAtColumn(0).data(kCellRole).toInt();
        CPropertyStore* store = m_grid->Store();
        if (!store || !index.isValid() || i < 0 || size_t(i) >= store->cells.size())
            return nullptr;
        return &store->cells[size_t(i)];
    }

    CPropertyGridWnd* m_grid;
};

}  // namespace

// ---- CExtUpDown ---------------------------------------------------------------

void CExtUpDown::SetRange(double minimum, double maximum)
{
    if (minimum == maximum)
        return;
    m_minimum = minimum;
    m_maximum = maximum;
    m_rangeSet = true;
}

bool CExtUpDown::Increment()
{
    if (m_rangeSet && m_value >= m_maximum)
        return false;
    m_value += m_integer ? 1.0 : 0.1;
    return true;
}

bool CExtUpDown::Decrement()
{
    if (m_rangeSet && m_value <= m_minimum)
        return false;
    m_value -= m_integer ? 1.0 : 0.1;
    return true;
}

bool CExtUpDown::SetFromText(const QString& text)
{
    bool ok = false;
    if (m_integer) {
        const qint64 value = text.trimmed().toLongLong(&ok);
        if (!ok || (m_rangeSet && (double(value) < m_minimum || double(value) > m_maximum)))
            return false;
        m_value = double(value);
        return true;
    }
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return false;
    m_value = value;
    return true;
}

QString CExtUpDown::Text() const
{
    return m_integer ? QString::number(Integer()) : QString::number(m_value, 'f', 2);
}

// ---- Cells and store ---------------------------------------------------------

QString PropertyCell::DisplayText() const
{
    switch (kind) {
    case PropertyCellKind::Text:
    case PropertyCellKind::Folder:
    case PropertyCellKind::File:
        return text;
    case PropertyCellKind::Number:
        return number.Text();
    case PropertyCellKind::Combo:
        return selection >= 0 && selection < entries.size() ? entries.at(selection).text : QString();
    case PropertyCellKind::Colour:
        return QStringLiteral("%1, %2, %3").arg(RedOf(colour)).arg(GreenOf(colour)).arg(BlueOf(colour));
    case PropertyCellKind::DateTime:
        if (!dateTime.isValid())
            return {};
        return dateMode == 4 ? dateTime.date().toString(Qt::ISODate)
                             : dateTime.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    case PropertyCellKind::Check:
        return {};
    }
    return {};
}

PropertyCell* CPropertyStore::Find(const QString& category, const QString& name, bool categorised)
{
    for (PropertyCell& cell : cells)
        if (cell.name == name && (!categorised || cell.category == category))
            return &cell;
    return nullptr;
}

void SetPropertyImageSource(PropertyImageSource source)
{
    ImageSource() = std::move(source);
}

// ---- CPropertyValue ----------------------------------------------------------

CPropertyStore* CPropertyValue::BuildGrid()
{
    if (!m_list)
        return nullptr;
    m_store = std::make_unique<CPropertyStore>();
    m_categorised = false;
    QString category;
    for (int i = 0; i < m_list->GetCount(); ++i) {
        CPropertyRecord r;
        m_list->GetAt(i, r);
        if (!r.IsVisible())
            continue;
        if (r.GetType() == PropertyType::Group) {
            category = r.GetName();
            m_store->categories.append(category);
            m_categorised = true;
            continue;
        }
        PropertyCell cell;
        cell.category = category;
        cell.name = r.GetName();
        const bool mark = r.GetFlag2();
        switch (r.GetType()) {
        case PropertyType::Text:
        case PropertyType::Folder:
        case PropertyType::File:
            cell.kind = r.GetType() == PropertyType::Text     ? PropertyCellKind::Text
                        : r.GetType() == PropertyType::Folder ? PropertyCellKind::Folder
                                                              : PropertyCellKind::File;
            cell.text = r.GetValue();
            break;
        case PropertyType::Number:
        case PropertyType::Integer:
            cell.kind = PropertyCellKind::Number;
            cell.number.SetInteger(0);
            cell.number.SetRange(r.GetMinimum(), r.GetMaximum());
            cell.number.SetInteger(r.GetIntValue());
            break;
        case PropertyType::IntegerList: {
            cell.kind = PropertyCellKind::Combo;
            qint32 width = 0;
            qint32 height = 0;
            r.GetRange(width, height);
            if (ImageSource())
                cell.images = ImageSource()(r.GetRangeKind(), width, height);
            const QStringList texts = r.GetStringItems();
            QString previous;
            for (int e = 0; e < r.GetItemCount(); ++e) {
                const QString text = texts.value(e);
                // An unnamed entry repeats the one before it, told apart by a blank.
                previous = text.isEmpty() ? previous + u' ' : text;
                cell.entries.append({previous, int(r.GetIntItem(e)), e});
            }
            cell.selection = r.GetIntValue();
            break;
        }
        case PropertyType::Choice:
            cell.kind = PropertyCellKind::Combo;
            for (int e = 0; e < r.GetItemCount(); ++e)
                cell.entries.append({r.GetStringItem(e), -1, 0});
            cell.selection = r.GetIntValue();
            break;
        case PropertyType::Color:
            cell.kind = PropertyCellKind::Colour;
            cell.colour = COLORREF(r.GetIntValue());
            break;
        case PropertyType::Real:
            cell.kind = PropertyCellKind::Number;
            cell.number.SetDouble(r.GetDoubleValue());
            break;
        case PropertyType::DateTime:
        case PropertyType::Date:
            cell.kind = PropertyCellKind::DateTime;
            cell.dateMode = r.GetType() == PropertyType::Date ? 4 : 6;
            cell.dateTime = r.GetValue().isEmpty() ? QDateTime() : r.GetDateTimeValue();
            break;
        case PropertyType::Boolean:
            cell.kind = PropertyCellKind::Check;
            cell.check = r.GetBoolValue();
            break;
        case PropertyType::Group:
            break;
        }
        if (cell.kind == PropertyCellKind::Combo)
            cell.style |= kCellStyleCombo;
        if (mark)
            cell.style |= kCellStyleMarked;
        m_store->cells.push_back(std::move(cell));
    }
    return m_store.get();
}

CPropertyList* CPropertyValue::Apply()
{
    if (!m_list || !m_store)
        return m_list;
    QString category;
    for (int i = 0; i < m_list->GetCount(); ++i) {
        CPropertyRecord r;
        m_list->GetAt(i, r);
        if (!r.IsVisible())
            continue;
        const qint32 id = r.GetId();
        const QString name = r.GetName();
        // A value is written only when it differs from the record's as its
        // type reads it: "1" and "1.00" are the same real.
        switch (r.GetType()) {
        case PropertyType::Group:
            category = name;
            break;
        case PropertyType::Text:
        case PropertyType::Folder:
        case PropertyType::File:
            m_list->SetString(id, GetText(category, name));
            break;
        case PropertyType::Number:
        case PropertyType::Integer:
            if (const qint32 value = qint32(GetInteger(category, name)); value != r.GetIntValue())
                m_list->SetInt(id, value);
            break;
        case PropertyType::Color:
            if (const qint32 value = qint32(GetColour(category, name)); value != r.GetIntValue())
                m_list->SetInt(id, value);
            break;
        case PropertyType::Real:
            if (const double value = GetDouble(category, name); value != r.GetDoubleValue())
                m_list->SetDouble(id, value);
            break;
        case PropertyType::DateTime:
        case PropertyType::Date: {
            const QDateTime value = GetDateTime(category, name);
            const QDateTime old = r.GetValue().isEmpty() ? QDateTime() : r.GetDateTimeValue();
            if (value != old)
                m_list->SetDateTime(id, value);
            break;
        }
        case PropertyType::Boolean:
            if (const bool value = GetCheck(category, name); value != r.GetBoolValue())
                m_list->SetBool(id, value);
            break;
        case PropertyType::IntegerList:
        case PropertyType::Choice:
            if (const int value = GetSelection(category, name); value != r.GetIntValue())
                m_list->SetInt(id, value);
            break;
        }
    }
    return m_list;
}

PropertyCell* CPropertyValue::Cell(const QString& category, const QString& name, PropertyCellKind kind)
{
    if (!m_store)
        return nullptr;
    PropertyCell* cell = m_store->Find(category, name, m_categorised);
    if (!cell)
        return nullptr;
    const bool text = kind == PropertyCellKind::Text;
    const bool isText = cell->kind == PropertyCellKind::Text || cell->kind == PropertyCellKind::Folder
                        || cell->kind == PropertyCellKind::File;
    if (text ? !isText : cell->kind != kind)
        return nullptr;
    return cell;
}

QString CPropertyValue::GetText(const QString& category, const QString& name)
{
    PropertyCell* c = Cell(category, name, PropertyCellKind::Text);
    return c ? c->text : QString();
}

qint64 CPropertyValue::GetInteger(const QString& category, const QString& name)
{
    PropertyCell* c = Cell(category, name, PropertyCellKind::Number);
    return c ? c->number.Integer() : 0;
}

double CPropertyValue::GetDouble(const QString& category, const QString& name)
{
    PropertyCell* c = Cell(category, name, PropertyCellKind::Number);
    return c ? c->number.Double() : 0.0;
}

QDateTime CPropertyValue::GetDateTime(const QString& category, const QString& name)
{
    PropertyCell* c = Cell(category, name, PropertyCellKind::DateTime);
    return c ? c->dateTime : QDateTime();
}

bool CPropertyValue::GetCheck(const QString& category, const QString& name)
{
    PropertyCell* c = Cell(category, name, PropertyCellKind::Check);
    return c && c->check;
}

COLORREF CPropertyValue::GetColour(const QString& category, const QString& name)
{
    PropertyCell* c = Cell(category, name, PropertyCellKind::Colour);
    return c ? c->colour : 0;
}

int CPropertyValue::GetSelection(const QString& category, const QString& name)
{
    PropertyCell* c = Cell(category, name, PropertyCellKind::Combo);
    return c ? c->selection : 0;
}

namespace {
void Mark(PropertyCell* cell, bool mark)
{
    if (cell && mark)
        cell->style |= kCellStyleMarked;
}
}  // namespace

void CPropertyValue::SetText(const QString& category, const QString& name, const QString& text, bool mark)
{
    if (PropertyCell* c = Cell(category, name, PropertyCellKind::Text)) {
        c->text = text;
        Mark(c, mark);
    }
}

void CPropertyValue::SetInteger(const QString& category, const QString& name, qint64 value, bool mark)
{
    if (PropertyCell* c = Cell(category, name, PropertyCellKind::Number)) {
        c->number.SetInteger(value);
        Mark(c, mark);
    }
}

void CPropertyValue::SetDouble(const QString& category, const QString& name, double value, bool mark)
{
    if (PropertyCell* c = Cell(category, name, PropertyCellKind::Number)) {
        c->number.SetDouble(value);
        Mark(c, mark);
    }
}

void CPropertyValue::SetDateTime(const QString& category, const QString& name, const QDateTime& value, bool mark)
{
    if (PropertyCell* c = Cell(category, name, PropertyCellKind::DateTime)) {
        c->dateTime = value;
        Mark(c, mark);
    }
}

void CPropertyValue::SetDateTimeMode(const QString& category, const QString& name, int mode)
{
    if (PropertyCell* c = Cell(category, name, PropertyCellKind::DateTime))
        c->dateMode = mode == 4 ? 4 : 6;
}

void CPropertyValue::SetCheck(const QString& category, const QString& name, bool check, bool mark)
{
    if (PropertyCell* c = Cell(category, name, PropertyCellKind::Check)) {
        c->check = check;
        Mark(c, mark);
    }
}

void CPropertyValue::SetColour(const QString& category, const QString& name, COLORREF colour, bool mark)
{
    if (PropertyCell* c = Cell(category, name, PropertyCellKind::Colour)) {
        c->colour = colour;
        Mark(c, mark);
    }
}

void CPropertyValue::SetIntegerRange(const QString& category, const QString& name, qint64 minimum, qint64 maximum)
{
    if (PropertyCell* c = Cell(category, name, PropertyCellKind::Number))
        c->number.SetRange(double(minimum), double(maximum));
}

// ---- CPropertyGridWnd ----------------------------------------------------------

CPropertyGridWnd::CPropertyGridWnd(QWidget* parent) : QTreeWidget(parent)
{
    setColumnCount(2);
    setHeaderHidden(true);
    setRootIsDecorated(true);
    setAlternatingRowColors(false);
    setUniformRowHeights(true);
    setFrameShape(QFrame::NoFrame);
    setItemDelegate(new PropertyDelegate(this));
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                    | QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
    header()->setSectionResizeMode(0, QHeaderView::Interactive);
    header()->setStretchLastSection(true);
    header()->resizeSection(0, 220);
    // Check boxes write through at once.
    connect(this, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int column) {
        PropertyCell* cell = CellOf(item);
        if (cell && column == 1 && cell->kind == PropertyCellKind::Check)
            cell->check = item->checkState(1) == Qt::Checked;
    });
    connect(this, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item, int) {
        PropertyCell* cell = CellOf(item);
        if (cell && cell->kind == PropertyCellKind::Colour && ChooseColour(cell->colour))
            item->setText(1, cell->DisplayText());
    });
}

void CPropertyGridWnd::SetStore(CPropertyStore* store)
{
    clear();
    m_store = store;
    if (!store)
        return;
    QSignalBlocker block(this);
    QTreeWidgetItem* parent = nullptr;
    QString category;
    bool inCategory = false;
    QFont bold = font();
    bold.setBold(true);
    for (size_t i = 0; i < store->cells.size(); ++i) {
        PropertyCell& cell = store->cells[i];
        if (!cell.category.isEmpty() && (!inCategory || cell.category != category)) {
            parent = new QTreeWidgetItem(this, {cell.category});
            parent->setData(0, kCellRole, -1);
            parent->setFont(0, bold);
            parent->setFirstColumnSpanned(true);
            parent->setFlags(Qt::ItemIsEnabled);
            parent->setExpanded(true);
            category = cell.category;
            inCategory = true;
        }
        auto* item = cell.category.isEmpty() ? new QTreeWidgetItem(this) : new QTreeWidgetItem(parent);
        item->setText(0, cell.name);
        item->setData(0, kCellRole, int(i));
        Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
        if (cell.kind == PropertyCellKind::Check)
            flags |= Qt::ItemIsUserCheckable;
        item->setFlags(flags);
        if (cell.kind == PropertyCellKind::Check)
            item->setCheckState(1, cell.check ? Qt::Checked : Qt::Unchecked);
        else
            item->setText(1, cell.DisplayText());
    }
    expandAll();
    FitNameColumn();
}

void CPropertyGridWnd::FitNameColumn()
{
    // Names are read whole where the window allows it; values keep the rest.
    const int fit = sizeHintForColumn(0) + 4;
    setColumnWidth(0, std::clamp(fit, 60, std::max(60, viewport()->width() * 3 / 5)));
}

void CPropertyGridWnd::resizeEvent(QResizeEvent* event)
{
    QTreeWidget::resizeEvent(event);
    FitNameColumn();
}

PropertyCell* CPropertyGridWnd::CellOf(const QTreeWidgetItem* item) const
{
    if (!item || !m_store)
        return nullptr;
    const int i = item->data(0, kCellRole).toInt();
    return i >= 0 && size_t(i) < m_store->cells.size() ? &m_store->cells[size_t(i)] : nullptr;
}

QTreeWidgetItem* CPropertyGridWnd::FindItem(const QString& category, const QString& name) const
{
    for (QTreeWidgetItemIterator it(const_cast<CPropertyGridWnd*>(this)); *it; ++it)
        if (PropertyCell* cell = CellOf(*it))
            if (cell->name == name && (category.isEmpty() || cell->category == category))
                return *it;
    return nullptr;
}

void CPropertyGridWnd::RefreshValues()
{
    QSignalBlocker block(this);
    for (QTreeWidgetItemIterator it(this); *it; ++it)
        if (PropertyCell* cell = CellOf(*it)) {
            if (cell->kind == PropertyCellKind::Check)
                (*it)->setCheckState(1, cell->check ? Qt::Checked : Qt::Unchecked);
            else
                (*it)->setText(1, cell->DisplayText());
        }
}

bool CPropertyGridWnd::ChooseColour(COLORREF& colour)
{
    if (m_chooseColour)
        return m_chooseColour(this, colour);
    ColorPicDlg picker(this);
    picker.m_color = colour;
    if (picker.exec() != QDialog::Accepted)
        return false;
    colour = picker.m_color;
    return true;
}

void CPropertyGridWnd::ToggleCheck(QTreeWidgetItem* item)
{
    item->setCheckState(1, item->checkState(1) == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}

void CPropertyGridWnd::keyPressEvent(QKeyEvent* event)
{
    QTreeWidgetItem* item = currentItem();
    PropertyCell* cell = CellOf(item);
    if (cell) {
        // Keys act on the value column.
        if (currentColumn() != 1)
            setCurrentItem(item, 1);
        if (cell->kind == PropertyCellKind::Check && event->key() == Qt::Key_Space) {
            ToggleCheck(item);
            return;
        }
        if (cell->kind == PropertyCellKind::Colour
            && (event->key() == Qt::Key_F2 || event->key() == Qt::Key_Return || event->key() == Qt::Key_Space)) {
            if (ChooseColour(cell->colour))
                item->setText(1, cell->DisplayText());
            return;
        }
    }
    QTreeWidget::keyPressEvent(event);
}

void CPropertyGridWnd::CommitOpenEditor()
{
    const QModelIndex index = currentIndex();
    if (QWidget* editor = index.isValid() ? indexWidget(index) : nullptr) {
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

// ---- CPropertyGridCtrl -------------------------------------------------------

CPropertyGridCtrl::CPropertyGridCtrl(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    m_grid = new CPropertyGridWnd(this);
    m_grid->setObjectName(QString::number(kGridId));
    m_sorted = new CPropertyGridWnd(this);
    m_sorted->setObjectName(QString::number(kSortedGridId));
    m_sorted->setSortingEnabled(true);
    m_sorted->hide();
    layout->addWidget(m_grid);
    layout->addWidget(m_sorted);
    setFocusProxy(m_grid);
}

CPropertyGridCtrl::~CPropertyGridCtrl()
{
    // The windows show the binding's store: they let go of it first.
    m_grid->SetStore(nullptr);
    m_sorted->SetStore(nullptr);
}

void CPropertyGridCtrl::SetPropertyList(CPropertyList* list)
{
    m_grid->SetStore(nullptr);
    m_binding.SetList(list);
    m_grid->SetStore(m_binding.BuildGrid());
}

CPropertyList* CPropertyGridCtrl::Apply()
{
    m_grid->CommitOpenEditor();
    return m_binding.Apply();
}

void CPropertyGridCtrl::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setPen(m_border ? palette().color(QPalette::Mid) : QColor(Qt::white));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}
