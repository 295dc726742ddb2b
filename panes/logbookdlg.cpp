#include "panes/logbookdlg.h"

#include "foundation/help.h"
#include "foundation/messageservice.h"
#include "foundation/programpaths.h"
#include "foundation/stringstore.h"
#include "platform/profile/privateprofile.h"
#include "ui/printengine.h"
#include "ui/richeditwnd.h"
#include "ui/richtexteditorwnd.h"

#include <QAction>
#include <QCloseEvent>
#include <QDate>
#include <QLocale>
#include <QRegularExpression>
#include <QSaveFile>
#include <QScrollBar>
#include <QTextDocument>
#include <QTimer>
#include <QToolBar>

namespace {

constexpr int kRtfFilter = 57672;
constexpr int kSaveTitle = 57714;
constexpr int kNotWritten = 205001;
constexpr int kLogNotStored = 205002;
constexpr int kTextLimit = 10'000'000;
constexpr int kDefaultHeight = 200;
const QString kSection = QStringLiteral("dlgLog");
const QString kTextFormatKey = QStringLiteral("TextFormat");

/// Stored bytes that are UTF-16LE text: even length, no RTF head, and a
/// zero high byte in most characters.
bool LooksLikeUtf16(const QByteArray& bytes)
{
    if (bytes.size() < 2 || bytes.startsWith("{\\rtf"))
        return false;
    qsizetype zeros = 0;
    const qsizetype pairs = bytes.size() / 2;
    for (qsizetype i = 1; i < bytes.size(); i += 2)
        if (bytes[i] == 0)
            ++zeros;
    return zeros * 2 >= pairs;
}

}  // namespace

CLogbookDlg::CLogbookDlg(QWidget* parent) : CResizableDlgBase(kTemplateId, parent)
{
    setWindowFlag(Qt::Window);
    setModal(false);
    setAttribute(Qt::WA_DeleteOnClose);
    m_strSection = kSection;
    m_bar = new QToolBar(this);
    m_bar->setIconSize(QSize(16, 16));
    for (const int id : {5787, 5777, 5778, 0, 9, 8}) {
        if (id == 0) {
            m_bar->addSeparator();
            continue;
        }
        QAction* action = m_bar->addAction(LoadString(id));
        action->setData(id);
        // 5787 has no work in this window.
        action->setEnabled(id != 5787);
        connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
    }
    m_editor = new RichTextEditorWnd(this);
    m_editor->ToolBar()->setObjectName(QStringLiteral("LogRtfBar"));
    SetControlId(m_editor->Editor(), kEditorId);
    resize(620, 480);
}

RichEditCharFormat CLogbookDlg::ParseTextFormat(const QString& text)
{
    RichEditCharFormat format;
    format.mask = kCharMaskSize | kCharMaskColor | kCharMaskFace | kCharMaskBold | kCharMaskItalic
                  | kCharMaskUnderline | kCharMaskStrikeOut;
    format.faceName = QStringLiteral("Arial");
    format.height = kDefaultHeight;
    const qsizetype comma = text.indexOf(u',');
    if (comma <= 0)
        return format;
    const QStringList numbers = text.mid(comma + 1).split(u',');
    if (numbers.size() != 7)
        return format;
    int values[7];
    for (int i = 0; i < 7; ++i) {
        bool ok = false;
        values[i] = numbers[i].trimmed().toInt(&ok);
        if (!ok)
            return format;
    }
    if (values[0] <= 0)
        return format;
    format.faceName = text.left(comma).trimmed();
    format.height = values[0];
    format.effects = quint32(values[1] | values[2] | values[3]) & (kCharBold | kCharItalic | kCharUnderline);
    format.textColor = RichEditColor(std::clamp(values[4], 0, 255)) | RichEditColor(std::clamp(values[5], 0, 255)) << 8
                       | RichEditColor(std::clamp(values[6], 0, 255)) << 16;
    return format;
}

QString CLogbookDlg::FormatTextFormat(const RichEditCharFormat& format)
{
    return QStringLiteral("%1, %2, %3, %4, %5, %6, %7, %8")
        .arg(format.faceName)
        .arg(format.height)
        .arg(format.effects & kCharBold)
        .arg(format.effects & kCharItalic)
        .arg(format.effects & kCharUnderline)
        .arg(format.textColor & 0xFF)
        .arg((format.textColor >> 8) & 0xFF)
        .arg((format.textColor >> 16) & 0xFF);
}

QString CLogbookDlg::DefaultTextFormat()
{
    return QStringLiteral("Arial, %1, 0, 0, 0, 0, 0, 0").arg(kDefaultHeight);
}

QByteArray CLogbookDlg::LogAsRtf(const QByteArray& stored)
{
    if (stored.isEmpty() || stored.startsWith("{\\rtf"))
        return stored;
    QString text;
    if (LooksLikeUtf16(stored)) {
        text = QString::fromUtf16(reinterpret_cast<const char16_t*>(stored.constData()), stored.size() / 2);
        while (text.endsWith(QChar(0)))
            text.chop(1);
    } else {
        text = QString::fromUtf8(stored);
    }
    CRichEditCtrlEx plain;
    plain.GetDocument()->setPlainText(text);
    QByteArray rtf;
    plain.StreamOutRtf(&rtf, false, true);
    return rtf;
}

