#include "dictionary/wordfrequencydlg.h"

#include "dictionary/wordfreqtexts.h"
#include "foundation/help.h"
#include "foundation/stringstore.h"
#include "panes/listids.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

constexpr int kUnitIds[3] = {CWordFrequencyDlg::UnitAll, CWordFrequencyDlg::UnitDocument, CWordFrequencyDlg::UnitSet};
constexpr int kHelpTopic = 3001;
constexpr int kGoListHelpTopic = 3004;

}  // namespace

CWordFrequencyDlg::CWordFrequencyDlg(QWidget* parent) : CResizableDlgBase(kTemplateId, parent)
{
    m_strSection = QStringLiteral("dlgWordFrequency");
    setWindowTitle(LoadString(WordFreqText::OptionsTitle));
    auto* layout = new QVBoxLayout(this);
    auto* length = new QHBoxLayout;
    m_minCharsLabel = new QLabel(TextKey(WordFreqText::MinCharsLabel), this);
    SetControlId(m_minCharsLabel, MinCharsLabel);
    m_minCharsEdit = new QSpinBox(this);
    SetControlId(m_minCharsEdit, MinCharsEdit);
    m_minCharsEdit->setRange(1, kMaxMinChars);
    m_minCharsLabel->setBuddy(m_minCharsEdit);
    length->addWidget(m_minCharsLabel);
    length->addWidget(m_minCharsEdit);
    length->addStretch();
    layout->addLayout(length);

    auto* units = new QGroupBox(LoadString(WordFreqText::UnitGroup), this);  // no control id: translated here
    auto* unitLayout = new QVBoxLayout(units);
    for (int i = 0; i < 3; ++i) {
        m_units[i] = new QRadioButton(TextKey(WordFreqText::UnitAll + i), units);
        SetControlId(m_units[i], kUnitIds[i]);
        unitLayout->addWidget(m_units[i]);
    }
    layout->addWidget(units);
    m_onlyActivatedCheck = new QCheckBox(TextKey(WordFreqText::OnlyActivated), this);
    SetControlId(m_onlyActivatedCheck, OnlyActivated);
    m_onlySegmentsCheck = new QCheckBox(TextKey(WordFreqText::OnlySegments), this);
    SetControlId(m_onlySegmentsCheck, OnlySegments);
    m_useStopListCheck = new QCheckBox(TextKey(WordFreqText::UseStopList), this);
    SetControlId(m_useStopListCheck, UseStopList);
    m_stopListCombo = new QComboBox(this);
    SetControlId(m_stopListCombo, StopListCombo);
    m_stopListCombo->setMinimumContentsLength(30);
    m_stopListCombo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    for (QWidget* control : std::initializer_list<QWidget*>{m_onlyActivatedCheck, m_onlySegmentsCheck,
                                                            m_useStopListCheck, m_stopListCombo})
        layout->addWidget(control);
    connect(m_useStopListCheck, &QCheckBox::toggled, m_stopListCombo, &QWidget::setEnabled);

    auto* buttons = new QHBoxLayout;
    QPushButton* help = MakeIconButton(this, HelpButton, QStyle::SP_DialogHelpButton, WordFreqText::HelpTip);
    connect(help, &QPushButton::clicked, this,
            [this] { ShowHelpTopic(int(HelpKind::Dictionary), m_goList ? kGoListHelpTopic : kHelpTopic); });
    auto* box = new QDialogButtonBox(this);
    QPushButton* ok = box->addButton(TextKey(ListText::Ok), QDialogButtonBox::AcceptRole);
    QPushButton* cancel = box->addButton(TextKey(ListText::Cancel), QDialogButtonBox::RejectRole);
    SetControlId(ok, 1);
    SetControlId(cancel, 2);
    ok->setDefault(true);
    connect(box, &QDialogButtonBox::accepted, this, &CWordFrequencyDlg::accept);
    connect(box, &QDialogButtonBox::rejected, this, &CWordFrequencyDlg::reject);
    buttons->addWidget(help);
    buttons->addWidget(box);
    layout->addLayout(buttons);
}

bool CWordFrequencyDlg::OnInitDialog()
{
    CResizableDlgBase::OnInitDialog();
    m_minCharsEdit->setValue(m_minChars);
    for (int i = 0; i < 3; ++i)
        m_units[i]->setChecked(i == m_unit);
    m_onlyActivatedCheck->setChecked(m_onlyActivated);
    m_onlySegmentsCheck->setChecked(m_onlySegments);
    m_useStopListCheck->setChecked(m_useStopList);
    if (m_goList) {
        setWindowTitle(QStringLiteral("%1 - %2").arg(LoadString(WordFreqText::OptionsTitle), LoadString(WordFreqText::GoListCommand)));
        for (QWidget* control : std::initializer_list<QWidget*>{m_minCharsLabel, m_minCharsEdit, m_useStopListCheck,
                                                                m_stopListCombo})
            control->hide();
    } else {
        m_stopListCombo->clear();
        m_stopListCombo->addItem(LoadString(WordFreqText::CurrentStopList), 0);
        if (m_recentStopLists) {
            for (int i = 0; i < m_recentStopLists->size(); ++i)
                m_stopListCombo->addItem(m_recentStopLists->at(i), i + 1);
        }
        m_stopListCombo->setCurrentIndex(0);
        m_stopListCombo->setEnabled(m_useStopList);
    }
    adjustSize();
    return true;
}

void CWordFrequencyDlg::accept()
{
    m_stopListFile.clear();
    if (!m_goList && m_useStopListCheck->isChecked() && m_stopListCombo->currentData().toInt() != 0)
        m_stopListFile = m_stopListCombo->currentText();
    if (!m_goList) {
        m_minCharsEdit->interpretText();
        m_minChars = m_minCharsEdit->value();
        m_useStopList = m_useStopListCheck->isChecked();
    }
    for (int i = 0; i < 3; ++i)
        if (m_units[i]->isChecked())
            m_unit = i;
    m_onlyActivated = m_onlyActivatedCheck->isChecked();
    m_onlySegments = m_onlySegmentsCheck->isChecked();
    CResizableDlgBase::accept();
}
