#include "browser/codetoolbardlg.h"

#include "browser/browsertexts.h"
#include "document/listnotifyinfo.h"
#include "document/requestowner.h"
#include "foundation/help.h"
#include "foundation/stringstore.h"
#include "store/storeids.h"
#include "ui/colourchecklist.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace {

constexpr int kTickedRole = Qt::UserRole + 1;

}  // namespace

CodeToolBarDlg::CodeToolBarDlg(QList<qint32>& codes, RequestOwner* owner, QWidget* parent)
    : CResizableDlgBase(kTemplateId, parent), m_codes(codes), m_owner(owner)
{
    setWindowFlag(Qt::Tool);
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setWindowTitle(TextKey(BrowserText::CodeToolCaption, "Codes"));
    m_strSection = QStringLiteral("CodeToolBar");
    m_list = new CColourCheckList(this);
    SetControlId(m_list, kListId);
    m_tickAll = MakeIconButton(this, kTickAllId, QStyle::SP_DialogApplyButton, BrowserText::TickAll);
    m_remove = MakeIconButton(this, kRemoveId, QStyle::SP_TrashIcon, BrowserText::RemoveTicked);
    m_help = MakeIconButton(this, kHelpId, QStyle::SP_DialogHelpButton, BrowserText::Help);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_tickAll);
    buttons->addWidget(m_remove);
    buttons->addStretch(1);
    buttons->addWidget(m_help);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(m_list, 1);
    layout->addLayout(buttons);
    resize(180, 240);

    m_list->SetColourOf([this](int row) { return CodeColour(m_list->RowData(row)); });
    m_list->SetCheckOf([this](int row) { return IsTicked(row) ? 1 : 0; });
    connect(m_list, &CColourCheckList::checkClicked, this, [this](int row) { SetTicked(row, !IsTicked(row)); });
    connect(m_list, &CColourCheckList::rowClicked, this,
            [this](int row) { emit CodeSelection(m_list->RowData(row)); });
    connect(m_tickAll, &QPushButton::clicked, this, [this] {
        for (int row = 0; row < m_list->count(); ++row)
            SetTicked(row, true);
        m_list->setFocus();
    });
    connect(m_remove, &QPushButton::clicked, this, &CodeToolBarDlg::RemoveTicked);
    connect(m_help, &QPushButton::clicked, this, [] { ShowHelpTopic(1, kHelpTopic); });
}

bool CodeToolBarDlg::OnInitDialog()
{
    CResizableDlgBase::OnInitDialog();
    m_list->clear();
    for (int row = 0; row < m_codes.size(); ++row)
        InsertRow(row, m_codes[row]);
    UpdateRemoveButton();
    return true;
}

bool CodeToolBarDlg::AskCode(qint32 code, quint32 mask, ListNotifyInfo& info)
{
    info.itemId = code;
    info.topic = TopicId::Codes;
    info.mask = mask;
    info.query = true;
    info.sender = this;
    if (m_owner)
        m_owner->Request(info);
    return info.handled;
}

QString CodeToolBarDlg::CodeText(qint32 code)
{
    ListNotifyInfo info;
    return AskCode(code, ListNotifyMask::FullName, info) ? info.name : QString();
}

quint32 CodeToolBarDlg::CodeColour(qint32 code)
{
    ListNotifyInfo info;
    return AskCode(code, ListNotifyMask::Colour, info) ? info.colour : kNoColor;
}

void CodeToolBarDlg::InsertRow(int row, qint32 code)
{
    m_list->InsertRow(row, CodeText(code), code);
    m_list->item(row)->setData(kTickedRole, false);
}

bool CodeToolBarDlg::IsTicked(int row) const
{
    const QListWidgetItem* item = m_list->item(row);
    return item && item->data(kTickedRole).toBool();
}

void CodeToolBarDlg::SetTicked(int row, bool ticked)
{
    if (QListWidgetItem* item = m_list->item(row)) {
        item->setData(kTickedRole, ticked);
        UpdateRemoveButton();
    }
}

QList<qint32> CodeToolBarDlg::RowCodes() const
{
    QList<qint32> codes;
    for (int row = 0; row < m_list->count(); ++row)
        codes.append(m_list->RowData(row));
    return codes;
}

void CodeToolBarDlg::AddCode(qint32 code)
{
    if (RowCodes().contains(code))
        return;
    InsertRow(0, code);
    UpdateRemoveButton();
}

void CodeToolBarDlg::RemoveCode(qint32 code)
{
    for (int row = m_list->count() - 1; row >= 0; --row)
        if (m_list->RowData(row) == code)
            delete m_list->takeItem(row);
    m_codes.removeOne(code);
    UpdateRemoveButton();
}

void CodeToolBarDlg::RefreshColours()
{
    m_list->viewport()->update();
}

void CodeToolBarDlg::RemoveTicked()
{
    for (int row = 0; row < m_list->count();) {
        if (!IsTicked(row)) {
            ++row;
            continue;
        }
        m_codes.removeOne(m_list->RowData(row));
        delete m_list->takeItem(row);
    }
    UpdateRemoveButton();
}

void CodeToolBarDlg::UpdateRemoveButton()
{
    bool any = false;
    for (int row = 0; row < m_list->count() && !any; ++row)
        any = IsTicked(row);
    m_remove->setEnabled(any);
}
