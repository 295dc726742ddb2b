#include "panes/spinoptionsdlg.h"

#include "foundation/messageservice.h"
#include "foundation/stringstore.h"
#include "panes/listids.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

constexpr int kChoiceIds[3] = {1100, 1103, 1101};
constexpr int kChoiceTexts[3] = {ListText::SpinHit, ListText::SpinSentence, ListText::SpinParagraphs};

}  // namespace

SpinOptionsDlg::SpinOptionsDlg(QWidget* parent) : CResizableDlgBase(kTemplateId, parent)
{
    m_strTitle = LoadString(ListText::SpinTitle);
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(TextKey(ListText::SpinLabel), this);
    SetControlId(label, 1219);
    label->setWordWrap(true);
    layout->addWidget(label);
    for (int i = 0; i < 3; ++i) {
        m_choices[i] = new QRadioButton(TextKey(kChoiceTexts[i]), this);
        SetControlId(m_choices[i], kChoiceIds[i]);
        layout->addWidget(m_choices[i]);
        connect(m_choices[i], &QRadioButton::clicked, this, [this, i] { choose(i); });
    }
    auto* numbers = new QGridLayout;
    m_minus = new QPushButton(QStringLiteral("-"), this);
    SetControlId(m_minus, 1098);
    m_firstEdit = new QLineEdit(this);
    SetControlId(m_firstEdit, 1091);
    m_plus = new QPushButton(QStringLiteral("+"), this);
    SetControlId(m_plus, 1102);
    m_secondEdit = new QLineEdit(this);
    SetControlId(m_secondEdit, 1246);
    m_extra = new QPushButton(TextKey(ListText::SpinButton), this);
    SetControlId(m_extra, 1099);
    for (QPushButton* sign : {m_minus, m_plus})
        sign->setFlat(true);
    numbers->addWidget(m_minus, 0, 0);
    numbers->addWidget(m_firstEdit, 0, 1);
    numbers->addWidget(m_plus, 0, 2);
    numbers->addWidget(m_secondEdit, 0, 3);
    numbers->addWidget(m_extra, 1, 0, 1, 4);
    layout->addLayout(numbers);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(TextKey(ListText::Ok), QDialogButtonBox::AcceptRole);
    QPushButton* cancel = buttons->addButton(TextKey(ListText::Cancel), QDialogButtonBox::RejectRole);
    SetControlId(ok, 1);
    SetControlId(cancel, 2);
    connect(buttons, &QDialogButtonBox::accepted, this, &SpinOptionsDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &SpinOptionsDlg::reject);
    layout->addWidget(buttons);
}

bool SpinOptionsDlg::OnInitDialog()
{
    CResizableDlgBase::OnInitDialog();
    m_firstEdit->setText(QString::number(m_first));
    m_secondEdit->setText(QString::number(m_second));
    for (int i = 0; i < 3; ++i)
        m_choices[i]->setChecked(i == m_choice);
    choose(m_choice);
    return true;
}

void SpinOptionsDlg::choose(int choice)
{
    // Only the paragraph extent takes numbers.
    const bool numbers = choice == 2;
    for (QWidget* control : std::initializer_list<QWidget*>{m_minus, m_plus, m_firstEdit, m_secondEdit, m_extra})
        control->setEnabled(numbers);
}

bool SpinOptionsDlg::readBack()
{
    int choice = -1;
    for (int i = 0; i < 3; ++i)
        if (m_choices[i]->isChecked())
            choice = i;
    bool firstOk = false;
    bool secondOk = false;
    const int first = m_firstEdit->text().trimmed().toInt(&firstOk);
    const int second = m_secondEdit->text().trimmed().toInt(&secondOk);
    if (!firstOk || !secondOk || first < 0 || first > kMaxNumber || second < 0 || second > kMaxNumber)
        return false;
    m_choice = choice;
    m_first = first;
    m_second = second;
    return true;
}

void SpinOptionsDlg::accept()
{
    if (!readBack()) {
        ShowMessage(LoadString(ListText::NumberOutOfRange).arg(0).arg(kMaxNumber), MessageKind::Warning);
        return;
    }
    CResizableDlgBase::accept();
}
