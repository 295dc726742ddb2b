// The table exports: thin calls into the registered export service, and
// the plain text of codings and memos they write.

#include "document/kordoc.h"
#include "document/kordoc_p.h"

#include "document/rowfields.h"
#include "foundation/externalfiles.h"
#include "foundation/imageexport.h"
#include "foundation/stringstore.h"
#include "foundation/richtexthelpers.h"
#include "platform/rtf/richeditctrlex.h"
#include "store/fieldvalue.h"
#include "store/rowbuffer.h"
#include "store/storeids.h"

#include <QBuffer>
#include <QFile>
#include <QImage>

using namespace rowfields;

namespace {

/// Height in pixels a coding's picture is rendered at for an export.
constexpr int kExportPictureHeight = 495;
constexpr int kExternalMissingText = 200010;   ///< "%1" the file named

}  // namespace

void CKorDoc::SetExportService(IExportService* service)
{
    d->m_exports = service;
}

IExportService* CKorDoc::GetExportService() const
{
    return d->m_exports;
}

bool CKorDoc::ExportRetrievedSegments(qint32 topic, const QList<qint32>& ids, QString& path, bool openAfter,
                                      CWorkbook* book)
{
    return d->m_exports && d->m_engine && d->m_exports->ExportRetrievedSegments(*this, topic, ids, path, openAfter, book);
}

bool CKorDoc::ExportHtmlTable(const QStringList& columns, const QStringList& rows, const QStringList& cells,
                              const QString& path)
{
    return d->m_exports && d->m_exports->ExportHtmlTable(*this, columns, rows, cells, path);
}

bool CKorDoc::ExportCodingsHtml(const QList<qint32>& codings, const QString& path)
{
    return d->m_exports && d->m_engine && d->m_exports->ExportCodingsHtml(*this, codings, path);
}

bool CKorDoc::WriteTabTextFile(const QString& path, const QList<qint32>* keys, bool unicode, bool codes)
{
    return d->m_exports && d->m_engine && d->m_exports->WriteTabTextFile(*this, path, keys, unicode, codes);
}

bool CKorDoc::ExportDocumentFolders(const QString& base)
{
    return d->m_exports && d->m_engine && d->m_exports->ExportDocumentFolders(*this, base);
}

bool CKorDoc::ExportSearchHitsText(const QString& path, const QList<qint32>& hits, int mode, bool withCounts)
{
    return d->m_exports && d->m_engine && d->m_exports->ExportSearchHitsText(*this, path, hits, mode, withCounts);
}

void CKorDoc::BuildLinkTable(qint32 document, bool append)
{
    if (d->m_exports && d->m_engine)
        d->m_exports->BuildLinkTable(*this, document, append);
}

bool CKorDoc::ExportTableExcel(const QString& path, bool activatedOnly, bool unicode, bool excel)
{
    return d->m_exports && d->m_engine && d->m_exports->ExportTableExcel(*this, path, activatedOnly, unicode, excel);
}

bool CKorDoc::GetDocumentContentBytes(qint32 document, QByteArray& bytes, QString* error)
{
    bytes.clear();
    RowBuffer row;
    FieldValue content;
    if (!d->m_db.ReadRow(TopicId::Documents, document, row, true) || !row.GetFieldValue(DocumentField::Text, content)
        || !content.GetBlob() || content.GetBlob()->isEmpty()) {
        if (error)
            error->clear();   // nothing stored: no fault to report
        return false;
    }
    const QString reference = StripExternPrefix(content.GetBlob());
    if (reference.isEmpty()) {
        bytes = *content.GetBlob();
        return true;
    }
    QString externals;
    const QString resolved = ResolveLinkTarget(reference, externals, GetProjectFolder());
    QFile file(resolved);
    if (resolved.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = LoadString(kExternalMissingText).arg(reference);
        return false;
    }
    bytes = file.readAll();
    return true;
}

bool CKorDoc::GetObjectPlainText(qint32 topic, qint32 id, QString& text, bool picturesAllowed, QByteArray* picture,
                                 int* width, int* height, CRichEditCtrlEx* edit)
{
    text.clear();
    if (picture)
        picture->clear();
    if (topic != TopicId::Codings && topic != TopicId::Memos)
        return false;
    RowBuffer row;
    if (!d->m_db.ReadRow(topic, id, row, true))
        return false;
    if (topic == TopicId::Codings && picturesAllowed && picture && !IntOf(row, CodingField::IsText)) {
        // The coded area rendered in memory; nothing goes through a shared file.
        RowBuffer document;
        FieldValue content;
        if (!d->m_db.ReadRow(TopicId::Documents, IntOf(row, CodingField::Document), document, true)
            || !document.GetFieldValue(DocumentField::Text, content) || !content.GetBlob())
            return false;
        int h = kExportPictureHeight;
        int w = 0;
        QImage image;
        const QByteArray& bytes = *content.GetBlob();
        bool made = false;
        switch (IntOf(document, DocumentField::DocType)) {
        case DocumentKind::Picture:
            made = RenderPictureAreaImage(bytes, IntOf(row, CodingField::PosX1), IntOf(row, CodingField::StartChar),
                                          IntOf(row, CodingField::PosX2), IntOf(row, CodingField::FinishChar), h, w,
                                          image);
            break;
        case DocumentKind::Pdf:
            made = RenderPdfAreaImage(bytes, IntOf(row, CodingField::Page), IntOf(row, CodingField::PosX1),
                                      IntOf(row, CodingField::StartChar), IntOf(row, CodingField::PosX2),
                                      IntOf(row, CodingField::FinishChar), h, w, image);
            break;
        default: break;
        }
        if (!made)
            return false;
        QBuffer buffer(picture);
        buffer.open(QIODevice::WriteOnly);
        if (!image.save(&buffer, "JPEG"))
            return false;
        if (width)
            *width = w;
        if (height)
            *height = h;
        return true;
    }
    FieldValue blob;
    const qint32 field = topic == TopicId::Codings ? qint32(CodingField::Text) : qint32(MemoField::Text);
    if (!row.GetFieldValue(field, blob) || !blob.GetBlob() || blob.GetBlob()->isEmpty())
        return true;
    QByteArray rtf = *blob.GetBlob();
    RemoveRtfHyperlinkFields(rtf, false);
    std::unique_ptr<CRichEditCtrlEx> own;
    if (!edit) {
        own = CreateHiddenRichEdit();
        edit = own.get();
    }
    text = RtfPlainText(*edit, &rtf);
    return true;
}
