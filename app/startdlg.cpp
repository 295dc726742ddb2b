#include "app/startdlg.h"

#include "app/appids.h"
#include "app/framesettings.h"
#include "foundation/programpaths.h"
#include "foundation/stringstore.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QToolButton>

namespace {

constexpr int kMinimumSide = 430;
constexpr int kPictureIconSize = 32;
/// A user name made from the account name keeps at most this many characters.
constexpr int kAccountNameLength = 20;

// The two pictures beside the choices: a new file above, an opened folder
// at half the window's height.
QPixmap ChoicePicture(const QSize& size, QStyle* style)
{
    QPixmap picture(size);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.drawPixmap(0, 0, style->standardIcon(QStyle::SP_FileIcon).pixmap(kPictureIconSize));
    painter.drawPixmap(0, size.height() / 2, style->standardIcon(QStyle::SP_DirOpenIcon).pixmap(kPictureIconSize));
    return picture;
}

}  // namespace

CStartDlg::CStartDlg(QWidget* parent)
    : CResizableDlgBase(kTemplateId, parent), m_header(new QGroupBox(this)), m_choices(new QGroupBox(this)),
      m_user(new QComboBox(this)), m_removeUser(new QToolButton(this)), m_new(new QRadioButton(this)),
      m_open(new QRadioButton(this)), m_picture(new QLabel(this)), m_projects(new QListWidget(this)),
      m_ok(new QPushButton(this))
{
    m_strSection = QStringLiteral("dlgStart");
    // The title is the program's version text before its release part.
    const QString title = g_program.AppTitle;
    const qsizetype release = title.indexOf(QLatin1String("  R"));
    m_strTitle = release < 0 ? title : title.left(release);

    SetControlId(m_header, kHeaderGroupId);
    m_header->setTitle(TextKey(AppText::StartUserGroup, "User"));
    SetControlId(m_choices, kChoiceGroupId);
    m_choices->setTitle(TextKey(AppText::StartProjectGroup, "Project"));
    SetControlId(m_user, kUserId);
    m_user->setEditable(true);
    SetControlId(m_removeUser, kRemoveUserId);
    m_removeUser->setIcon(style()->standardIcon(QStyle::SP_DialogDiscardButton));
    m_removeUser->setToolTip(LoadString(AppText::StartRemoveUser));
    SetControlId(m_new, kNewProjectId);
    m_new->setText(TextKey(AppText::StartNewProject, "Create a new project"));
    SetControlId(m_open, kOpenProjectId);
    m_open->setText(TextKey(AppText::StartOpenProject, "Open a project"));
    SetControlId(m_picture, kPictureId);
    SetControlId(m_projects, kProjectListId);
    m_projects->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_projects->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_projects->setSelectionMode(QAbstractItemView::SingleSelection);
    SetControlId(m_ok, kOkId);
    m_ok->setText(QStringLiteral("@STR102370|OK"));
    m_ok->setDefault(true);
    // Controls stack in the order of their places: the header group and the
    // choices group lie under what they frame.
    m_header->lower();
    m_choices->lower();
    setTabOrder(m_user, m_projects);

    connect(m_removeUser, &QToolButton::clicked, this, &CStartDlg::RemoveUser);
    connect(m_new, &QRadioButton::clicked, this, &CStartDlg::ChooseNew);
    connect(m_open, &QRadioButton::clicked, this, &CStartDlg::ChooseOpen);
    connect(m_ok, &QPushButton::clicked, this, [this] { Finish(true); });
    connect(m_projects, &QListWidget::itemDoubleClicked, this, [this] { Finish(false); });
    setMinimumSize(kMinimumSide, kMinimumSide);
    resize(kMinimumSide, kMinimumSide);
}

bool CStartDlg::OnInitDialog()
{
    m_projects->addItem(LoadString(AppText::StartOtherProject));
    m_projects->addItems(m_recentProjects);
    m_projects->setCurrentRow(0);
    m_new->setChecked(m_nChoice == NewProject);
    m_open->setChecked(m_nChoice != NewProject);
    m_projects->setEnabled(m_nChoice != NewProject);

    QStringList users = m_users;
    if (!users.contains(m_strUserName, Qt::CaseInsensitive))
        users.append(m_strUserName);
    m_user->addItems(users);
    // Letter case aside, the current name is in the list now.
    m_user->setCurrentIndex(m_user->findText(m_strUserName, Qt::MatchFixedString));
    const bool result = CResizableDlgBase::OnInitDialog();
    Layout();
    if (m_nChoice != NewProject)
        m_projects->setFocus();
    return result;
}

void CStartDlg::resizeEvent(QResizeEvent* event)
{
    CResizableDlgBase::resizeEvent(event);
    Layout();
}

void CStartDlg::Layout()
{
    const int w = width();
    const int h = height();
    m_header->setGeometry(7, 7, w - 14, 48);
    m_user->setGeometry(100, 21, 250, 20);
    m_removeUser->setGeometry(355, 21, 21, 20);
    m_new->setGeometry(100, 95, 250, 30);
    m_picture->setGeometry(50, 90, 40, 75);
    m_picture->setPixmap(ChoicePicture(m_picture->size(), style()));
    m_open->setGeometry(100, 135, 250, 25);
    m_choices->setGeometry(7, 75, w - 14, h - 112);
    m_projects->setGeometry(14, 175, w - 28, h - 219);
    m_ok->setGeometry(w - 117, h - 32, 110, 25);
}

void CStartDlg::RemoveUser()
{
    const int shown = m_user->findText(m_user->currentText(), Qt::MatchFixedString | Qt::MatchCaseSensitive);
    if (shown >= 0)
        m_user->removeItem(shown);
    if (m_user->count() == 0)
        m_user->addItem(SystemUserName().left(kAccountNameLength));
    m_user->setCurrentIndex(0);
}

void CStartDlg::ChooseNew()
{
    m_nChoice = NewProject;
    m_projects->setEnabled(false);
}

void CStartDlg::ChooseOpen()
{
    m_nChoice = OpenProject;
    m_projects->setEnabled(true);
}

void CStartDlg::Finish(bool rebuildUsers)
{
    const int row = m_projects->currentRow();
    m_strProjectPath = row > 0 ? m_projects->item(row)->text() : QString();
    m_strUserName = m_user->currentText();
    if (rebuildUsers) {
        m_users.clear();
        for (int i = 0; i < m_user->count(); ++i)
            m_users.append(m_user->itemText(i));
    }
    accept();
}
