#include "dictionary/codeselectdlg.h"

#include "dictionary/wordfreqtexts.h"
#include "foundation/help.h"
#include "foundation/stringstore.h"
#include "panes/listids.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <numeric>

namespace {

constexpr int kCodeSelectTitle = 100489;
constexpr int kReportTitle = 102385;
constexpr int kOnlyActivatedText = 3122;
constexpr int kCodesLabel = 212000;
constexpr int kHelpTopic = 3006;

/// A depth typed above the limit is taken as typed and cut when the edit is
/// left, as the arrows never go beyond it.
class DepthSpinBox : public QSpinBox {
public:
    using QSpinBox::QSpinBox;
    QValidator::State validate(QString& text, int& pos) const override
    {
        const QValidator::State state = QSpinBox::validate(text, pos);
        bool number = false;
        if (state == QValidator::Invalid && text.trimmed().toInt(&number) > maximum() && number)
            return QValidator::Intermediate;
        return state;
    }
    void fixup(QString& text) const override
    {
        bool number = false;
        const int value = text.trimmed().toInt(&number);
        if (number)
            text = QString::number(std::clamp(value, minimum(), maximum()));
        else
            QSpinBox::fixup(text);
    }
};

}  // namespace

CCodeSelectDlgBase::CCodeSelectDlgBase(int templateId, int titleTextId, QWidget* parent)
    : CResizableDlgBase(templateId, parent)
{
    setWindowTitle(LoadString(titleTextId));
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(TextKey(kCodesLabel), this);
    SetControlId(label, CodesLabel);
    layout->addWidget(label);
    m_list = new QListWidget(this);
    SetControlId(m_list, CodeList);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setFrameShape(QFrame::StyledPanel);
    m_list->setUniformItemSizes(true);
    label->setBuddy(m_list);
    layout->addWidget(m_list, 1);
    connect(m_list, &QListWidget::itemChanged, this, [this] {
        if (!m_filling)
            OnTickChanged();
    });

    auto* ticks = new QHBoxLayout;
    m_checkAll = new QPushButton(TextKey(WordFreqText::CheckAll), this);
    SetControlId(m_checkAll, CheckAllButton);
    m_uncheckAll = new QPushButton(TextKey(WordFreqText::UncheckAll), this);
    SetControlId(m_uncheckAll, UncheckAllButton);
    connect(m_checkAll, &QPushButton::clicked, this, [this] { SetAllChecked(true); });
    connect(m_uncheckAll, &QPushButton::clicked, this, [this] { SetAllChecked(false); });
    ticks->addWidget(m_checkAll);
    ticks->addWidget(m_uncheckAll);
    ticks->addStretch();
    layout->addLayout(ticks);

    m_extra = new QVBoxLayout;
    layout->addLayout(m_extra);
    m_onlyActivatedCheck = new QCheckBox(TextKey(kOnlyActivatedText), this);
    SetControlId(m_onlyActivatedCheck, OnlyActivated);
    layout->addWidget(m_onlyActivatedCheck);

    m_buttonRow = new QHBoxLayout;
    auto* box = new QDialogButtonBox(this);
    QPushButton* ok = box->addButton(TextKey(ListText::Ok), QDialogButtonBox::AcceptRole);
    QPushButton* cancel = box->addButton(TextKey(ListText::Cancel), QDialogButtonBox::RejectRole);
    SetControlId(ok, OkButton);
    SetControlId(cancel, CancelButton);
    ok->setDefault(true);
    connect(box, &QDialogButtonBox::accepted, this, &CCodeSelectDlgBase::accept);
    connect(box, &QDialogButtonBox::rejected, this, &CCodeSelectDlgBase::reject);
    m_buttonRow->addStretch();
    m_buttonRow->addWidget(box);
    layout->addLayout(m_buttonRow);
    resize(360, 420);
}

bool CCodeSelectDlgBase::OnInitDialog()
{
    CResizableDlgBase::OnInitDialog();
    m_filling = true;
    m_list->clear();
    if (m_items) {
        std::vector<qsizetype> order(size_t(m_items->GetSize()));
        std::iota(order.begin(), order.end(), qsizetype(0));
        const CodeSelItemArray& items = *m_items;
        std::stable_sort(order.begin(), order.end(), [&items](qsizetype a, qsizetype b) {
            if (items[a].parentId != items[b].parentId)
                return items[a].parentId < items[b].parentId;
            return items[a].codeId < items[b].codeId;
        });
        for (const qsizetype index : order) {
            auto* row = new QListWidgetItem(items[index].name.left(CodeSelItem::kNameUnits), m_list);
            row->setData(Qt::UserRole, qlonglong(index));
            row->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
            row->setCheckState(items[index].checked ? Qt::Checked : Qt::Unchecked);
        }
    }
    m_filling = false;
    m_onlyActivatedCheck->setChecked(m_onlyActivated);
    m_onlyActivatedCheck->setEnabled(m_allowOnlyActivated);
    return true;
}

