#include "panes/newcodedlg.h"

#include "document/kordoc.h"
#include "foundation/help.h"
#include "foundation/messageservice.h"
#include "foundation/programpaths.h"
#include "foundation/stringstore.h"
#include "panes/treetexts.h"
#include "platform/profile/privateprofile.h"
#include "store/storeids.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTextEdit>
#include <QVBoxLayout>

namespace {

const QString kSection = QStringLiteral("NewCodeDlg");
const QString kInheritKey = QStringLiteral("InheritColor");
constexpr int kOkId = 1;
constexpr int kCancelId = 2;
constexpr int kNameGroupId = 1160;
constexpr int kMemoGroupId = 1161;

/// Shows one colour, filled to its edges.
class ColourSwatch : public QWidget {
public:
    explicit ColourSwatch(QWidget* parent) : QWidget(parent)
    {
        setAutoFillBackground(true);
        setMinimumSize(40, 18);
    }
    void Show(COLORREF colour)
    {
        QPalette palette = this->palette();
        palette.setColor(QPalette::Window, QColor(RedOf(colour), GreenOf(colour), BlueOf(colour)));
        setPalette(palette);
        update();
    }
};

}  // namespace

CNewCodeDlg::CNewCodeDlg(QWidget* parent) : CResizableDlgBase(kTemplateId, parent)
{
    setWindowTitle(TextKey(TreeText::NewCodeCaption, "New code"));
    m_strSection = kSection;

    auto* nameGroup = new QGroupBox(TextKey(TreeText::NameGroup, "Name"), this);
    SetControlId(nameGroup, kNameGroupId);
    m_nameField = new QLineEdit(nameGroup);
    SetControlId(m_nameField, kNameId);
    m_nameField->setFrame(false);
    QFont nameFont(QStringLiteral("Tahoma"));
    nameFont.setPointSize(8);
    m_nameField->setFont(nameFont);
    m_inherit = new QCheckBox(TextKey(TreeText::InheritColour, "Colour of the parent code"), nameGroup);
    SetControlId(m_inherit, kInheritId);
    m_colourButton = new QPushButton(QStringLiteral("..."), nameGroup);
    SetControlId(m_colourButton, kColourButtonId);
    m_colourButton->setFixedWidth(32);
    m_colourButton->setAutoDefault(false);
    m_swatch = new ColourSwatch(nameGroup);
    auto* colourRow = new QHBoxLayout;
    colourRow->addWidget(m_colourButton);
    colourRow->addSpacing(10);
    colourRow->addWidget(m_swatch, 1);
    colourRow->addSpacing(10);
    auto* nameLayout = new QVBoxLayout(nameGroup);
    nameLayout->addWidget(m_nameField);
    nameLayout->addLayout(colourRow);
    nameLayout->addWidget(m_inherit);

    auto* memoGroup = new QGroupBox(TextKey(TreeText::MemoGroup, "Memo"), this);
    SetControlId(memoGroup, kMemoGroupId);
    m_memoField = new QTextEdit(memoGroup);
    SetControlId(m_memoField, kMemoId);
    m_memoField->setAcceptRichText(false);
    m_memoField->setFrameShape(QFrame::NoFrame);
    auto* memoLayout = new QVBoxLayout(memoGroup);
    memoLayout->addWidget(m_memoField);

    auto* help = new QPushButton(this);
    SetControlId(help, kHelpId);
    help->setIcon(style()->standardIcon(QStyle::SP_DialogHelpButton));
    help->setToolTip(LoadString(TreeText::HelpTooltip));
    help->setAutoDefault(false);
    auto* ok = new QPushButton(TextKey(TreeText::Ok, "OK"), this);
    SetControlId(ok, kOkId);
    ok->setDefault(true);
    auto* cancel = new QPushButton(TextKey(TreeText::Cancel, "Cancel"), this);
    SetControlId(cancel, kCancelId);
    cancel->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(help);
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(nameGroup);
    layout->addWidget(memoGroup, 1);
    layout->addLayout(buttons);
    resize(320, 300);

    connect(ok, &QPushButton::clicked, this, &CNewCodeDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CNewCodeDlg::reject);
    connect(m_inherit, &QCheckBox::toggled, this, &CNewCodeDlg::InheritToggled);
    connect(m_colourButton, &QPushButton::clicked, this, &CNewCodeDlg::ChooseColour);
    connect(help, &QPushButton::clicked, this, [this] {
        m_nameField->setFocus();
        ShowHelpTopic(1, kHelpTopic);
    });
}

COLORREF CNewCodeDlg::ParentColour() const
{
    return m_pDoc && m_parentCode ? m_pDoc->GetItemColor(TopicId::Codes, m_parentCode) : m_color;
}

void CNewCodeDlg::ShowColour()
{
    static_cast<ColourSwatch*>(m_swatch)->Show(m_color);
}

bool CNewCodeDlg::OnInitDialog()
{
    CResizableDlgBase::OnInitDialog();
    if (m_parentCode) {
        const bool inherit = PrivateProfile(g_program.ProfilePath).GetInt(kSection, kInheritKey, 1) != 0;
        const QSignalBlocker quiet(m_inherit);
        m_inherit->setChecked(inherit);
        m_inherit->setEnabled(true);
    } else {
        m_inherit->setChecked(false);
        m_inherit->setEnabled(false);
    }
    InheritToggled();
    m_nameField->setFocus();
    return true;
}

void CNewCodeDlg::InheritToggled()
{
    const bool inherit = m_parentCode && m_inherit->isChecked();
    m_colourButton->setEnabled(!inherit);
    if (inherit)
        m_color = ParentColour();
    ShowColour();
}

void CNewCodeDlg::ChooseColour()
{
    if (!m_chooseColour)
        return;
    QList<COLORREF> used;
    if (m_pDoc)
        m_pDoc->ListUsedColors(used, TopicId::Codes);
    COLORREF colour = m_color;
    if (m_chooseColour(this, colour, used)) {
        m_color = colour;
        ShowColour();
    }
}

void CNewCodeDlg::accept()
{
    const QString name = m_nameField->text().trimmed();
    if (!name.isEmpty() && !m_names.isEmpty()) {
        for (const QString& used : std::as_const(m_names)) {
            if (name.compare(used.trimmed(), Qt::CaseInsensitive) == 0) {
                ShowMessage(LoadString(TreeText::NameInUse), MessageKind::Warning);
                return;
            }
        }
    }
    m_name = name;
    m_memo = m_memoField->toPlainText().trimmed();
    // The parent's colour may have changed while the dialog was open.
    if (m_parentCode && m_inherit->isChecked()) {
        m_color = ParentColour();
        ShowColour();
    }
    if (m_parentCode)
        PrivateProfile(g_program.ProfilePath).WriteInt(kSection, kInheritKey, m_inherit->isChecked() ? 1 : 0);
    CResizableDlgBase::accept();
}
