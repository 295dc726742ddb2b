// Saving the shown rich text: as stored, with paragraph numbers as rich
// text, or as a workbook of numbered paragraphs.

#include "browser/textcoderwindow.h"

#include "document/listnotifyinfo.h"
#include "foundation/messageservice.h"
#include "foundation/programpaths.h"
#include "foundation/richtexthelpers.h"
#include "foundation/stringstore.h"
#include "foundation/workbook.h"
#include "platform/rtf/richeditctrlex.h"
#include "store/fieldvalue.h"
#include "store/storeids.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QUrl>

namespace {

constexpr int kNotWrittenText = 200000;   ///< "%1" the file, "%2" the reason
constexpr int kNoTemplateText = 200033;   ///< "%1" the template
const char* const kTemplateName = "Template.tab";

bool g_openSavedDocuments = true;

bool Fail(const QString& path, const QString& reason)
{
    ShowMessage(LoadString(kNotWrittenText).arg(QFileInfo(path).fileName(), reason), MessageKind::Error);
    return false;
}

}  // namespace

void TextCoderWindow::SetOpenSavedDocuments(bool open)
{
    g_openSavedDocuments = open;
}

bool TextCoderWindow::ExportDocument(const QString& path, const QString& sheetName, bool numbered, bool excel)
{
    if (m_kind != RichText)
        return false;
    RecordNotifyInfo info;
    info.topic = TopicId::Documents;
    info.key = m_shownId;
    info.readBlobs = true;
    SendToOwner(info);
    FieldValue content;
    if (!info.found || !info.row.GetFieldValue(DocumentField::Text, content) || !content.GetBlob())
        return false;
    QByteArray rtf = *content.GetBlob();

    QString saved = path;
    if (numbered) {
        std::unique_ptr<CRichEditCtrlEx> text = CreateHiddenRichEdit();
        text->StreamInRtf(&rtf, false);
        const int count = GetParagraphCount();
        const auto span = [this](int n) {
            return std::pair<int, int>(int(m_paragraphs.characters[2 * (n - 1)]),
                                       int(m_paragraphs.characters[2 * (n - 1) + 1]));
        };
        if (excel) {
            CWorkbook book;
            QString error;
            if (!book.CreateFor(saved, &error))
                return error.isEmpty() ? false : Fail(saved, error);
            book.SetDefaultFont(QStringLiteral("Verdana"), 8);
            WorkbookCellFormat format;
            format.thinBorder = true;
            format.borderColour = PackWorkbookColour(192, 192, 192);
            const int number = book.AddFormat(format);
            format.wrap = true;
            const int body = book.AddFormat(format);
            CWorkbookSheet* sheet = book.AddSheet(sheetName);
            if (!sheet)
                return Fail(saved, QString());
            sheet->HideGridlines();
            bool ok = sheet->SetColumnWidth(0, 0, 6) && sheet->SetColumnWidth(1, 1, 120);
            int row = 0;
            for (int n = 1; n <= count && ok; ++n) {
                const auto [start, end] = span(n);
                text->SetSel(start, end);
                QString plain;
                text->GetSelText(&plain, 2 * (end - start + 2));
                if (plain.trimmed().isEmpty())
                    continue;
                ok = sheet->WriteNumber(row, 0, n, number) && sheet->WriteString(row, 1, plain, body);
                ++row;
                // A gap before the next paragraph shows as an empty row.
                if (ok && n < count && span(n + 1).first - end > 1)
                    ok = sheet->WriteBlank(row, 0, number) && sheet->WriteBlank(row++, 1, body);
            }
            QString written;
            if (!ok || !book.Save(saved, &written, &error))
                return Fail(saved, error);
            saved = written;
        } else {
            QFile templateFile(QDir(g_program.ProgramFolder).filePath(QString::fromLatin1(kTemplateName)));
            if (!templateFile.open(QIODevice::ReadOnly)) {
                ShowMessage(LoadString(kNoTemplateText).arg(templateFile.fileName()), MessageKind::Error);
                return false;
            }
            const QByteArray frame = templateFile.readAll();
            std::unique_ptr<CRichEditCtrlEx> out = CreateHiddenRichEdit();
            out->StreamInRtf(&frame, false);
            for (int n = 1; n <= count; ++n) {
                const auto [start, end] = span(n);
                const int at = out->GetTextLength();
                out->SetSel(at, at);
                out->ReplaceSelText(QStringLiteral("%1\t").arg(n));
                text->SetSel(start, end);
                QByteArray piece;
                text->StreamOutRtf(&piece, true, true);
                const int after = out->GetTextLength();
                out->SetSel(after, after);
                out->StreamInRtf(&piece, true);
                // The blank lines between paragraphs stay.
                const int gap = n < count ? span(n + 1).first - end : 1;
                const int last = out->GetTextLength();
                out->SetSel(last, last);
                out->ReplaceSelText(QString(std::max(gap, 1), u'\n'));
            }
            rtf.clear();
            out->StreamOutRtf(&rtf, false, true);
        }
    }
    if (!excel || !numbered) {
        while (rtf.endsWith('\0'))
            rtf.chop(1);
        QSaveFile file(saved);
        if (!file.open(QIODevice::WriteOnly) || file.write(rtf) != rtf.size() || !file.commit())
            return Fail(saved, file.errorString());
    }
    if (g_openSavedDocuments)
        QDesktopServices::openUrl(QUrl::fromLocalFile(saved));
    return true;
}
