#include "app/codingoptionsdlg.h"

#include "foundation/help.h"
#include "foundation/stringstore.h"
#include "panes/listids.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

namespace Text {
constexpr int Title = 193000;
constexpr int CodeLabel = 193001;
constexpr int WeightLabel = 193002;
constexpr int HelpTip = 102059;
}  // namespace Text

constexpr int kExtentIds[3] = {CCodingOptionsDlg::ExtentFirst, CCodingOptionsDlg::ExtentSecond,
                               CCodingOptionsDlg::ExtentThird};
constexpr int kExtentTexts[3] = {ListText::SpinHit, ListText::SpinSentence, ListText::SpinParagraphs};
constexpr int kHelpTopic = 1029;

QSpinBox* NumberField(QWidget* parent, int id)
{
    auto* field = new QSpinBox(parent);
    SetControlId(field, id);
    field->setRange(0, CCodingOptionsDlg::kMaxNumber);
    field->setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    return field;
}

}  // namespace

CCodingOptionsDlg::CCodingOptionsDlg(QWidget* parent, bool showExtent)
    : CResizableDlgBase(kTemplateId, parent), m_showExtent(showExtent)
{
    m_strTitle = LoadString(Text::Title);
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    m_combo = new QComboBox(this);
    SetControlId(m_combo, CodeComboId);
    m_combo->setMinimumWidth(220);
    m_weightEdit = NumberField(this, WeightEdit);
    form->addRow(LoadString(Text::CodeLabel), m_combo);
    form->addRow(LoadString(Text::WeightLabel), m_weightEdit);
    layout->addLayout(form);

    for (int i = 0; i < 3; ++i) {
        m_extents[i] = new QRadioButton(TextKey(kExtentTexts[i]), this);
        SetControlId(m_extents[i], kExtentIds[i]);
        layout->addWidget(m_extents[i]);
        connect(m_extents[i], &QRadioButton::clicked, this, [this, i] { ChooseExtent(i); });
    }
    auto* amounts = new QHBoxLayout;
    m_minusLabel = new QLabel(QStringLiteral("-"), this);
    SetControlId(m_minusLabel, MinusLabel);
    m_minusEdit = NumberField(this, MinusEdit);
    m_plusLabel = new QLabel(QStringLiteral("+"), this);
    SetControlId(m_plusLabel, PlusLabel);
    m_plusEdit = NumberField(this, PlusEdit);
    amounts->addWidget(m_minusLabel);
    amounts->addWidget(m_minusEdit);
    amounts->addWidget(m_plusLabel);
    amounts->addWidget(m_plusEdit);
    amounts->addStretch();
    layout->addLayout(amounts);

    auto* buttons = new QHBoxLayout;
    m_help = MakeIconButton(this, HelpButton, QStyle::SP_DialogHelpButton, Text::HelpTip);
    connect(m_help, &QPushButton::clicked, this, [] { ShowHelpTopic(int(HelpKind::Program), kHelpTopic); });
    auto* box = new QDialogButtonBox(this);
    QPushButton* ok = box->addButton(TextKey(ListText::Ok), QDialogButtonBox::AcceptRole);
    QPushButton* cancel = box->addButton(TextKey(ListText::Cancel), QDialogButtonBox::RejectRole);
    SetControlId(ok, 1);
    SetControlId(cancel, 2);
    ok->setDefault(true);
    connect(box, &QDialogButtonBox::accepted, this, &CCodingOptionsDlg::accept);
    connect(box, &QDialogButtonBox::rejected, this, &CCodingOptionsDlg::reject);
    buttons->addWidget(m_help);
    buttons->addWidget(box);
    layout->addLayout(buttons);
}

bool CCodingOptionsDlg::OnInitDialog()
{
    CResizableDlgBase::OnInitDialog();
    m_combo->clear();
    int selected = -1;
    for (int i = 0; i < m_codeIds.size() && i < m_codeNames.size(); ++i) {
        m_combo->addItem(m_codeNames.at(i), m_codeIds.at(i));
        if (selected < 0 && m_codeNames.at(i).compare(m_codeText, Qt::CaseInsensitive) == 0)
            selected = i;
    }
    m_combo->setCurrentIndex(selected >= 0 ? selected : (m_combo->count() > 0 ? 0 : -1));
    m_weightEdit->setValue(m_weight);
    m_minusEdit->setValue(m_minus);
    m_plusEdit->setValue(m_plus);
    for (int i = 0; i < 3; ++i)
        m_extents[i]->setChecked(i == m_extent);
    ChooseExtent(m_extent);
    // With the extent the dialog needs no help; without it the extent's
    // controls go and the dialog closes up below the buttons.
    m_help->setVisible(!m_showExtent);
    for (QWidget* control : std::initializer_list<QWidget*>{m_extents[0], m_extents[1], m_extents[2], m_minusLabel,
                                                            m_minusEdit, m_plusLabel, m_plusEdit})
        control->setVisible(m_showExtent);
    adjustSize();
    return true;
}

void CCodingOptionsDlg::ChooseExtent(int extent)
{
    // Only the third extent takes amounts.
    const bool amounts = extent == 2;
    for (QWidget* control : std::initializer_list<QWidget*>{m_minusLabel, m_minusEdit, m_plusLabel, m_plusEdit})
        control->setEnabled(amounts);
}

void CCodingOptionsDlg::accept()
{
    m_selectedCode = m_combo->currentIndex() >= 0 ? m_combo->currentData().toInt() : 0;
    for (QSpinBox* field : {m_weightEdit, m_minusEdit, m_plusEdit})
        field->interpretText();
    m_weight = m_weightEdit->value();
    m_minus = m_minusEdit->value();
    m_plus = m_plusEdit->value();
    for (int i = 0; i < 3; ++i)
        if (m_extents[i]->isChecked())
            m_extent = i;
    CResizableDlgBase::accept();
}
