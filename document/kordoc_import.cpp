// The write of one document file import: new groups, documents and the
// media marks of transcripts in one transaction, announced afterwards.

#include "document/kordoc.h"

#include "document/documentfileimport.h"
#include "document/documentids.h"
#include "document/kordoc_p.h"
#include "document/rowfields.h"
#include "foundation/externalfiles.h"
#include "store/storeids.h"

using namespace rowfields;

bool CKorDoc::AddImportedDocuments(const DocumentImportBatch& batch, QList<qint32>& ids)
{
    ids.clear();
    QList<qint32> groups;
    QList<qint32> documents;
    QList<qint32> documentGroups;
    {
        // All documents of the import or none: a failed write rolls back
        // memory and file, and nothing has been announced yet.
        StoreTransaction transaction(&d->m_db);
        if (!transaction.IsActive())
            return false;
        for (const QString& name : batch.newGroups) {
            const qint32 group = AddDocumentGroupRow(name);
            if (!group)
                return false;
            groups.append(group);
        }
        for (const ImportedDocument& imported : batch.documents) {
            const qint32 group = imported.newGroup >= 0 ? groups.value(imported.newGroup) : imported.group;
            if (!IsValidGroup(group))
                return false;
            const bool reference =
                imported.kind != DocumentKind::RichText && !StripExternPrefix(&imported.content).isEmpty();
            const qint32 document = CreateRow(
                TopicId::Documents,
                [&](RowBuffer& row, qint32 key) {
                    return FillNewDocument(row, key, group, imported.name, DocumentText::DefaultRichTextName,
                                          imported.mediaFile) &&
                           SetInt(row, DocumentField::DocType, imported.kind) &&
                           SetBlob(row, DocumentField::Text, imported.content) &&
                           (reference || SetInt(row, DocumentField::Size, imported.size));
                },
                true);
            if (!document || (!imported.marks.isEmpty() && !AddMediaMarks(document, imported.marks)))
                return false;
            documents.append(document);
            documentGroups.append(group);
        }
        if (!transaction.Commit())
            return false;
    }
    for (const qint32 group : std::as_const(groups))
        d->m_registry.NotifyAdded(TopicId::DocumentGroups, group, -1, TopicKind::DocumentsRoot, 0, false);
    for (qsizetype i = 0; i < documents.size(); ++i)
        d->m_registry.NotifyAdded(TopicId::Documents, documents[i], -1, TopicId::DocumentGroups, documentGroups[i],
                               i + 1 == documents.size());
    ids = documents;
    return true;
}
