#include "ui/propertiesdlg.h"

#include "foundation/help.h"
#include "foundation/stringstore.h"
#include "ui/messagebox.h"
#include "ui/propertygrid.h"

#include <QGuiApplication>

#include <algorithm>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>
#include <QSizeGrip>
#include <QVBoxLayout>

namespace {
constexpr int kLargeWidth = 700;
constexpr int kLargeHeight = 605;
}  // namespace

CPropertiesDlg::CPropertiesDlg(QWidget* parent, int helpKind, int helpTopic, int helpTipTextId, int extraTextId,
                               bool largeSize)
    : CResizableDlgBase(kTemplateId, parent), m_helpKind(helpKind), m_helpTopic(helpTopic),
      m_helpTip(helpTipTextId), m_extraText(extraTextId), m_large(largeSize)
{
    auto* layout = new QVBoxLayout(this);
    m_grid = new CPropertyGridCtrl(this);
    SetControlId(m_grid, kGridId);
    layout->addWidget(m_grid, 1);

    auto* buttons = new QHBoxLayout;
    m_help = MakeIconButton(this, kHelpId, QStyle::SP_DialogHelpButton, helpTipTextId);
    connect(m_help, &QPushButton::clicked, this, [this] { ShowHelpTopic(m_helpKind, m_helpTopic); });
    m_extra = new QPushButton(this);
    SetControlId(m_extra, kExtraId);
    m_extra->setAutoDefault(false);
    connect(m_extra, &QPushButton::clicked, this, [this] { done(kExtraResult); });
    auto* ok = new QPushButton(TextKey(MessageBoxText::Ok), this);
    SetControlId(ok, 1);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CPropertiesDlg::accept);
    auto* cancel = new QPushButton(TextKey(MessageBoxText::Cancel), this);
    SetControlId(cancel, 2);
    cancel->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, this, &CPropertiesDlg::reject);
    buttons->addWidget(m_help);
    buttons->addStretch(1);
    buttons->addWidget(m_extra);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addWidget(new QSizeGrip(this), 0, Qt::AlignBottom);
    layout->addLayout(buttons);
    resize(420, 440);
}

bool CPropertiesDlg::OnInitDialog()
{
    CResizableDlgBase::OnInitDialog();
    m_help->setVisible(m_helpTopic != 0);
    if (m_helpTopic != 0)
        m_help->setToolTip(LoadString(m_helpTip));
    m_extra->setVisible(m_extraText != 0);
    if (m_extraText != 0)
        m_extra->setText(LoadString(m_extraText));
    m_grid->SetPropertyList(m_list);
    if (m_large) {
        resize(std::max(width(), kLargeWidth), std::max(height(), kLargeHeight));
        if (const QScreen* screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen())
            move(screen->availableGeometry().center() - rect().center());
    }
    return true;
}

void CPropertiesDlg::accept()
{
    m_grid->Apply();
    CResizableDlgBase::accept();
}
