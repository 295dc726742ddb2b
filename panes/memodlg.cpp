#include "panes/memodlg.h"

#include "document/listnotifyinfo.h"
#include "document/rowfields.h"
#include "foundation/filehelpers.h"
#include "foundation/messageservice.h"
#include "foundation/stringstore.h"
#include "platform/rtf/richeditctrlex.h"
#include "store/storeids.h"
#include "ui/printengine.h"
#include "ui/propertygrid.h"
#include "ui/richeditwnd.h"
#include "ui/richtexteditorwnd.h"
#include "ui/treeimages.h"

#include <QLocale>
#include <QSaveFile>
#include <QTextBlock>
#include <QTextCursor>
#include <QTreeWidget>
#include <QtEndian>

namespace {

namespace MemoText {
constexpr int TitleCaption = 1039;
constexpr int AuthorCaption = 1041;
constexpr int TypeCaption = 102026;
constexpr int DateCaption = 102028;
constexpr int DocumentLabel = 1042;
constexpr int CodeLabel = 1040;
constexpr int GroupLabel = 57718;
constexpr int SetLabel = 57720;
constexpr int CodesLabel = 1043;
constexpr int DateLabel = 57713;
constexpr int RtfFilter = 57672;
constexpr int SaveTitle = 57714;
constexpr int PrintTitle = 57790;
constexpr int Caption = 100369;
constexpr int NotWritten = 205001;
}  // namespace MemoText

constexpr char kDefaultBody[] =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1031\\deflangfe1031{\\fonttbl{\\f0\\fswiss\\fnil\\fcharset0 "
    "Arial;}}\\viewkind4\\uc1\\pard\\sl240\\f0\\fs20\\par}";

QDateTime DateOf(RowBuffer& row, qint32 field)
{
    FieldValue value;
    if (!row.GetFieldValue(field, value))
        return {};
    const OleDate date = value.GetDate();
    QDate day;
    QTime time;
    if (!date.IsValid() || !DateTimeFromOleDays(date.value, day, time))
        return {};
    return QDateTime(day, time);
}

QByteArray BlobOf(RowBuffer& row, qint32 field)
{
    FieldValue value;
    if (!row.GetFieldValue(field, value) || !value.GetBlob())
        return {};
    return *value.GetBlob();
}

}  // namespace

const QByteArray& CMemoDlg::DefaultBody()
{
    static const QByteArray body(kDefaultBody);
    return body;
}

CMemoDlg::CMemoDlg(QWidget* parent) : NoticeDlg(parent)
{
    m_strSection = QStringLiteral("dlgMemo");
    m_captionSuffix.clear();
    m_title = QStringLiteral("?");
    BuildPropertyGrid();
}

bool CMemoDlg::BuildPropertyGrid()
{
    m_properties.RemoveAll();
    m_properties.Add(CPropertyRecord(TitleItem, 0, LoadString(MemoText::TitleCaption), PropertyType::Text));
    m_properties.Add(CPropertyRecord(AuthorItem, 0, LoadString(MemoText::AuthorCaption), PropertyType::Text));
    CPropertyRecord type(TypeItem, 0, LoadString(MemoText::TypeCaption), PropertyType::IntegerList);
    type.SetRange(30015, 16, 16);
    for (int i = 0; i < kTypeCount; ++i) {
        type.AddIntItem(i);
        type.AddStringItem(QString::number(i));
    }
    m_properties.Add(type);
    m_properties.Add(CPropertyRecord(DateItem, 0, LoadString(MemoText::DateCaption), PropertyType::DateTime));
    return true;
}

void CMemoDlg::OnGridBuilt()
{
    // The memo symbols of the trees stand for the types; the last repeats.
    CPropertyStore* store = m_header->Grid()->Binding().Store();
    if (!store)
        return;
    QList<QPixmap> images = TreeImages::MemoImages();
    while (!images.isEmpty() && images.size() < kTypeCount)
        images.append(images.back());
    for (PropertyCell& cell : store->cells)
        if (cell.kind == PropertyCellKind::Combo) {
            cell.images = images;
            for (int i = 0; i < cell.entries.size(); ++i)
                cell.entries[i].image = i;
        }
    m_header->Grid()->Grid()->RefreshValues();
}

QString CMemoDlg::GetMemoTitle(qint32 memo)
{
    RecordNotifyInfo info;
    info.topic = TopicId::Memos;
    info.key = memo;
    SendToOwner(info);
    if (!info.found)
        return {};
    return rowfields::TextOf(info.row, MemoField::Title);
}

QList<qint32> CMemoDlg::Codes() const
{
    QList<qint32> codes;
    const QTreeWidget* list = m_header->CodeList();
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        codes.append(list->topLevelItem(i)->data(0, Qt::UserRole).toInt());
    return codes;
}

bool CMemoDlg::LoadMemo()
{
    if (m_memoId <= 0)
        return false;
    RecordNotifyInfo info;
    info.topic = TopicId::Memos;
    info.key = m_memoId;
    info.readBlobs = true;
    SendToOwner(info);
    if (!info.found)
        return false;
    RowBuffer& row = info.row;
    m_title = rowfields::TextOf(row, MemoField::Title);
    m_properties.SetValueText(TitleItem, m_title);
    m_properties.SetValueText(AuthorItem, rowfields::TextOf(row, MemoField::Author));
    m_properties.SetValueText(TypeItem, QString::number(std::clamp(rowfields::IntOf(row, MemoField::Type), 0,
                                                                   kTypeCount - 1)));
    const QDateTime date = DateOf(row, MemoField::Date);
    m_properties.SetValueText(DateItem, date.isValid() ? FormatPropertyDateTime(date) : QString());
    m_attachment.clear();
    // A memo without text shows the empty paragraph; the project keeps its row.
    m_body = BlobOf(row, MemoField::Text);
    if (m_body.isEmpty())
        m_body = DefaultBody();
    m_header->CodeList()->clear();
    const QByteArray codewords = BlobOf(row, MemoField::Codewords);
    for (qsizetype at = 0; at + 4 <= codewords.size(); at += 4)
        AddCodeRow(qFromLittleEndian<qint32>(codewords.constData() + at));

    struct Attachment {
        qint32 field;
        int label;
        qint32 kind;
    };
    static constexpr Attachment kAttachments[] = {
        {MemoField::Document, MemoText::DocumentLabel, TopicId::Documents},
        {MemoField::Code, MemoText::CodeLabel, TopicId::Codes},
        {MemoField::GroupID, MemoText::GroupLabel, TopicId::DocumentGroups},
        {MemoField::SetID, MemoText::SetLabel, TopicId::DocumentSets},
    };
    QString headerLine;
    for (const Attachment& each : kAttachments) {
        const qint32 id = rowfields::IntOf(row, each.field);
        if (id < 1)
            continue;
        ListNotifyInfo name;
        name.itemId = id;
        name.topic = each.kind;
        name.mask = ListNotifyMask::Name;
        if (QueryOwner(name)) {
            headerLine = QStringLiteral("%1: %2").arg(LoadString(each.label), name.name);
            m_attachment = QStringLiteral("%1\t\t%2").arg(LoadString(each.label), name.name);
        }
        break;
    }
    m_header->SetTitles(headerLine, LoadString(MemoText::Caption));
    return true;
}

QString CMemoDlg::BuildHeaderText() const
{
    QString text = m_properties.GetString(TitleItem) + QStringLiteral("\n\n");
    if (!m_attachment.isEmpty())
        text += m_attachment + u'\n';
    text += LoadString(MemoText::AuthorCaption) + QStringLiteral("\t\t") + m_properties.GetString(AuthorItem) + u'\n';
    const QString dateValue = m_properties.GetString(DateItem);
    const QString date = dateValue.isEmpty() ? QString()
                                             : QLocale().toString(m_properties.GetDateTime(DateItem),
                                                                  QLocale::ShortFormat);
    text += LoadString(MemoText::DateLabel) + u'\t' + date + u'\n';
    const QTreeWidget* list = m_header->CodeList();
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        text += (i == 0 ? LoadString(MemoText::CodesLabel) : QString()) + QStringLiteral("\t\t")
                + list->topLevelItem(i)->text(0) + u'\n';
    }
    return text + u'\n';
}

void CMemoDlg::FillRichEdit(CRichEditCtrlEx& edit)
{
    int start = 0;
    int end = 0;
    edit.GetSel(start, end);
    edit.StreamInRtf(&m_body, false);
    QTextCursor cursor(edit.GetDocument());
    cursor.movePosition(QTextCursor::Start);
    cursor.insertText(BuildHeaderText());
    // The title line is centred.
    QTextCursor title(edit.GetDocument()->firstBlock());
    QTextBlockFormat centred = title.blockFormat();
    centred.setAlignment(Qt::AlignHCenter);
    title.setBlockFormat(centred);
    edit.SetSel(start, end);
}

bool CMemoDlg::WriteRtfFile(const QString& path)
{
    CRichEditCtrlEx hidden;
    hidden.LimitText(10'000'000);
    RichEditCharFormat format;
    format.mask = kCharMaskFace | kCharMaskSize | kCharMaskBold;
    format.faceName = QStringLiteral("Verdana");
    format.height = 200;
    hidden.SetDefaultCharFormat(format);
    FillRichEdit(hidden);
    QByteArray rtf;
    hidden.StreamOutRtf(&rtf, false, true);
    // Written beside the target and renamed: a failure leaves the old file.
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(rtf) == rtf.size() && file.commit();
}

void CMemoDlg::SaveAsRtf()
{
    QString name = m_properties.GetString(TitleItem);
    SanitizeFileName(name);
    QString path;
    if (savePrompt) {
        path = savePrompt(name + QStringLiteral(".rtf"));
    } else {
        FilePrompt prompt;
        prompt.kind = FilePromptKind::SaveFile;
        prompt.title = LoadString(MemoText::SaveTitle);
        prompt.filter = LoadString(MemoText::RtfFilter) + QStringLiteral(" (*.rtf)");
        prompt.path = name + QStringLiteral(".rtf");
        prompt.defaultSuffix = QStringLiteral("rtf");
        path = PromptForFiles(prompt).value(0);
    }
    if (path.isEmpty())
        return;
    if (!WriteRtfFile(path))
        ShowMessage(LoadString(MemoText::NotWritten).arg(path), MessageKind::Error);
}

void CMemoDlg::PrintMemo()
{
    CPrintEngine engine(LoadString(MemoText::PrintTitle).arg(projectName ? projectName() : QString()),
                        QLocale().toString(QDate::currentDate(), QLocale::ShortFormat), this);
    FillRichEdit(engine.RichEdit());
    engine.Print();
}

bool CMemoDlg::StoreMemo()
{
    if (!storer || m_memoId <= 0)
        return false;
    Edit edit;
    edit.ID = m_memoId;
    edit.Title = m_properties.GetString(TitleItem);
    edit.Author = m_properties.GetString(AuthorItem);
    edit.Type = std::clamp(m_properties.GetInt(TypeItem), 0, kTypeCount - 1);
    edit.Date = m_properties.GetString(DateItem).isEmpty() ? QDateTime() : m_properties.GetDateTime(DateItem);
    edit.Text = m_body;
    edit.Codewords = Codes();
    if (!storer(edit))
        return false;
    m_title = edit.Title;
    const int tab = TabOf(m_memoId);
    if (tab >= 0)
        m_tabs->setTabText(tab, m_title);
    return true;
}
