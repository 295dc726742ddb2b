// The outside files a project refers to: collected from documents, links
// and stored models, and resolved on disk.

#include "document/kordoc.h"
#include "document/kordoc_p.h"

#include "foundation/externalfiles.h"
#include "foundation/linktarget.h"
#include "store/compressedblob.h"
#include "store/storeids.h"

#include <QtEndian>

#include <algorithm>

namespace {

/// Longest stored form read as a possible "EXTERN:" reference: a path of
/// far more units than any file system allows. Longer contents are the
/// document's own and are not unpacked just to look at their start.
constexpr qsizetype kMaxReferenceBytes = 64 * 1024;
constexpr char kCompressedMarker[] = "*ZIP*";
constexpr qsizetype kCompressedHeaderBytes = sizeof kCompressedMarker - 1 + 4;
/// The record's texts hold at most this many units.
constexpr qsizetype kRecordTextUnits = 259;

/// The file named after "EXTERN:" in a content's stored form; empty for
/// content of the project's own.
QString ExternalReferenceOf(const QByteArray& stored)
{
    if (!stored.startsWith(kCompressedMarker))
        return StripExternPrefix(&stored);
    if (stored.size() < kCompressedHeaderBytes)
        return {};
    const quint32 length = qFromLittleEndian<quint32>(stored.constData() + sizeof kCompressedMarker - 1);
    QByteArray value;
    if (length > quint32(kMaxReferenceBytes) || !DecompressBlob(stored, value))
        return {};
    return StripExternPrefix(&value);
}

}  // namespace

void CKorDoc::SetStoredModelFiles(StoredModelFiles lister)
{
    d->m_storedModelFiles = std::move(lister);
}

void CKorDoc::CollectExternalFiles(QStringList& paths, QList<ExternalFileRecord>* records)
{
    QStringList references;
    QList<qint32> documents;
    d->m_db.GetAllKeys(TopicId::Documents, documents);
    std::sort(documents.begin(), documents.end());
    for (const qint32 document : std::as_const(documents)) {
        QByteArray stored;
        if (d->m_db.ReadStoredBlob(TopicId::Documents, document, DocumentField::Text, stored)) {
            const QString own = ExternalReferenceOf(stored);
            if (!own.isEmpty())
                references.append(own);
        }
        for (const qint32 field :
             {DocumentField::ExtLink1, DocumentField::ExtLink2, DocumentField::ExtLink3, DocumentField::MediaFile}) {
            const QString reference = FieldText(TopicId::Documents, document, field).trimmed();
            if (!reference.isEmpty())
                references.append(reference);
        }
    }
    QList<qint32> links;
    d->m_db.GetAllKeys(TopicId::Links, links);
    std::sort(links.begin(), links.end());
    for (const qint32 link : std::as_const(links)) {
        // A link to a file or an address has no partner link.
        if (d->m_db.GetIntValue(TopicId::Links, link, LinkField::LinkID) > 0)
            continue;
        QByteArray stored;
        QByteArray text;
        if (!d->m_db.ReadStoredBlob(TopicId::Links, link, LinkField::Text, stored) || !DecompressBlob(stored, text))
            continue;
        const QString reference = LinkTargetText(text).trimmed();
        if (!reference.isEmpty())
            references.append(reference);
    }
    if (d->m_storedModelFiles)
        references.append(d->m_storedModelFiles());

    LinkTargetResolver resolver(GetExternalsFolder(), GetProjectFolder());
    for (const QString& reference : std::as_const(references)) {
        ExternalLinkInfo info;
        const QString path = resolver.Resolve(reference, &info);
        // An address is no file: it is neither listed nor archived.
        if (!info.isFile)
            continue;
        if (!path.isEmpty())
            paths.append(path);
        if (records)
            records->append({info.fileName, reference.left(kRecordTextUnits), info.size, info.location,
                             info.sizeKnown, true});
    }
}
