#include "ui/richtextinputdlg.h"

#include "foundation/help.h"
#include "foundation/stringstore.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

namespace Text {
constexpr int Caption = 100524;
constexpr int Ok = 100525;
constexpr int Cancel = 100526;
constexpr int Title = 102383;
constexpr int HelpTip = 102059;
}  // namespace Text

constexpr int kHelpTopic = 1012;
constexpr int kHelpKind = 1;

}  // namespace

CRichTextInputDlg::CRichTextInputDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(LoadString(Text::Title));
    m_edit = new QLineEdit(this);
    m_edit->setMaxLength(kMaxLength);
    m_edit->setMinimumWidth(300);
    m_edit->setAccessibleName(LoadString(Text::Caption));

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(LoadString(Text::Ok), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(LoadString(Text::Cancel), QDialogButtonBox::RejectRole);
    m_help = buttons->addButton(QDialogButtonBox::Help);
    m_help->setToolTip(LoadString(Text::HelpTip));
    m_help->hide();
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_edit);
    layout->addWidget(buttons);
}

void CRichTextInputDlg::SetText(const QString& text)
{
    m_text = text;
    m_edit->setText(text);
}

void CRichTextInputDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    m_edit->setFocus();
}

void CRichTextInputDlg::accept()
{
    m_text = m_edit->text().trimmed();
    QDialog::accept();
}

CRichTextInputDlg2::CRichTextInputDlg2(QWidget* parent) : CRichTextInputDlg(parent)
{
    m_help->show();
    connect(m_help, &QPushButton::clicked, this, &CRichTextInputDlg2::showHelp);
}

void CRichTextInputDlg2::SetTitle(const QString& title)
{
    if (!title.isEmpty())
        setWindowTitle(title);
}

void CRichTextInputDlg2::showHelp()
{
    m_edit->setFocus();
    ShowHelpTopic(kHelpKind, kHelpTopic);
}
