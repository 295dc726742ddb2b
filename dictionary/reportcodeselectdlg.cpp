#include "dictionary/reportcodeselectdlg.h"

#include "dictionary/wordfreqtexts.h"
#include "foundation/stringstore.h"
#include "panes/listids.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <numeric>

namespace {

namespace Text {
constexpr int Caption = 208000;
constexpr int ListLabel = 208001;
constexpr int OnlyActivated = 3122;
}  // namespace Text

}  // namespace

ReportCodeSelectDlg::ReportCodeSelectDlg(QWidget* parent) : CResizableDlgBase(kTemplateId, parent)
{
    m_strSection = QStringLiteral("dlgReportCodes");
    setWindowTitle(LoadString(Text::Caption));
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(TextKey(Text::ListLabel), this);
    SetControlId(label, ListLabel);
    layout->addWidget(label);
    m_list = new QListWidget(this);
    SetControlId(m_list, CodeList);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setUniformItemSizes(true);
    label->setBuddy(m_list);
    layout->addWidget(m_list, 1);
    m_onlyActivatedCheck = new QCheckBox(TextKey(Text::OnlyActivated), this);
    SetControlId(m_onlyActivatedCheck, OnlyActivated);
    layout->addWidget(m_onlyActivatedCheck);

    auto* box = new QDialogButtonBox(this);
    QPushButton* all = box->addButton(TextKey(WordFreqText::CheckAll), QDialogButtonBox::ActionRole);
    QPushButton* none = box->addButton(TextKey(WordFreqText::UncheckAll), QDialogButtonBox::ActionRole);
    QPushButton* ok = box->addButton(TextKey(ListText::Ok), QDialogButtonBox::AcceptRole);
    QPushButton* cancel = box->addButton(TextKey(ListText::Cancel), QDialogButtonBox::RejectRole);
    SetControlId(all, CheckAll);
    SetControlId(none, UncheckAll);
    SetControlId(ok, 1);
    SetControlId(cancel, 2);
    ok->setDefault(true);
    connect(all, &QPushButton::clicked, this, [this] { TickAll(true); });
    connect(none, &QPushButton::clicked, this, [this] { TickAll(false); });
    connect(box, &QDialogButtonBox::accepted, this, &ReportCodeSelectDlg::accept);
    connect(box, &QDialogButtonBox::rejected, this, &ReportCodeSelectDlg::reject);
    layout->addWidget(box);
    resize(420, 360);
}

bool ReportCodeSelectDlg::OnInitDialog()
{
    CResizableDlgBase::OnInitDialog();
    // Rows by parent, then by code; each row knows its item.
    QList<int> order(m_items.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [this](int a, int b) {
        const CodeSelItem& x = m_items.at(a);
        const CodeSelItem& y = m_items.at(b);
        return x.parentId != y.parentId ? x.parentId < y.parentId : x.codeId < y.codeId;
    });
    m_list->clear();
    for (const int index : std::as_const(order)) {
        auto* row = new QListWidgetItem(m_items.at(index).name.left(kMaxNameLength), m_list);
        row->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        row->setCheckState(m_items.at(index).checked ? Qt::Checked : Qt::Unchecked);
        row->setData(Qt::UserRole, index);
    }
    m_onlyActivatedCheck->setEnabled(m_allowOnlyActivated);
    m_onlyActivatedCheck->setChecked(m_allowOnlyActivated && m_onlyActivated);
    return true;
}

void ReportCodeSelectDlg::TickAll(bool on)
{
    for (int i = 0; i < m_list->count(); ++i)
        m_list->item(i)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
}

void ReportCodeSelectDlg::accept()
{
    for (int i = 0; i < m_list->count(); ++i) {
        const int index = m_list->item(i)->data(Qt::UserRole).toInt();
        if (index >= 0 && index < m_items.size())
            m_items[index].checked = m_list->item(i)->checkState() == Qt::Checked;
    }
    m_onlyActivated = m_allowOnlyActivated && m_onlyActivatedCheck->isChecked();
    CResizableDlgBase::accept();
}
