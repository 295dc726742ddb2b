#include "retrieval/intercoderoptdlg.h"

#include "foundation/help.h"
#include "foundation/messageservice.h"
#include "foundation/stringstore.h"
#include "panes/objcombobox.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

namespace Control {
constexpr int Ok = 1;
constexpr int Cancel = 2;
constexpr int Help = 9;
constexpr int OnlyActivated = 1086;
constexpr int Percent = 1091;
constexpr int Spin = 1096;
constexpr int PercentLabel = 1098;
constexpr int KindSegments = 1100;
constexpr int KindSegmentOverlap = 1101;
constexpr int KindPresence = 1103;
constexpr int First = 1212;
constexpr int Second = 1214;
constexpr int KindGroup = 1219;
constexpr int FirstLabel = 1223;
constexpr int SecondLabel = 1225;
}  // namespace Control

namespace Text {
constexpr int Caption = 102151;
constexpr int KindSegments = 102152;
constexpr int KindPresence = 102153;
constexpr int KindSegmentOverlap = 102154;
constexpr int FirstLabel = 102155;
constexpr int SecondLabel = 102156;
constexpr int PercentLabel = 102166;
constexpr int KindGroup = 102196;
constexpr int Ok = 100597;
constexpr int Cancel = 100598;
constexpr int OnlyActivated = 3132;
constexpr int HelpTip = 102059;
constexpr int PercentRange = 196000;
}  // namespace Text

constexpr int kHelpKind = 1;
constexpr int kHelpTopic = 1013;
constexpr int kMinPercent = 1;
constexpr int kMaxPercent = 100;

}  // namespace

CInterCoderOptDlg::CInterCoderOptDlg(QWidget* parent) : CResizableDlgBase(kTemplateId, parent)
{
    setObjectName(QStringLiteral("CInterCoderOptDlg"));
    setWindowTitle(TextKey(Text::Caption));
    auto* group = new QGroupBox(TextKey(Text::KindGroup), this);
    SetControlId(group, Control::KindGroup);
    auto* groupLayout = new QGridLayout(group);
    const std::pair<int, int> kinds[] = {{Control::KindSegments, Text::KindSegments},
                                         {Control::KindPresence, Text::KindPresence},
                                         {Control::KindSegmentOverlap, Text::KindSegmentOverlap}};
    for (const auto& [id, text] : kinds) {
        auto* radio = new QRadioButton(TextKey(text), group);
        SetControlId(radio, id);
        m_kinds.append(radio);
        groupLayout->addWidget(radio, groupLayout->rowCount(), 0, 1, 3);
    }
    m_percentLabel = new QLabel(TextKey(Text::PercentLabel), group);
    SetControlId(m_percentLabel, Control::PercentLabel);
    // The spin box is edit and spin in one; both ids lead to it.
    m_percentBox = new QSpinBox(group);
    SetControlId(m_percentBox, Control::Percent);
    SetControlId(m_percentBox->findChild<QLineEdit*>(), Control::Spin);
    // Out-of-range values can be typed; OK refuses them.
    m_percentBox->setRange(0, 999);
    const int row = groupLayout->rowCount();
    groupLayout->addWidget(m_percentLabel, row, 0);
    groupLayout->addWidget(m_percentBox, row, 1);
    groupLayout->setColumnStretch(2, 1);

    auto* firstLabel = new QLabel(TextKey(Text::FirstLabel), this);
    SetControlId(firstLabel, Control::FirstLabel);
    auto* secondLabel = new QLabel(TextKey(Text::SecondLabel), this);
    SetControlId(secondLabel, Control::SecondLabel);
    m_first = new CObjComboBox(this);
    SetControlId(m_first, Control::First);
    m_second = new CObjComboBox(this);
    SetControlId(m_second, Control::Second);
    m_onlyActivatedBox = new QCheckBox(TextKey(Text::OnlyActivated), this);
    SetControlId(m_onlyActivatedBox, Control::OnlyActivated);

    auto* ok = new QPushButton(TextKey(Text::Ok), this);
    SetControlId(ok, Control::Ok);
    ok->setDefault(true);
    auto* cancel = new QPushButton(TextKey(Text::Cancel), this);
    SetControlId(cancel, Control::Cancel);
    cancel->setAutoDefault(false);
    QPushButton* help = MakeIconButton(this, Control::Help, QStyle::SP_DialogHelpButton, Text::HelpTip);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(firstLabel);
    layout->addWidget(m_first);
    layout->addWidget(secondLabel);
    layout->addWidget(m_second);
    layout->addWidget(group);
    layout->addWidget(m_onlyActivatedBox);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(help);
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);

    connect(m_kinds.at(0), &QRadioButton::clicked, this, [this] { EnablePercent(false); });
    connect(m_kinds.at(1), &QRadioButton::clicked, this, [this] { EnablePercent(false); });
    connect(m_kinds.at(2), &QRadioButton::clicked, this, [this] { EnablePercent(true); });
    connect(ok, &QPushButton::clicked, this, &CInterCoderOptDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CInterCoderOptDlg::reject);
    connect(help, &QPushButton::clicked, this, [] { ShowHelpTopic(kHelpKind, kHelpTopic); });
}

bool CInterCoderOptDlg::OnInitDialog()
{
    CResizableDlgBase::OnInitDialog();
    for (CObjComboBox* combo : {m_first, m_second}) {
        combo->ComboBoxReset();
        for (qsizetype i = 0; i < m_documentIds.size() && i < m_documentNames.size(); ++i)
            combo->InsertItem(-1, m_documentNames.at(i), quint32(m_documentIds.at(i)));
    }
    const auto select = [](CObjComboBox* combo, qint32 id) {
        int index = 0;
        for (int i = 0; id != 0 && i < combo->count(); ++i)
            if (combo->GetItemValue(i) == quint32(id))
                index = i;
        combo->setCurrentIndex(combo->count() > 0 ? index : -1);
    };
    select(m_first, m_firstDocument);
    select(m_second, m_secondDocument);
    if (!m_codePresenceAvailable && m_kind == 1)
        m_kind = 0;
    m_kinds.at(1)->setEnabled(m_codePresenceAvailable);
    m_kinds.at(std::clamp(m_kind, 0, 2))->setChecked(true);
    m_percentBox->setValue(m_percent);
    EnablePercent(m_kind == 2);
    m_onlyActivatedBox->setChecked(m_onlyActivated);
    m_onlyActivatedBox->setEnabled(m_enableOnlyActivated);
    return true;
}

void CInterCoderOptDlg::EnablePercent(bool on)
{
    m_percentLabel->setEnabled(on);
    m_percentBox->setEnabled(on);
}

void CInterCoderOptDlg::accept()
{
    const int percent = m_percentBox->value();
    if (percent < kMinPercent || percent > kMaxPercent) {
        ShowMessage(LoadString(Text::PercentRange).arg(kMinPercent).arg(kMaxPercent), MessageKind::Warning);
        m_percentBox->setFocus();
        m_percentBox->selectAll();
        return;
    }
    m_firstDocument = qint32(m_first->GetItemValue(m_first->currentIndex()));
    m_secondDocument = qint32(m_second->GetItemValue(m_second->currentIndex()));
    for (int i = 0; i < m_kinds.size(); ++i)
        if (m_kinds.at(i)->isChecked())
            m_kind = i;
    m_percent = percent;
    m_onlyActivated = m_onlyActivatedBox->isEnabled() && m_onlyActivatedBox->isChecked();
    CResizableDlgBase::accept();
}
