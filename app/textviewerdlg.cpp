#include "app/textviewerdlg.h"

#include "app/framehelp.h"
#include "foundation/help.h"
#include "foundation/stringstore.h"
#include "ui/richeditwnd.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QHBoxLayout>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QTextDocument>
#include <QVBoxLayout>

namespace {

constexpr int kOkText = 57345;
constexpr int kHelpTip = 102059;

struct KindInfo {
    int kind;
    int titleTextId;
    const char* file;   // the file's format under the program folder; null for texts in memory
};

constexpr KindInfo kKinds[] = {
    {CTextViewerDlg::TableImport, 199060, "%1Manuals/%2/excelimp_%3.rtf"},
    {CTextViewerDlg::DocumentPictures, 199061, "%1Manuals/%2/docpic_%3.rtf"},
    {CTextViewerDlg::CodeMatrixBrowser, 199062, "%1Manuals/%2/cm_browser_%3.rtf"},
    {CTextViewerDlg::CodeRelationsBrowser, 199063, "%1Manuals/%2/co_browser_%3.rtf"},
    {CTextViewerDlg::SequenceBrowser, 199064, "%1Manuals/%2/seq_browser_%3.rtf"},
    {CTextViewerDlg::TableCodeCrosstab, 199065, "%1Manuals/%2/tcc_browser_%3.rtf"},
    {CTextViewerDlg::CodeRelationsTable, 199066, "%1Manuals/%2/crt_browser_%3.rtf"},
    {CTextViewerDlg::CodeTableImport, 199067, "%1Manuals/%2/excelimpcodes_%3.rtf"},
    {CTextViewerDlg::SupportInformation, 199068, nullptr},
    {CTextViewerDlg::InMemoryText, 199069, nullptr},
    {CTextViewerDlg::TypologyBrowser, 199070, "%1Manuals/%2/typ_browser_%3.rtf"},
};
constexpr int kShortcutsTitle = 199071;
constexpr char kShortcutsFile[] = "%1Manuals/%2/shortcuts_%3.rtf";

const KindInfo* InfoOf(int kind)
{
    for (const KindInfo& info : kKinds)
        if (info.kind == kind)
            return &info;
    return nullptr;
}

bool IsInMemory(int kind)
{
    return kind == CTextViewerDlg::SupportInformation || kind == CTextViewerDlg::InMemoryText;
}

QPushButton* Button(QWidget* parent, int id, int textId)
{
    auto* button = new QPushButton(TextKey(textId), parent);
    SetControlId(button, id);
    button->setAutoDefault(false);
    return button;
}

}  // namespace

CTextViewerDlg::CTextViewerDlg(QWidget* parent, const QString& text, int kind)
    : CResizableDlgBase(kTemplateId, parent), m_kind(kind), m_folderOrTitle(text)
{
    m_strSection = QStringLiteral("dlgTextViewer");
    m_view = new CRichEditWnd(this);
    m_view->Create(kStyleMultiline | kStyleAutoVScroll | kStyleVScroll | kStyleBorder | kStyleNoHideSel
                       | kStyleWantReturn | kStyleReadOnly | kStyleVisible | kStyleChild,
                   QRect(), this, TextView);
    m_view->document()->setDocumentMargin(kTextMargin);
    m_view->setMinimumSize(320, 200);

    m_help = MakeIconButton(this, HelpButton, QStyle::SP_DialogHelpButton, kHelpTip);
    m_related = Button(this, RelatedButton, FrameHelpText::ViewerRelated);
    m_save = Button(this, SaveButton, FrameHelpText::ViewerSave);
    auto* copy = Button(this, CopyButton, FrameHelpText::ViewerCopy);
    m_ok = Button(this, OkButton, kind == TableImport || kind == CodeTableImport ? kOkText : FrameHelpText::Close);
    m_ok->setDefault(true);
    const bool support = kind == SupportInformation;
    for (QPushButton* button : {m_help, m_related, m_save})
        button->setVisible(support);
    m_related->setEnabled(false);

    connect(m_help, &QPushButton::clicked, this, [] { ShowHelpTopic(int(HelpKind::Program), kHelpTopic); });
    connect(m_related, &QPushButton::clicked, this, &CTextViewerDlg::OpenRelatedDocument);
    connect(m_save, &QPushButton::clicked, this, &CTextViewerDlg::SaveAndClose);
    connect(copy, &QPushButton::clicked, this, &CTextViewerDlg::CopyToClipboard);
    connect(m_ok, &QPushButton::clicked, this, [this] { done(Accepted); });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_help);
    buttons->addWidget(m_related);
    buttons->addWidget(m_save);
    buttons->addStretch();
    buttons->addWidget(copy);
    buttons->addWidget(m_ok);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_view, 1);
    layout->addLayout(buttons);

    const KindInfo* info = InfoOf(kind);
    QString title = LoadString(info ? info->titleTextId : kShortcutsTitle);
    if (support)
        title += m_folderOrTitle;
    m_strTitle = title;
    m_filePath = HelpTextFile(text, kind);
}

int CTextViewerDlg::TitleTextId(int kind)
{
    const KindInfo* info = InfoOf(kind);
    return info ? info->titleTextId : kShortcutsTitle;
}

QString CTextViewerDlg::HelpTextFile(const QString& folder, int kind)
{
    if (IsInMemory(kind))
        return QString();
    const KindInfo* info = InfoOf(kind);
    return LocalisedFile(QString::fromLatin1(info ? info->file : kShortcutsFile), folder,
                         g_pStringStore->GetLanguageCode(), LanguageCodeName(1));
}

void CTextViewerDlg::SetRelatedDocument(const QString& target, std::function<bool(const QString&)> opener)
{
    m_relatedTarget = target;
    m_opener = std::move(opener);
    m_related->setEnabled(m_opener && !m_relatedTarget.isEmpty());
}

bool CTextViewerDlg::OnInitDialog()
{
    CResizableDlgBase::OnInitDialog();
    if (!IsInMemory(m_kind)) {
        m_buffer.clear();
        QFile file(m_filePath);
        // A help text that cannot be read leaves the view empty.
        if (file.open(QIODevice::ReadOnly))
            m_buffer = file.readAll();
    }
    if (!m_buffer.isEmpty())
        m_view->StreamInRtf(&m_buffer, false);
    m_buffer.clear();
    m_view->SetSel(0, 0);
    if (const QScreen* screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen()) {
        QRect frame = geometry();
        frame.moveCenter((parentWidget() ? parentWidget()->geometry() : screen->availableGeometry()).center());
        move(frame.topLeft());
    }
    return true;
}

void CTextViewerDlg::CopyToClipboard() const
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return;
    QByteArray rtf;
    m_view->StreamOutRtf(&rtf, false, true);
    auto* data = new QMimeData;
    data->setData(QStringLiteral("text/rtf"), rtf);
    data->setText(m_view->document()->toPlainText());
    clipboard->setMimeData(data);
}

void CTextViewerDlg::SaveAndClose()
{
    m_buffer.clear();
    m_view->StreamOutRtf(&m_buffer, false, true);
    done(SavedResult);
}

void CTextViewerDlg::OpenRelatedDocument()
{
    if (m_opener && !m_relatedTarget.isEmpty())
        m_opener(m_relatedTarget);
}

void CTextViewerDlg::reject()
{
    done(2);
}
