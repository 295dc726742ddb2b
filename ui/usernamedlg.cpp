#include "ui/usernamedlg.h"

#include "foundation/stringstore.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

namespace {

namespace Text {
constexpr int Label = 1162;
}  // namespace Text

}  // namespace

CUserNameDlg::CUserNameDlg(const QStringList& knownUsers, const QString& currentUser, QWidget* parent)
    : QDialog(parent), m_known(knownUsers), m_current(currentUser)
{
    m_combo = new QComboBox(this);
    m_combo->setEditable(true);
    m_combo->setInsertPolicy(QComboBox::NoInsert);
    m_combo->addItems(knownUsers);
    if (!currentUser.isEmpty() && !knownUsers.contains(currentUser, Qt::CaseInsensitive))
        m_combo->addItem(currentUser);
    const int current = m_combo->findText(currentUser, Qt::MatchFixedString);   // case-insensitive
    m_combo->setCurrentIndex(current);
    if (current < 0)
        m_combo->setEditText(currentUser);

    auto* label = new QLabel(LoadString(Text::Label), this);
    label->setBuddy(m_combo);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_combo);
    layout->addWidget(buttons);
}

void CUserNameDlg::accept()
{
    m_current = m_combo->currentText();
    m_known.clear();
    for (int i = 0; i < m_combo->count(); ++i)
        m_known.append(m_combo->itemText(i));
    QDialog::accept();
}
