#include "exchange/importcolumnsdlg.h"

#include "foundation/stringstore.h"
#include "store/fielddescriptor.h"
#include "store/fieldvalue.h"
#include "store/storeids.h"
#include "store/topicdatabase.h"

#include <QDialogButtonBox>
#include <QEvent>
#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

namespace Text {
constexpr int Title = 211011;
constexpr int Info = 211012;
constexpr int Sample = 211013;
constexpr int Column = 211014;
constexpr int Variable = 211015;
constexpr int Ok = 100350;
constexpr int Cancel = 100351;
}  // namespace Text

constexpr int kChoiceRows = 20;

// The types a new variable may take, in the order of the store's list.
constexpr qint32 kNewTypes[] = {FieldType::Integer, FieldType::ShortText, FieldType::Real, FieldType::DateTime,
                                FieldType::Boolean};

}  // namespace

CImportColumnsDlg::CImportColumnsDlg(const TopicDatabase* db, QWidget* parent)
    : CResizableDlgBase(kTemplateId, parent), m_db(db)
{
    m_strTitle = LoadString(Text::Title);
    m_strSection = QStringLiteral("dlgImportColumns");
    auto* layout = new QVBoxLayout(this);
    m_info = new QLabel(QStringLiteral("  ") + LoadString(Text::Info), this);
    SetControlId(m_info, InfoText);
    m_info->setAlignment(Qt::AlignCenter);
    m_info->setWordWrap(true);
    layout->addWidget(m_info);

    m_list = new QTreeWidget(this);
    SetControlId(m_list, ColumnList);
    m_list->setColumnCount(3);
    m_list->setHeaderLabels({LoadString(Text::Column), LoadString(Text::Variable), LoadString(Text::Sample)});
    m_list->setRootIsDecorated(false);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setAllColumnsShowFocus(true);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setMinimumSize(480, 220);
    layout->addWidget(m_list, 1);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item, int column) {
        if (column == 1)
            EditRow(m_list->indexOfTopLevelItem(item));
    });

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(TextKey(Text::Ok), QDialogButtonBox::AcceptRole);
    QPushButton* cancel = buttons->addButton(TextKey(Text::Cancel), QDialogButtonBox::RejectRole);
    SetControlId(ok, 1);
    SetControlId(cancel, 2);
    // Enter belongs to the type box and to moving on, not to OK.
    for (QPushButton* button : {ok, cancel}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

CImportColumnsDlg::~CImportColumnsDlg() = default;

bool CImportColumnsDlg::OnInitDialog()
{
    CResizableDlgBase::OnInitDialog();
    if (m_db && m_columns)
        FillList();
    return true;
}

QString CImportColumnsDlg::AssignmentText(qint32 assignment) const
{
    if (assignment > 0) {
        FieldDescriptor field;
        return m_db && m_db->GetFieldDescriptor(m_topic, assignment, field) ? field.Name : QString();
    }
    if (assignment < 0)
        return QStringLiteral("<%1>").arg(FieldTypeName(-assignment));
    return {};
}

void CImportColumnsDlg::FillList()
{
    m_list->clear();
    m_assignments.clear();
    for (int i = 0; i < m_columns->size(); ++i) {
        const ImportColumn& record = m_columns->at(i);
        auto* item = new QTreeWidgetItem(m_list, {record.name, AssignmentText(record.assignment), record.sample});
        item->setData(0, Qt::UserRole, i);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, record.import ? Qt::Checked : Qt::Unchecked);
        m_assignments.append(record.assignment);
    }
    // Three equal columns over the list's width.
    for (int c = 0; c < 3; ++c)
        m_list->header()->setSectionResizeMode(c, QHeaderView::Stretch);
    if (m_list->topLevelItemCount() > 0)
        m_list->setCurrentItem(m_list->topLevelItem(0));
}

void CImportColumnsDlg::EditRow(int row)
{
    QTreeWidgetItem* item = m_list->topLevelItem(row);
    if (!item || m_assignments.value(row) >= 0)
        return;
    CloseChoice();
    auto* box = new QComboBox(m_list->viewport());
    SetControlId(box, ChoiceBoxId);
    box->setFont(font());
    box->setMaxVisibleItems(kChoiceRows);
    box->installEventFilter(this);
    m_choice = box;
    PlaceChoice(row);
    connect(box, &QComboBox::activated, this, [this] { TakeChoice(); });
    box->show();
    box->setFocus();
}

