#include "ui/weightrangedlg.h"

#include "foundation/help.h"
#include "foundation/stringstore.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPushButton>
#include <QSpinBox>

namespace {

namespace Text {
constexpr int LowerLabel = 1251;
constexpr int UpperLabel = 1252;
constexpr int HelpTip = 102059;
}  // namespace Text

constexpr int kMinWeight = 0;
constexpr int kMaxWeight = 100;
constexpr int kHelpKind = 1;
constexpr int kHelpTopic = 1027;

QSpinBox* weightEdit(QWidget* parent, int value)
{
    auto* edit = new QSpinBox(parent);
    edit->setRange(kMinWeight, kMaxWeight);
    edit->setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    edit->setValue(value);
    return edit;
}

}  // namespace

CWeightRangeDlg::CWeightRangeDlg(QWidget* parent, int lower, int upper)
    : QDialog(parent), m_lower(lower), m_upper(upper)
{
    m_lowerEdit = weightEdit(this, lower);
    m_upperEdit = weightEdit(this, upper);
    connect(m_lowerEdit, &QSpinBox::editingFinished, this, &CWeightRangeDlg::lowerLeft);
    connect(m_upperEdit, &QSpinBox::editingFinished, this, &CWeightRangeDlg::upperLeft);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help, this);
    buttons->button(QDialogButtonBox::Help)->setToolTip(LoadString(Text::HelpTip));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons, &QDialogButtonBox::helpRequested, this, [] { ShowHelpTopic(kHelpKind, kHelpTopic); });

    auto* layout = new QFormLayout(this);
    layout->addRow(LoadString(Text::LowerLabel), m_lowerEdit);
    layout->addRow(LoadString(Text::UpperLabel), m_upperEdit);
    layout->addRow(buttons);
}

void CWeightRangeDlg::lowerLeft()
{
    if (m_lowerEdit->value() > m_upperEdit->value())
        m_lowerEdit->setValue(m_upperEdit->value());
}

void CWeightRangeDlg::upperLeft()
{
    if (m_upperEdit->value() < m_lowerEdit->value())
        m_upperEdit->setValue(m_lowerEdit->value());
}

void CWeightRangeDlg::accept()
{
    m_lowerEdit->interpretText();
    m_upperEdit->interpretText();
    lowerLeft();
    m_lower = m_lowerEdit->value();
    m_upper = m_upperEdit->value();
    QDialog::accept();
}
