#include "app/tipdlg.h"

#include "app/framehelp.h"
#include "foundation/filehelpers.h"
#include "foundation/programpaths.h"
#include "foundation/stringstore.h"
#include "platform/profile/privateprofile.h"
#include "ui/richeditwnd.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString kSection = QStringLiteral("dlgTips");
const QString kShowKey = QStringLiteral("ShowOnStartUp");
const QString kIndexKey = QStringLiteral("Tipp");
const QString kTipExtension = QStringLiteral(".tip");
constexpr int kNumberLength = 8;
constexpr int kTextMargin = 5;

PrivateProfile Profile()
{
    return PrivateProfile(g_program.ProfilePath);
}

}  // namespace

CTipDlg::CTipDlg(QWidget* parent, const QString& programFolder)
    : CResizableDlgBase(kTemplateId, parent), m_folder(TipsFolder(programFolder))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    m_strSection = kSection;
    setWindowTitle(TextKey(FrameHelpText::TipsTitle));

    m_text = new CRichEditWnd(this);
    m_text->Create(kStyleMultiline | kStyleAutoVScroll | kStyleVScroll | kStyleBorder | kStyleReadOnly | kStyleVisible
                       | kStyleChild,
                   QRect(), this, TextView);
    m_text->document()->setDocumentMargin(kTextMargin);
    m_text->setMinimumSize(420, 200);

    m_startUp = new QCheckBox(TextKey(FrameHelpText::TipsShowOnStartUp), this);
    SetControlId(m_startUp, StartUpCheck);
    auto* previous = new QPushButton(TextKey(FrameHelpText::TipsPrevious), this);
    SetControlId(previous, PreviousButton);
    auto* next = new QPushButton(TextKey(FrameHelpText::TipsNext), this);
    SetControlId(next, NextButton);
    auto* close = new QPushButton(TextKey(FrameHelpText::Close), this);
    SetControlId(close, 1);
    close->setDefault(true);
    for (QPushButton* button : {previous, next})
        button->setAutoDefault(false);
    connect(previous, &QPushButton::clicked, this, &CTipDlg::ShowPreviousTip);
    connect(next, &QPushButton::clicked, this, &CTipDlg::ShowNextTip);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_startUp);
    buttons->addStretch();
    buttons->addWidget(previous);
    buttons->addWidget(next);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_text, 1);
    layout->addLayout(buttons);
}

CTipDlg::~CTipDlg()
{
    // A window destroyed without being closed keeps its place as well.
    Save();
}

bool CTipDlg::ShowOnStartUp()
{
    return Profile().GetInt(kSection, kShowKey, 1) != 0;
}

QString CTipDlg::TipsFolder(const QString& programFolder)
{
    const QString format = HelpResource::TipsFolderFormat();
    const QString folder = format.arg(programFolder, g_pStringStore->GetLanguageCode());
    if (QFileInfo(folder).isDir())
        return folder;
    return format.arg(programFolder, LanguageCodeName(1));
}

bool CTipDlg::OnInitDialog()
{
    CResizableDlgBase::OnInitDialog();
    m_resourceTitle = windowTitle();
    const PrivateProfile profile = Profile();
    m_startUp->setChecked(profile.GetInt(kSection, kShowKey, 1) != 0);
    m_index = profile.GetInt(kSection, kIndexKey, 0);
    BuildTipList();
    // Past the last tip (or a damaged value) the tips start again.
    if (m_index < 0 || m_index >= m_titles.size())
        m_index = 0;
    ShowCurrentTip();
    return true;
}

void CTipDlg::BuildTipList()
{
    m_titles.clear();
    QDir folder(m_folder);
    folder.setNameFilters({QStringLiteral("*") + kTipExtension});
    folder.setFilter(QDir::Files | QDir::Readable);
    folder.setSorting(QDir::NoSort);
    for (const QString& name : folder.entryList()) {
        if (!name.endsWith(kTipExtension))
            continue;   // "X.TIP" would be looked for as "X.tip"
        const QString title = name.chopped(kTipExtension.size());
        qsizetype at = 0;
        while (at < m_titles.size() && m_titles.at(at).compare(title, Qt::CaseInsensitive) <= 0)
            ++at;
        m_titles.insert(at, title);
    }
}

void CTipDlg::ShowCurrentTip()
{
    if (m_index < 0 || m_index >= m_titles.size())
        return;
    m_text->clear();
    const QString title = m_titles.at(m_index);
    QFile file(m_folder + title + kTipExtension);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QByteArray rtf = file.readAll();
    m_text->StreamInRtf(&rtf, false);
    m_text->SetSel(0, 0);
    setWindowTitle(QStringLiteral("%1   (%2)").arg(m_resourceTitle).arg(ReadLeadingInt(QStringView(title).right(kNumberLength))));
}

void CTipDlg::ShowNextTip()
{
    if (m_titles.isEmpty())
        return;
    m_index = m_index + 1 >= m_titles.size() ? 0 : m_index + 1;
    ShowCurrentTip();
}

void CTipDlg::ShowPreviousTip()
{
    if (m_titles.isEmpty())
        return;
    m_index = m_index <= 0 ? int(m_titles.size()) - 1 : m_index - 1;
    ShowCurrentTip();
}

void CTipDlg::Save()
{
    if (m_saved || g_program.ProfilePath.isEmpty())
        return;
    m_saved = true;
    // The next opening shows the following tip; past the last one it
    // starts again at the first.
    PrivateProfile profile = Profile();
    profile.WriteInt(kSection, kShowKey, m_startUp->isChecked() ? 1 : 0);
    profile.WriteInt(kSection, kIndexKey, m_index + 1);
}

void CTipDlg::done(int result)
{
    Save();
    CResizableDlgBase::done(result);
}

void CTipDlg::closeEvent(QCloseEvent* event)
{
    Save();
    CResizableDlgBase::closeEvent(event);
}
