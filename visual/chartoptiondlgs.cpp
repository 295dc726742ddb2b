#include "visual/chartoptiondlgs.h"

#include "foundation/help.h"
#include "foundation/stringstore.h"
#include "ui/codesellist.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <climits>

namespace {

QPushButton* AddButton(QDialogButtonBox* box, int id, int textId, QDialogButtonBox::ButtonRole role)
{
    auto* button = box->addButton(TextKey(textId), role);
    SetControlId(button, id);
    return button;
}

}  // namespace

// ---------------------------------------------------------------- near distance

CNearDistanceSpin::CNearDistanceSpin(QWidget* parent) : QSpinBox(parent)
{
    setRange(INT_MIN, INT_MAX);
}

void CNearDistanceSpin::stepBy(int steps)
{
    const qint64 next = qint64(value()) + steps;
    setValue(int(std::clamp<qint64>(next, kArrowMinimum, kArrowMaximum)));
}

QAbstractSpinBox::StepEnabled CNearDistanceSpin::stepEnabled() const
{
    StepEnabled enabled = StepNone;
    if (value() < kArrowMaximum)
        enabled |= StepUpEnabled;
    if (value() > kArrowMinimum)
        enabled |= StepDownEnabled;
    return enabled;
}

CCOBrowserOptionsDlg::CCOBrowserOptionsDlg(QWidget* parent) : CResizableDlgBase(kTemplateId, parent)
{
    setWindowTitle(TextKey(100581));
    auto* layout = new QVBoxLayout(this);
    auto* group = new QGroupBox(TextKey(100586), this);
    SetControlId(group, 1217);
    auto* row = new QHBoxLayout(group);
    auto* before = new QLabel(TextKey(100584), group);
    SetControlId(before, 1203);
    m_edit = new CNearDistanceSpin(group);
    SetControlId(m_edit, kEditId);
    m_edit->setMinimumWidth(80);
    auto* after = new QLabel(TextKey(100585), group);
    SetControlId(after, 1205);
    row->addWidget(before);
    row->addWidget(m_edit);
    row->addWidget(after, 1);
    layout->addWidget(group);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = AddButton(buttons, 1, 100582, QDialogButtonBox::AcceptRole);
    ok->setDefault(true);
    AddButton(buttons, 2, 100583, QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

bool CCOBrowserOptionsDlg::OnInitDialog()
{
    CResizableDlgBase::OnInitDialog();
    m_edit->setValue(m_nearDistance);
    m_edit->selectAll();
    return true;
}

void CCOBrowserOptionsDlg::accept()
{
    m_edit->interpretText();
    m_nearDistance = m_edit->value();
    CResizableDlgBase::accept();
}

// ---------------------------------------------------------------- code selection

CCOBrowserDlg::CCOBrowserDlg(QWidget* parent) : CResizableDlgBase(kTemplateId, parent)
{
    setWindowTitle(TextKey(101014));
    m_strSection = QStringLiteral("dlgCOBrowser");
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(TextKey(101015), this);
    SetControlId(label, 1203);
    label->setWordWrap(true);
    layout->addWidget(label);
    m_list = new CCodeSelList(this);
    SetControlId(m_list, kListId);
    layout->addWidget(m_list, 1);
    auto* ticks = new QHBoxLayout;
    auto* all = new QPushButton(TextKey(101018), this);
    SetControlId(all, kAllId);
    auto* none = new QPushButton(TextKey(101019), this);
    SetControlId(none, kNoneId);
    QPushButton* help = MakeIconButton(this, kHelpId, QStyle::SP_DialogHelpButton, 102059);
    ticks->addWidget(all);
    ticks->addWidget(none);
    ticks->addStretch(1);
    ticks->addWidget(help);
    layout->addLayout(ticks);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = AddButton(buttons, 1, 101016, QDialogButtonBox::AcceptRole);
    ok->setDefault(true);
    AddButton(buttons, 2, 101017, QDialogButtonBox::RejectRole);
    layout->addWidget(buttons);
    connect(all, &QPushButton::clicked, this, [this] { m_list->SetAllChecked(true); });
    connect(none, &QPushButton::clicked, this, [this] { m_list->SetAllChecked(false); });
    connect(help, &QPushButton::clicked, this, [] { ShowHelpTopic(1, kHelpTopic); });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    resize(360, 420);
}

bool CCOBrowserDlg::OnInitDialog()
{
    CResizableDlgBase::OnInitDialog();
    m_list->Fill(m_items);
    return true;
}

void CCOBrowserDlg::accept()
{
    m_list->TakeChecks(m_items);
    CResizableDlgBase::accept();
}

// ---------------------------------------------------------------- sequence options

CSeqBrowserOptDlg::CSeqBrowserOptDlg(QWidget* parent) : CResizableDlgBase(kTemplateId, parent)
{
    auto* layout = new QVBoxLayout(this);
    m_option1Box = new QCheckBox(TextKey(102200), this);
    SetControlId(m_option1Box, kOption1Id);
    m_option2Box = new QCheckBox(TextKey(100599), this);
    SetControlId(m_option2Box, kOption2Id);
    layout->addWidget(m_option1Box);
    layout->addWidget(m_option2Box);
    auto* row = new QHBoxLayout;
    QPushButton* help = MakeIconButton(this, kHelpId, QStyle::SP_DialogHelpButton, 102059);
    row->addWidget(help);
    row->addStretch(1);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = AddButton(buttons, 1, 100597, QDialogButtonBox::AcceptRole);
    ok->setDefault(true);
    AddButton(buttons, 2, 100598, QDialogButtonBox::RejectRole);
    row->addWidget(buttons);
    layout->addLayout(row);
    connect(help, &QPushButton::clicked, this, [] { ShowHelpTopic(1, kHelpTopic); });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

bool CSeqBrowserOptDlg::OnInitDialog()
{
    CResizableDlgBase::OnInitDialog();
    setWindowTitle(LoadString(548));
    // Without activated codes the restriction would leave nothing to show.
    m_option1Box->setEnabled(m_codesActivated);
    m_option1Box->setChecked(m_codesActivated && m_option1);
    m_option2Box->setChecked(m_option2);
    return true;
}

void CSeqBrowserOptDlg::accept()
{
    m_option1 = m_option1Box->isEnabled() && m_option1Box->isChecked();
    m_option2 = m_option2Box->isChecked();
    CResizableDlgBase::accept();
}
