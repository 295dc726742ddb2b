#include "ui/checkmessagedlg.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CheckMessageDlg::CheckMessageDlg(QWidget* parent)
    : CResizableDlgBase(kTemplateId, parent), m_text(new QLabel(this)), m_check(new QCheckBox(this))
{
    setWindowTitle(QStringLiteral("@STR102372|Note"));
    SetControlId(m_text, kTextId);
    m_text->setWordWrap(true);
    m_text->setMinimumWidth(300);
    m_text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    SetControlId(m_check, kCheckId);
    m_check->setText(QStringLiteral("@STR102369|Backup"));

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("@STR102370|OK"), QDialogButtonBox::AcceptRole);
    QPushButton* cancel = buttons->addButton(QStringLiteral("@STR102371|Cancel"), QDialogButtonBox::RejectRole);
    SetControlId(ok, kOkId);
    SetControlId(cancel, kCancelId);
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_text, 1);
    layout->addWidget(m_check);
    layout->addWidget(buttons);
}

bool CheckMessageDlg::OnInitDialog()
{
    // The creator's values go in before the base translates control texts.
    m_text->setText(m_strText);
    m_check->setChecked(m_nCheck != 0);
    return CResizableDlgBase::OnInitDialog();
}

void CheckMessageDlg::done(int result)
{
    m_nCheck = m_check->isChecked() ? 1 : 0;
    CResizableDlgBase::done(result);
}
