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
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
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
        // Paragraphs are the blocks of the stored text, as the browser
        // numbers them.
        std::unique_ptr<CRichEditCtrlEx> text = CreateHiddenRichEdit();
        text->StreamInRtf(&rtf, false);
        QList<QTextBlock> blocks;
        for (QTextBlock block = text->GetDocument()->begin(); block.isValid(); block = block.next())
            blocks.append(block);
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
            for (qsizetype n = 0; n < blocks.size() && ok; ++n) {
                const QString plain = blocks.at(n).text();
                if (plain.trimmed().isEmpty())
                    continue;
                ok = sheet->WriteNumber(row, 0, double(n + 1), number) && sheet->WriteString(row, 1, plain, body);
                ++row;
                // A blank line before the next paragraph shows as an empty row.
                if (ok && n + 1 < blocks.size() && blocks.at(n + 1).text().trimmed().isEmpty())
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
            QTextCursor cursor(out->GetDocument());
            cursor.movePosition(QTextCursor::End);
            for (qsizetype n = 0; n < blocks.size(); ++n) {
                if (n > 0)
                    cursor.insertBlock();
                // Blank lines stay as they are; paragraphs with text get their number.
                if (!blocks.at(n).text().trimmed().isEmpty())
                    cursor.insertText(QStringLiteral("%1\t").arg(n + 1));
                QTextCursor source(blocks.at(n));
                source.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
                cursor.insertFragment(source.selection());
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
