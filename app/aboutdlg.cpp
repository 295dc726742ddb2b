#include "app/aboutdlg.h"

#include "app/appids.h"
#include "foundation/programpaths.h"

#include <QGridLayout>
#include <QLabel>
#include <QMouseEvent>

CAboutDlg::CAboutDlg(QWidget* parent) : CPlainDlgBase(kTemplateId, parent)
{
    setWindowTitle(TextKey(AppText::AboutProgramName, "KORVAN10"));
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(16, 16, 16, 16);
    const auto add = [this, layout](int id, const QString& text, int row) {
        auto* label = new QLabel(text, this);
        label->setWordWrap(true);
        SetControlId(label, id);
        layout->addWidget(label, row, 0);
        return label;
    };
    QFont bold = font();
    bold.setBold(true);
    add(kProgramNameId, TextKey(AppText::AboutProgramName, "KORVAN10"), 0)->setFont(bold);
    add(kDescriptionId, TextKey(AppText::AboutDescription, "Qualitative and mixed-methods analysis"), 1);
    add(kRightsId, TextKey(AppText::AboutRights, "All rights reserved."), 2);
    add(kCreditsId, TextKey(AppText::AboutCredits, "Built with Qt and SQLite."), 3);
    add(kPdfCreditId, TextKey(AppText::AboutPdfCredit, "PDF pages are shown by Qt PDF."), 4);
    add(kSupportId, TextKey(AppText::AboutSupport, "Support"), 5);
    add(kWebsiteId, TextKey(AppText::AboutWebsite, "Website"), 6);
    add(kMailId, TextKey(AppText::AboutMail, "E-mail"), 7);
}

bool CAboutDlg::OnInitDialog()
{
    CPlainDlgBase::OnInitDialog();
    if (QWidget* name = FindControl(this, kProgramNameId))
        SetControlText(name, ControlText(name) + u' ' + g_program.BuildString);
    return true;
}

void CAboutDlg::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton || event->button() == Qt::RightButton)
        done(0);
}
