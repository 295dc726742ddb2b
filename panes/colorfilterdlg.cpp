#include "panes/colorfilterdlg.h"

#include "foundation/help.h"
#include "foundation/stringstore.h"
#include "ui/colourchecklist.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace {

constexpr int kOkId = 1;
constexpr int kCancelId = 2;

namespace FilterText {
constexpr int Caption = 102315;
constexpr int Ok = 100588;
constexpr int Cancel = 100589;
constexpr int TickAll = 5789;
constexpr int UntickAll = 5790;
constexpr int Help = 102059;
}  // namespace FilterText

}  // namespace

ColorFilterDlg::ColorFilterDlg(QWidget* parent) : CResizableDlgBase(kTemplateId, parent)
{
    setWindowTitle(TextKey(FilterText::Caption, "Colour filter"));
    m_strSection = QStringLiteral("ColorFilter");
    m_list = new CColourTickList(this);
    SetControlId(m_list, kListId);
    m_list->setFrameShape(QFrame::NoFrame);
    m_tickAll = MakeIconButton(this, kTickAllId, QStyle::SP_DialogApplyButton, FilterText::TickAll);
    m_untickAll = MakeIconButton(this, kUntickAllId, QStyle::SP_DialogResetButton, FilterText::UntickAll);
    m_help = MakeIconButton(this, kHelpId, QStyle::SP_DialogHelpButton, FilterText::Help);
    auto* ok = new QPushButton(TextKey(FilterText::Ok, "OK"), this);
    SetControlId(ok, kOkId);
    ok->setDefault(true);
    auto* cancel = new QPushButton(TextKey(FilterText::Cancel, "Cancel"), this);
    SetControlId(cancel, kCancelId);
    cancel->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_tickAll);
    buttons->addWidget(m_untickAll);
    buttons->addWidget(m_help);
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(m_list, 1);
    layout->addLayout(buttons);
    resize(240, 280);

    connect(m_tickAll, &QPushButton::clicked, this, [this] { m_list->TickAll(true); });
    connect(m_untickAll, &QPushButton::clicked, this, [this] { m_list->TickAll(false); });
    connect(m_help, &QPushButton::clicked, this, [this] {
        if (m_helpTopic != 0)
            ShowHelpTopic(1, m_helpTopic);
    });
    connect(ok, &QPushButton::clicked, this, &ColorFilterDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &ColorFilterDlg::reject);
}

bool ColorFilterDlg::OnInitDialog()
{
    CResizableDlgBase::OnInitDialog();
    m_list->SetColours(m_colors, m_filter);
    return true;
}

bool ColorFilterDlg::IsTicked(int row) const
{
    return m_list->IsTicked(row);
}

void ColorFilterDlg::accept()
{
    m_filter = m_list->TickedColours();
    CResizableDlgBase::accept();
}
