#include "browser/displayoptionsdlg.h"

#include "ui/colourchecklist.h"
#include "foundation/help.h"
#include "panes/objcombobox.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace {

constexpr int kOkId = 1;
constexpr int kCancelId = 2;

namespace OptionsText {
constexpr int Ok = 100500;
constexpr int Cancel = 100501;
constexpr int ActivatedOnly = 100502;
constexpr int OneCoder = 100503;
constexpr int Titles = 100504;
constexpr int Authors = 100505;
constexpr int ColourAll = 102109;
constexpr int TickAll = 5789;
constexpr int UntickAll = 5790;
constexpr int Help = 102059;
}  // namespace OptionsText

}  // namespace

DisplayOptionsDlg221::DisplayOptionsDlg221(TextCoderWindow* browser, QWidget* parent)
    : CPlainDlgBase(kTemplateId, parent), m_browser(browser)
{
    // A popup closes itself at a click outside it, which then applies nothing.
    setWindowFlags(Qt::Popup);
    setAttribute(Qt::WA_DeleteOnClose);
    if (browser)
        m_options = browser->GetDisplayOptions();

    const struct {
        int id;
        int textId;
        const char* fallback;
    } flags[] = {
        {kTitlesId, OptionsText::Titles, "Show code names"},
        {kAuthorsId, OptionsText::Authors, "Show authors"},
        {kActivatedOnlyId, OptionsText::ActivatedOnly, "Only activated codes"},
        {kOneCoderId, OptionsText::OneCoder, "Only codings of"},
        {kColourAllId, OptionsText::ColourAll, "Colour all coded text"},
    };
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(4);
    for (int i = 0; i < 5; ++i) {
        m_flags[i] = new QCheckBox(TextKey(flags[i].textId, flags[i].fallback), this);
        SetControlId(m_flags[i], flags[i].id);
        layout->addWidget(m_flags[i]);
        if (flags[i].id == kOneCoderId) {
            m_coder = new CObjComboBox(this);
            SetControlId(m_coder, kCoderComboId);
            layout->addWidget(m_coder);
        }
    }
    m_list = new CColourTickList(this);
    SetControlId(m_list, kListId);
    m_list->setFrameShape(QFrame::NoFrame);
    layout->addWidget(m_list, 1);

    auto* tickAll = MakeIconButton(this, kTickAllId, QStyle::SP_DialogApplyButton, OptionsText::TickAll);
    auto* untickAll = MakeIconButton(this, kUntickAllId, QStyle::SP_DialogResetButton, OptionsText::UntickAll);
    auto* help = MakeIconButton(this, kHelpId, QStyle::SP_DialogHelpButton, OptionsText::Help);
    auto* ok = new QPushButton(TextKey(OptionsText::Ok, "OK"), this);
    SetControlId(ok, kOkId);
    ok->setDefault(true);
    auto* cancel = new QPushButton(TextKey(OptionsText::Cancel, "Cancel"), this);
    SetControlId(cancel, kCancelId);
    cancel->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(tickAll);
    buttons->addWidget(untickAll);
    buttons->addWidget(help);
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    resize(260, 330);

    connect(m_flags[3], &QCheckBox::toggled, m_coder, &QWidget::setEnabled);
    connect(tickAll, &QPushButton::clicked, this, [this] { m_list->TickAll(true); });
    connect(untickAll, &QPushButton::clicked, this, [this] { m_list->TickAll(false); });
    connect(help, &QPushButton::clicked, this, [] { ShowHelpTopic(int(HelpKind::Program), kHelpTopic); });
    connect(ok, &QPushButton::clicked, this, &DisplayOptionsDlg221::accept);
    connect(cancel, &QPushButton::clicked, this, &DisplayOptionsDlg221::reject);
}

QCheckBox* DisplayOptionsDlg221::Flag(int id) const
{
    return qobject_cast<QCheckBox*>(FindControl(this, id));
}

QPoint DisplayOptionsDlg221::PlaceInside(QPoint point, QSize size, const QRect& area)
{
    int left = point.x();
    int top = point.y();
    if (left + size.width() > area.right() + 1 - kAreaMargin)
        left = area.right() + 1 - kAreaMargin - size.width();
    if (top + size.height() > area.bottom() + 1 - kAreaMargin)
        top = area.bottom() + 1 - kAreaMargin - size.height();
    if (left < area.left())
        left = area.left() + kAreaMargin;
    if (top < area.top())
        top = area.top() + kAreaMargin;
    return {left, top};
}

bool DisplayOptionsDlg221::OnInitDialog()
{
    CPlainDlgBase::OnInitDialog();
    const bool values[] = {m_options.titles, m_options.authors, m_options.activatedOnly, m_options.oneCoder,
                           m_options.colourAll};
    for (int i = 0; i < 5; ++i)
        m_flags[i]->setChecked(values[i]);
    m_list->SetColours(m_colors, m_filter);
    m_coder->ComboBoxReset();
    for (int i = 0; i < m_coders.size(); ++i)
        m_coder->InsertItem(-1, m_coders[i], quint32(i));
    int current = -1;
    for (int i = 0; i < m_coder->count(); ++i)
        if (m_coder->ComboBoxItemText(i).compare(m_options.coder, Qt::CaseInsensitive) == 0)
            current = i;
    m_coder->setCurrentIndex(current);
    m_coder->setEnabled(m_options.oneCoder);

    // Placed by the size it will show with, not the size before its layout ran.
    adjustSize();
    PlaceOnScreen();
    return true;
}

void DisplayOptionsDlg221::showEvent(QShowEvent* event)
{
    CPlainDlgBase::showEvent(event);
    // Showing settles the layout once more and may still grow the popup by
    // a few pixels, which would push it past the work area's edge.
    PlaceOnScreen();
}

void DisplayOptionsDlg221::PlaceOnScreen()
{
    const QScreen* screen = QGuiApplication::screenAt(m_point);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (screen)
        move(PlaceInside(m_point, size(), screen->availableGeometry()));
}

bool DisplayOptionsDlg221::IsTicked(int row) const
{
    return m_list->IsTicked(row);
}

void DisplayOptionsDlg221::accept()
{
    m_options.titles = m_flags[0]->isChecked();
    m_options.authors = m_flags[1]->isChecked();
    m_options.activatedOnly = m_flags[2]->isChecked();
    m_options.oneCoder = m_flags[3]->isChecked();
    m_options.colourAll = m_flags[4]->isChecked();
    m_options.coder = m_coder->GetCurrentText();
    m_filter = m_list->TickedColours();
    emit codingColourFilterChanged(m_filter);
    if (m_browser)
        m_browser->ApplyDisplayOptions(m_options, m_filter);
    CPlainDlgBase::accept();
}
