#include "panes/colorfilterdlg.h"

#include "ui/colorpicdlg.h"
#include "ui/colourchecklist.h"
#include "foundation/help.h"
#include "foundation/stringstore.h"

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

QString Key(int textId, const char* fallback)
{
    return QStringLiteral("@STR%1|%2").arg(textId).arg(QLatin1String(fallback));
}

}  // namespace

ColorFilterDlg::ColorFilterDlg(QWidget* parent) : CResizableDlgBase(kTemplateId, parent)
{
    setWindowTitle(Key(FilterText::Caption, "Colour filter"));
    m_strSection = QStringLiteral("ColorFilter");
    m_list = new CColourCheckList(this);
    SetControlId(m_list, kListId);
    m_list->setFrameShape(QFrame::NoFrame);
    m_tickAll = MakeIconButton(this, kTickAllId, QStyle::SP_DialogApplyButton, FilterText::TickAll);
    m_untickAll = MakeIconButton(this, kUntickAllId, QStyle::SP_DialogResetButton, FilterText::UntickAll);
    m_help = MakeIconButton(this, kHelpId, QStyle::SP_DialogHelpButton, FilterText::Help);
    auto* ok = new QPushButton(Key(FilterText::Ok, "OK"), this);
    SetControlId(ok, kOkId);
    ok->setDefault(true);
    auto* cancel = new QPushButton(Key(FilterText::Cancel, "Cancel"), this);
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

    m_list->SetColourOf([this](int row) { return m_colors.value(row, kNoColor); });
    m_list->SetCheckOf([this](int row) { return IsTicked(row) ? 1 : 0; });
    connect(m_list, &CColourCheckList::checkClicked, this, [this](int row) {
        if (row < 0 || row >= m_ticked.size())
            return;
        m_ticked[row] = !m_ticked[row];
        m_list->viewport()->update();
    });
    connect(m_tickAll, &QPushButton::clicked, this, [this] { TickAll(true); });
    connect(m_untickAll, &QPushButton::clicked, this, [this] { TickAll(false); });
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
    m_list->clear();
    m_ticked.clear();
    for (int row = 0; row < m_colors.size(); ++row) {
        m_ticked.append(m_filter.contains(m_colors[row]));
        m_list->InsertRow(row, ColorPicDlg::StandardColourName(m_colors[row]), row);
    }
    return true;
}

bool ColorFilterDlg::IsTicked(int row) const
{
    return m_ticked.value(row, false);
}

void ColorFilterDlg::TickAll(bool ticked)
{
    for (bool& tick : m_ticked)
        tick = ticked;
    m_list->viewport()->update();
    m_list->setFocus();
}

void ColorFilterDlg::accept()
{
    m_filter.clear();
    for (int row = 0; row < m_colors.size(); ++row)
        if (IsTicked(row))
            m_filter.append(m_colors[row]);
    CResizableDlgBase::accept();
}