void CImportColumnsDlg::PlaceChoice(int row)
{
    QTreeWidgetItem* item = m_list->topLevelItem(row);
    if (!m_choice || !item)
        return;
    m_editRow = row;
    m_list->setCurrentItem(item);
    m_list->scrollToItem(item);
    const QRect cell = m_list->visualItemRect(item);
    const int x = m_list->header()->sectionViewportPosition(1);
    m_choice->setGeometry(x - 1, cell.top() - 1, m_list->columnWidth(1) + 2, cell.height() + 2);
    m_choice->blockSignals(true);
    m_choice->clear();
    for (const qint32 type : kNewTypes)
        m_choice->addItem(AssignmentText(-type), -type);
    m_choice->setCurrentIndex(std::max(0, m_choice->findData(m_assignments.value(row))));
    m_choice->blockSignals(false);
}

void CImportColumnsDlg::TakeChoice()
{
    QTreeWidgetItem* item = m_list->topLevelItem(m_editRow);
    if (!m_choice || !item || m_assignments.value(m_editRow) >= 0)
        return;
    const qint32 chosen = m_choice->currentData().toInt();
    if (chosen >= 0)
        return;
    m_assignments[m_editRow] = chosen;
    item->setText(1, AssignmentText(chosen));
}

void CImportColumnsDlg::CloseChoice()
{
    if (m_choice) {
        m_choice->removeEventFilter(this);
        m_choice->hide();
        m_choice->deleteLater();
        m_choice = nullptr;
    }
    m_editRow = -1;
}

bool CImportColumnsDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_choice)
        return CResizableDlgBase::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            // Confirm and go on to the next row of a new variable; past the
            // last one the box closes.
            TakeChoice();
            int next = m_editRow + 1;
            while (next < m_list->topLevelItemCount() && m_assignments.value(next) >= 0)
                ++next;
            if (next >= m_list->topLevelItemCount()) {
                CloseChoice();
                m_list->setFocus();
            } else {
                PlaceChoice(next);
            }
            return true;
        }
        if (key == Qt::Key_Escape) {
            CloseChoice();
            m_list->setFocus();
            return true;
        }
        if (key == Qt::Key_Tab || key == Qt::Key_Backtab) {
            TakeChoice();
            CloseChoice();
            focusNextPrevChild(key == Qt::Key_Tab);
            return true;
        }
    } else if (event->type() == QEvent::FocusOut) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::PopupFocusReason && m_choice && !m_choice->view()->isVisible()) {
            TakeChoice();
            QTimer::singleShot(0, this, [this] { CloseChoice(); });
        }
    }
    return CResizableDlgBase::eventFilter(watched, event);
}

void CImportColumnsDlg::keyPressEvent(QKeyEvent* event)
{
    // Enter moves on to the next control instead of closing the dialog.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (auto* button = qobject_cast<QPushButton*>(focusWidget())) {
            button->click();
            return;
        }
        focusNextChild();
        return;
    }
    CResizableDlgBase::keyPressEvent(event);
}

void CImportColumnsDlg::done(int result)
{
    if (result == QDialog::Accepted && m_columns) {
        TakeChoice();
        for (int row = 0; row < m_list->topLevelItemCount(); ++row) {
            QTreeWidgetItem* item = m_list->topLevelItem(row);
            const int index = item->data(0, Qt::UserRole).toInt();
            if (index < 0 || index >= m_columns->size())
                continue;
            ImportColumn& record = (*m_columns)[index];
            record.import = item->checkState(0) == Qt::Checked ? 1 : 0;
            record.assignment = m_assignments.value(row);
        }
    }
    CloseChoice();
    CResizableDlgBase::done(result);
}

bool ImportColumnsDialogChooser::ChooseColumns(const TopicDatabase& db, qint32 topic, QList<ImportColumn>& columns)
{
    CImportColumnsDlg dialog(&db, m_parent);
    dialog.m_topic = topic;
    dialog.m_columns = &columns;
    return dialog.exec() == QDialog::Accepted;
}
