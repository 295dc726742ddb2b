#include "ui/numberentrydlg.h"

#include "foundation/help.h"
#include "foundation/stringstore.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

namespace Text {
constexpr int Title = 100496;
constexpr int Label = 100499;
constexpr int Ok = 100497;
constexpr int Cancel = 100498;
constexpr int WrapTitle = 33253;
constexpr int WrapLabel = 5792;
constexpr int HelpTip = 102059;
}  // namespace Text

constexpr int kWrapHelpTopic = 1004;
constexpr int kPercentHelpTopic = 1011;
constexpr int kHelpKind = 1;

}  // namespace

NumberEntryDlg::NumberEntryDlg(int value, int rangeSwitch, QWidget* parent)
    : QDialog(parent), m_value(value), m_rangeSwitch(rangeSwitch)
{
    const bool wrap = rangeSwitch == 1;
    setWindowTitle(LoadString(wrap ? Text::WrapTitle : Text::Title));
    m_label = new QLabel(LoadString(wrap ? Text::WrapLabel : Text::Label), this);
    m_edit = new QSpinBox(this);
    m_edit->setRange(wrap ? 20 : 0, wrap ? 10000 : 100);
    // A value typed below the limit becomes the limit when the field is left.
    m_edit->setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    m_edit->setValue(value);
    m_label->setBuddy(m_edit);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(LoadString(Text::Ok), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(LoadString(Text::Cancel), QDialogButtonBox::RejectRole);
    QPushButton* help = buttons->addButton(QDialogButtonBox::Help);
    help->setToolTip(LoadString(Text::HelpTip));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons, &QDialogButtonBox::helpRequested, this, &NumberEntryDlg::showHelp);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_label);
    layout->addWidget(m_edit);
    layout->addWidget(buttons);
}

void NumberEntryDlg::accept()
{
    // Enter right after typing must not slip past the limits.
    m_edit->interpretText();
    m_value = m_edit->value();
    QDialog::accept();
}

void NumberEntryDlg::showHelp()
{
    ShowHelpTopic(kHelpKind, m_rangeSwitch == 1 ? kWrapHelpTopic : kPercentHelpTopic);
}