void CCodeSelectDlgBase::SetAllChecked(bool checked)
{
    m_filling = true;
    for (int i = 0; i < m_list->count(); ++i)
        m_list->item(i)->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    m_filling = false;
    OnTickChanged();
}

void CCodeSelectDlgBase::accept()
{
    if (m_items) {
        for (int i = 0; i < m_list->count(); ++i) {
            const QListWidgetItem* row = m_list->item(i);
            const qsizetype index = row->data(Qt::UserRole).toLongLong();
            if (index >= 0 && index < m_items->GetSize())
                (*m_items)[index].checked = row->checkState() == Qt::Checked;
        }
    }
    m_onlyActivated = m_onlyActivatedCheck->isChecked();
    CResizableDlgBase::accept();
}

CodeSelectDlg::CodeSelectDlg(QWidget* parent) : CCodeSelectDlgBase(kTemplateId, kCodeSelectTitle, parent)
{
    m_strSection = QStringLiteral("dlgCodeSelect");
    auto* row = new QHBoxLayout;
    auto* label = new QLabel(TextKey(WordFreqText::CodeSelectDepth), this);
    SetControlId(label, DepthLabel);
    m_depthEdit = new DepthSpinBox(this);
    m_depthEdit->setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    SetControlId(m_depthEdit, DepthEdit);
    m_depthEdit->setRange(0, 1);
    label->setBuddy(m_depthEdit);
    row->addWidget(label);
    row->addWidget(m_depthEdit);
    row->addStretch();
    static_cast<QBoxLayout*>(ExtraArea())->addLayout(row);
    connect(m_depthEdit, &QSpinBox::valueChanged, this, &CodeSelectDlg::DepthChanged);
    connect(m_depthEdit, &QSpinBox::editingFinished, this, &CodeSelectDlg::ClampDepth);

    QPushButton* help = MakeIconButton(this, HelpButton, QStyle::SP_DialogHelpButton, WordFreqText::HelpTip);
    connect(help, &QPushButton::clicked, this, [] { ShowHelpTopic(int(HelpKind::Dictionary), kHelpTopic); });
    ButtonRow()->insertWidget(0, help);
}

bool CodeSelectDlg::OnInitDialog()
{
    CCodeSelectDlgBase::OnInitDialog();
    std::sort(m_documents.begin(), m_documents.end(), [](const auto& a, const auto& b) {
        return a.second != b.second ? a.second < b.second : a.first < b.first;
    });
    // The range opens up first so that the value the caller gave is seen
    // before the clamp cuts it.
    m_depthEdit->setRange(0, std::max(0, m_depth));
    m_depthEdit->setValue(std::max(0, m_depth));
    ClampDepth();
    DepthChanged(m_depthEdit->value());
    return true;
}

void CodeSelectDlg::ClampDepth()
{
    qint32 limit = 0;
    bool any = false;
    for (int i = 0; i < m_list->count(); ++i) {
        const QListWidgetItem* row = m_list->item(i);
        if (row->checkState() != Qt::Checked || !m_items)
            continue;
        const qsizetype index = row->data(Qt::UserRole).toLongLong();
        if (index < 0 || index >= m_items->GetSize())
            continue;
        const qint32 level = (*m_items)[index].level;
        limit = any ? std::min(limit, level) : level;
        any = true;
    }
    if (!any)
        limit = 1;
    limit = std::max(0, limit);
    const int value = std::min(std::max(0, m_depthEdit->value()), limit);
    m_depthEdit->setRange(0, limit);
    m_depthEdit->setValue(value);
}

void CodeSelectDlg::DepthChanged(int value)
{
    const bool codes = value != 0;
    m_list->setEnabled(codes);
    m_checkAll->setEnabled(codes);
    m_uncheckAll->setEnabled(codes);
}

void CodeSelectDlg::accept()
{
    m_depthEdit->interpretText();
    ClampDepth();
    m_depth = m_depthEdit->value();
    CCodeSelectDlgBase::accept();
}

ReportCodeSelectDlg::ReportCodeSelectDlg(QWidget* parent) : CCodeSelectDlgBase(kTemplateId, kReportTitle, parent)
{
    m_strSection = QStringLiteral("dlgReportCodeSelect");
}