bool CLogbookDlg::OnInitDialog()
{
    CResizableDlgBase::OnInitDialog();
    setWindowTitle(LoadString(kTitleTextId));
    QString stored;
    if (!g_program.ProfilePath.isEmpty())
        stored = PrivateProfile(g_program.ProfilePath).GetString(kSection, kTextFormatKey);
    m_textFormat = ParseTextFormat(stored);
    CRichEditWnd* edit = m_editor->Editor();
    edit->LimitText(kTextLimit);
    edit->SetAutoUrlDetect(1);
    RichEditCharFormat base;
    base.mask = kCharMaskFace | kCharMaskSize;
    base.faceName = QStringLiteral("Verdana");
    base.height = kDefaultHeight;
    edit->SetDefaultCharFormat(base);
    edit->SetSelCharFormat2(m_textFormat);
    if (!m_log.isEmpty()) {
        const QByteArray rtf = LogAsRtf(m_log);
        edit->StreamInRtf(&rtf, false);
        m_log.clear();
    }
    edit->SetSel(0, 0);
    // The logbook is written by its users: editable, its format bar on.
    m_editor->SetEditable(true);
    connect(m_editor, &RichTextEditorWnd::TextChanged, this, [this] { m_modified = true; });
    connect(edit, &CRichEditWnd::LinkClicked, this, [this](const QString& target) {
        if (linkOpener)
            linkOpener(target);
    });
    m_modified = false;
    Layout();
    QTimer::singleShot(50, this, [this] {
        m_editor->Editor()->setFocus();
        m_editor->UpdateCommandStates();
    });
    return true;
}

void CLogbookDlg::resizeEvent(QResizeEvent* event)
{
    CResizableDlgBase::resizeEvent(event);
    Layout();
}

void CLogbookDlg::Layout()
{
    m_bar->setGeometry(0, 0, width(), 28);
    m_editor->setGeometry(7, 30, std::max(0, width() - 14), std::max(0, height() - 36));
}

bool CLogbookDlg::StoreLog()
{
    m_log.clear();
    m_editor->Editor()->StreamOutRtf(&m_log, false, true);
    return storer && storer(m_log);
}

void CLogbookDlg::OnCommand(int id)
{
    switch (id) {
    case 5777: Print(); break;
    case 5778: SaveRtf(); break;
    case 9: ShowHelpTopic(int(HelpKind::Program), kHelpTopic); break;
    case 8: close(); break;
    default: break;
    }
}

void CLogbookDlg::Print()
{
    CRichEditWnd* edit = m_editor->Editor();
    int start = 0;
    int end = 0;
    edit->GetSel(start, end);
    CPrintEngine engine(LoadString(kTitleTextId), QLocale().toString(QDate::currentDate(), QLocale::ShortFormat),
                        this);
    engine.Print(edit);
    edit->SetSel(start, end);
    edit->setFocus();
}

void CLogbookDlg::SaveRtf()
{
    CRichEditWnd* edit = m_editor->Editor();
    int start = 0;
    int end = 0;
    edit->GetSel(start, end);
    const int scroll = edit->verticalScrollBar()->value();
    QString path;
    if (savePrompt) {
        path = savePrompt(QString());
    } else {
        FilePrompt prompt;
        prompt.kind = FilePromptKind::SaveFile;
        prompt.title = LoadString(kSaveTitle);
        prompt.filter = LoadString(kRtfFilter) + QStringLiteral(" (*.rtf)");
        prompt.defaultSuffix = QStringLiteral("rtf");
        path = PromptForFiles(prompt).value(0);
    }
    if (!path.isEmpty()) {
        QByteArray rtf;
        edit->StreamOutRtf(&rtf, false, true);
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(rtf) != rtf.size() || !file.commit())
            ShowMessage(LoadString(kNotWritten).arg(path), MessageKind::Error);
    }
    edit->SetSel(start, end);
    edit->verticalScrollBar()->setValue(scroll);
    edit->setFocus();
}

void CLogbookDlg::closeEvent(QCloseEvent* event)
{
    // A changed logbook that the project refused stays open with its text.
    if (m_modified && !StoreLog()) {
        ShowMessage(LoadString(kLogNotStored), MessageKind::Error);
        event->ignore();
        return;
    }
    m_modified = false;
    if (!g_program.ProfilePath.isEmpty()) {
        RichEditCharFormat format;
        m_editor->GetSelectionCharFormat(format);
        const QColor colour = m_editor->Editor()->textCursor().charFormat().foreground().color();
        format.textColor = RichEditColor(colour.red()) | RichEditColor(colour.green()) << 8
                           | RichEditColor(colour.blue()) << 16;
        if (format.height <= 0)
            format.height = kDefaultHeight;
        if (format.faceName.isEmpty())
            format.faceName = QStringLiteral("Arial");
        PrivateProfile(g_program.ProfilePath).WriteString(kSection, kTextFormatKey, FormatTextFormat(format));
    }
    CResizableDlgBase::closeEvent(event);
    if (event->isAccepted() && parentWidget())
        parentWidget()->activateWindow();
}
