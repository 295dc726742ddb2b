#include "exchange/exchangechoicedlg.h"

#include "foundation/stringstore.h"
#include "store/storeids.h"
#include "store/topicdatabase.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSet>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

namespace Text {
constexpr int Title = 100118;
constexpr int Ok = 100350;
constexpr int Cancel = 100351;
constexpr int Variables = 100352;
constexpr int Memos = 100353;
constexpr int Codings = 100354;
constexpr int Info = 100355;
constexpr int Protocol = 100356;
constexpr int Links = 102136;
constexpr int FirstMode = 102132;  // to 102135
constexpr int ExchangeColumn = 3117;
constexpr int ProjectColumn = 3118;
constexpr int NotImported = 3119;
}  // namespace Text

constexpr int kModes = 4;
constexpr int kChoiceRows = 20;

}  // namespace

CExchangeChoiceDlg::CExchangeChoiceDlg(const TopicDatabase* exchange, const TopicDatabase* project,
                                       const QString& sourceProject, QWidget* parent)
    : CResizableDlgBase(kTemplateId, parent), m_exchange(exchange), m_project(project), m_sourceProject(sourceProject)
{
    // The caption names the project that wrote the file.
    m_strTitle = QStringLiteral("%1  -  '%2'").arg(LoadString(Text::Title), sourceProject);
    m_strSection = QStringLiteral("dlgExchangeChoice");
    auto* layout = new QVBoxLayout(this);
    m_info = new QLabel(QStringLiteral("  ") + LoadString(Text::Info), this);
    SetControlId(m_info, InfoText);
    m_info->setAlignment(Qt::AlignCenter);
    m_info->setWordWrap(true);
    layout->addWidget(m_info);

    m_list = new QTreeWidget(this);
    SetControlId(m_list, DocumentList);
    m_list->setColumnCount(3);
    m_list->setHeaderLabels({QString(), LoadString(Text::ExchangeColumn), LoadString(Text::ProjectColumn)});
    m_list->setColumnHidden(0, true);
    m_list->setRootIsDecorated(false);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setAllColumnsShowFocus(true);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setMinimumSize(420, 200);
    layout->addWidget(m_list, 1);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item, int column) {
        if (column == 2)
            EditRow(m_list->indexOfTopLevelItem(item));
    });

    auto* group = new QGroupBox(this);
    SetControlId(group, OptionsGroup);
    auto* grid = new QGridLayout(group);
    const int checkIds[5] = {VariablesCheck, CodingsCheck, MemosCheck, LinksCheck, ProtocolCheck};
    const int checkTexts[5] = {Text::Variables, Text::Codings, Text::Memos, Text::Links, Text::Protocol};
    for (int i = 0; i < 5; ++i) {
        m_checks[i] = new QCheckBox(TextKey(checkTexts[i]), group);
        SetControlId(m_checks[i], checkIds[i]);
        grid->addWidget(m_checks[i], i, 0, 1, i == 4 ? 2 : 1);
    }
    m_modeList = new QComboBox(group);
    SetControlId(m_modeList, ModeList);
    grid->addWidget(m_modeList, 1, 1);
    grid->setColumnStretch(1, 1);
    connect(m_checks[1], &QCheckBox::toggled, m_modeList, &QWidget::setEnabled);
    layout->addWidget(group);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(TextKey(Text::Ok), QDialogButtonBox::AcceptRole);
    QPushButton* cancel = buttons->addButton(TextKey(Text::Cancel), QDialogButtonBox::RejectRole);
    SetControlId(ok, 1);
    SetControlId(cancel, 2);
    // Enter belongs to the list's choice box and to moving on, not to OK.
    for (QPushButton* button : {ok, cancel}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

CExchangeChoiceDlg::~CExchangeChoiceDlg() = default;

bool CExchangeChoiceDlg::OnInitDialog()
{
    CResizableDlgBase::OnInitDialog();
    const bool values[5] = {m_variables, m_codings, m_memos, m_links, m_protocol};
    for (int i = 0; i < 5; ++i)
        m_checks[i]->setChecked(values[i]);
    for (int mode = 0; mode < kModes; ++mode)
        m_modeList->addItem(LoadString(Text::FirstMode + mode), mode);
    m_modeList->setCurrentIndex(m_mode >= 0 && m_mode < kModes ? m_mode : -1);
    m_modeList->setEnabled(m_codings);
    if (m_exchange) {
        Preassign();
        FillList();
    }
    return true;
}

QString CExchangeChoiceDlg::ShortName(const TopicDatabase* db, qint32 document) const
{
    return db ? db->FormatRowDisplay(TopicId::Documents, document, false) : QString();
}

void CExchangeChoiceDlg::Preassign()
{
    QList<qint32> free = m_candidates;
    QList<qint32> documents;
    m_exchange->GetAllKeys(TopicId::Documents, documents);
    for (const qint32 document : std::as_const(documents)) {
        if (m_assignment.value(document))
            continue;
        const QString name = ShortName(m_exchange, document);
        // Of several candidates of that name the last one is taken; the
        // earlier ones stay free for other rows.
        qsizetype match = -1;
        for (qsizetype i = 0; i < free.size(); ++i)
            if (ShortName(m_project, free.at(i)).compare(name, Qt::CaseInsensitive) == 0)
                match = i;
        if (match >= 0)
            m_assignment.insert(document, free.takeAt(match));
    }
}

void CExchangeChoiceDlg::FillList()
{
    m_list->clear();
    QList<qint32> documents;
    m_exchange->GetAllKeys(TopicId::Documents, documents);
    for (const qint32 document : std::as_const(documents)) {
        const qint32 assigned = m_assignment.value(document);
        auto* item = new QTreeWidgetItem(
            m_list, {QString(), ShortName(m_exchange, document), assigned ? ShortName(m_project, assigned) : QString()});
        item->setData(0, Qt::UserRole, document);
    }
    // Both named columns share the width, whatever size the dialog takes.
    m_list->header()->setStretchLastSection(false);
    m_list->header()->setSectionResizeMode(1, QHeaderView::Stretch);
    m_list->header()->setSectionResizeMode(2, QHeaderView::Stretch);
}

void CExchangeChoiceDlg::EditRow(int row)
{
    QTreeWidgetItem* item = m_list->topLevelItem(row);
    if (!item)
        return;
    CloseChoice();
    m_editRow = row;
    m_list->setCurrentItem(item);
    m_list->scrollToItem(item);
    auto* box = new QComboBox(m_list->viewport());
    SetControlId(box, ChoiceBoxId);
    box->setFont(font());
    box->setMaxVisibleItems(kChoiceRows);
    box->installEventFilter(this);
    m_choice = box;
    FillChoice(row, false);
    connect(box, &QComboBox::activated, this, [this] { TakeChoice(); });
    box->show();
    box->setFocus();
}

void CExchangeChoiceDlg::FillChoice(int row, bool allDocuments)
{
    QTreeWidgetItem* item = m_list->topLevelItem(row);
    if (!m_choice || !item)
        return;
    const QRect cell = m_list->visualItemRect(item);
    const int x = m_list->header()->sectionViewportPosition(2);
    m_choice->setGeometry(x - 1, cell.top() - 1, m_list->columnWidth(2) + 2, cell.height() + 2);
    const qint32 document = item->data(0, Qt::UserRole).toInt();
    const qint32 own = m_assignment.value(document);
    QSet<qint32> taken;
    for (auto it = m_assignment.cbegin(); it != m_assignment.cend(); ++it)
        if (it.key() != document && it.value())
            taken.insert(it.value());
    QList<qint32> offered = m_candidates;
    if (allDocuments && m_project)
        m_project->GetAllKeys(TopicId::Documents, offered);
    m_choice->blockSignals(true);
    m_choice->clear();
    m_choice->addItem(LoadString(Text::NotImported), 0);
    for (const qint32 key : std::as_const(offered))
        if (!taken.contains(key))
            m_choice->addItem(ShortName(m_project, key), key);
    m_choice->setCurrentIndex(std::max(0, m_choice->findData(own)));
    m_choice->blockSignals(false);
    m_original = own;
}

void CExchangeChoiceDlg::TakeChoice()
{
    QTreeWidgetItem* item = m_list->topLevelItem(m_editRow);
    if (!m_choice || !item)
        return;
    const qint32 chosen = m_choice->currentData().toInt();
    m_assignment.insert(item->data(0, Qt::UserRole).toInt(), chosen);
    item->setText(2, chosen ? ShortName(m_project, chosen) : QString());
}

void CExchangeChoiceDlg::CloseChoice()
{
    if (m_choice) {
        m_choice->removeEventFilter(this);
        m_choice->hide();
        m_choice->deleteLater();
        m_choice = nullptr;
    }
    m_editRow = -1;
}

bool CExchangeChoiceDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_choice)
        return CResizableDlgBase::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            // Confirm and go on with the next row; the last row ends editing.
            TakeChoice();
            const int next = m_editRow + 1;
            if (next >= m_list->topLevelItemCount()) {
                CloseChoice();
                m_list->setFocus();
                return true;
            }
            m_editRow = next;
            QTreeWidgetItem* item = m_list->topLevelItem(next);
            m_list->setCurrentItem(item);
            m_list->scrollToItem(item);
            FillChoice(next, true);
            return true;
        }
        if (key == Qt::Key_Escape) {
            // The row gets back what it had when the box came to it.
            if (QTreeWidgetItem* item = m_list->topLevelItem(m_editRow)) {
                m_assignment.insert(item->data(0, Qt::UserRole).toInt(), m_original);
                item->setText(2, m_original ? ShortName(m_project, m_original) : QString());
            }
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
            // Closed after the event: the box is still delivering it.
            QTimer::singleShot(0, this, [this] { CloseChoice(); });
        }
    }
    return CResizableDlgBase::eventFilter(watched, event);
}

void CExchangeChoiceDlg::keyPressEvent(QKeyEvent* event)
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

void CExchangeChoiceDlg::done(int result)
{
    if (result == QDialog::Accepted) {
        TakeChoice();
        const QVariant mode = m_modeList->currentData();
        // No choice in the list counts as the first mode.
        m_mode = mode.isValid() ? mode.toInt() : 0;
        bool* values[5] = {&m_variables, &m_codings, &m_memos, &m_links, &m_protocol};
        for (int i = 0; i < 5; ++i)
            *values[i] = m_checks[i]->isChecked();
    }
    CloseChoice();
    CResizableDlgBase::done(result);
}
